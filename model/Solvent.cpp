// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Solvent.h"

#include <cmath>

namespace model {

double waterViscosity(double celsius) {
    // eta = sum a_i (T / 300 K)^b_i in micropascal seconds.
    constexpr double a[] = {280.68, 511.45, 61.131, 0.45903};
    constexpr double b[] = {-1.9, -7.7, -19.6, -40.0};
    const double reduced = (celsius + 273.15) / 300.0;
    double micropascalSeconds = 0;
    for (int i = 0; i < 4; ++i)
        micropascalSeconds += a[i] * std::pow(reduced, b[i]);
    return micropascalSeconds / 1000.0;
}

double waterDielectric(double celsius) {
    const double t = celsius;
    return 87.740 + t * (-0.40008 + t * (9.398e-4 + t * -1.410e-6));
}

}  // namespace model
