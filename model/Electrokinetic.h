// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string_view>

namespace model {

// The electrokinetic model: how the mobility of the sphere, and so Sigma
// and z*, follows from its valence z at the conditions of the solution.
// Dhh is the program's fit of Henry's function, the one it always used.
enum class ElectrokineticModel { Dhh, Henry, Ohshima };
inline constexpr int kElectrokineticModelCount = static_cast<int>(ElectrokineticModel::Ohshima) + 1;

// One row of the table of models, in the order of ElectrokineticModel.
struct ElectrokineticModelInfo {
    ElectrokineticModel model;
    const char* name;     // in files and on the command line: "henry"
    const char* caption;  // in the windows, the log and figures: "Henry (exact)"
    // Henry's function f(Ka) of a model linear in z, z* = z f(Ka) / (1 + Ka).
    // A model that is not linear in z leaves it empty and gives z* from z
    // by a function of its own, inverted numerically (see README.md).
    double (*henry)(double ka);
};

const ElectrokineticModelInfo& electrokineticModelInfo(ElectrokineticModel m);
// Case is ignored: "Ohshima" names Ohshima.
std::optional<ElectrokineticModel> electrokineticModelByName(std::string_view name);
// "dhh, henry, ohshima": the names in the order of the table.
const char* electrokineticModelNames();

// Ohshima's approximation of Henry's function (J. Colloid Interface Sci.
// 168 (1994) 269): 1 + 1 / (2 (1 + delta/Ka)^3), delta = 2.5 / (1 + 2
// exp(-Ka)); 1 for Ka <= 0.
double henryOhshima(double ka);

}  // namespace model
