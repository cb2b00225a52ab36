// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace journal {

// A folder of this program's own under the state folder, named prefix and a
// unique id, locked (flock) through lockFd for as long as that stays open.
// Throws platform::Exception when it cannot be made.
struct LockedFolder {
    std::filesystem::path dir;
    int lockFd = -1;
};
LockedFolder createLockedFolder(const std::filesystem::path& state, const std::string& prefix);

// The folder of one recovery copy as its writing thread keeps it: made and
// locked at the first write, each file in it replaced atomically and
// flushed, so that a kill leaves each one whole or absent.
class CopyFolder {
  public:
    CopyFolder(std::filesystem::path state, std::string prefix);
    // Lets go of the lock; the files stay.
    ~CopyFolder();
    CopyFolder(const CopyFolder&) = delete;
    CopyFolder& operator=(const CopyFolder&) = delete;

    // Empty until open().
    const std::filesystem::path& dir() const { return m_dir; }
    // Makes and locks the folder, once.
    const std::filesystem::path& open();
    // A file of the folder replaced by content.
    void write(const std::string& name, std::string_view content);
    // A file that takes the place of others (a merge): written, its name put
    // on disk, and only then the files superseded names are removed, so that
    // a power cut cannot take both.
    void supersede(const std::string& name, std::string_view content,
                   const std::function<bool(const std::string& name)>& superseded);
    // Removes the folder with its files and lets go of the lock; a later
    // open() makes a new one.
    void remove();

  private:
    std::filesystem::path m_state;
    std::string m_prefix;
    std::filesystem::path m_dir;
    int m_lockFd = -1;
};

// Lowers the calling thread below the user-interface thread, which must not
// wait for a copy's writer when the cores are busy.
void lowerThreadPriority();

// A recovery copy's thread of its own: the program asks for writes (jobs)
// and never waits for the disk; the thread does them in rounds, in the
// order asked for, in its CopyFolder. A failure is said once per run of
// failures.
template <typename Job>
class CopyWriter {
  public:
    using Queue = std::deque<Job>;
    // What a round wrote: its first failure, and whether a write succeeded,
    // which ends a run of failures.
    struct Round {
        std::optional<std::string> error;
        bool wrote = false;
    };
    // The copy's part. take (under the lock) moves the jobs of the next
    // round out of the queue; write does them on the thread; failed (under
    // the lock, after a round with a failure) drops from the queue what
    // can no longer be written.
    struct Copy {
        std::function<Queue(Queue& queued)> take;
        std::function<Round(Queue& jobs, CopyFolder& folder)> write;
        std::function<void(Queue& queued, const Queue& failedRound)> failed;
    };

    CopyWriter(std::filesystem::path state, std::string prefix, Copy copy)
        : m_folder(std::move(state), std::move(prefix)),
          m_copy(std::move(copy)),
          m_thread([this] { run(); }) {}
    // Finishes the writes asked for; the files stay.
    ~CopyWriter() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    CopyWriter(const CopyWriter&) = delete;
    CopyWriter& operator=(const CopyWriter&) = delete;

    // Changes the queue under the lock (adds a job, drops what it makes
    // unnecessary) and returns what change returns.
    template <typename Change>
    auto post(Change change) {
        std::unique_lock lock(m_mutex);
        const bool wasEmpty = m_jobs.empty();
        // A writer with jobs queued takes the new ones in the same round
        // unasked.
        const auto wake = [&] {
            if (wasEmpty && !m_jobs.empty()) {
                lock.unlock();
                m_wake.notify_all();
            }
        };
        if constexpr (std::is_void_v<decltype(change(m_jobs))>) {
            change(m_jobs);
            wake();
        } else {
            auto result = change(m_jobs);
            wake();
            return result;
        }
    }
    // Waits until everything asked for so far has been written or failed.
    void sync() {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }
    // A failure of a write since the last call, once per run of failures.
    std::optional<std::string> takeError() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_error, std::nullopt);
    }
    // The folder, once the first write has made it.
    std::filesystem::path folder() const {
        std::lock_guard lock(m_mutex);
        return m_shownFolder;
    }

  private:
    void run() {
        lowerThreadPriority();
        bool failing = false;
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;  // stopping, and everything written
            Queue jobs = m_copy.take(m_jobs);
            m_busy = true;
            lock.unlock();
            const Round round = m_copy.write(jobs, m_folder);
            lock.lock();
            m_shownFolder = m_folder.dir();
            if (round.error && !failing)
                m_error = round.error;
            failing = round.error.has_value() || (failing && !round.wrote);
            if (round.error)
                m_copy.failed(m_jobs, jobs);
            m_busy = false;
            if (m_jobs.empty())
                m_idle.notify_all();
        }
    }

    CopyFolder m_folder;  // touched by the thread only
    Copy m_copy;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    Queue m_jobs;
    bool m_busy = false;
    bool m_stop = false;
    std::optional<std::string> m_error;
    std::filesystem::path m_shownFolder;
    std::thread m_thread;  // last: it starts once the rest is made
};

}  // namespace journal
