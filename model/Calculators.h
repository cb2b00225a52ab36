// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>

#include "model/ModelState.h"
#include "model/Outputs.h"
#include "model/Quantities.h"

namespace model {

// What the three calculators work on, and their rules, without a window: the
// dialogs show these values and the batch program enters into them directly.

// A value as a field shows it with pattern, and the number that text reads
// back as: derived values are kept as rounded as they are shown.
struct Shown {
    std::string text;
    double value = 0;
};
Shown shownAs(const char* pattern, double value);
// The same with q's own pattern.
Shown shownAs(Quantity q, double value);

// The D, f, Rs calculator: the three quantities at a temperature and
// viscosity, one of them entered and the other two following from it.
struct DfRsValues {
    double Diffusion = 0;     // 1e-7 cm^2/s
    double Viscosity = 0;     // centipoise
    double StokesRadius = 0;  // nm
    double Friction = 0;      // 1e-8 g/s
    double Temperature = 0;   // degrees Celsius
    bool DiffusionEntered = false;
    bool StokesRadiusEntered = true;
    bool FrictionEntered = false;
    // With water chosen the viscosity follows the temperature.
    bool SolventWater = false;
    double RelativeViscosity = 1;
    double Pi = ModelState{}.Pi;
    double Boltzmann = ModelState{}.Boltzmann;  // erg/K
};

// Which of D, Rs and f the others follow from: the one entered last, of
// which only one flag is ever set. With none, nothing is derived.
enum class Hydrodynamic { Diffusion, StokesRadius, Friction };
std::optional<Hydrodynamic> enteredHydrodynamic(bool diffusionEntered, bool stokesRadiusEntered,
                                                bool frictionEntered);

// The texts of the two derived quantities after updateDfRs.
struct DfRsTexts {
    std::optional<std::string> diffusion, friction, stokesRadius, viscosity;
};
// The entered quantity keeps its value; the other two follow at the
// temperature and viscosity, kept as rounded as they are shown. With water
// chosen the viscosity first follows the temperature.
DfRsTexts updateDfRs(DfRsValues& v);
// A value entered for D, f or Rs makes it the entered one, even when the
// entry was cancelled, unless it is not positive: the others would follow
// from a division by zero.
void makeEntered(DfRsValues& v, Hydrodynamic q);

// The values a window shares with the D, f, Rs calculator.
struct HydrodynamicRefs {
    double& Temperature;
    double& Viscosity;
    double& Friction;
    double& Diffusion;
    double& StokesRadius;
    bool& DiffusionEntered;
    bool& FrictionEntered;
    bool& StokesRadiusEntered;
    bool& SolventWater;
    double& RelativeViscosity;
};
DfRsValues dfRsValuesOf(const HydrodynamicRefs& h);
// After OK: the window takes the values back; the Stokes radius is shown with
// at most two decimals and kept as shown. Returns that text.
std::string takeBackDfRs(HydrodynamicRefs h, const DfRsValues& v);
// The window's D, f and Rs brought to a new temperature by the calculator's
// rule: the entered quantity keeps its value, the other two follow. Returns
// the Stokes radius text when the radius shown changed.
std::optional<std::string> followTemperature(HydrodynamicRefs h);

// The solvent: the viscosity and dielectric constant as entered, or those of
// water at the temperature (the viscosity times the buffer's relative
// viscosity).
struct SolventValues {
    bool SolventWater = false;
    double Viscosity = 0;  // centipoise
    double Dielectric = 0;
    double RelativeViscosity = 1;
    double Temperature = 0;  // degrees Celsius
};
struct SolventTexts {
    std::string viscosity, dielectric;
};
// With water chosen, the viscosity and dielectric constant at the
// temperature, and their texts; nothing for entered values.
std::optional<SolventTexts> updateSolvent(SolventValues& v);
// The viscosity of the solvent at a temperature when water is chosen.
double waterSolventViscosity(double temperature, double relativeViscosity);

// The E field calculator: E from the current, the conductivity and the
// cross-section, or entered directly.
struct FieldValues {
    double Conductance = 0;  // mS/cm
    double Current = 0;      // mA
    double XSection = 0;     // cm^2
    double EField = 0;       // V/cm
    bool ECalculated = true;
};
// The texts the calculator opens with.
struct FieldTexts {
    std::string current, conductivity, xSection, eField;
};
FieldTexts fieldTextsOf(const FieldValues& v);
// In calculate mode E follows from the three; returns its text then.
std::optional<std::string> updateE(FieldValues& v);
// An entered value: E itself switches to direct entry, the others to
// calculating E; updateE then brings E up to date.
void enterFieldValue(FieldValues& v, Quantity q, double value);

// The mobility calculator: Sigma or the mobility entered, the other derived
// with D and E, kept as rounded as it is shown.
// D comes from the D, f, Rs calculator's values, which it holds as they are.
struct MobilityValues : DfRsValues {
    // Until a window hands its values in, no quantity of D, f and Rs is
    // entered.
    MobilityValues() { StokesRadiusEntered = false; }

    double Mobility = 0;      // 1e-4 cm^2/(V s)
    double Sigma = 0;         // 1/cm
    double EField = 0;        // V/cm
    double Conductivity = 0;  // mS/cm
    double Current = 0;       // mA
    double XSection = 0;      // cm^2
    bool ECalculated = false;
    bool SigmaFromMobility = false;
    bool MobilityFromSigma = true;
    // Set by an entry of Sigma (false) or of the mobility (true).
    bool SigmaCalculated = false;
};
struct MobilityTexts {
    std::optional<std::string> sigma, mobility;
};
MobilityTexts updateMobility(MobilityValues& v);
// Sigma or the mobility entered; updateMobility then derives the other.
void enterMobilityValue(MobilityValues& v, Quantity q, double value);

}  // namespace model
