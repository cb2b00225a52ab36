// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Evaluation.h"

#include <cmath>
#include <limits>
#include <stdexcept>

#include "model/GeCurve.h"
#include "model/HenryExact.h"
#include "model/Quantities.h"
#include "platform/base/NumberText.h"

namespace model {

namespace {

// The value its field shows, read back.
double asShown(Quantity q, double value) {
    return platform::StrToFloat(platform::FormatFloat(quantityInfo(q).pattern, value));
}

// The valence of z* under a model not linear in z, with how many there are.
void solveValence(const NonlinearModel& f, const Conditions& c, Derived& d) {
    const std::vector<double> valences =
        c.answers ? c.answers->valences(c, d.effectiveValence) : f.valences(c, d.effectiveValence);
    d.solutions = valences.empty()       ? Solutions::None
                  : valences.size() == 1 ? Solutions::One
                                         : Solutions::TwoLowerTaken;
    d.valence = valences.empty() ? std::numeric_limits<double>::quiet_NaN() : valences.front();
    if (valences.size() > 1)
        d.otherValence = valences[1];
}

// The valence chain under a model not linear in z: z* is Sigma times the
// thermal length as always, z follows from z* by the model.
void nonlinearChain(const Conditions& c, Derived& d) {
    const NonlinearModel* f = nonlinearModel(c.model);
    if (!f)
        throw std::logic_error("the model's solver is not registered");
    const PhysicalConstants& k = c.constants;
    if (c.modes.fromSigma) {
        d.effectiveValence = effectiveValenceFromSigma(d.sigma, c.temperature, c.eField,
                                                       k.Boltzmann, k.ElectronVolt);
        solveValence(*f, c, d);
    } else if (c.modes.fromZstar) {
        solveValence(*f, c, d);
        d.sigma = sigmaFromValence(d.effectiveValence, c.temperature, c.eField, 1.0, k);
    } else if (c.modes.fromZ) {
        d.effectiveValence = c.answers ? c.answers->effectiveValence(c, d.valence)
                                       : f->effectiveValence(c, d.valence);
        d.sigma = sigmaFromValence(d.effectiveValence, c.temperature, c.eField, 1.0, k);
    }
}

// Zeta at the valence found; a valence the model could not give has none.
double zetaOf(const Conditions& c, const Derived& d) {
    if (!std::isfinite(d.valence))
        return std::numeric_limits<double>::quiet_NaN();
    if (electrokineticModelInfo(c.model).henry)
        return debyeHuckelZeta(d.valence, c.dielectric, c.stokesRadius, d.screening.closestApproach,
                               d.screening.inverseDebyeLength, c.constants);
    // The double layer is solved only where the chain solved it: without an
    // entered quantity the conditions were never checked against the model.
    if (!c.withZeta || (!c.modes.fromSigma && !c.modes.fromZ && !c.modes.fromZstar))
        return std::numeric_limits<double>::quiet_NaN();
    const NonlinearModel* f = nonlinearModel(c.model);
    if (!f || !f->zeta)
        throw std::logic_error("the model's solver is not registered");
    return f->zeta(c, d.valence);
}

}  // namespace

double debyeHuckelZeta(double valence, double dielectric, double stokesRadius,
                       double closestApproach, double inverseDebyeLength,
                       const PhysicalConstants& k) {
    const double rs = stokesRadius * 1e-7;  // cm
    const double ka = calcKa(inverseDebyeLength, closestApproach);
    const double statvolt =
        valence * k.ElementaryCharge / dielectric * (1 / rs - inverseDebyeLength / (1 + ka));
    return statvolt * k.ElementaryCharge / k.ElectronVolt * 1000;
}

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
    c.salt = s.Salt;
    c.constants = physicalConstants(s);
    return c;
}

Screening screeningOf(const Conditions& c) {
    Screening s;
    const auto henry = electrokineticModelInfo(c.model).henry;
    s.closestApproach =
        henry ? calcClosestApproach(c.stokesRadius, c.saltIonRadius) : c.stokesRadius;
    s.inverseDebyeLength =
        CalcInverseDebyeLength(c.temperature, c.ionicStrength, c.dielectric, c.constants);
    s.ka = calcKa(s.inverseDebyeLength, s.closestApproach);
    s.henry = henry ? henry(s.ka) : henryExact(s.ka);
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
    d.otherValence = std::numeric_limits<double>::quiet_NaN();
    if (c.sigmaFromMobility) {
        d.sigma = sigmaFromMobility(c.mobility, e, c.diffusion);
        if (c.roundAsShown)
            d.sigma = asShown(Quantity::Sigma, d.sigma);
    }
    if (!electrokineticModelInfo(c.model).henry) {
        nonlinearChain(c, d);
    } else if (c.modes.fromSigma) {
        d.valence = valenceFromSigma(d.sigma, t, e, slope, k);
        d.effectiveValence = effectiveValenceFromSigma(d.sigma, t, e, k.Boltzmann, k.ElectronVolt);
    }
    if (electrokineticModelInfo(c.model).henry) {
        if (c.modes.fromZstar)
            d.valence = valenceFromEffectiveValence(d.effectiveValence, slope);
        if (c.modes.fromZ || c.modes.fromZstar) {
            d.sigma = sigmaFromValence(d.valence, t, e, slope, k);
            d.effectiveValence = effectiveValenceFromValence(d.valence, slope);
        }
    }
    if (c.mobilityFromSigma) {
        d.mobility = mobilityFromSigma(d.sigma, e, c.diffusion);
        if (c.roundAsShown)
            d.mobility = asShown(Quantity::Mobility, d.mobility);
    }
    // The models not linear in z take the ions as points: the sphere alone.
    const double saltIonRadius = electrokineticModelInfo(c.model).henry ? c.saltIonRadius : 0.0;
    d.geMax = CalcGe(d.valence, c.dielectric, c.stokesRadius, saltIonRadius,
                     screening.inverseDebyeLength, k);
    d.zeta = zetaOf(c, d);
    return d;
}

std::string solutionsText(const ModelState& s) {
    if (s.ValenceSolutions == Solutions::One)
        return {};
    const std::string zstar = platform::FormatFloat("0.0###", s.EffectiveValence);
    const std::string under = std::string(" under ") +
                              electrokineticModelInfo(s.Electrokinetic).caption + " in " + s.Salt;
    if (s.ValenceSolutions == Solutions::None)
        return "no valence gives z* = " + zstar + under +
               ": it is above the largest the model gives";
    return "two valences give z* = " + zstar + under +
           ": z = " + platform::FormatFloat("0.0###", s.Valence) +
           " and z = " + platform::FormatFloat("0.0###", s.OtherValence) + "; the lower taken";
}

}  // namespace model
