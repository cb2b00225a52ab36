// SPDX-License-Identifier: GPL-3.0-or-later

// The series windows at the program's exit: each one with unsaved changes
// asked about first, then all closed together, or none when the user
// cancels.

#include "forms/Mainfrm.h"
#include "forms/Series.h"

namespace forms {

bool TOpeningForm::confirmSeriesAtExit() {
    for (const auto& w : m_seriesWindows)
        if (w->visible() && !w->confirmDiscard())
            return false;
    return true;
}

void TOpeningForm::closeSeriesWindows() {
    for (const auto& w : m_seriesWindows)
        if (w->visible())
            w->closeWithoutAsking();
}

void TSeriesFrm::closed() {
    stopRun();
    removeCopy();
}

void TSeriesFrm::closeWithoutAsking() {
    closed();
    Hide();
}

}  // namespace forms
