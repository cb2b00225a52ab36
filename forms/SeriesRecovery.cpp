// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's recovery copy, and the series that ended programs
// left, offered at the next start.

#include "forms/SeriesRecovery.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <streambuf>
#include <utility>
#include <variant>
#include <vector>

#include "forms/Mainfrm.h"
#include "forms/Recover.h"
#include "forms/Series.h"
#include "journal/Journal.h"
#include "journal/SeriesCopy.h"
#include "platform/Application.h"
#include "platform/base/Csv.h"
#include "platform/base/Exception.h"

namespace forms {

namespace {

// A stream over bytes already in memory, seekable as a file's is, so that
// the reader sizes its rows as it does for a file.
class BytesBuffer : public std::streambuf {
  public:
    explicit BytesBuffer(const std::string& bytes) {
        char* begin = const_cast<char*>(bytes.data());  // only read
        setg(begin, begin, begin + bytes.size());
    }

  protected:
    pos_type seekoff(off_type off, std::ios_base::seekdir dir,
                     std::ios_base::openmode which) override {
        const off_type size = egptr() - eback();
        const off_type base = dir == std::ios_base::beg   ? 0
                              : dir == std::ios_base::cur ? gptr() - eback()
                                                          : size;
        if (!(which & std::ios_base::in) || base + off < 0 || base + off > size)
            return pos_type(off_type(-1));
        setg(eback(), eback() + base + off, egptr());
        return pos_type(base + off);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
        return seekoff(off_type(pos), std::ios_base::beg, which);
    }
};

}  // namespace

// As series::Series::open, with its messages, but through the bytes kept.
std::shared_ptr<const std::string> TSeriesFrm::readSeriesFile(series::Series& into,
                                                              const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path))
        throw platform::Exception("Cannot open \"" + path.string() +
                                  "\": " + (in ? "it is a folder" : std::strerror(errno)));
    auto bytes = std::make_shared<std::string>();
    in.seekg(0, std::ios::end);
    if (const std::streamoff size = in.tellg(); size > 0)
        bytes->reserve(static_cast<std::size_t>(size));
    in.seekg(0);
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad())
        throw platform::Exception("Cannot read \"" + path.string() + "\": " + std::strerror(errno));
    BytesBuffer buffer(*bytes);
    std::istream from(&buffer);
    try {
        into.read(from);
    } catch (const platform::InputError& e) {
        throw platform::InputError(path.string() + ", " + e.what());
    }
    return bytes;
}

series::Series TSeriesFrm::replayCopy(const journal::SeriesCopyContent& copy,
                                      std::size_t deferFrom) {
    series::Series s;
    s.deferEvaluation(deferFrom);
    BytesBuffer buffer(copy.csv);
    std::istream in(&buffer);
    s.read(in);
    // The edits after the snapshot, each one undoable again.
    for (const journal::SeriesEdit& edit : copy.edits) {
        if (const auto* e = std::get_if<journal::CellEdit>(&edit)) {
            if (e->row >= s.rowCount() || e->column >= s.columnCount())
                throw platform::Exception("an edit after the snapshot names no cell of it");
            s.setCell(e->row, e->column, e->text);
        } else if (const auto* rows = std::get_if<journal::RowsEdit>(&edit)) {
            s.replaceRows(rows->at, rows->removed, rows->rows);
        } else {
            series::Settings settings;
            for (const auto& [key, value] : std::get<journal::SettingsEdit>(edit).entries)
                settings.set(key, value);
            s.setSettings(settings);
        }
    }
    return s;
}

// The change as the copy's edits, the typed cell alone where it is the
// change.
std::vector<journal::SeriesEdit> TSeriesFrm::copyEdits(
    const series::Series::Change& change, const std::optional<journal::CellEdit>& typed) const {
    std::vector<journal::SeriesEdit> edits;
    if (typed && change.at == typed->row && change.removed == 1 && change.inserted == 1) {
        edits.emplace_back(*typed);
    } else if (change.rows()) {
        journal::RowsEdit rows{change.at, change.removed, {}};
        rows.rows.reserve(change.inserted);
        for (std::size_t r = change.at; r < change.at + change.inserted; ++r) {
            std::vector<std::string>& cells = rows.rows.emplace_back();
            for (std::size_t c = 0; c < m_series.columnCount(); ++c)
                cells.push_back(m_series.cellText(r, c));
        }
        edits.emplace_back(std::move(rows));
    }
    if (change.settings) {
        const auto& entries = m_series.settings().entries();
        edits.emplace_back(journal::SettingsEdit{{entries.begin(), entries.end()}});
    }
    return edits;
}

