// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "model/Electrokinetic.h"
#include "model/ModelState.h"

namespace analysis {

// The rows of the comparison: every electrokinetic model the main window
// can use, in the order of their table (the first three named here), then
// Hückel's and Smoluchowski's limits.
enum class HenryModel : int {
    Program = static_cast<int>(model::ElectrokineticModel::Dhh),
    Exact = static_cast<int>(model::ElectrokineticModel::Henry),
    Ohshima = static_cast<int>(model::ElectrokineticModel::Ohshima),
    Huckel = model::kLinearModelCount,
    Smoluchowski,
};
constexpr int kHenryModelCount = static_cast<int>(HenryModel::Smoluchowski) + 1;

// The row of a model of the main window's choice, and back (none for the
// limits).
HenryModel henryModelOf(model::ElectrokineticModel m);
std::optional<model::ElectrokineticModel> electrokineticModelOf(HenryModel m);

// The name the window shows for the model (UTF-8): "This program" for the
// program's own, the model's caption ("Henry (exact)", "Ohshima (1994)"),
// "Hückel (1.0)", "Smoluchowski (1.5)".
const char* henryModelName(HenryModel m);

// H(Ka) under the model: the function of its row in the table of
// electrokinetic models, 1.0 or 1.5.
double henryFunction(HenryModel m, double ka);

struct HenryComparison {
    HenryModel model = HenryModel::Program;
    double henry = 0;    // H(Ka)
    double slope = 0;    // z*/z = H / (1 + Ka)
    double valence = 0;  // z from the state's Sigma, T and E with this slope
    // (z - z of the program's model) / z of the program's model, in percent;
    // none when the program's z is 0 or not finite (no field strength).
    std::optional<double> difference;
};

// One row per model, in the order of HenryModel, for the state's Ka, Sigma,
// temperature and field strength.
std::vector<HenryComparison> compareHenryModels(const model::ModelState& s);

// (Ka, H) at count points spaced evenly in log Ka from 1e-3 to 1e6, both
// ends included; none for count < 2.
std::vector<std::pair<double, double>> henryCurve(HenryModel m, int count);

}  // namespace analysis
