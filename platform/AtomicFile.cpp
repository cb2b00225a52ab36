#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

#include "platform/Exception.h"

namespace platform {

namespace {

std::string systemMessage(int error) {
    return std::system_category().message(error);
}

}  // namespace

void replaceFile(const std::filesystem::path& path, std::string_view data) {
    const auto fail = [&](int error) {
        return Exception("Cannot save \"" + path.string() + "\": " + systemMessage(error));
    };
    // Saving through a link replaces the file it points to, not the link.
    std::filesystem::path target = path;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        const auto resolved = std::filesystem::canonical(path, ec);
        if (!ec)
            target = resolved;
    }
    const auto writeAll = [&](int fd) {
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
    };

    // A device or a pipe is written into: renaming a file over it would
    // replace the device node itself.
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode)) {
        if (S_ISDIR(existing.st_mode))
            throw fail(EISDIR);
        const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0)
            throw fail(errno);
        int error = writeAll(fd);
        if (::close(fd) != 0 && error == 0)
            error = errno;
        if (error != 0)
            throw fail(error);
        return;
    }

    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp;
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = target;
        temp += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt >= 100))
            throw fail(errno);
    }
    const auto abandon = [&](int error) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        return fail(error);
    };
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) &&
        ::fchmod(fd, old.st_mode & 07777) != 0)
        throw abandon(errno);
    if (const int error = writeAll(fd); error != 0)
        throw abandon(error);
    if (::fsync(fd) != 0)
        throw abandon(errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        throw abandon(errno);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        throw abandon(errno);
}

}  // namespace platform
