// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/base/TempFiles.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

enum State : int { Free, Filling, Active };

struct Slot {
    std::atomic<int> state{Free};
    std::atomic<long> files{-1};  // -1: a file; else a folder of "1".."files"
    char path[PATH_MAX] = {};
};

constexpr std::size_t kSlots = 16;
std::array<Slot, kSlots> g_slots;
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<long>::is_always_lock_free,
              "the signal handler reads the table without locks");

int claim(const std::filesystem::path& path, long files) {
    const std::string& text = path.native();
    if (text.size() + 24 >= PATH_MAX)  // room for "/" and a number in a folder
        return -1;
    for (std::size_t i = 0; i < kSlots; ++i) {
        int expected = Free;
        if (!g_slots[i].state.compare_exchange_strong(expected, Filling))
            continue;
        std::memcpy(g_slots[i].path, text.c_str(), text.size() + 1);
        g_slots[i].files.store(files);
        g_slots[i].state.store(Active, std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

// Async-signal-safe: only unlink, rmdir and stack buffers.
void removeFolder(const char* folder, long files) {
    char path[PATH_MAX];
    const std::size_t length = std::strlen(folder);
    std::memcpy(path, folder, length);
    path[length] = '/';
    for (long n = 1; n <= files; ++n) {
        char digits[24];
        std::size_t count = 0;
        for (long v = n; v > 0; v /= 10)
            digits[count++] = static_cast<char>('0' + v % 10);
        for (std::size_t k = 0; k < count; ++k)
            path[length + 1 + k] = digits[count - 1 - k];
        path[length + 1 + count] = '\0';
        ::unlink(path);
    }
    ::rmdir(folder);
}

extern "C" void removeAndReraise(int signal) {
    const int savedErrno = errno;
    // Files first: a folder's files may have registered slots of their own.
    for (bool folders : {false, true}) {
        for (Slot& slot : g_slots) {
            if (slot.state.load(std::memory_order_acquire) != Active)
                continue;
            const long files = slot.files.load();
            if (files < 0 && !folders)
                ::unlink(slot.path);
            else if (files >= 0 && folders)
                removeFolder(slot.path, files);
        }
    }
    errno = savedErrno;
    // SA_RESETHAND restored the default action: the signal ends the program
    // once this handler returns, with the status a shell expects.
    ::raise(signal);
}

}  // namespace

int registerTemporary(const std::filesystem::path& path) {
    return claim(path, -1);
}

int registerTemporaryFolder(const std::filesystem::path& path) {
    return claim(path, 0);
}

void setTemporaryFiles(int slot, long files) {
    if (slot >= 0)
        g_slots[static_cast<std::size_t>(slot)].files.store(files);
}

void unregisterTemporary(int slot) {
    if (slot >= 0)
        g_slots[static_cast<std::size_t>(slot)].state.store(Free, std::memory_order_release);
}

void removeTemporariesOnSignal() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = removeAndReraise;
        sigemptyset(&action.sa_mask);
        sigaddset(&action.sa_mask, SIGINT);
        sigaddset(&action.sa_mask, SIGTERM);
        action.sa_flags = SA_RESETHAND;
        for (int signal : {SIGINT, SIGTERM}) {
            struct sigaction old {};
            // A signal ignored by the parent (nohup, a background job) stays ignored.
            if (::sigaction(signal, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
                continue;
            ::sigaction(signal, &action, nullptr);
        }
    });
}

}  // namespace platform
