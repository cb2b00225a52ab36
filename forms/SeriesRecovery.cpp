// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's recovery copy, and the series that ended programs
// left, offered at the next start.

#include "forms/SeriesRecovery.h"

#include <sstream>

#include "forms/Mainfrm.h"
#include "forms/Recover.h"
#include "forms/Series.h"
#include "journal/Journal.h"
#include "journal/SeriesCopy.h"
#include "platform/Application.h"

namespace forms {

void TSeriesFrm::updateCopy() {
    if (!m_copy)
        return;
    if (!m_series.dirty()) {
        removeCopy();
        return;
    }
    const std::string csv = m_series.text();
    std::string key = m_path.string() + '\n' + csv;
    if (m_copied == key)
        return;
    if (const auto error = m_copy->takeError())
        platform::app().ShowMessage("The recovery copy of the series cannot be written: " + *error);
    m_copy->write(m_path, csv);
    m_copied = std::move(key);
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
    m_copied = std::string();  // written again at the next change
    platform::app().ShowMessage("The recovery copy of the series cannot be written: " + *error);
    return false;
}

void TSeriesFrm::recover(series::Series recovered, const std::filesystem::path& original) {
    stopRun();
    m_series = std::move(recovered);
    m_series.markUnsaved();
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
