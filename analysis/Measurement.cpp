// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/Measurement.h"

#include "model/Evaluation.h"
#include "model/Solvent.h"

namespace analysis {

namespace {

using Hydrodynamic = MeasurementModel::Hydrodynamic;

using model::Quantity;

// The index in InputValues of q, which the code names as an input.
consteval std::size_t slot(Quantity q) {
    return static_cast<std::size_t>(input(q));
}

}  // namespace

bool MeasurementModel::uses(Input input) const {
    const Quantity q = quantityOf(input);
    switch (q) {
        case Quantity::Temperature:
        case Quantity::IonicStrength:
            return true;
        case Quantity::SaltIonRadius:
            // A model not linear in z takes the ions as points.
            return !nonlinear(*this);
        case Quantity::Dielectric:
            return !water;
        case Quantity::Viscosity:
        case Quantity::RelativeViscosity:
            // The Stokes radius itself needs no viscosity; D for the mobility does.
            return (q == Quantity::Viscosity) != water &&
                   (hydrodynamic != Hydrodynamic::StokesRadius || fromMobility);
        case Quantity::StokesRadius:
            return hydrodynamic == Hydrodynamic::StokesRadius;
        case Quantity::Diffusion:
            return hydrodynamic == Hydrodynamic::Diffusion;
        case Quantity::Friction:
            return hydrodynamic == Hydrodynamic::Friction;
        case Quantity::EField:
            return !fieldFromCurrent;
        case Quantity::Current:
        case Quantity::Conductivity:
        case Quantity::XSection:
            return fieldFromCurrent;
        case Quantity::Sigma:
            return !fromMobility;
        case Quantity::Mobility:
            return fromMobility;
        default:
            return false;
    }
}

bool MeasurementModel::affectsResults(Input input) const {
    switch (quantityOf(input)) {
        case Quantity::EField:
        case Quantity::Current:
        case Quantity::Conductivity:
        case Quantity::XSection:
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

namespace {

// The conditions of x, with the Stokes radius, D and E the estimate holds.
model::Conditions conditionsOf(const MeasurementModel& m, const InputValues& x, Estimate& e) {
    const model::PhysicalConstants& c = m.constants;
    const double t = x[slot(Quantity::Temperature)];
    const double viscosity =
        m.water ? model::waterSolventViscosity(t, x[slot(Quantity::RelativeViscosity)])
                : x[slot(Quantity::Viscosity)];
    switch (m.hydrodynamic) {
        case Hydrodynamic::StokesRadius:
            e.stokesRadius = x[slot(Quantity::StokesRadius)];
            e.diffusion = model::calcDiffusionFromStokesRadius(t, viscosity, e.stokesRadius,
                                                               c.Boltzmann, c.Pi);
            break;
        case Hydrodynamic::Diffusion:
            e.diffusion = x[slot(Quantity::Diffusion)];
            e.stokesRadius =
                model::calcStokesRadiusFromDiffusion(t, viscosity, e.diffusion, c.Boltzmann, c.Pi);
            break;
        case Hydrodynamic::Friction: {
            const double friction = x[slot(Quantity::Friction)];
            e.stokesRadius = model::calcStokesRadiusFromFriction(viscosity, friction, c.Pi);
            e.diffusion = model::calcDiffusionFromFriction(t, friction, c.Boltzmann);
            break;
        }
    }
    e.eField = m.fieldFromCurrent
                   ? model::calcEField(x[slot(Quantity::Current)], x[slot(Quantity::Conductivity)],
                                       x[slot(Quantity::XSection)])
                   : x[slot(Quantity::EField)];
    model::Conditions k;
    k.temperature = t;
    k.ionicStrength = x[slot(Quantity::IonicStrength)];
    k.dielectric = m.water ? model::waterDielectric(t) : x[slot(Quantity::Dielectric)];
    k.stokesRadius = e.stokesRadius;
    k.saltIonRadius = x[slot(Quantity::SaltIonRadius)];
    k.eField = e.eField;
    k.diffusion = e.diffusion;
    k.sigma = x[slot(Quantity::Sigma)];
    k.mobility = x[slot(Quantity::Mobility)];
    k.modes.fromSigma = true;
    k.sigmaFromMobility = m.fromMobility;
    k.model = m.electrokinetic;
    k.constants = c;
    k.withZeta = false;
    if (nonlinear(m)) {
        k.salt = m.salt;
        k.answers = m.answers.get();
    }
    return k;
}

}  // namespace

Estimate evaluate(const MeasurementModel& m, const InputValues& x) {
    Estimate e;
    const model::Derived d = model::evaluateConditions(conditionsOf(m, x, e));
    e.sigma = d.sigma;
    e.inverseDebyeLength = d.screening.inverseDebyeLength;
    e.ka = d.screening.ka;
    e.henry = d.screening.henry;
    e.slope = d.screening.slope;
    e.effectiveValence = d.effectiveValence;
    e.valence = d.valence;
    e.geMax = d.geMax;
    e.solutions = d.solutions;
    e.otherValence = d.otherValence;
    return e;
}

MeasurementModel preparedFor(const MeasurementModel& m, const InputValues& x,
                             const InputValues& low, const InputValues& high) {
    const model::NonlinearModel* f = model::nonlinearModel(m.electrokinetic);
    if (!f || !f->prepare)
        return m;
    MeasurementModel prepared = m;
    prepared.answers.reset();
    Estimate e;
    const model::Conditions c = conditionsOf(prepared, x, e);
    const std::size_t t = slot(Quantity::Temperature);
    double dielectricLow = low[slot(Quantity::Dielectric)];
    double dielectricHigh = high[slot(Quantity::Dielectric)];
    if (m.water) {
        // Water's falls as it warms.
        dielectricLow = model::waterDielectric(high[t]);
        dielectricHigh = model::waterDielectric(low[t]);
    }
    prepared.answers = f->prepare(c, low[t], high[t], dielectricLow, dielectricHigh);
    return prepared;
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
    m.model.salt = s.Salt;

    for (int i = 0; i < kInputCount; ++i) {
        const auto input = static_cast<Input>(i);
        m.values[i] = m.model.uses(input) ? s.*model::stateMember(quantityOf(input)) : 0;
    }
    return m;
}

}  // namespace analysis
