// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/Journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#include "log/EntrySeparator.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Exception.h"
#include "platform/base/MessageText.h"
#include "platform/richtext/Rtf.h"

namespace journal {

namespace fs = std::filesystem;
using platform::Paragraph;
using platform::RichDocument;

namespace {

constexpr std::string_view kMagic = "quorvin journal 1\n";

// A file is the magic line and records, each the decimal length of an RTF
// document, a line break and the document.
std::string record(const RichDocument& doc) {
    const std::string rtf = platform::writeRtf(doc);
    return std::to_string(rtf.size()) + "\n" + rtf;
}

// The records of a file, without its magic line.
std::string_view recordsOf(std::string_view bytes, const fs::path& path) {
    if (bytes.substr(0, kMagic.size()) != kMagic)
        throw platform::Exception("\"" + path.filename().string() + "\" is not a journal file");
    return bytes.substr(kMagic.size());
}

void appendRecords(RichDocument& doc, std::string_view records, const fs::path& path) {
    while (!records.empty()) {
        std::size_t length = 0;
        const auto [end, ec] =
            std::from_chars(records.data(), records.data() + records.size(), length);
        const std::size_t head = static_cast<std::size_t>(end - records.data());
        if (ec != std::errc() || head == 0 || head >= records.size() || *end != '\n' ||
            length > records.size() - head - 1)
            throw platform::Exception("\"" + path.filename().string() + "\" is damaged");
        const RichDocument piece = platform::readRtf(records.substr(head + 1, length));
        std::vector<Paragraph> lines = piece.paragraphs();
        doc.replaceParagraphs(doc.paragraphs().size(), 0, std::move(lines));
        records.remove_prefix(head + 1 + length);
    }
}

// "G.qj" is the base of generation G, "G-N.qj" its N-th segment.
struct FileName {
    long generation = 0;
    long segment = 0;  // 0 for a base
};

std::optional<FileName> parseName(const std::string& name) {
    if (name.size() < 4 || name.substr(name.size() - 3) != ".qj")
        return std::nullopt;
    const std::string stem = name.substr(0, name.size() - 3);
    FileName f;
    const char* p = stem.data();
    const char* e = stem.data() + stem.size();
    auto r = std::from_chars(p, e, f.generation);
    if (r.ec != std::errc() || r.ptr == p)
        return std::nullopt;
    if (r.ptr == e)
        return f.generation > 0 ? std::optional(f) : std::nullopt;
    if (*r.ptr != '-')
        return std::nullopt;
    const char* q = r.ptr + 1;
    r = std::from_chars(q, e, f.segment);
    if (r.ec != std::errc() || r.ptr != e || f.segment <= 0)
        return std::nullopt;
    return f;
}

fs::path baseFile(const fs::path& dir, long generation) {
    return dir / (std::to_string(generation) + ".qj");
}

fs::path segmentFile(const fs::path& dir, long generation, long segment) {
    return dir / (std::to_string(generation) + "-" + std::to_string(segment) + ".qj");
}

// Removes the files of the generations before this one.
void removeOlder(const fs::path& dir, long generation) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const auto f = parseName(entry.path().filename().string());
        if (f && f->generation < generation)
            fs::remove(entry.path(), ec);
    }
}

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

fs::path stateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state && fs::path(state).is_absolute())
        return fs::path(state) / "quorvin";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / ".local" / "state" / "quorvin";
}

std::string stateFolderProblem(const fs::path& state) {
    // The folder is made at the first write; until then its nearest existing
    // parent answers for it.
    fs::path existing = state;
    std::error_code ec;
    while (!fs::exists(existing, ec) && existing.has_parent_path() &&
           existing.parent_path() != existing)
        existing = existing.parent_path();
    if (!fs::is_directory(existing, ec))
        return platform::quotedForMessage(state.string()) +
               " cannot be made: " + platform::quotedForMessage(existing.string()) +
               " is not a folder";
    // A probe, not access(): it answers for read-only mounts and ACLs alike.
    std::string probe = (existing / ".probe-XXXXXX").string();
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return platform::quotedForMessage(state.string()) +
               " cannot be written: " + std::system_category().message(errno);
    ::close(fd);
    ::unlink(probe.c_str());
    return {};
}

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

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw platform::Exception("cannot read \"" + path.string() +
                                  "\": " + std::system_category().message(errno));
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int countEntries(const RichDocument& doc) {
    int n = 0;
    for (const Paragraph& p : doc.paragraphs())
        n += p.text() == calclog::kEntrySeparator;
    return n;
}

struct Journal::Job {
    enum Kind { Append, Replace, Remove } kind;
    RichDocument doc;
};

