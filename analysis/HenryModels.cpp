// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/HenryModels.h"

#include <cmath>

#include "model/Electrostatics.h"
#include "model/ValenceConversions.h"

namespace analysis {

double henryOhshima(double ka) {
    if (std::isnan(ka))
        return ka;
    // No screening: the small-Ka limit, as the program's own function gives.
    if (ka <= 0)
        return 1.0;
    const double delta = 2.5 / (1 + 2 * std::exp(-ka));
    const double t = 1 + delta / ka;
    return 1 + 1 / (2 * t * t * t);
}

const char* henryModelName(HenryModel m) {
    switch (m) {
        case HenryModel::Program:
            return "This program";
        case HenryModel::Exact:
            return "Henry (exact)";
        case HenryModel::Ohshima:
            return "Ohshima (1994)";
        case HenryModel::Huckel:
            return "Hückel (1.0)";
        case HenryModel::Smoluchowski:
            return "Smoluchowski (1.5)";
    }
    return "";
}

double henryFunction(HenryModel m, double ka) {
    switch (m) {
        case HenryModel::Program:
            return model::CalcHenryFunction(ka);
        case HenryModel::Exact:
            return henryExact(ka);
        case HenryModel::Ohshima:
            return henryOhshima(ka);
        case HenryModel::Huckel:
            return 1.0;
        case HenryModel::Smoluchowski:
            return 1.5;
    }
    return 1.0;
}

std::vector<HenryComparison> compareHenryModels(const model::ModelState& s) {
    const model::PhysicalConstants c = model::physicalConstants(s);
    std::vector<HenryComparison> rows;
    for (int i = 0; i < kHenryModelCount; ++i) {
        HenryComparison row;
        row.model = static_cast<HenryModel>(i);
        row.henry = henryFunction(row.model, s.Ka);
        row.slope = model::dhhSlopeOf(row.henry, s.Ka);
        row.valence = model::valenceFromSigma(s.Sigma, s.Temperature, s.EField, row.slope, c);
        rows.push_back(row);
    }
    const double programValence = rows.front().valence;
    // Without a field strength the program's z is infinite: no percentage.
    if (programValence != 0 && std::isfinite(programValence))
        for (HenryComparison& row : rows)
            row.difference = (row.valence - programValence) / programValence * 100;
    return rows;
}

std::vector<std::pair<double, double>> henryCurve(HenryModel m, int count) {
    std::vector<std::pair<double, double>> points;
    if (count < 2)
        return points;
    constexpr double first = -3, last = 6;  // decades
    for (int i = 0; i < count; ++i) {
        const double ka =
            i == count - 1 ? 1e6 : std::pow(10.0, first + (last - first) * i / (count - 1));
        points.emplace_back(ka, henryFunction(m, ka));
    }
    return points;
}

}  // namespace analysis
