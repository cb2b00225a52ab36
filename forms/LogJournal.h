// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <filesystem>

#include "journal/Journal.h"
#include "platform/Form.h"
#include "platform/Timer.h"

namespace forms {

class TReportFrm;

// Keeps the recovery copy of the report window's log while it has unsaved
// changes: at once after each new entry, within two seconds of the user's
// last edit. Only the entries added since the last write go to disk, unless
// the user edited the log meanwhile.
class LogJournal {
  public:
    static constexpr int kEditDelayMs = 2000;

    LogJournal(TReportFrm& report, std::filesystem::path stateFolder, int mergeAfter = 256);
    ~LogJournal();

    // A log entry is complete.
    void entryWritten();
    // The user changed the log in the window.
    void edited();
    // The log was saved, or discarded by choice: no copy is needed.
    void removeCopy();
    // Writes what is pending now and waits until it is on disk; false (and
    // the failure shown) when it could not be written.
    bool flush();

    journal::Journal& store() { return m_store; }
    const std::filesystem::path& stateFolder() const { return m_stateFolder; }
    platform::Timer& timer() { return m_timer; }

  private:
    void write();
    void writePending();
    // A write failure is shown once; the next write is a whole one.
    bool reportFailure();

    TReportFrm& m_report;
    std::filesystem::path m_stateFolder;
    journal::Journal m_store;
    platform::Timer m_timer;
    std::size_t m_written = 0;  // lines on disk
    bool m_whole = true;        // the next write must rewrite everything
};

// Offers, oldest first, each log that a program no longer running left
// behind: recovered into the report window before any new entry, or
// deleted after confirmation. One that cannot be read is renamed aside and
// reported.
void offerRecovery(platform::Form& owner, TReportFrm& report, LogJournal& journal);

}  // namespace forms
