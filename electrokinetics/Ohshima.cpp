// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/Ohshima.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "model/Electrokinetic.h"

namespace electrokinetics {

double ohshimaF1(double ka) {
    return model::henryOhshima(ka);
}

double ohshimaF3(double ka) {
    const double d = ka + 1.2 * std::exp(-7.4 * ka) + 4.8;
    return ka * (ka + 1.3 * std::exp(-0.18 * ka) + 2.5) / (2 * d * d * d);
}

double ohshimaF4(double ka) {
    const double d = ka - 1.55 * std::exp(-0.32 * ka) + 6.02;
    return 9 * ka * (ka + 5.2 * std::exp(-3.9 * ka) + 5.6) / (8 * d * d * d);
}

double ohshimaMobility(double ka, double zeta, const Electrolyte& e) {
    checkElectrolyte(e);
    if (e.ions.size() != 2 || e.ions[0].valence != -e.ions[1].valence) {
        throw std::invalid_argument(
            "Ohshima's approximation with relaxation holds for a symmetric salt (such as NaCl) "
            "only.");
    }
    if (!(ka > 0)) {
        throw std::invalid_argument("Ohshima's approximation needs Ka above 0.");
    }
    const double z = std::abs(e.ions[0].valence);
    const double m = (e.ions[0].drag + e.ions[1].drag) / 2;
    return zeta * ohshimaF1(ka) -
           z * z * zeta * zeta * zeta * (ohshimaF3(ka) + m * ohshimaF4(ka) / (z * z));
}

}  // namespace electrokinetics
