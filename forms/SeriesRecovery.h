// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>

namespace forms {

class TOpeningForm;

// Offers, oldest first, each unsaved series that a program no longer
// running left behind: recovered into a series window of its own, unsaved
// and under the file it came from, or deleted after confirmation. One that
// cannot be read is renamed aside and reported; nothing else on disk
// changes.
void offerSeriesRecovery(TOpeningForm& owner, const std::filesystem::path& stateFolder);

}  // namespace forms
