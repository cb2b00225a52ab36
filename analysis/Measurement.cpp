// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/Measurement.h"

#include "model/Evaluation.h"
#include "model/Solvent.h"

namespace analysis {

namespace {

using Hydrodynamic = MeasurementModel::Hydrodynamic;

using model::Quantity;

// The inputs in the order of Input.
constexpr Quantity kInputQuantities[kInputCount] = {
    Quantity::Temperature,   Quantity::IonicStrength, Quantity::Dielectric,
    Quantity::SaltIonRadius, Quantity::Viscosity,     Quantity::StokesRadius,
    Quantity::Diffusion,     Quantity::Friction,      Quantity::EField,
    Quantity::Current,       Quantity::Conductivity,  Quantity::XSection,
    Quantity::Sigma,         Quantity::Mobility,      Quantity::RelativeViscosity,
};

double at(const InputValues& x, Input i) {
    return x[static_cast<int>(i)];
}

}  // namespace

model::Quantity quantityOf(Input input) {
    return kInputQuantities[static_cast<int>(input)];
}

const InputInfo& inputInfo(Input input) {
    return model::quantityInfo(quantityOf(input));
}

bool MeasurementModel::uses(Input input) const {
    switch (input) {
        case Input::Temperature:
        case Input::IonicStrength:
        case Input::SaltIonRadius:
            return true;
        case Input::Dielectric:
            return !water;
        case Input::Viscosity:
        case Input::RelativeViscosity:
            // The Stokes radius itself needs no viscosity; D for the mobility does.
            return (input == Input::Viscosity) != water &&
                   (hydrodynamic != Hydrodynamic::StokesRadius || fromMobility);
        case Input::StokesRadius:
            return hydrodynamic == Hydrodynamic::StokesRadius;
        case Input::Diffusion:
            return hydrodynamic == Hydrodynamic::Diffusion;
        case Input::Friction:
            return hydrodynamic == Hydrodynamic::Friction;
        case Input::EField:
            return !fieldFromCurrent;
        case Input::Current:
        case Input::Conductivity:
        case Input::XSection:
            return fieldFromCurrent;
        case Input::Sigma:
            return !fromMobility;
        case Input::Mobility:
            return fromMobility;
    }
    return false;
}

bool MeasurementModel::affectsResults(Input input) const {
    switch (input) {
        case Input::EField:
        case Input::Current:
        case Input::Conductivity:
        case Input::XSection:
            return uses(input) && !fromMobility;
        default:
            return uses(input);
    }
}

std::vector<Input> MeasurementModel::inputs() const {
    std::vector<Input> used;
    for (int i = 0; i < kInputCount; ++i)
        if (uses(static_cast<Input>(i)))
            used.push_back(static_cast<Input>(i));
    return used;
}

Estimate evaluate(const MeasurementModel& m, const InputValues& x) {
    const model::PhysicalConstants& c = m.constants;
    const double t = at(x, Input::Temperature);
    const double viscosity = m.water
                                 ? model::waterSolventViscosity(t, at(x, Input::RelativeViscosity))
                                 : at(x, Input::Viscosity);
    Estimate e;
    switch (m.hydrodynamic) {
        case Hydrodynamic::StokesRadius:
            e.stokesRadius = at(x, Input::StokesRadius);
            e.diffusion = model::calcDiffusionFromStokesRadius(t, viscosity, e.stokesRadius,
                                                               c.Boltzmann, c.Pi);
            break;
        case Hydrodynamic::Diffusion:
            e.diffusion = at(x, Input::Diffusion);
            e.stokesRadius =
                model::calcStokesRadiusFromDiffusion(t, viscosity, e.diffusion, c.Boltzmann, c.Pi);
            break;
        case Hydrodynamic::Friction: {
            const double friction = at(x, Input::Friction);
            e.stokesRadius = model::calcStokesRadiusFromFriction(viscosity, friction, c.Pi);
            e.diffusion = model::calcDiffusionFromFriction(t, friction, c.Boltzmann);
            break;
        }
    }
    e.eField = m.fieldFromCurrent
                   ? model::calcEField(at(x, Input::Current), at(x, Input::Conductivity),
                                       at(x, Input::XSection))
                   : at(x, Input::EField);
    model::Conditions k;
    k.temperature = t;
    k.ionicStrength = at(x, Input::IonicStrength);
    k.dielectric = m.water ? model::waterDielectric(t) : at(x, Input::Dielectric);
    k.stokesRadius = e.stokesRadius;
    k.saltIonRadius = at(x, Input::SaltIonRadius);
    k.eField = e.eField;
    k.diffusion = e.diffusion;
    k.sigma = at(x, Input::Sigma);
    k.mobility = at(x, Input::Mobility);
    k.modes.fromSigma = true;
    k.sigmaFromMobility = m.fromMobility;
    k.model = m.electrokinetic;
    k.constants = c;
    const model::Derived d = model::evaluateConditions(k);
    e.sigma = d.sigma;
    e.inverseDebyeLength = d.screening.inverseDebyeLength;
    e.ka = d.screening.ka;
    e.henry = d.screening.henry;
    e.slope = d.screening.slope;
    e.effectiveValence = d.effectiveValence;
    e.valence = d.valence;
    e.geMax = d.geMax;
    return e;
}

std::optional<Measurement> measurementOf(const model::ModelState& s) {
    if (!model::valenceModes(s).fromSigma)
        return std::nullopt;
    Measurement m;
    m.model.constants = model::physicalConstants(s);
    // With no quantity entered the window's D follows its Stokes radius.
    m.model.hydrodynamic =
        model::enteredHydrodynamic(s.DiffusionEntered, s.StokesRadiusEntered, s.FrictionEntered)
            .value_or(Hydrodynamic::StokesRadius);
    // The E the window starts with is a value of its own, not the one its
    // current, conductivity and cross-section give: E counts as calculated
    // only when it is the value they give.
    m.model.fieldFromCurrent =
        s.ECalculated && s.EField == model::calcEField(s.Current, s.Conductivity, s.XSection);
    m.model.fromMobility = s.SigmaFromMobility;
    m.model.water = s.SolventWater;
    m.model.electrokinetic = s.Electrokinetic;

    for (int i = 0; i < kInputCount; ++i) {
        const auto input = static_cast<Input>(i);
        m.values[i] = m.model.uses(input) ? s.*model::stateMember(quantityOf(input)) : 0;
    }
    return m;
}

}  // namespace analysis
