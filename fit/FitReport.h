// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "fit/SigmaFit.h"

namespace fit {

// The output of quorvin-fit: a CSV header, and a row per fit with 6
// significant digits, "." the decimal separator whatever the locale.
std::string csvHeader();
// The row of a fit of one scan, or of a global fit (label "global", no
// amplitude or baseline of its own).
std::string csvRow(const SigmaFit& fit, bool global);
// The row of a scan whose fit failed: its name and the points it had.
std::string csvFailedRow(const std::string& label, std::size_t points);

// What the row cannot hold, one line each for the terminal: points left
// out above the signal limit, SEs scaled by the reduced chi^2, the
// correlation of Sigma with the baseline, the scan's time and temperature,
// failed Monte Carlo refits, and the runs test's warning.
std::vector<std::string> fitNotes(const SigmaFit& fit, bool global);

}  // namespace fit
