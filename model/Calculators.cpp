// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Calculators.h"

#include "model/Electrostatics.h"
#include "model/Solvent.h"
#include "model/ValenceConversions.h"
#include "platform/base/NumberText.h"

namespace model {

Shown shownAs(const char* pattern, double value) {
    Shown s;
    s.text = platform::FormatFloat(pattern, value);
    s.value = platform::StrToFloat(s.text);
    return s;
}

Shown shownAs(Quantity q, double value) {
    return shownAs(quantityInfo(q).pattern, value);
}

std::optional<Hydrodynamic> enteredHydrodynamic(bool diffusionEntered, bool stokesRadiusEntered,
                                                bool frictionEntered) {
    if (frictionEntered)
        return Hydrodynamic::Friction;
    if (stokesRadiusEntered)
        return Hydrodynamic::StokesRadius;
    if (diffusionEntered)
        return Hydrodynamic::Diffusion;
    return std::nullopt;
}

DfRsTexts updateDfRs(DfRsValues& v) {
    // Each relation is evaluated in cgs units first and then scaled into the
    // display unit, so that its digits are reproducible.
    DfRsTexts texts;
    if (v.SolventWater) {
        v.Viscosity = waterSolventViscosity(v.Temperature, v.RelativeViscosity);
        texts.viscosity =
            platform::FormatFloat(quantityInfo(Quantity::Viscosity).pattern, v.Viscosity);
    }
    // The calculator shows each derived quantity alike.
    const auto keep = [](double& value, std::optional<std::string>& text) {
        Shown s = shownAs(quantityInfo(Quantity::Diffusion).pattern, value);
        value = s.value;
        text = std::move(s.text);
    };
    const std::optional<Hydrodynamic> entered =
        enteredHydrodynamic(v.DiffusionEntered, v.StokesRadiusEntered, v.FrictionEntered);
    if (!entered)
        return texts;
    switch (*entered) {
        case Hydrodynamic::Diffusion:
            v.Friction = calcFrictionFromDiffusion(v.Temperature, v.Diffusion, v.Boltzmann);
            keep(v.Friction, texts.friction);
            v.StokesRadius = calcStokesRadiusFromDiffusion(v.Temperature, v.Viscosity, v.Diffusion,
                                                           v.Boltzmann, v.Pi);
            keep(v.StokesRadius, texts.stokesRadius);
            break;
        case Hydrodynamic::StokesRadius:
            v.Friction = calcFrictionFromStokesRadius(v.Viscosity, v.StokesRadius, v.Pi);
            keep(v.Friction, texts.friction);
            v.Diffusion = calcDiffusionFromStokesRadius(v.Temperature, v.Viscosity, v.StokesRadius,
                                                        v.Boltzmann, v.Pi);
            keep(v.Diffusion, texts.diffusion);
            break;
        case Hydrodynamic::Friction:
            v.StokesRadius = calcStokesRadiusFromFriction(v.Viscosity, v.Friction, v.Pi);
            keep(v.StokesRadius, texts.stokesRadius);
            v.Diffusion = calcDiffusionFromFriction(v.Temperature, v.Friction, v.Boltzmann);
            keep(v.Diffusion, texts.diffusion);
            break;
    }
    return texts;
}

void makeEntered(DfRsValues& v, Hydrodynamic q) {
    const double value = q == Hydrodynamic::Diffusion      ? v.Diffusion
                         : q == Hydrodynamic::StokesRadius ? v.StokesRadius
                                                           : v.Friction;
    if (!(value > 0))
        return;
    v.DiffusionEntered = q == Hydrodynamic::Diffusion;
    v.StokesRadiusEntered = q == Hydrodynamic::StokesRadius;
    v.FrictionEntered = q == Hydrodynamic::Friction;
}

double waterSolventViscosity(double temperature, double relativeViscosity) {
    return waterViscosity(temperature) * relativeViscosity;
}

std::optional<SolventTexts> updateSolvent(SolventValues& v) {
    if (!v.SolventWater)
        return std::nullopt;
    v.Viscosity = waterSolventViscosity(v.Temperature, v.RelativeViscosity);
    v.Dielectric = waterDielectric(v.Temperature);
    return SolventTexts{
        platform::FormatFloat(quantityInfo(Quantity::Viscosity).pattern, v.Viscosity),
        platform::FormatFloat(quantityInfo(Quantity::Dielectric).pattern, v.Dielectric)};
}

DfRsValues dfRsValuesOf(const HydrodynamicRefs& h) {
    DfRsValues v;
    v.SolventWater = h.SolventWater;
    v.RelativeViscosity = h.RelativeViscosity;
    v.Temperature = h.Temperature;
    v.Viscosity = h.Viscosity;
    v.Friction = h.Friction;
    v.Diffusion = h.Diffusion;
    v.StokesRadius = h.StokesRadius;
    v.DiffusionEntered = h.DiffusionEntered;
    v.FrictionEntered = h.FrictionEntered;
    v.StokesRadiusEntered = h.StokesRadiusEntered;
    return v;
}

std::string takeBackDfRs(HydrodynamicRefs h, const DfRsValues& v) {
    h.Temperature = v.Temperature;
    h.Viscosity = v.Viscosity;
    h.Friction = v.Friction;
    h.Diffusion = v.Diffusion;
    Shown rs = shownAs(Quantity::StokesRadius, v.StokesRadius);
    h.StokesRadius = rs.value;
    h.DiffusionEntered = v.DiffusionEntered;
    h.FrictionEntered = v.FrictionEntered;
    h.StokesRadiusEntered = v.StokesRadiusEntered;
    h.SolventWater = v.SolventWater;
    h.RelativeViscosity = v.RelativeViscosity;
    return std::move(rs.text);
}

std::optional<std::string> followTemperature(HydrodynamicRefs h) {
    DfRsValues v = dfRsValuesOf(h);
    updateDfRs(v);
    h.Friction = v.Friction;
    h.Diffusion = v.Diffusion;
    Shown rs = shownAs(Quantity::StokesRadius, v.StokesRadius);
    if (rs.value == h.StokesRadius)
        return std::nullopt;
    h.StokesRadius = rs.value;
    return std::move(rs.text);
}

FieldTexts fieldTextsOf(const FieldValues& v) {
    const auto text = [](Quantity q, double value) {
        return platform::FormatFloat(quantityInfo(q).pattern, value);
    };
    return {text(Quantity::Current, v.Current), text(Quantity::Conductivity, v.Conductance),
            text(Quantity::XSection, v.XSection), text(Quantity::EField, v.EField)};
}

std::optional<std::string> updateE(FieldValues& v) {
    if (!v.ECalculated)
        return std::nullopt;
    v.EField = calcEField(v.Current, v.Conductance, v.XSection);
    return platform::FormatFloat(quantityInfo(Quantity::EField).pattern, v.EField);
}

void enterFieldValue(FieldValues& v, Quantity q, double value) {
    switch (q) {
        case Quantity::Current:
            v.Current = value;
            break;
        case Quantity::Conductivity:
            v.Conductance = value;
            break;
        case Quantity::XSection:
            v.XSection = value;
            break;
        default:
            v.EField = value;
            v.ECalculated = false;
            return;
    }
    v.ECalculated = true;
}

MobilityTexts updateMobility(MobilityValues& v) {
    MobilityTexts texts;
    if (v.SigmaFromMobility) {
        Shown s = shownAs(Quantity::Sigma, sigmaFromMobility(v.Mobility, v.EField, v.Diffusion));
        v.Sigma = s.value;
        texts.sigma = std::move(s.text);
    }
    if (v.MobilityFromSigma) {
        Shown m = shownAs(Quantity::Mobility, mobilityFromSigma(v.Sigma, v.EField, v.Diffusion));
        v.Mobility = m.value;
        texts.mobility = std::move(m.text);
    }
    return texts;
}

void enterMobilityValue(MobilityValues& v, Quantity q, double value) {
    const bool mobility = q == Quantity::Mobility;
    (mobility ? v.Mobility : v.Sigma) = value;
    v.SigmaFromMobility = mobility;
    v.MobilityFromSigma = !mobility;
    v.SigmaCalculated = mobility;
}

}  // namespace model
