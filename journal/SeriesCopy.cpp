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

// The snapshot: the magic line, its number, the length of the original
// file's name, each with a line break, the name, then the CSV text as it
// would be saved. The first form had no number and no edits.
constexpr std::string_view kMagic = "quorvin series copy 2\n";
constexpr std::string_view kMagicWithoutEdits = "quorvin series copy 1\n";
constexpr const char* kFileName = "series.qs";
// An edit "edit-N-K.qs", the K-th after snapshot N: the magic line, the
// row, the column and the text's length, each with a line break, the text.
constexpr std::string_view kEditMagic = "quorvin series edit 1\n";
constexpr std::string_view kEditPrefix = "edit-";

std::string editOf(const CellEdit& e) {
    return std::string(kEditMagic) + std::to_string(e.row) + "\n" + std::to_string(e.column) +
           "\n" + std::to_string(e.text.size()) + "\n" + e.text;
}

std::string editName(std::uint64_t snapshot, std::size_t k) {
    return std::string(kEditPrefix) + std::to_string(snapshot) + "-" + std::to_string(k) + ".qs";
}

// Reads "N\n" at at, moving on; false when there is none.
template <typename T>
bool readNumber(const std::string& bytes, std::size_t& at, T& out) {
    const char* begin = bytes.data() + at;
    const char* end = bytes.data() + bytes.size();
    const auto [p, ec] = std::from_chars(begin, end, out);
    if (ec != std::errc() || p == begin || p == end || *p != '\n')
        return false;
    at = static_cast<std::size_t>(p + 1 - bytes.data());
    return true;
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
        // A snapshot or a removal makes what waits before it unnecessary.
        if (job.kind != Job::Kind::Edit)
            m_jobs.clear();
        if (job.kind == Job::Kind::Snapshot)
            m_snapshotAsked = true;
        if (job.kind == Job::Kind::Remove)
            m_snapshotAsked = false;
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_all();
}

void SeriesCopy::write(const fs::path& original, const std::string& csv) {
    // The name and the number go in when the thread writes it.
    const std::string name = original.string();
    post({Job::Kind::Snapshot, std::to_string(name.size()) + "\n" + name + csv});
}

bool SeriesCopy::writeEdit(CellEdit edit) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_snapshotAsked)
            return false;
    }
    post({Job::Kind::Edit, editOf(edit)});
    return true;
}

void SeriesCopy::remove() {
    post({Job::Kind::Remove, {}});
}

void SeriesCopy::sync() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

std::optional<std::string> SeriesCopy::takeError() {
    std::lock_guard lock(m_mutex);
    std::optional<std::string> e = std::move(m_error);
    m_error.reset();
    return e;
}

void SeriesCopy::perform(const Job& job) {
    switch (job.kind) {
        case Job::Kind::Snapshot: {
            if (m_dir.empty()) {
                const LockedFolder made = createLockedFolder(m_state, kSeriesPrefix);
                m_dir = made.dir;
                m_lockFd = made.lockFd;
            }
            const std::uint64_t previous = m_snapshot;
            const std::size_t edits = m_edits;
            platform::replaceFile(
                m_dir / kFileName,
                std::string(kMagic) + std::to_string(++m_snapshot) + "\n" + job.content);
            m_edits = 0;
            // The old snapshot's edits are never read again; a kill before
            // they are gone leaves them unread.
            for (std::size_t k = 1; k <= edits; ++k) {
                std::error_code ec;
                fs::remove(m_dir / editName(previous, k), ec);
            }
            return;
        }
        case Job::Kind::Edit:
            if (m_dir.empty())
                return;  // its snapshot failed, and the error said so
            platform::replaceFile(m_dir / editName(m_snapshot, m_edits + 1), job.content);
            ++m_edits;
            return;
        case Job::Kind::Remove: {
            if (m_dir.empty())
                return;
            std::error_code ec;
            fs::remove_all(m_dir, ec);
            ::close(m_lockFd);
            m_lockFd = -1;
            m_edits = 0;
            const fs::path gone = std::move(m_dir);
            m_dir.clear();
            if (ec)
                throw platform::Exception("Cannot delete \"" + gone.string() +
                                          "\": " + ec.message());
            return;
        }
    }
}

void SeriesCopy::run() {
    // Below the user-interface thread, as the log's writer.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    bool failing = false;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;  // stopping, and everything written
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        std::optional<std::string> error;
        try {
            perform(job);
        } catch (const std::exception& e) {
            error = e.what();
        }
        lock.lock();
        if (error && !failing)
            m_error = error;
        failing = error.has_value();
        if (error && job.kind != Job::Kind::Remove) {
            // Edits after a failed write would follow a state not on disk:
            // none until the next snapshot.
            std::erase_if(m_jobs, [](const Job& j) { return j.kind == Job::Kind::Edit; });
            m_snapshotAsked = false;
        }
        m_busy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}

SeriesCopyContent readSeriesCopy(const fs::path& folder) {
    const fs::path path = folder / kFileName;
    const std::string bytes = readWhole(path);
    const auto damaged = [](const fs::path& file) {
        return platform::Exception("\"" + file.filename().string() + "\" is damaged");
    };
    const bool withEdits = bytes.compare(0, kMagic.size(), kMagic) == 0;
    if (!withEdits && bytes.compare(0, kMagicWithoutEdits.size(), kMagicWithoutEdits) != 0)
        throw damaged(path);
    std::size_t at = kMagic.size();
    std::uint64_t number = 0;
    std::size_t length = 0;
    if ((withEdits && !readNumber(bytes, at, number)) || !readNumber(bytes, at, length) ||
        length > bytes.size() - at)
        throw damaged(path);
    SeriesCopyContent content{bytes.substr(at, length), bytes.substr(at + length), {}};
    // The edits of this snapshot, in order, up to the first missing one.
    for (std::size_t k = 1; withEdits; ++k) {
        const fs::path file = folder / editName(number, k);
        std::error_code ec;
        if (!fs::exists(file, ec))
            break;
        const std::string edit = readWhole(file);
        CellEdit e;
        std::size_t from = kEditMagic.size();
        if (edit.compare(0, kEditMagic.size(), kEditMagic) != 0 || !readNumber(edit, from, e.row) ||
            !readNumber(edit, from, e.column) || !readNumber(edit, from, length) ||
            length != edit.size() - from)
            throw damaged(file);
        e.text = edit.substr(from);
        content.edits.push_back(std::move(e));
    }
    return content;
}

}  // namespace journal
