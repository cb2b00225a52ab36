// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/ModelState.h"

namespace model {

// The model's fixed constants. They default to the values the main window
// starts with, so a calculation outside the window uses the same numbers.
struct PhysicalConstants {
    double ElementaryCharge = ModelState{}.ElementaryCharge;  // esu
    double Pi = ModelState{}.Pi;
    double Avogadro = ModelState{}.Avogadro;          // 1/mol
    double Boltzmann = ModelState{}.Boltzmann;        // erg/K
    double ElectronVolt = ModelState{}.ElectronVolt;  // erg
};

// The constants held in a model state.
PhysicalConstants physicalConstants(const ModelState& s);

// K in 1/cm from the temperature (degrees Celsius), the ionic strength (M)
// and the dielectric constant.
double CalcInverseDebyeLength(double temperature, double ionicStrength, double dielectric,
                              const PhysicalConstants& c);

// a = Rs + Ri, in nm.
double calcClosestApproach(double stokesRadius, double saltIonRadius);

// K a with K in 1/cm and a in nm.
double calcKa(double inverseDebyeLength, double closestApproach);

// Henry's function H(Ka), between 1.0 and 1.5.
double CalcHenryFunction(double ka);

// The ratio z*/z: H(Ka) / (1 + Ka).
double CalcDhhSlope(double ka);
// The same ratio for any Henry's function value at Ka.
double dhhSlopeOf(double henry, double ka);

double Erf(double x);

// Regularised lower incomplete gamma function P(a, x).
double GammaP(double a, double x);

// The value of an incomplete gamma evaluation together with ln Gamma(a).
struct GammaTerm {
    double value = 0;
    double gln = 0;
};

// P(a, x) by its series.
GammaTerm GammaSeries(double a, double x);

// Q(a, x) = 1 - P(a, x) by its continued fraction.
GammaTerm GammaContinuedFraction(double a, double x);

// ln Gamma(x) for x > 0.
double LogGamma(double x);

// The frictional coefficient in 10^-8 g/s of a sphere of the Stokes radius
// (nm) in a solvent of the viscosity (centipoise).
double calcFrictionFromStokesRadius(double viscosity, double stokesRadius, double pi);

// The diffusion coefficient in 10^-7 cm^2/s from the frictional coefficient
// in 10^-8 g/s (Stokes-Einstein).
double calcDiffusionFromFriction(double temperature, double friction, double boltzmann);

// The other relations of D (10^-7 cm^2/s), f (10^-8 g/s) and the Stokes
// radius (nm) at a temperature (degrees Celsius) and viscosity (centipoise),
// each evaluated in cgs units and then scaled into its display unit.
double calcFrictionFromDiffusion(double temperature, double diffusion, double boltzmann);
double calcStokesRadiusFromDiffusion(double temperature, double viscosity, double diffusion,
                                     double boltzmann, double pi);
double calcDiffusionFromStokesRadius(double temperature, double viscosity, double stokesRadius,
                                     double boltzmann, double pi);
double calcStokesRadiusFromFriction(double viscosity, double friction, double pi);

// E in V/cm from the current (mA), the conductivity (mS/cm) and the
// cross-section (cm^2).
double calcEField(double current, double conductivity, double xSection);

}  // namespace model
