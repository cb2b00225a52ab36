// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <vector>

namespace electrokinetics {

// x with A x = b for a small dense A (row-major, n x n), by Gaussian
// elimination with the columns scaled to unit size and partial pivoting.
// Throws when A is singular.
std::vector<double> solveLinear(std::vector<double> a, std::vector<double> b);

}  // namespace electrokinetics