void TSeriesFrm::updateCopy() {
    const std::optional<journal::CellEdit> typed = std::exchange(m_typed, std::nullopt);
    // Taken at every call, so that it holds what changed since the last.
    const series::Series::Change change = m_series.takeChange();
    if (!m_copy)
        return;
    if (!m_series.dirty()) {
        removeCopy();
        return;
    }
    const CopyState now{m_changes, m_path};
    const bool changed = change.whole || change.settings || change.rows();
    if (m_copied && *m_copied == now && !changed)
        return;
    if (const auto error = m_copy->takeError())
        platform::app().ShowMessage("The recovery copy of the series cannot be written: " + *error);
    // One command since the copy was last written: what it changed alone,
    // rows or settings; a change of the columns takes a new snapshot.
    const bool follows = m_copied && m_copied->path == m_path && m_copied->changes + 1 == m_changes;
    const auto writeEdits = [&] {
        for (const journal::SeriesEdit& e : copyEdits(change, typed))
            if (!m_copy->writeEdit(e))
                return false;
        return true;
    };
    // The first change of a file as it was read: the file's bytes are the
    // snapshot, and the change follows it.
    const std::shared_ptr<const std::string> opened = std::exchange(m_openedBytes, nullptr);
    bool written = false;
    if (!change.whole && !m_copied && opened && m_openedAt + 1 == m_changes) {
        m_copy->write(m_path, opened);
        written = writeEdits();
    } else if (!change.whole && follows) {
        written = writeEdits();
    }
    // Rows still pending go without results: reading the copy calculates
    // every row again.
    if (!written)
        m_copy->write(m_path, m_series.text(series::Series::PendingRows::WithoutResults));
    m_copied = now;
}

void TSeriesFrm::removeCopy() {
    if (!m_copy || !m_copied)
        return;
    m_copy->remove();
    m_copied.reset();
}

bool TSeriesFrm::flushCopy() {
    if (!m_copy)
        return false;
    updateCopy();
    m_copy->sync();
    const auto error = m_copy->takeError();
    if (!error)
        return m_copied.has_value();
    if (m_copied)
        m_copied->changes = kNotWritten;  // written again at the next change
    platform::app().ShowMessage("The recovery copy of the series cannot be written: " + *error);
    return false;
}

void TSeriesFrm::recover(series::Series recovered, const std::filesystem::path& original) {
    stopEvaluation();
    m_evaluationCancelled = false;
    stopRun();
    m_series = std::move(recovered);
    m_series.deferEvaluation(kBackgroundRows);
    m_series.markUnsaved();
    ++m_changes;
    m_path = original;
    m_plot.xColumn = 0;
    Grid1->setCurrent(0, 0);
    refresh();
}

void offerSeriesRecovery(TOpeningForm& owner, const std::filesystem::path& stateFolder) {
    for (const auto& found : journal::findAbandoned(stateFolder, journal::kSeriesPrefix)) {
        if (!journal::holdsSeriesCopy(found->folder())) {
            found->discard();  // stopped before its first snapshot: nothing in it
            continue;
        }
        series::Series recovered;
        std::filesystem::path original;
        try {
            journal::SeriesCopyContent copy = journal::readSeriesCopy(found->folder());
            // A long series is evaluated behind the window that takes it.
            recovered = TSeriesFrm::replayCopy(copy, TSeriesFrm::kBackgroundRows);
            TSeriesFrm::checkSettings(recovered);
            original = std::move(copy.original);
        } catch (const std::exception& e) {
            const std::string where = found->folder().string();
            const std::filesystem::path aside = found->setAside();
            platform::app().ShowMessage("The series left in \"" + where + "\" cannot be read (" +
                                        e.what() + "). It is kept as \"" + aside.string() + "\".");
            continue;
        }
        const std::string name = original.empty() ? "Untitled" : original.filename().string();
        bool recover = false;
        {
            platform::DialogRef<TRecoverLog> ask(
                RecoverLog, &owner,
                seriesRecoveryQuestion(name, recovered.rowCount(), found->lastChanged()),
                "Recover series?");
            recover = ask->ShowModal() == platform::ModalResult::Yes;
        }
        if (recover) {
            TSeriesFrm& w = owner.seriesWindow();
            w.recover(std::move(recovered), original);
            w.Show();
            // The other copy goes only once ours holds the series.
            if (w.flushCopy())
                found->discard();
            continue;
        }
        platform::DialogRef<TDeleteLog> confirm(DeleteLog, &owner, "Delete series?",
                                                "The series will be deleted.");
        if (confirm->ShowModal() == platform::ModalResult::Ok)
            found->discard();
    }
}

}  // namespace forms
