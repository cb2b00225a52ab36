// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Evaluation.h"

#include "model/GeCurve.h"
#include "model/Quantities.h"
#include "platform/base/NumberText.h"

namespace model {

namespace {

// The value its field shows, read back.
double asShown(Quantity q, double value) {
    return platform::StrToFloat(platform::FormatFloat(quantityInfo(q).pattern, value));
}

}  // namespace

Conditions conditionsOf(const ModelState& s) {
    Conditions c;
    c.temperature = s.Temperature;
    c.ionicStrength = s.IonicStrength;
    c.dielectric = s.Dielectric;
    c.stokesRadius = s.StokesRadius;
    c.saltIonRadius = s.SaltIonRadius;
    c.eField = s.EField;
    c.diffusion = s.Diffusion;
    c.sigma = s.Sigma;
    c.mobility = s.Mobility;
    c.valence = s.Valence;
    c.effectiveValence = s.EffectiveValence;
    c.modes = valenceModes(s);
    c.sigmaFromMobility = s.SigmaFromMobility;
    c.mobilityFromSigma = s.MobilityFromSigma;
    c.roundAsShown = true;
    c.model = s.Electrokinetic;
    c.constants = physicalConstants(s);
    return c;
}

Screening screeningOf(const Conditions& c) {
    Screening s;
    s.closestApproach = calcClosestApproach(c.stokesRadius, c.saltIonRadius);
    s.inverseDebyeLength =
        CalcInverseDebyeLength(c.temperature, c.ionicStrength, c.dielectric, c.constants);
    s.ka = calcKa(s.inverseDebyeLength, s.closestApproach);
    s.henry = electrokineticModelInfo(c.model).henry(s.ka);
    s.slope = dhhSlopeOf(s.henry, s.ka);
    return s;
}

Derived evaluateConditions(const Conditions& c) {
    return evaluateConditions(c, screeningOf(c));
}

Derived evaluateConditions(const Conditions& c, const Screening& screening) {
    const PhysicalConstants& k = c.constants;
    const double t = c.temperature;
    const double e = c.eField;
    const double slope = screening.slope;
    Derived d;
    d.screening = screening;
    d.sigma = c.sigma;
    d.mobility = c.mobility;
    d.valence = c.valence;
    d.effectiveValence = c.effectiveValence;
    if (c.sigmaFromMobility) {
        d.sigma = sigmaFromMobility(c.mobility, e, c.diffusion);
        if (c.roundAsShown)
            d.sigma = asShown(Quantity::Sigma, d.sigma);
    }
    if (c.modes.fromSigma) {
        d.valence = valenceFromSigma(d.sigma, t, e, slope, k);
        d.effectiveValence = effectiveValenceFromSigma(d.sigma, t, e, k.Boltzmann, k.ElectronVolt);
    }
    if (c.modes.fromZstar)
        d.valence = valenceFromEffectiveValence(d.effectiveValence, slope);
    if (c.modes.fromZ || c.modes.fromZstar) {
        d.sigma = sigmaFromValence(d.valence, t, e, slope, k);
        d.effectiveValence = effectiveValenceFromValence(d.valence, slope);
    }
    if (c.mobilityFromSigma) {
        d.mobility = mobilityFromSigma(d.sigma, e, c.diffusion);
        if (c.roundAsShown)
            d.mobility = asShown(Quantity::Mobility, d.mobility);
    }
    d.geMax = CalcGe(d.valence, c.dielectric, c.stokesRadius, c.saltIonRadius,
                     screening.inverseDebyeLength, k);
    return d;
}

}  // namespace model
