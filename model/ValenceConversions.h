// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/ModelState.h"
#include "model/Outputs.h"

namespace model {

struct PhysicalConstants;

// z from Sigma (1/cm), the temperature (degrees Celsius), E (V/cm) and the
// DHH slope z*/z.
double valenceFromSigma(double sigma, double temperature, double eField, double slope,
                        const PhysicalConstants& c);

// z* from Sigma (1/cm), the temperature (degrees Celsius) and E (V/cm).
double effectiveValenceFromSigma(double sigma, double temperature, double eField, double boltzmann,
                                 double electronVolt);

// Sigma (1/cm) from z, the slope z*/z, the temperature and E: z slope over
// the thermal length.
double sigmaFromValence(double valence, double temperature, double eField, double slope,
                        const PhysicalConstants& c);
// z* = z slope, and back.
double effectiveValenceFromValence(double valence, double slope);
double valenceFromEffectiveValence(double effectiveValence, double slope);

// The mobility in 10^-4 cm^2/(V s) from Sigma (1/cm), E (V/cm) and the
// diffusion coefficient (10^-7 cm^2/s), and back.
double mobilityFromSigma(double sigma, double eField, double diffusion);
double sigmaFromMobility(double mobility, double eField, double diffusion);

// Each conversion writes one quantity of the model state and the text of its
// value field.
void CalcZFromSigma(ModelState& s, ValueFields& fields);
void CalcZstarFromSigma(ModelState& s, ValueFields& fields);
void CalcSigmaFromZ(ModelState& s, ValueFields& fields);
void CalcZstarFromZ(ModelState& s, ValueFields& fields);
void CalcZFromZstar(ModelState& s, ValueFields& fields);
// These two store the number their text shows, so that later calculations use
// the rounded value the window shows.
void CalcMobilityFromSigma(ModelState& s, ValueFields& fields);
void CalcSigmaFromMobility(ModelState& s, ValueFields& fields);

// Which quantity of the valence chain the others are derived from. With all
// three flags set (after the mobility calculator) only Sigma is: one
// consistent set of values, colours and log header.
struct ValenceModes {
    bool fromSigma = false;
    bool fromZ = false;
    bool fromZstar = false;
};
ValenceModes valenceModes(const ModelState& s);

}  // namespace model
