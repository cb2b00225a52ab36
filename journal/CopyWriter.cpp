// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/CopyWriter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include "platform/base/AtomicFile.h"
#include "platform/base/Exception.h"

namespace journal {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void failIn(const fs::path& where, int error) {
    throw platform::Exception("Cannot write in \"" + where.string() +
                              "\": " + std::system_category().message(error));
}

std::string uniqueId() {
    std::random_device random;
    const unsigned long long bits = (static_cast<unsigned long long>(random()) << 32) ^ random();
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", bits);
    return std::to_string(::getpid()) + "-" + hex;
}

}  // namespace

// Made under a name no reader takes, locked, then renamed into view, so
// that a reader never finds it unlocked while this program runs.
LockedFolder createLockedFolder(const fs::path& state, const std::string& prefix) {
    std::error_code ec;
    fs::create_directories(state, ec);
    if (ec)
        failIn(state, ec.value());
    ::chmod(state.c_str(), 0700);
    const std::string id = uniqueId();
    const fs::path fresh = state / (".new-" + id);
    if (::mkdir(fresh.c_str(), 0700) != 0)
        failIn(state, errno);
    const int fd = ::open((fresh / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::rename(fresh.c_str(), (state / (prefix + id)).c_str()) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        fs::remove_all(fresh, ec);
        failIn(state, error);
    }
    return {state / (prefix + id), fd};
}

CopyFolder::CopyFolder(fs::path state, std::string prefix)
    : m_state(std::move(state)), m_prefix(std::move(prefix)) {}

CopyFolder::~CopyFolder() {
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

const fs::path& CopyFolder::open() {
    if (m_dir.empty()) {
        const LockedFolder made = createLockedFolder(m_state, m_prefix);
        m_dir = made.dir;
        m_lockFd = made.lockFd;
    }
    return m_dir;
}

void CopyFolder::write(const std::string& name, std::string_view content) {
    platform::replaceFile(open() / name, content);
}

void CopyFolder::supersede(const std::string& name, std::string_view content,
                           const std::function<bool(const std::string& name)>& superseded) {
    write(name, content);
    if (const int fd = ::open(m_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_dir, ec)) {
        const std::string file = entry.path().filename().string();
        if (file != name && superseded(file))
            fs::remove(entry.path(), ec);
    }
}

void CopyFolder::remove() {
    if (m_dir.empty())
        return;
    std::error_code ec;
    fs::remove_all(m_dir, ec);
    ::close(m_lockFd);
    m_lockFd = -1;
    const fs::path gone = std::move(m_dir);
    m_dir.clear();
    if (ec)
        throw platform::Exception("Cannot delete \"" + gone.string() + "\": " + ec.message());
}

void lowerThreadPriority() {
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
}

}  // namespace journal
