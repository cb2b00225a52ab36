// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "model/ModelState.h"

namespace analysis {

// Henry's function for a sphere, exact (Henry 1931, in Ohshima's closed form
// with the exponential integral E1): from 1 at small Ka to 1.5. Exact to
// double precision for every Ka > 0; 1 for Ka <= 0, NaN for NaN.
double henryExact(double ka);

// Ohshima's approximation (J. Colloid Interface Sci. 168 (1994) 269):
// 1 + 1 / (2 (1 + delta/Ka)^3), delta = 2.5 / (1 + 2 exp(-Ka)); 1 for Ka <= 0.
double henryOhshima(double ka);

enum class HenryModel { Program, Exact, Ohshima, Huckel, Smoluchowski };
constexpr int kHenryModelCount = 5;

// The name the window shows for the model (UTF-8): "This program",
// "Henry (exact)", "Ohshima (1994)", "Hückel (1.0)", "Smoluchowski (1.5)".
const char* henryModelName(HenryModel m);

// H(Ka) under the model: CalcHenryFunction (the one every recalculation
// uses), henryExact, henryOhshima, 1.0, 1.5.
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
