// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "journal/CopyWriter.h"

namespace journal {

// One cell typed anew, as the copy keeps it after its snapshot.
struct CellEdit {
    std::size_t row = 0;
    std::size_t column = 0;
    std::string text;
    friend bool operator==(const CellEdit&, const CellEdit&) = default;
};

// Rows replaced: from row at on, removed rows give way to rows, each its
// cells' texts (rows inserted, deleted, moved or pasted, a block cleared,
// any of these undone or redone).
struct RowsEdit {
    std::size_t at = 0;
    std::size_t removed = 0;
    std::vector<std::vector<std::string>> rows;
    friend bool operator==(const RowsEdit&, const RowsEdit&) = default;
};

// What the series keeps beside its table, whole: key and value.
struct SettingsEdit {
    std::vector<std::pair<std::string, std::string>> entries;
    friend bool operator==(const SettingsEdit&, const SettingsEdit&) = default;
};

using SeriesEdit = std::variant<CellEdit, RowsEdit, SettingsEdit>;

// What a series' copy holds: the snapshot, and the edits after it in
// order.
struct SeriesCopyContent {
    std::filesystem::path original;
    std::string csv;
    std::vector<SeriesEdit> edits;
};

// The recovery copy of one series window's unsaved series: a locked folder
// "series-ID" under the state folder, beside the logs' copies, holding a
// snapshot of the whole series and, after it, one small file per edit
// since, so that an edit costs what the edit holds, not what the series
// does. A new snapshot is due only once the edits after the last one weigh
// a tenth of it, so that its cost spread over them is a constant per edit;
// the thread makes it itself from the copy on disk when given how
// (compact), or writeEdit asks the caller for one. Each file is replaced
// atomically and flushed, so that a kill leaves the last completed write: a
// new snapshot carries a number that its edits' names repeat, and edits of
// an older snapshot are never read. Written by a thread of its own
// (CopyWriter); a snapshot asked for while earlier writes wait makes them
// unnecessary.
class SeriesCopy {
  public:
    // The CSV text of a snapshot with its edits replayed; throws when they
    // cannot be. Called on the writing thread.
    using Compact = std::function<std::string(const SeriesCopyContent& copy)>;
    explicit SeriesCopy(std::filesystem::path stateFolder, Compact compact = {});
    // Finishes the write asked for last and lets go of the lock; the file
    // stays.
    ~SeriesCopy();
    SeriesCopy(const SeriesCopy&) = delete;
    SeriesCopy& operator=(const SeriesCopy&) = delete;

    // The series' CSV text anew, with the file it was opened from or saved
    // to (empty for a series never saved). The text is shared, not copied:
    // a file's bytes as they were read make a snapshot that the thread
    // writes without the series serialised again.
    void write(const std::filesystem::path& original, std::shared_ptr<const std::string> csv);
    void write(const std::filesystem::path& original, std::string csv);
    // One edit after the last write(); false (and nothing asked)
    // before there is a snapshot to follow. Once the edits after it weigh a
    // tenth of it and 256 edits at least (each counted as at least
    // kEditWeight bytes, the room a small file takes), a new snapshot is
    // due: the thread compacts the copy after this edit, or without compact
    // this returns false.
    bool writeEdit(const SeriesEdit& edit);
    bool writeEdit(const CellEdit& edit) { return writeEdit(SeriesEdit(edit)); }
    static constexpr std::size_t kEditWeight = 256;
    // Removes the copy from disk; a later write starts a new one.
    void remove();
    // Waits until everything asked for so far has been written or failed.
    void sync();
    // A failure of a write since the last call, once per run of failures.
    std::optional<std::string> takeError();

  private:
    struct Job {
        enum class Kind { Snapshot, Edit, Compact, Remove } kind;
        std::string content;
        std::shared_ptr<const std::string> csv;  // a snapshot's text
    };
    using Writer = CopyWriter<Job>;
    void post(Job job);
    void perform(const Job& job, CopyFolder& folder);
    void supersede(CopyFolder& folder, std::string_view header, const std::string& csv);

    Compact m_compact;
    bool m_snapshotAsked = false;     // under the writer's lock
    std::size_t m_snapshotBytes = 0;  // under the lock: the last asked for
    std::size_t m_editBytes = 0;      // under the lock: weighed after it
    std::uint64_t m_snapshot = 0;     // the thread's: the number on disk
    std::size_t m_edits = 0;          // the thread's: edits after it
    Writer m_writer;                  // last: its thread uses the above
};

// The copy in a series' folder that a program left; throws
// platform::Exception with the reason when it cannot be read.
SeriesCopyContent readSeriesCopy(const std::filesystem::path& folder);
// Whether the folder holds a snapshot: a program stopped between making its
// folder and writing the first one leaves it empty, with nothing to recover.
bool holdsSeriesCopy(const std::filesystem::path& folder);

}  // namespace journal
