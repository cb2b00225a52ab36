// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "electrokinetics/Electrolyte.h"

namespace electrokinetics {

// Ohshima's approximation with relaxation to third order in the zeta
// potential: H. Ohshima, J. Colloid Interface Sci. 239 (2001) 587. For a
// z:z electrolyte with mean reduced drag m = (m+ + m-)/2 and reduced zeta
// potential zeta,
//   E = zeta f1(ka) - z^2 zeta^3 (f3(ka) + m f4(ka) / z^2),
// f1 his approximation of Henry's function (J. Colloid Interface Sci. 168
// (1994) 269), f3 and f4 his fitted relaxation coefficients. Throws for an
// electrolyte that is not symmetric (two ions of valence z and -z).
double ohshimaMobility(double ka, double zeta, const Electrolyte& e);

// The coefficients, for the tests against the numerical solution.
double ohshimaF1(double ka);
double ohshimaF3(double ka);
double ohshimaF4(double ka);

}  // namespace electrokinetics
