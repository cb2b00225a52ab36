// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace model {

// Where the solvent's values come from, for the log.
inline constexpr const char* kWaterViscositySource = "Huber 2009";
inline constexpr const char* kWaterDielectricSource = "Malmberg & Maryott 1956";

// Viscosity of liquid water at 0.1 MPa in cP (= mPa s), from the correlation
// given with the IAPWS 2008 formulation: Huber et al., J. Phys. Chem. Ref.
// Data 38 (2009) 101. Valid for liquid water at 0.1 MPa from 0 to 100 degrees
// Celsius (its authors give it from 253.15 to 383.15 K). 0.890 cP at 25.
double waterViscosity(double celsius);

// Relative permittivity (dielectric constant) of water: Malmberg and Maryott,
// J. Res. Natl. Bur. Stand. 56 (1956) 1. Valid from 0 to 100 degrees Celsius.
// 78.30 at 25.
double waterDielectric(double celsius);

}  // namespace model
