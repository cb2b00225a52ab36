// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>

#include "model/ModelState.h"
#include "model/Outputs.h"

namespace model {

// Brings every derived quantity, result text, field colour and the graph up
// to date with the inputs and entry flags of the model state. Unless
// SkipLogEntry is set, it then calls writeLogEntry (the caller's log writer;
// an empty one writes nothing). SkipLogEntry is clear afterwards.
void Recalculate(ModelState& s, ValueFields& fields, PointSeries& series,
                 const std::function<void()>& writeLogEntry);

}  // namespace model
