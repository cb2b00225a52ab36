// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's recovery copy, and the series that ended programs
// left, offered at the next start.

#include "forms/SeriesRecovery.h"

#include <sstream>
#include <utility>

#include "forms/Mainfrm.h"
#include "forms/Recover.h"
#include "forms/Series.h"
#include "journal/Journal.h"
#include "journal/SeriesCopy.h"
#include "platform/Application.h"
#include "platform/base/Exception.h"

namespace forms {

namespace {

// Cells typed after a snapshot before the next one takes them in.
constexpr std::size_t kEditsPerSnapshot = 256;

}  // namespace

void TSeriesFrm::updateCopy() {
    const std::optional<journal::CellEdit> typed = std::exchange(m_typed, std::nullopt);
    if (!m_copy)
        return;
    if (!m_series.dirty()) {
        removeCopy();
        return;
    }
    const CopyState now{m_changes, m_path};
    if (m_copied && *m_copied == now)
        return;
    if (const auto error = m_copy->takeError())
        platform::app().ShowMessage("The recovery copy of the series cannot be written: " + *error);
    // One cell typed since the copy was last written: that cell alone.
    const bool follows = m_copied && m_copied->path == m_path && m_copied->changes + 1 == m_changes;
    if (typed && follows && m_copyEdits < kEditsPerSnapshot && m_copy->writeEdit(*typed)) {
        ++m_copyEdits;
    } else {
        // Rows still pending go without results: reading the copy
        // calculates every row again.
        m_copy->write(m_path, m_series.text(series::Series::PendingRows::WithoutResults));
        m_copyEdits = 0;
    }
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
        series::Series recovered;
        std::filesystem::path original;
        try {
            journal::SeriesCopyContent copy = journal::readSeriesCopy(found->folder());
            std::istringstream in(copy.csv);
            recovered.read(in);
            // The cells typed after the snapshot, each one undoable again.
            for (const journal::CellEdit& e : copy.edits) {
                if (e.row >= recovered.rowCount() || e.column >= recovered.columnCount())
                    throw platform::Exception("an edit after the snapshot names no cell of it");
                recovered.setCell(e.row, e.column, e.text);
            }
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
