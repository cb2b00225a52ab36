// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "electrokinetics/Electrolyte.h"
#include "model/Electrostatics.h"
#include "model/ZetaConversion.h"

namespace electrokinetics {

// A charged sphere in a salt solution, in the program's units: what a model
// choice hands over.
struct Conditions {
    double radius = 0;         // nm: the sphere (the Stokes radius; the ions are points)
    double ionicStrength = 0;  // M, the salt's
    double temperature = 25;   // degrees Celsius
    double dielectric = 78.3;  // of the solvent
    double viscosity = 0.89;   // cP, of the solvent
    // 1/cm; from the ionic strength, the temperature and the dielectric
    // constant when absent.
    std::optional<double> inverseDebyeLength;
    std::string salt = "NaCl";
    model::PhysicalConstants constants;
};

// The mobility models that solve for a charge.
enum class Method {
    Standard,     // O'Brien and White's standard model, solved numerically
    Ohshima2001,  // Ohshima's third-order approximation with relaxation
};

// The conditions in the equations' reduced units.
struct Reduced {
    double ka = 0;
    double inverseDebyeLength = 0;  // 1/cm
    double chargePerValence = 0;    // reduced surface charge lB kappa / (ka)^2 of z = 1
    double thermalVoltage = 0;      // kT/e in mV
    double mobilityUnit = 0;        // eps kT / (6 pi eta e), 10^-4 cm^2/(V s)
    Electrolyte electrolyte;
};

// Throws with a readable message for a radius, ionic strength, dielectric
// constant, viscosity or absolute temperature that is not positive, or an
// unknown salt.
Reduced reduce(const Conditions& c);

// The mobility in 10^-4 cm^2/(V s) of the sphere carrying the valence.
double mobility(const Conditions& c, double valence, Method m);

// The mobility in 10^-4 cm^2/(V s) and the valence of the sphere whose
// zeta potential (mV) is given, by the model: the points of a graph of the
// mobility against zeta.
double mobilityForZeta(const Conditions& c, double zeta, Method m);
double valenceForZeta(const Conditions& c, double zeta);

// The mobility by Debye-Hueckel-Henry theory (linear in the charge) with
// Henry's exact function, at the same conditions: the reference for the
// relaxation's share.
double henryMobility(const Conditions& c, double valence);

// The zeta potential in mV: the surface potential by the nonlinear
// Poisson-Boltzmann equation.
double zetaPotential(const Conditions& c, double valence);

// The valence whose mobility by the model is the one measured. Where the
// mobility has a maximum against the charge (large Ka), a measured mobility
// above it has no solution and one below it two; the model's range ends at
// reduced zeta potential kMaxReducedZeta. Never a choice made silently:
// every valence that gives the mobility in range is listed, lowest |z|
// first.
constexpr double kMaxReducedZeta = 12;

struct ValenceSolutions {
    enum class Status {
        None,  // above the maximum, or beyond the model's range
        One,
        Two,  // on either side of the maximum
    };
    Status status = Status::None;
    std::vector<double> valences;
    // The largest |mobility| the model gives in range (signed as the
    // measurement), and the valence there; the end of the range when the
    // mobility rises all the way.
    double peakMobility = 0;
    double peakValence = 0;
    bool peakInside = false;  // a maximum lies inside the range
    // The mobility falls below the measured one before the end of the range:
    // a further valence may give it beyond.
    bool beyondRange = false;
};

ValenceSolutions valenceFromMobility(const Conditions& c, double mobility, Method m);

// "none", "one", "two".
const char* statusName(ValenceSolutions::Status s);

// The conversion an instrument made from its measured mobility to the zeta
// potential it reports, undone (model/ZetaConversion): the mobility in
// 10^-4 cm^2/(V s) from zeta in mV by Smoluchowski (E = 1.5 zeta), Hueckel
// (E = zeta) or Henry (E = f(Ka) zeta, Henry's exact function at the
// conditions' Ka).
using model::ZetaModel;
double mobilityFromZeta(const Conditions& c, double zeta, ZetaModel m);
// "smoluchowski", "huckel", "henry"; and the one of a name as written,
// throwing for another.
using model::zetaModelName;
ZetaModel zetaModelByName(const std::string& name);

}  // namespace electrokinetics
