// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/base/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

#include "platform/base/Exception.h"
#include "platform/base/TempFiles.h"

namespace platform {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

int writeAll(int fd, std::string_view data) {
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        written += static_cast<std::size_t>(n);
    }
    return 0;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& path)
    : m_path(path), m_target(path) {
    // Saving through a link replaces the file it points to, not the link.
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto resolved = std::filesystem::canonical(path, ec);
        if (!ec)
            m_target = resolved;
    }
    // A device or a pipe is written into: renaming a file over it would
    // replace the device node itself.
    struct stat existing {};
    if (::stat(m_target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        if (S_ISDIR(existing.st_mode))
            fail(EISDIR);
        m_fd = ::open(m_target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (m_fd < 0)
            fail(errno);
        return;
    }

    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_temp = m_target;
        m_temp += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && (errno != EEXIST || attempt >= 100)) {
            m_temp.clear();
            fail(errno);
        }
    }
    m_slot = registerTemporary(m_temp);
    struct stat old {};
    if (::stat(m_target.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::fchmod(m_fd, old.st_mode & 07777) != 0)
        abandon(errno);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_done && !m_temp.empty())
        ::unlink(m_temp.c_str());
    unregisterTemporary(m_slot);
}

void AtomicFileWriter::write(std::string_view data) {
    if (m_done)
        throw std::logic_error("AtomicFileWriter::write after commit");
    if (m_buffer.size() + data.size() > kBufferSize) {
        flush();
        if (data.size() > kBufferSize) {
            if (const int error = writeAll(m_fd, data); error != 0)
                abandon(error);
            return;
        }
    }
    m_buffer.append(data);
}

void AtomicFileWriter::flush() {
    if (const int error = writeAll(m_fd, m_buffer); error != 0)
        abandon(error);
    m_buffer.clear();
}

void AtomicFileWriter::commit() {
    if (m_done)
        return;
    flush();
    if (!m_temp.empty() && ::fsync(m_fd) != 0)
        abandon(errno);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0)
        abandon(errno);
    if (!m_temp.empty() && ::rename(m_temp.c_str(), m_target.c_str()) != 0)
        abandon(errno);
    m_done = true;
    unregisterTemporary(m_slot);
    m_slot = -1;
}

void AtomicFileWriter::fail(int error) {
    throw Exception("Cannot save \"" + m_path.string() +
                    "\": " + std::system_category().message(error));
}

void AtomicFileWriter::abandon(int error) {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    unregisterTemporary(m_slot);
    m_slot = -1;
    m_done = true;  // nothing left to remove
    m_temp.clear();
    fail(error);
}

void replaceFile(const std::filesystem::path& path, std::string_view data) {
    AtomicFileWriter writer(path);
    writer.write(data);
    writer.commit();
}

}  // namespace platform
