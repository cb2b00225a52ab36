// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "model/Electrostatics.h"
#include "model/ModelState.h"
#include "model/Outputs.h"

namespace model {

// The electrostatic free energy in kJ/mol of a sphere of the Stokes radius Rs
// with valence z in an ionic atmosphere of inverse Debye length K (1/cm),
// with salt ions of radius Ri; radii in nm.
double CalcGe(double z, double dielectric, double stokesRadius, double saltIonRadius,
              double inverseDebyeLength, const PhysicalConstants& c);

// Clears the series and refills it with (z, Ge(z)) on the grid of
// geCurveGrid, in ascending z.
void PlotGeCurve(const ModelState& s, PointSeries& series);

}  // namespace model
