// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <pybind11/pybind11.h>

namespace pyquorvin {

// The keyword functions' loops over NumPy arrays, without the GIL.
void defineArrays(pybind11::module_& m);

}  // namespace pyquorvin
