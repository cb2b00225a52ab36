// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string_view>

#include "model/Electrostatics.h"

namespace model {

struct ModelState;

// The conversion an instrument made from the mobility it measured to the
// zeta potential it reports: E = f zeta in reduced units, with f = 1.5 by
// Smoluchowski (thin double layer), 1 by Hueckel (thick) and Henry's exact
// function f(Ka) at the sample's Ka by Henry (Henry 1931).
enum class ZetaModel { Smoluchowski, Huckel, Henry };

// "smoluchowski", "huckel", "henry".
const char* zetaModelName(ZetaModel m);
// Case is ignored: "Henry" names Henry.
std::optional<ZetaModel> zetaModelByName(std::string_view name);
// "smoluchowski, huckel, henry".
const char* zetaModelNames();

// The mobility in 10^-4 cm^2/(V s) whose zeta (mV) the instrument reported:
// eps zeta f / (6 pi eta) in the constants' Gaussian units and volt, with
// the solvent's dielectric constant and viscosity (cP).
double mobilityFromZeta(double zeta, double dielectric, double viscosity, double ka, ZetaModel m,
                        const PhysicalConstants& k);

// The same at the conditions a sample holds: its solvent and its Ka under
// its electrokinetic model.
double mobilityFromZeta(const ModelState& s, double zeta, ZetaModel m);

}  // namespace model
