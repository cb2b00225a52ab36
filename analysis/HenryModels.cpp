// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/HenryModels.h"

#include <cmath>

#include "model/Electrostatics.h"
#include "model/HenryExact.h"
#include "model/ValenceConversions.h"

namespace analysis {

HenryModel henryModelOf(model::ElectrokineticModel m) {
    return static_cast<HenryModel>(static_cast<int>(m));
}

std::optional<model::ElectrokineticModel> electrokineticModelOf(HenryModel m) {
    if (static_cast<int>(m) >= model::kLinearModelCount)
        return std::nullopt;
    return static_cast<model::ElectrokineticModel>(static_cast<int>(m));
}

const char* henryModelName(HenryModel m) {
    if (m == HenryModel::Program)
        return "This program";
    if (const auto ek = electrokineticModelOf(m))
        return model::electrokineticModelInfo(*ek).caption;
    return m == HenryModel::Huckel ? "Hückel (1.0)" : "Smoluchowski (1.5)";
}

double henryFunction(HenryModel m, double ka) {
    if (const auto ek = electrokineticModelOf(m))
        return model::electrokineticModelInfo(*ek).henry(ka);
    return m == HenryModel::Huckel ? 1.0 : 1.5;
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
