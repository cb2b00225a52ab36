// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/GeCurve.h"

#include <cmath>

#include "model/Sampling.h"

namespace model {

double CalcGe(double z, double dielectric, double stokesRadius, double saltIonRadius,
              double inverseDebyeLength, const PhysicalConstants& c) {
    const double t = c.ElementaryCharge * c.ElementaryCharge;
    double w = z * z * t;
    w = w / (2 * dielectric);
    const double b = stokesRadius * 1e-7;
    const double r = saltIonRadius * 1e-7;
    const double s = b + r;
    const double numerator = inverseDebyeLength * r + 1;
    const double denominator = (inverseDebyeLength * s + 1) * b;
    double g = w * numerator / denominator;  // erg per molecule
    g = g * c.Avogadro;                      // erg/mol
    g = g * 1e-7;                            // J/mol
    return 0.001 * g;                        // kJ/mol
}

void PlotGeCurve(const ModelState& s, PointSeries& series) {
    series.clear();
    // No valence, no curve (none gives z* under a model not linear in z).
    if (std::isnan(s.Valence))
        return;
    const PhysicalConstants c = physicalConstants(s);
    const ValenceGrid grid = geCurveGrid(s.Valence);
    for (std::int64_t k = 0; k < grid.count; ++k) {
        const auto z = static_cast<double>(grid.at(k));
        series.addPoint(
            z, CalcGe(z, s.Dielectric, s.StokesRadius, s.SaltIonRadius, s.InverseDebyeLength, c));
    }
}

}  // namespace model
