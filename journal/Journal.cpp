// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/Journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "log/EntrySeparator.h"
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

std::string baseName(long generation) {
    return std::to_string(generation) + ".qj";
}

std::string segmentName(long generation, long segment) {
    return std::to_string(generation) + "-" + std::to_string(segment) + ".qj";
}

fs::path baseFile(const fs::path& dir, long generation) {
    return dir / baseName(generation);
}

fs::path segmentFile(const fs::path& dir, long generation, long segment) {
    return dir / segmentName(generation, segment);
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

// The generations and segments as the writing thread keeps them.
struct Journal::Disk {
    long generation = 0;
    long segments = 0;
    int mergeAfter = 256;
    bool broken = false;  // a write failed: appending would leave a gap

    void open(CopyFolder& folder) {
        if (folder.dir().empty()) {
            folder.open();
            generation = 0;
            segments = 0;
        }
    }

    void writeBase(CopyFolder& folder, const std::string& content) {
        const long next = generation + 1;
        folder.supersede(baseName(next), content, [next](const std::string& name) {
            const auto f = parseName(name);
            return f && f->generation < next;
        });
        generation = next;
        segments = 0;
    }

    void append(CopyFolder& folder, const RichDocument& lines) {
        if (broken)
            return;
        try {
            open(folder);
            folder.write(segmentName(generation, segments + 1),
                         std::string(kMagic) + record(lines));
            ++segments;
            if (segments >= mergeAfter)
                merge(folder);
        } catch (...) {
            broken = true;
            throw;
        }
    }

    // The base and the segments as one file: their records put together.
    void merge(CopyFolder& folder) {
        std::string content(kMagic);
        for (long n = 0; n <= segments; ++n) {
            if (n == 0 && generation == 0)
                continue;
            const fs::path p = n == 0 ? baseFile(folder.dir(), generation)
                                      : segmentFile(folder.dir(), generation, n);
            const std::string bytes = readWhole(p);
            content += recordsOf(bytes, p);
        }
        writeBase(folder, content);
    }

    void replace(CopyFolder& folder, const RichDocument& doc) {
        try {
            open(folder);
            writeBase(folder, std::string(kMagic) + record(doc));
            broken = false;
        } catch (...) {
            broken = true;
            throw;
        }
    }

    void remove(CopyFolder& folder) {
        broken = false;
        folder.remove();
    }
};

Journal::Journal(fs::path stateFolder, int mergeAfter) : m_disk(std::make_unique<Disk>()) {
    m_disk->mergeAfter = std::max(1, mergeAfter);
    m_writer = std::make_unique<Writer>(
        std::move(stateFolder), kLogPrefix,
        Writer::Copy{
            [](Writer::Queue& queued) { return std::exchange(queued, {}); },
            [this](Writer::Queue& jobs, CopyFolder& folder) { return write(jobs, folder); },
            [](Writer::Queue&, const Writer::Queue&) {}});
}

Journal::~Journal() = default;

void Journal::post(Job job) {
    m_writer->post([&job](Writer::Queue& queued) { queued.push_back(std::move(job)); });
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
    m_writer->sync();
}

std::optional<std::string> Journal::takeError() {
    return m_writer->takeError();
}

fs::path Journal::folder() const {
    return m_writer->folder();
}

// All that is queued in one round: a replace or a removal makes the jobs
// before it pointless, and lines appended one after another go into one
// segment, so that a slow disk is not asked once per entry.
Journal::Writer::Round Journal::write(Writer::Queue& jobs, CopyFolder& folder) {
    auto last = std::find_if(jobs.rbegin(), jobs.rend(),
                             [](const Job& j) { return j.kind != Job::Append; });
    if (last != jobs.rend())
        jobs.erase(jobs.begin(), std::prev(last.base()));
    Writer::Round round;
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
                    m_disk->append(folder, job.doc);
                    break;
                case Job::Replace:
                    m_disk->replace(folder, job.doc);
                    break;
                case Job::Remove:
                    m_disk->remove(folder);
                    break;
            }
            round.wrote = round.wrote || job.kind != Job::Append || !m_disk->broken;
        } catch (const std::exception& e) {
            if (!round.error)
                round.error = e.what();
            round.wrote = false;
        }
    }
    return round;
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
