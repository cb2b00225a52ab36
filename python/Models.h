// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

namespace pyquorvin {

// The electrokinetic models the module offers by name. A new model is a
// value here, its row in the table of Models.cpp and its case where the
// evaluation takes it.
enum class Model {
    Dhh,  // Debye-Hueckel-Henry with the program's Henry's function
};

// The model of that name, in any case; ValueError listing the names for
// another.
Model modelByName(const std::string& name);

// Henry's function H(Ka) under the model.
double henryFunction(Model model, double ka);

}  // namespace pyquorvin
