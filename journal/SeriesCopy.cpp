// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/SeriesCopy.h"

#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <system_error>

#include "journal/Journal.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Exception.h"

namespace journal {

namespace fs = std::filesystem;

namespace {

// The magic line, the length of the original file's name and a line break,
// the name, then the CSV text as it would be saved.
constexpr std::string_view kMagic = "quorvin series copy 1\n";
constexpr const char* kFileName = "series.qs";

std::string contentOf(const fs::path& original, const std::string& csv) {
    const std::string name = original.string();
    return std::string(kMagic) + std::to_string(name.size()) + "\n" + name + csv;
}

}  // namespace

SeriesCopy::SeriesCopy(fs::path stateFolder) : m_state(std::move(stateFolder)) {
    m_thread = std::thread([this] { run(); });
}

SeriesCopy::~SeriesCopy() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

void SeriesCopy::post(Job job) {
    {
        std::lock_guard lock(m_mutex);
        m_job = std::move(job);
    }
    m_wake.notify_all();
}

void SeriesCopy::write(const fs::path& original, const std::string& csv) {
    post({false, contentOf(original, csv)});
}

void SeriesCopy::remove() {
    post({true, {}});
}

void SeriesCopy::sync() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_job && !m_busy; });
}

std::optional<std::string> SeriesCopy::takeError() {
    std::lock_guard lock(m_mutex);
    std::optional<std::string> e = std::move(m_error);
    m_error.reset();
    return e;
}

void SeriesCopy::run() {
    // Below the user-interface thread, as the log's writer.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    bool failing = false;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_job; });
        if (!m_job)
            return;  // stopping, and everything written
        Job job = std::move(*m_job);
        m_job.reset();
        m_busy = true;
        lock.unlock();
        std::optional<std::string> error;
        try {
            if (!job.remove) {
                if (m_dir.empty()) {
                    const LockedFolder made = createLockedFolder(m_state, kSeriesPrefix);
                    m_dir = made.dir;
                    m_lockFd = made.lockFd;
                }
                platform::replaceFile(m_dir / kFileName, job.content);
            } else if (!m_dir.empty()) {
                std::error_code ec;
                fs::remove_all(m_dir, ec);
                ::close(m_lockFd);
                m_lockFd = -1;
                const fs::path gone = std::move(m_dir);
                m_dir.clear();
                if (ec)
                    throw platform::Exception("Cannot delete \"" + gone.string() +
                                              "\": " + ec.message());
            }
        } catch (const std::exception& e) {
            error = e.what();
        }
        lock.lock();
        if (error && !failing)
            m_error = error;
        failing = error.has_value();
        m_busy = false;
        if (!m_job)
            m_idle.notify_all();
    }
}

SeriesCopyContent readSeriesCopy(const fs::path& folder) {
    const fs::path path = folder / kFileName;
    const std::string bytes = readWhole(path);
    const auto damaged = [&path] {
        return platform::Exception("\"" + path.filename().string() + "\" is damaged");
    };
    if (bytes.compare(0, kMagic.size(), kMagic) != 0)
        throw damaged();
    std::size_t length = 0;
    const char* begin = bytes.data() + kMagic.size();
    const char* end = bytes.data() + bytes.size();
    const auto [p, ec] = std::from_chars(begin, end, length);
    if (ec != std::errc() || p == begin || p == end || *p != '\n' ||
        length > static_cast<std::size_t>(end - p - 1))
        throw damaged();
    const std::size_t at = static_cast<std::size_t>(p + 1 - bytes.data());
    return {bytes.substr(at, length), bytes.substr(at + length)};
}

}  // namespace journal
