// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/Electrolyte.h"

#include <cmath>
#include <stdexcept>

namespace electrokinetics {

namespace {

// The equations keep each ion's Boltzmann factor on the stack.
constexpr size_t kMaxIons = 8;

}  // namespace

Electrolyte chargeConjugate(const Electrolyte& e) {
    Electrolyte c = e;
    for (Ion& ion : c.ions) {
        ion.valence = -ion.valence;
    }
    return c;
}

void checkElectrolyte(const Electrolyte& e) {
    if (e.ions.size() < 2 || e.ions.size() > kMaxIons) {
        throw std::invalid_argument("An electrolyte needs from 2 to 8 kinds of ion.");
    }
    double charge = 0, total = 0;
    for (const Ion& ion : e.ions) {
        if (ion.valence == 0 || !(ion.weight >= 0) || !std::isfinite(ion.weight) ||
            !(ion.drag >= 0) || !std::isfinite(ion.drag)) {
            throw std::invalid_argument(
                "Each ion needs a valence other than 0 and a finite share and drag of at least 0.");
        }
        charge += ion.weight / ion.valence;
        total += ion.weight;
    }
    if (std::abs(total - 1) > 1e-12 || std::abs(charge) > 1e-12) {
        throw std::invalid_argument(
            "The ions' shares of the ionic strength must add up to 1 with no net charge.");
    }
}

}  // namespace electrokinetics