// The files as the writing thread keeps them.
struct Journal::Disk {
    fs::path state;
    fs::path dir;  // empty until the first write
    int lockFd = -1;
    long generation = 0;
    long segments = 0;
    int mergeAfter = 256;
    bool broken = false;  // a write failed: appending would leave a gap

    ~Disk() {
        if (lockFd >= 0)
            ::close(lockFd);
    }

    fs::path open() {
        if (!dir.empty())
            return dir;
        const LockedFolder made = createLockedFolder(state, kLogPrefix);
        lockFd = made.lockFd;
        dir = made.dir;
        generation = 0;
        segments = 0;
        return dir;
    }

    void writeBase(const std::string& content) {
        platform::replaceFile(baseFile(dir, generation + 1), content);
        ++generation;
        segments = 0;
        // The new base's name on disk before the files it replaces go, so
        // that a power cut cannot take both.
        if (const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
        removeOlder(dir, generation);
    }

    void append(const RichDocument& lines) {
        if (broken)
            return;
        try {
            open();
            platform::replaceFile(segmentFile(dir, generation, segments + 1),
                                  std::string(kMagic) + record(lines));
            ++segments;
            if (segments >= mergeAfter)
                merge();
        } catch (...) {
            broken = true;
            throw;
        }
    }

    // The base and the segments as one file: their records put together.
    void merge() {
        std::string content(kMagic);
        for (long n = 0; n <= segments; ++n) {
            if (n == 0 && generation == 0)
                continue;
            const fs::path p = n == 0 ? baseFile(dir, generation) : segmentFile(dir, generation, n);
            const std::string bytes = readWhole(p);
            content += recordsOf(bytes, p);
        }
        writeBase(content);
    }

    void replace(const RichDocument& doc) {
        try {
            open();
            writeBase(std::string(kMagic) + record(doc));
            broken = false;
        } catch (...) {
            broken = true;
            throw;
        }
    }

    void remove() {
        if (dir.empty())
            return;
        std::error_code ec;
        fs::remove_all(dir, ec);
        ::close(lockFd);
        lockFd = -1;
        const fs::path gone = std::move(dir);
        dir.clear();
        broken = false;
        if (ec)
            throw platform::Exception("Cannot delete \"" + gone.string() + "\": " + ec.message());
    }
};

Journal::Journal(fs::path stateFolder, int mergeAfter) : m_disk(std::make_unique<Disk>()) {
    m_disk->state = std::move(stateFolder);
    m_disk->mergeAfter = std::max(1, mergeAfter);
    m_thread = std::thread([this] { run(); });
}

Journal::~Journal() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void Journal::post(Job job) {
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        first = m_jobs.empty();
        m_jobs.push_back(std::move(job));
    }
    // A writer with jobs queued takes this one in the same round unasked.
    if (first)
        m_wake.notify_all();
}

void Journal::append(std::vector<Paragraph> lines) {
    Job job{Job::Append, {}};
    job.doc.replaceParagraphs(0, 0, std::move(lines));
    post(std::move(job));
}

void Journal::replace(RichDocument doc) {
    post({Job::Replace, std::move(doc)});
}

void Journal::remove() {
    post({Job::Remove, {}});
}

void Journal::sync() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

std::optional<std::string> Journal::takeError() {
    std::lock_guard lock(m_mutex);
    std::optional<std::string> e = std::move(m_error);
    m_error.reset();
    return e;
}

fs::path Journal::folder() const {
    std::lock_guard lock(m_mutex);
    return m_folder;
}

void Journal::run() {
    // Below the user-interface thread, which must not wait for this one when
    // the cores are busy.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    bool failing = false;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;  // stopping, and everything written
        // All that is queued in one round: a replace or a removal makes the
        // jobs before it pointless, and lines appended one after another go
        // into one segment, so that a slow disk is not asked once per entry.
        std::deque<Job> jobs;
        jobs.swap(m_jobs);
        m_busy = true;
        lock.unlock();
        auto last = std::find_if(jobs.rbegin(), jobs.rend(),
                                 [](const Job& j) { return j.kind != Job::Append; });
        if (last != jobs.rend())
            jobs.erase(jobs.begin(), std::prev(last.base()));
        std::optional<std::string> error;
        bool ok = false;
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            Job& job = jobs[i];
            if (job.kind == Job::Append)
                for (; i + 1 < jobs.size() && jobs[i + 1].kind == Job::Append; ++i) {
                    std::vector<Paragraph> more = jobs[i + 1].doc.paragraphs();
                    job.doc.replaceParagraphs(job.doc.paragraphs().size(), 0, std::move(more));
                }
            try {
                switch (job.kind) {
                    case Job::Append:
                        m_disk->append(job.doc);
                        break;
                    case Job::Replace:
                        m_disk->replace(job.doc);
                        break;
                    case Job::Remove:
                        m_disk->remove();
                        break;
                }
                ok = ok || job.kind != Job::Append || !m_disk->broken;
            } catch (const std::exception& e) {
                if (!error)
                    error = e.what();
                ok = false;
            }
        }
        lock.lock();
        m_folder = m_disk->dir;
        if (error && !failing)
            m_error = error;
        failing = error.has_value() || (failing && !ok);
        m_busy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}

