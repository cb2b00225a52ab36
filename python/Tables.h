// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <pybind11/pybind11.h>

namespace pyquorvin {

// quorvin.evaluate's part in C++: a table run through quorvin-batch's own
// reading and evaluation of rows.
void defineTables(pybind11::module_& m);

}  // namespace pyquorvin
