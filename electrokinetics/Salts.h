// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "electrokinetics/Electrolyte.h"
#include "model/Electrostatics.h"

namespace electrokinetics {

// An ion with its limiting equivalent conductivity at 25 degrees Celsius in
// S cm^2 / mol, per 1/|z| mol of the ion as tabulated ("1/2 Ca2+"): the CRC
// Handbook of Chemistry and Physics, "Ionic conductivity and diffusion at
// infinite dilution" (W. M. Haynes, ed., 97th edition, 2016).
struct IonSpecies {
    const char* name;
    int valence;
    double conductivity;
};

// A salt: its ions with the number of each per formula unit.
struct Salt {
    std::string name;
    std::vector<std::pair<IonSpecies, double>> ions;
};

// NaCl, KCl, LiCl, NH4Cl, NaBr, KNO3, CaCl2, MgCl2 and sodium phosphate
// buffers at pH 6.0, 6.5, 7.0, 7.4 and 8.0 ("NaPi-7.4"), in that order.
const std::vector<Salt>& salts();

// The salt of that name (as salts() spells it, case-insensitive); a sodium
// phosphate buffer at any pH from 5 to 9 as "NaPi-<pH>". Throws with the
// names known for any other.
Salt saltByName(const std::string& name);

// A sodium phosphate buffer: H2PO4- and HPO4 2- in the ratio that pH gives
// by Henderson-Hasselbalch with pKa2 = 7.20, with their sodium.
Salt sodiumPhosphate(double pH);

// The ionic strength of one mole of the salt per litre, M.
double ionicStrengthPerMole(const Salt& s);

// The salt's electrolyte at a temperature (degrees Celsius) and dielectric
// constant: each ion's share of the ionic strength and its reduced drag
// from its conductivity, carried from 25 degrees Celsius by Walden's rule
// (conductivity times viscosity constant) with the viscosity of water. With
// that rule the drag depends on the solvent only through its dielectric
// constant and the temperature.
Electrolyte electrolyteOf(const Salt& s, double temperature, double dielectric,
                          const model::PhysicalConstants& c = {});

}  // namespace electrokinetics
