// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/RunFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "batch/Batch.h"
#include "cli/Options.h"
#include "platform/base/MessageText.h"
#include "platform/base/TempFiles.h"

namespace batch {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void folderError(const fs::path& dir, const std::string& why) {
    throw OutputError("cannot write into the folder " + platform::quotedForMessage(dir.string()) +
                      ": " + why);
}

int writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

}  // namespace

DatFolder::DatFolder(fs::path dir) : m_dir(std::move(dir)) {
    std::error_code ec;
    fs::create_directories(m_dir, ec);
    if (ec || !fs::is_directory(m_dir))
        folderError(m_dir, ec ? ec.message() : "it is not a folder");
    std::string pattern = (m_dir / ".quorvin-batch-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        folderError(m_dir, std::strerror(errno));
    m_staging = pattern;
    m_slot = platform::registerTemporaryFolder(m_staging);
    if (const long max = ::pathconf(m_dir.c_str(), _PC_NAME_MAX); max > 0)
        m_nameMax = static_cast<std::size_t>(max);
}

DatFolder::~DatFolder() {
    removeStaged();
}

void DatFolder::removeStaged() {
    if (m_staging.empty())
        return;
    std::error_code ec;
    fs::remove_all(m_staging, ec);
    platform::unregisterTemporary(m_slot);
    m_staging.clear();
}

fs::path DatFolder::stage(std::size_t row, const std::string& label) {
    m_names.push_back(datFileName(row, label, m_nameMax));
    if (m_names.back() != datFileName(row, label, std::string::npos))
        ++m_shortened;
    platform::setTemporaryFiles(m_slot, static_cast<long>(m_names.size()));
    return m_staging / std::to_string(m_names.size());
}

std::size_t DatFolder::commit() {
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        const fs::path from = m_staging / std::to_string(i + 1);
        // A row that failed wrote no file.
        if (::rename(from.c_str(), (m_dir / m_names[i]).c_str()) != 0 && errno != ENOENT)
            folderError(m_dir, m_names[i] + ": " + std::strerror(errno));
    }
    removeStaged();
    return m_shortened;
}

HeldOutput::HeldOutput() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string folder = tmp && *tmp == '/' ? tmp : "/tmp";
    m_fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        // A file system without unnamed files: a named one, unlinked at once.
        std::string name = folder + "/quorvin-batch-XXXXXX";
        m_fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (m_fd >= 0)
            ::unlink(name.c_str());
    }
    if (m_fd < 0)
        throw OutputError("cannot hold the output in " + platform::quotedForMessage(folder) + ": " +
                          std::strerror(errno));
}

HeldOutput::~HeldOutput() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void HeldOutput::write(std::string_view data) {
    m_buffer.append(data);
    if (m_buffer.size() >= 64 * 1024)
        flush();
}

void HeldOutput::flush() {
    if (const int error = writeAll(m_fd, m_buffer); error != 0)
        throw OutputError(std::string("cannot hold the output: ") + std::strerror(error));
    m_buffer.clear();
}

void HeldOutput::commit() {
    flush();
    if (::lseek(m_fd, 0, SEEK_SET) != 0)
        throw OutputError(std::string("cannot read the held output: ") + std::strerror(errno));
    std::string chunk(64 * 1024, '\0');
    for (;;) {
        const ssize_t n = ::read(m_fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw OutputError(std::string("cannot read the held output: ") + std::strerror(errno));
        if (n == 0)
            return;
        if (const int error = writeAll(STDOUT_FILENO, {chunk.data(), static_cast<std::size_t>(n)});
            error != 0)
            throw OutputError(std::string("cannot write the output: ") + std::strerror(error));
    }
}

namespace {

struct Identity {
    fs::path resolved;
    std::optional<struct stat> status;
    bool shareable() const { return status && !S_ISREG(status->st_mode); }
};

Identity identityOf(const fs::path& path) {
    Identity id;
    std::error_code ec;
    id.resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
    if (ec)
        id.resolved = path.lexically_normal();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        id.status = st;
    return id;
}

bool sameFile(const Identity& a, const Identity& b) {
    if (a.shareable() || b.shareable())
        return false;
    if (a.status && b.status)
        return a.status->st_dev == b.status->st_dev && a.status->st_ino == b.status->st_ino;
    return a.resolved == b.resolved;
}

}  // namespace

void refuseSharedPaths(const fs::path& input, const std::vector<RunPath>& outputs) {
    std::vector<Identity> ids;
    for (const RunPath& out : outputs)
        ids.push_back(identityOf(out.path));
    Identity in;
    if (input == "-") {
        struct stat st {};
        if (::fstat(STDIN_FILENO, &st) == 0)
            in.status = st;
    } else {
        in = identityOf(input);
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const std::string what =
            outputs[i].option + " " + platform::quotedForMessage(outputs[i].path.string());
        if (sameFile(ids[i], in) && (input != "-" || in.status))
            throw cli::UsageError(what + " is the input" +
                                  (input == "-" ? " (standard input)" : "") +
                                  ": it would be overwritten");
        for (std::size_t k = 0; k < i; ++k)
            if (sameFile(ids[i], ids[k]))
                throw cli::UsageError(what + " is also the file of " + outputs[k].option +
                                      ": give each output a file of its own");
    }
}

}  // namespace batch
