// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "model/ModelState.h"
#include "model/Outputs.h"

namespace model {

// The conditions a graph was drawn for, as the line under it in a figure:
// "T = 20.0 °C, I = 0.10 M, Rs = 2.90 nm, ..., Sigma = 22.00 cm⁻¹ entered",
// each value as its field shows it, and the electrokinetic model unless it
// is the program's own.
std::string conditionsCaption(const ModelState& s, const ValueFields& fields);

}  // namespace model
