// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/ModelState.h"
#include "model/Outputs.h"

namespace calclog {

// Appends one entry of the calculation log: what was calculated from what,
// the conditions as the value fields show them, and a table of Ge over the
// valence range of at most 26 rows.
void WriteLogEntry(const model::ModelState& s, const model::ValueFields& fields,
                   model::LogSink& sink);

}  // namespace calclog
