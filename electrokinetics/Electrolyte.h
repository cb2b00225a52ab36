// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

namespace electrokinetics {

// The electrolyte as the electrokinetic equations see it, in reduced form:
// each ion's valence, its share w = z^2 n / sum z^2 n of the ionic strength
// and its reduced drag m = 2 eps kT lambda / (3 eta e^2) (SI; eps kT lambda /
// (6 pi eta e^2) in Gaussian units), lambda the ion's drag coefficient.
struct Ion {
    int valence = 0;
    double weight = 0;
    double drag = 0;
};

struct Electrolyte {
    std::vector<Ion> ions;
};

// The electrolyte with each ion's valence and drag swapped to the opposite
// sign of charge: E(-zeta; m+, m-) = -E(zeta; m-, m+) holds between the two.
Electrolyte chargeConjugate(const Electrolyte& e);

// Throws when the ions carry a net charge, a valence is 0, a weight or drag
// is negative or not finite, or there are fewer than two ions.
void checkElectrolyte(const Electrolyte& e);

}  // namespace electrokinetics
