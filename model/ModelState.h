// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <limits>
#include <string>

#include "model/Electrokinetic.h"

namespace model {

// How many valences give the entered Sigma or mobility. A model linear in z
// has always one; one whose mobility has a maximum against z has none above
// it and two below it, of which the lower is taken.
enum class Solutions { One, None, TwoLowerTaken };

// Every entered and calculated quantity of the main window, in the units the
// window shows: nm, degrees Celsius, M, V/cm, cm^-1, 10^-4 cm^2/(V s) for the
// mobility, 10^-7 cm^2/s for D, 10^-8 g/s for f, centipoise, kJ/mol.
// The main window inherits it, so these are its members by name.
struct ModelState {
    double Valence = 0;
    double EffectiveValence = 0;
    double Temperature = 0;
    double IonicStrength = 0;
    double StokesRadius = 0;
    double SaltIonRadius = 0;
    double ClosestApproach = 0;
    double InverseDebyeLength = 0;
    double Ka = 0;
    double HenryFunction = 0;
    double Dielectric = 0;
    double GeMax = 0;
    double EField = 0;
    double DhhSlope = 0;
    double Sigma = 0;
    double Mobility = 0;
    double Conductivity = 0;
    double Current = 0;
    double XSection = 0;
    double Friction = 0;
    bool ZCalculated = true;
    bool ZstarCalculated = true;
    bool SigmaCalculated = false;
    bool ECalculated = true;
    bool MobilityFromSigma = true;
    bool SigmaFromMobility = false;
    double Diffusion = 0;
    double Viscosity = 1.0;
    bool DiffusionEntered = false;
    bool StokesRadiusEntered = true;
    bool FrictionEntered = false;
    // The solvent: the viscosity and dielectric constant as entered, or those
    // of water at the temperature, the viscosity times the buffer's relative
    // viscosity.
    bool SolventWater = false;
    double RelativeViscosity = 1.0;
    // mV, the zeta potential of the valence (a result).
    double Zeta = 0;
    // How z* and Sigma follow from z: the program's fit of Henry's function
    // unless another model is chosen.
    ElectrokineticModel Electrokinetic = ElectrokineticModel::Dhh;
    // The salt of a model not linear in z (the ion table's name).
    std::string Salt = "NaCl";
    // How many valences the last pass found for z* (Valence is NaN with
    // none), and the higher one, not taken, of two.
    Solutions ValenceSolutions = Solutions::One;
    double OtherValence = std::numeric_limits<double>::quiet_NaN();
    // The model's own constants: every displayed result depends on these
    // exact values, not on more precise reference values.
    double ElementaryCharge = 4.8e-10;
    double Pi = 3.14159265;
    double Avogadro = 6.023e23;
    double Boltzmann = 1.38054e-16;
    double ElectronVolt = 1.6021e-12;
    // The start-up pass writes no log entry; every pass clears the flag.
    bool SkipLogEntry = true;
};

}  // namespace model
