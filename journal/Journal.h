// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "journal/CopyWriter.h"
#include "platform/richtext/RichText.h"

namespace journal {

// The folder of the recovery copies: $XDG_STATE_HOME/quorvin, or
// ~/.local/state/quorvin when that is not set (or not an absolute path).
std::filesystem::path stateFolder();

// Empty when the state folder can be written (or made), else why not, for
// a message at start-up: no copy is kept then, and copies found in it are
// offered but kept.
std::string stateFolderProblem(const std::filesystem::path& stateFolder);

// The names of the folders under the state folder: a log's, a series'.
inline constexpr const char* kLogPrefix = "log-";
inline constexpr const char* kSeriesPrefix = "series-";

// The recovery copy of one running program's log, in a folder of its own
// under the state folder, locked (flock) for as long as the program runs.
//
// On disk it is a generation's base file, "G.qj" (none for generation 0),
// followed by its segments "G-1.qj", "G-2.qj", ...: each file replaced
// atomically and flushed, so that a kill leaves each one whole or absent.
// New lines go into a new segment; replacing the content, and merging the
// segments once there are many, writes the base of the next generation and
// only then removes the previous one, so a reader takes the newest base and
// its segments and never sees a line twice.
//
// The files are written by a thread of its own (CopyWriter), in the order
// asked for, so that the program never waits for the disk.
class Journal {
  public:
    // mergeAfter: segments of a generation before they are merged.
    explicit Journal(std::filesystem::path stateFolder, int mergeAfter = 256);
    // Finishes the writes asked for and lets go of the lock; the files stay.
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // Lines that follow the content written so far.
    void append(std::vector<platform::Paragraph> lines);
    // The whole content anew.
    void replace(platform::RichDocument doc);
    // Removes the copy from disk; a later write starts a new one.
    void remove();
    // Waits until everything asked for so far has been written or failed.
    void sync();
    // A failure of a write since the last call, once per run of failures;
    // lines appended after it are dropped until the next replace().
    std::optional<std::string> takeError();
    // This program's folder, once the first write has made it.
    std::filesystem::path folder() const;

  private:
    struct Job;
    struct Disk;
    using Writer = CopyWriter<Job>;
    void post(Job job);
    Writer::Round write(Writer::Queue& jobs, CopyFolder& folder);

    std::unique_ptr<Disk> m_disk;      // touched by the thread only
    std::unique_ptr<Writer> m_writer;  // after m_disk, which its thread uses
};

// A copy that a program no longer running left behind, locked by this
// object while it exists so that no other program offers it meanwhile.
class AbandonedJournal {
  public:
    // readOnly: in a folder this program cannot write; it is read, never
    // deleted or renamed.
    AbandonedJournal(std::filesystem::path folder, int lockFd, bool readOnly = false);
    ~AbandonedJournal();
    AbandonedJournal(const AbandonedJournal&) = delete;
    AbandonedJournal& operator=(const AbandonedJournal&) = delete;

    const std::filesystem::path& folder() const { return m_folder; }
    // When its files were written last.
    std::time_t lastChanged() const { return m_changed; }
    // The log as the last completed write left it; throws platform::Exception
    // with the reason when the files cannot be read.
    platform::RichDocument load() const;
    // Deletes it; a read-only one is kept.
    void discard();
    // Keeps it under a name that is never offered again; returns that path
    // (a read-only one keeps its own).
    std::filesystem::path setAside();
    bool readOnly() const { return m_readOnly; }

  private:
    std::filesystem::path m_folder;
    int m_lockFd;
    bool m_readOnly = false;
    std::time_t m_changed = 0;
};

// The copies in the state folder whose programs have ended, oldest first:
// the logs', or with kSeriesPrefix the series'. In a folder that cannot be
// written a copy is opened for reading and locked shared, so that a copy
// whose program still runs (locked exclusively) is still left alone.
std::vector<std::unique_ptr<AbandonedJournal>> findAbandoned(
    const std::filesystem::path& stateFolder, const std::string& prefix = kLogPrefix);

// A file's bytes; throws platform::Exception with the reason.
std::string readWhole(const std::filesystem::path& path);

// The entries of a log: its separator lines.
int countEntries(const platform::RichDocument& doc);

}  // namespace journal
