#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "model/ModelState.h"

namespace analysis {

// Henry's function for a sphere, exact (Henry 1931, in Ohshima's closed form
// with the exponential integral E1): from 1 at small Ka to 1.5.
double henryExact(double ka);

// Ohshima's approximation (J. Colloid Interface Sci. 168 (1994) 269):
// 1 + 1 / (2 (1 + delta/Ka)^3), delta = 2.5 / (1 + 2 exp(-Ka)).
double henryOhshima(double ka);

enum class HenryModel { Program, Exact, Ohshima, Huckel, Smoluchowski };
constexpr int kHenryModelCount = 5;

// The name the window shows for the model.
const char* henryModelName(HenryModel m);

// H(Ka) under the model; the program's is the one every recalculation uses.
double henryFunction(HenryModel m, double ka);

struct HenryComparison {
    HenryModel model = HenryModel::Program;
    double henry = 0;    // H(Ka)
    double slope = 0;    // z*/z
    double valence = 0;  // z from the state's Sigma with this slope
    // Against the z of the program's model, in percent; none when that z
    // is 0.
    std::optional<double> difference;
};

// One row per model, in the order of HenryModel, for the state's Ka, Sigma,
// temperature and field strength.
std::vector<HenryComparison> compareHenryModels(const model::ModelState& s);

// (Ka, H) at count points spaced evenly in log Ka from 1e-3 to 1e6, both
// ends included.
std::vector<std::pair<double, double>> henryCurve(HenryModel m, int count);

}  // namespace analysis
