// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "model/Electrokinetic.h"

namespace pyquorvin {

// The electrokinetic model of that name in the model's table
// (model/Electrokinetic.h), in any case; ValueError listing the names for
// another.
model::ElectrokineticModel modelByName(const std::string& name);

// Henry's function H(Ka) under the model.
double henryFunction(model::ElectrokineticModel model, double ka);

}  // namespace pyquorvin
