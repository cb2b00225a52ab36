// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Calculators.h"
#include "model/Electrostatics.h"
#include "model/Evaluation.h"
#include "model/ModelState.h"
#include "model/Quantities.h"

namespace analysis {

// A quantity z is computed from, in the main window's units: one of the
// table of quantities with a measured place, which is its index here.
enum class Input : int {};

// How many there are, and which quantity stands at each place.
inline constexpr int kInputCount = static_cast<int>(std::count_if(
    model::quantityTable().begin(), model::quantityTable().end(),
    [](const model::QuantityInfo& info) { return info.measuredPlace != model::kNotMeasured; }));
inline constexpr std::array<model::Quantity, kInputCount> kInputQuantities = [] {
    std::array<model::Quantity, kInputCount> byPlace{};
    std::array<bool, kInputCount> taken{};
    for (const model::QuantityInfo& info : model::quantityTable()) {
        if (info.measuredPlace == model::kNotMeasured)
            continue;
        // A place outside the count, or taken twice, stops the compilation.
        if (info.measuredPlace < 0 || info.measuredPlace >= kInputCount ||
            taken[static_cast<std::size_t>(info.measuredPlace)])
            throw "the measured places are not 0, 1, 2, ... each once";
        taken[static_cast<std::size_t>(info.measuredPlace)] = true;
        byPlace[static_cast<std::size_t>(info.measuredPlace)] = info.quantity;
    }
    return byPlace;
}();

constexpr model::Quantity quantityOf(Input input) {
    return kInputQuantities[static_cast<std::size_t>(input)];
}
// The input that is q; none when z is not computed from q.
constexpr std::optional<Input> inputOf(model::Quantity q) {
    const int place = model::quantityInfo(q).measuredPlace;
    if (place == model::kNotMeasured)
        return std::nullopt;
    return static_cast<Input>(place);
}
// The input that is q, which the code names as one: anything else stops the
// compilation.
consteval Input input(model::Quantity q) {
    if (!inputOf(q))
        throw "not a measured quantity";
    return *inputOf(q);
}

// Its row in the model's table of quantities.
using InputInfo = model::QuantityInfo;
constexpr const InputInfo& inputInfo(Input input) {
    return model::quantityInfo(quantityOf(input));
}

using InputValues = std::array<double, kInputCount>;

// Which entered quantities the valence follows from: the hydrodynamic
// quantity entered last (the other two follow from it at T and the
// viscosity), E entered or from current, conductivity and cross-section,
// and Sigma entered or from the mobility.
struct MeasurementModel {
    using Hydrodynamic = model::Hydrodynamic;
    Hydrodynamic hydrodynamic = Hydrodynamic::StokesRadius;
    bool fieldFromCurrent = false;
    bool fromMobility = false;
    // Water's viscosity (times the relative viscosity) and dielectric
    // constant at the temperature, instead of entered ones.
    bool water = false;
    // How z follows from Sigma: the main window's choice.
    model::ElectrokineticModel electrokinetic = model::ElectrokineticModel::Dhh;
    // The salt of a model not linear in z.
    std::string salt = "NaCl";
    model::PhysicalConstants constants;
    // A model not linear in z: its answers worked out ahead for a run's
    // draws (preparedFor), or none.
    std::shared_ptr<const model::NonlinearAnswers> answers;

    bool uses(Input input) const;
    // Whether z, z* and Ge depend on a used input at all: with the mobility
    // measured, E goes into Sigma and out again (z = mobility k T /
    // (slope e D)), so E and what it is calculated from cancel exactly.
    bool affectsResults(Input input) const;
    // The inputs it uses, in the order of Input.
    std::vector<Input> inputs() const;
};

// Everything the relations give for one set of inputs, without display
// rounding.
struct Estimate {
    double stokesRadius = 0;
    double diffusion = 0;
    double eField = 0;
    double sigma = 0;
    double inverseDebyeLength = 0;
    double ka = 0;
    double henry = 0;
    double slope = 0;
    double effectiveValence = 0;
    double valence = 0;
    double geMax = 0;  // Ge at the valence
    // Under a model not linear in z the valence may be none (NaN) or the
    // lower of two.
    model::Solutions solutions = model::Solutions::One;
    double otherValence = 0;
};

// The model's own relations, in the order a recalculation applies them.
Estimate evaluate(const MeasurementModel& m, const InputValues& x);

// Whether z follows from z* by a model not linear in z: those after the
// linear ones in the table.
inline bool nonlinear(const MeasurementModel& m) {
    return static_cast<int>(m.electrokinetic) >= model::kLinearModelCount;
}

// m with its model's answers worked out ahead (where the model has such)
// for inputs anywhere between low and high about x: the values of x alike,
// within 1e-6 elsewhere.
MeasurementModel preparedFor(const MeasurementModel& m, const InputValues& x,
                             const InputValues& low, const InputValues& high);

struct Measurement {
    MeasurementModel model;
    InputValues values{};  // the entered values; 0 for inputs not used
};

// The measurement the state holds; none when z or z* is the entered
// quantity, as then nothing measured goes into z.
std::optional<Measurement> measurementOf(const model::ModelState& s);

}  // namespace analysis