AbandonedJournal::AbandonedJournal(fs::path folder, int lockFd, bool readOnly)
    : m_folder(std::move(folder)), m_lockFd(lockFd), m_readOnly(readOnly) {
    // The folder's own time changes with every file made in it, the last
    // write's too; the files' times are those of the writes alone.
    struct stat st {};
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_folder, ec))
        if (parseName(entry.path().filename().string()) && ::stat(entry.path().c_str(), &st) == 0)
            m_changed = std::max(m_changed, static_cast<std::time_t>(st.st_mtime));
    if (m_changed == 0 && ::stat(m_folder.c_str(), &st) == 0)
        m_changed = st.st_mtime;
}

AbandonedJournal::~AbandonedJournal() {
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

RichDocument AbandonedJournal::load() const {
    long generation = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(m_folder, ec))
        if (const auto f = parseName(entry.path().filename().string()); f && f->segment == 0)
            generation = std::max(generation, f->generation);
    if (ec)
        throw platform::Exception("cannot read \"" + m_folder.string() + "\": " + ec.message());
    RichDocument doc;
    if (generation > 0) {
        const fs::path p = baseFile(m_folder, generation);
        const std::string bytes = readWhole(p);
        appendRecords(doc, recordsOf(bytes, p), p);
    }
    for (long n = 1;; ++n) {
        const fs::path p = segmentFile(m_folder, generation, n);
        if (!fs::exists(p, ec))
            break;
        const std::string bytes = readWhole(p);
        appendRecords(doc, recordsOf(bytes, p), p);
    }
    return doc;
}

void AbandonedJournal::discard() {
    if (m_readOnly)
        return;
    std::error_code ec;
    fs::remove_all(m_folder, ec);
    if (ec)
        throw platform::Exception("Cannot delete \"" + m_folder.string() + "\": " + ec.message());
}

fs::path AbandonedJournal::setAside() {
    if (m_readOnly)
        return m_folder;
    std::string name = m_folder.filename().string();
    if (name.rfind(kLogPrefix, 0) == 0)
        name = name.substr(std::string_view(kLogPrefix).size());
    const fs::path aside = m_folder.parent_path() / ("unreadable-" + name);
    if (::rename(m_folder.c_str(), aside.c_str()) != 0)
        throw platform::Exception("Cannot rename \"" + m_folder.string() +
                                  "\": " + std::system_category().message(errno));
    m_folder = aside;
    return aside;
}

std::vector<std::unique_ptr<AbandonedJournal>> findAbandoned(const fs::path& state,
                                                             const std::string& prefix) {
    std::vector<std::unique_ptr<AbandonedJournal>> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(state, ec)) {
        const std::string name = entry.path().filename().string();
        const bool made = name.rfind(prefix, 0) == 0;
        const bool half = name.rfind(".new-", 0) == 0;
        if (!made && !half)
            continue;
        int fd = ::open((entry.path() / "lock").c_str(), O_RDWR | O_CLOEXEC);
        bool readOnly = false;
        if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM) && made) {
            fd = ::open((entry.path() / "lock").c_str(), O_RDONLY | O_CLOEXEC);
            readOnly = fd >= 0;
        }
        if (fd < 0) {
            // Being made or removed; a half-made one still without its lock
            // a minute later was left by a program killed in between.
            std::error_code age;
            const auto made = fs::last_write_time(entry.path(), age);
            if (half && !age && fs::file_time_type::clock::now() - made > std::chrono::minutes(1)) {
                std::error_code ignored;
                fs::remove_all(entry.path(), ignored);
            }
            continue;
        }
        // A folder whose lock file can be written but not the folder itself
        // is read-only too: its copy could not be removed.
        readOnly = readOnly || ::access(entry.path().c_str(), W_OK) != 0;
        if (::flock(fd, (readOnly ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0 ||
            !fs::exists(entry.path() / "lock")) {
            ::close(fd);
            continue;  // its program runs, or has just removed it
        }
        if (half) {
            // A program killed while making its folder: nothing was in it.
            std::error_code ignored;
            fs::remove_all(entry.path(), ignored);
            ::close(fd);
            continue;
        }
        found.push_back(std::make_unique<AbandonedJournal>(entry.path(), fd, readOnly));
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a->lastChanged() != b->lastChanged() ? a->lastChanged() < b->lastChanged()
                                                    : a->folder() < b->folder();
    });
    return found;
}

}  // namespace journal
