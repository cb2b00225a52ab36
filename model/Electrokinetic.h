// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace model {

// The electrokinetic model: how the mobility of the sphere, and so Sigma
// and z*, follows from its valence z at the conditions of the solution.
// Dhh is the program's fit of Henry's function, the one it always used.
// The models linear in z come first; OhshimaRelaxation and Standard are not
// linear in z (the sphere is the Stokes radius, the ions points of a salt).
enum class ElectrokineticModel { Dhh, Henry, Ohshima, OhshimaRelaxation, Standard };
// The models with a Henry's function: the first ones of the table.
inline constexpr int kLinearModelCount = static_cast<int>(ElectrokineticModel::Ohshima) + 1;
inline constexpr int kElectrokineticModelCount =
    static_cast<int>(ElectrokineticModel::Standard) + 1;

struct Conditions;

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

// A model's answers for many conditions alike but for their temperature and
// dielectric constant (the draws of a Monte Carlo run), worked out ahead
// once for their range and then asked from any thread.
class NonlinearAnswers {
  public:
    virtual ~NonlinearAnswers() = default;
    virtual double effectiveValence(const Conditions& c, double valence) const = 0;
    virtual std::vector<double> valences(const Conditions& c, double effectiveValence) const = 0;
};

// The valence chain of a model not linear in z. Its solver lives in a
// library above this one, which registers it at start-up; until then the
// model is not offered (see README.md).
struct NonlinearModel {
    // z* of the sphere carrying z at the conditions.
    double (*effectiveValence)(const Conditions& c, double valence);
    // The valences whose z* is the one given, lowest first: none above the
    // maximum of z* against z, two below it.
    std::vector<double> (*valences)(const Conditions& c, double effectiveValence);
    // The zeta potential (mV) of the sphere carrying z: its surface potential
    // by the nonlinear Poisson-Boltzmann equation.
    double (*zeta)(const Conditions& c, double valence);
    // Optional: answers for conditions like c with the temperature and the
    // dielectric constant anywhere within the ranges (low, high); the same
    // as the functions above to 1e-6, and exactly the same at c itself.
    std::shared_ptr<const NonlinearAnswers> (*prepare)(const Conditions& c, double temperatureLow,
                                                       double temperatureHigh, double dielectricLow,
                                                       double dielectricHigh) = nullptr;
};
void registerNonlinearModel(ElectrokineticModel m, NonlinearModel functions);
// The registered functions; nullptr for a linear or unregistered model.
const NonlinearModel* nonlinearModel(ElectrokineticModel m);
// A linear model, or a nonlinear one whose solver is registered.
bool electrokineticModelAvailable(ElectrokineticModel m);
// The next available model after m, round the table.
ElectrokineticModel nextElectrokineticModel(ElectrokineticModel m);

// Whether two names are the same but for the case of their letters, as
// model and conversion names are read from files and command lines.
bool sameIgnoringCase(std::string_view a, std::string_view b);

// An available model; case is ignored: "Ohshima" names Ohshima.
std::optional<ElectrokineticModel> electrokineticModelByName(std::string_view name);
// "dhh, henry, ohshima": the available models' names in the order of the
// table.
const char* electrokineticModelNames();

// Ohshima's approximation of Henry's function (J. Colloid Interface Sci.
// 168 (1994) 269): 1 + 1 / (2 (1 + delta/Ka)^3), delta = 2.5 / (1 + 2
// exp(-Ka)); 1 for Ka <= 0.
double henryOhshima(double ka);

}  // namespace model
