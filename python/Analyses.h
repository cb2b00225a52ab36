// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <pybind11/pybind11.h>

namespace pyquorvin {

// The charge from a sequence (charge/) and the fit of Sigma (fit/).
void defineAnalyses(pybind11::module_& m);

}  // namespace pyquorvin
