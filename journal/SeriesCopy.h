// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace journal {

// The recovery copy of one series window's unsaved series: a locked folder
// "series-ID" under the state folder, beside the logs' copies, holding one
// file replaced atomically and flushed at each write, so that a kill leaves
// the last completed write. Written by a thread of its own; of the writes
// asked for while one goes on, only the last is made.
class SeriesCopy {
  public:
    explicit SeriesCopy(std::filesystem::path stateFolder);
    // Finishes the write asked for last and lets go of the lock; the file
    // stays.
    ~SeriesCopy();
    SeriesCopy(const SeriesCopy&) = delete;
    SeriesCopy& operator=(const SeriesCopy&) = delete;

    // The series' CSV text anew, with the file it was opened from or saved
    // to (empty for a series never saved).
    void write(const std::filesystem::path& original, const std::string& csv);
    // Removes the copy from disk; a later write starts a new one.
    void remove();
    // Waits until everything asked for so far has been written or failed.
    void sync();
    // A failure of a write since the last call, once per run of failures.
    std::optional<std::string> takeError();

  private:
    struct Job {
        bool remove = false;
        std::string content;
    };
    void post(Job job);
    void run();

    std::filesystem::path m_state;
    std::filesystem::path m_dir;  // touched by the thread only
    int m_lockFd = -1;            // the same
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Job> m_job;
    bool m_busy = false;
    bool m_stop = false;
    std::optional<std::string> m_error;
    std::thread m_thread;
};

// What a series' copy holds.
struct SeriesCopyContent {
    std::filesystem::path original;
    std::string csv;
};
// The copy in a series' folder that a program left; throws
// platform::Exception with the reason when it cannot be read.
SeriesCopyContent readSeriesCopy(const std::filesystem::path& folder);

}  // namespace journal
