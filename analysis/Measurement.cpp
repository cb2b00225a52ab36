#include "analysis/Measurement.h"

#include "model/GeCurve.h"
#include "model/ValenceConversions.h"

namespace analysis {

namespace {

using Hydrodynamic = MeasurementModel::Hydrodynamic;

// Limits as the number entries of the windows and calculators have them.
const InputInfo kInputs[kInputCount] = {
    {"Temperature", "Temperature", "\u00b0C", "C", 0, 100},
    {"IonicStrength", "Ionic strength", "M", "M", 0.0001, 6.5},
    {"Dielectric", "Dielectric constant", "", "", 1, 100},
    {"SaltIonRadius", "Salt ion radius", "nm", "nm", 0.05, 10},
    {"Viscosity", "Viscosity", "cP", "cP", 0.001, 10},
    {"StokesRadius", "Stokes radius", "nm", "nm", 0.1, 1000},
    {"Diffusion", "Diffusion coefficient", "10\u207b\u2077 cm\u00b2/s", "10^-7 cm^2/s", 0.001, 100},
    {"Friction", "Frictional coefficient", "10\u207b\u2078 g/s", "10^-8 g/s", 0.1, 1000},
    {"EField", "E", "V/cm", "V/cm", 1e-5, 100},
    {"Current", "Current", "mA", "mA", 1e-7, 100},
    {"Conductivity", "Conductivity", "mS/cm", "mS/cm", 1e-6, 500},
    {"XSection", "Cuvette x-section", "cm\u00b2", "cm^2", 0.01, 1},
    {"Sigma", "Sigma", "cm\u207b\u00b9", "cm^-1", 0, 300},
    {"Mobility", "Mobility", "10\u207b\u2074 cm\u00b2/(V s)", "10^-4 cm^2/(V s)", 0.0001, 100},
};

double at(const InputValues& x, Input i) {
    return x[static_cast<int>(i)];
}

}  // namespace

const InputInfo& inputInfo(Input input) {
    return kInputs[static_cast<int>(input)];
}

bool MeasurementModel::uses(Input input) const {
    switch (input) {
        case Input::Temperature:
        case Input::IonicStrength:
        case Input::Dielectric:
        case Input::SaltIonRadius:
            return true;
        case Input::Viscosity:
            // The Stokes radius itself needs no viscosity; D for the mobility does.
            return hydrodynamic != Hydrodynamic::StokesRadius || fromMobility;
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
    const double viscosity = at(x, Input::Viscosity);
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
    e.sigma = m.fromMobility
                  ? model::sigmaFromMobility(at(x, Input::Mobility), e.eField, e.diffusion)
                  : at(x, Input::Sigma);

    const double saltIonRadius = at(x, Input::SaltIonRadius);
    const double dielectric = at(x, Input::Dielectric);
    e.inverseDebyeLength =
        model::CalcInverseDebyeLength(t, at(x, Input::IonicStrength), dielectric, c);
    e.ka = model::calcKa(e.inverseDebyeLength,
                         model::calcClosestApproach(e.stokesRadius, saltIonRadius));
    e.henry = model::CalcHenryFunction(e.ka);
    e.slope = model::dhhSlopeOf(e.henry, e.ka);
    e.effectiveValence =
        model::effectiveValenceFromSigma(e.sigma, t, e.eField, c.Boltzmann, c.ElectronVolt);
    e.valence = model::valenceFromSigma(e.sigma, t, e.eField, e.slope, c);
    e.geMax = model::CalcGe(e.valence, dielectric, e.stokesRadius, saltIonRadius,
                            e.inverseDebyeLength, c);
    return e;
}

std::optional<Measurement> measurementOf(const model::ModelState& s) {
    if (!model::valenceModes(s).fromSigma)
        return std::nullopt;
    Measurement m;
    m.model.constants = model::physicalConstants(s);
    // The calculator derives from the flag it checks last.
    if (s.FrictionEntered)
        m.model.hydrodynamic = Hydrodynamic::Friction;
    else if (s.StokesRadiusEntered || !s.DiffusionEntered)
        m.model.hydrodynamic = Hydrodynamic::StokesRadius;
    else
        m.model.hydrodynamic = Hydrodynamic::Diffusion;
    // The E the window starts with is a value of its own, not the one its
    // current, conductivity and cross-section give: E counts as calculated
    // only when it is the value they give.
    m.model.fieldFromCurrent =
        s.ECalculated && s.EField == model::calcEField(s.Current, s.Conductivity, s.XSection);
    m.model.fromMobility = s.SigmaFromMobility;

    const double all[kInputCount] = {
        s.Temperature,  s.IonicStrength, s.Dielectric, s.SaltIonRadius, s.Viscosity,
        s.StokesRadius, s.Diffusion,     s.Friction,   s.EField,        s.Current,
        s.Conductivity, s.XSection,      s.Sigma,      s.Mobility,
    };
    for (int i = 0; i < kInputCount; ++i)
        m.values[i] = m.model.uses(static_cast<Input>(i)) ? all[i] : 0;
    return m;
}

}  // namespace analysis
