// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "model/Electrokinetic.h"
#include "model/Electrostatics.h"
#include "model/ValenceConversions.h"

namespace model {

// The conditions of one sample and what is entered of it, in the main
// window's units: everything one evaluation needs, and nothing of fields,
// texts or colours.
struct Conditions {
    double temperature = 0;    // degrees Celsius
    double ionicStrength = 0;  // M
    double dielectric = 0;
    double stokesRadius = 0;   // nm
    double saltIonRadius = 0;  // nm
    double eField = 0;         // V/cm
    double diffusion = 0;      // 10^-7 cm^2/s
    // The entered one of each pair is used, the others are derived.
    double sigma = 0;             // 1/cm
    double mobility = 0;          // 10^-4 cm^2/(V s)
    double valence = 0;           // z
    double effectiveValence = 0;  // z*
    ValenceModes modes;           // which of Sigma, z and z* the others follow from
    bool sigmaFromMobility = false;
    bool mobilityFromSigma = false;
    // As the main window keeps them: a Sigma derived from the mobility, and
    // a derived mobility, rounded to the digits their fields show.
    bool roundAsShown = false;
    ElectrokineticModel model = ElectrokineticModel::Dhh;
    // The salt of a model not linear in z, by the electrokinetics' ion table.
    std::string salt = "NaCl";
    // Zeta under a model not linear in z costs a double-layer solve, several
    // times the valence chain's: evaluations that never show it (Monte
    // Carlo draws) leave it out, and it is NaN.
    bool withZeta = true;
    PhysicalConstants constants;
    // The model's answers worked out ahead for these conditions' range
    // (NonlinearModel::prepare); nullptr: its own functions answer.
    const NonlinearAnswers* answers = nullptr;
};

// The conditions as the main window's state holds them.
Conditions conditionsOf(const ModelState& s);

// The screening of the solution around the sphere: a, K, Ka, Henry's
// function and the slope z*/z of a model linear in z. Under a model not
// linear in z the ions are points (a is the Stokes radius), and Henry's
// function and the slope are their limits at vanishing charge (Henry's
// exact function).
struct Screening {
    double closestApproach = 0;     // nm
    double inverseDebyeLength = 0;  // 1/cm
    double ka = 0;
    double henry = 0;
    double slope = 0;
};
Screening screeningOf(const Conditions& c);

// Every derived quantity of one sample.
struct Derived {
    Screening screening;
    double sigma = 0;
    double mobility = 0;
    double effectiveValence = 0;
    double valence = 0;
    double geMax = 0;  // kJ/mol, Ge at the valence
    // mV, the potential at the sphere's surface carrying the valence: by
    // Debye-Hueckel under a model linear in z, by the model's own
    // Poisson-Boltzmann double layer otherwise. NaN without a valence.
    double zeta = 0;
    Solutions solutions = Solutions::One;
    // With TwoLowerTaken, the higher valence, not taken; NaN otherwise.
    double otherValence = 0;
};

// The one evaluation: the screening, then the valence chain from its
// entered quantity under the model, then Ge and zeta at the valence. A Sigma that
// cannot be rounded as shown (an infinite one) throws as the window's
// re-reading of its field does.
Derived evaluateConditions(const Conditions& c);
// The same with the screening already worked out for c.
Derived evaluateConditions(const Conditions& c, const Screening& screening);

// The Debye-Hueckel potential (mV) at the surface of a sphere of radius Rs
// (nm) carrying z, the ion cloud starting at the closest approach a (nm):
// (z e / eps) (1/Rs - K/(1 + Ka)) in the constants' Gaussian units, with the
// constants' volt (ElectronVolt / ElementaryCharge statvolt).
double debyeHuckelZeta(double valence, double dielectric, double stokesRadius,
                       double closestApproach, double inverseDebyeLength,
                       const PhysicalConstants& k);

// What is said of the valences of z* under a model not linear in z, as the
// pass left them in s: that none gives it, or the two with the lower taken;
// empty when one does.
std::string solutionsText(const ModelState& s);

}  // namespace model
