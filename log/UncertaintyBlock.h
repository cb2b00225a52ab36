// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "analysis/Uncertainty.h"
#include "model/Outputs.h"

namespace calclog {

// Appends the uncertainty of z after the current entry: the methods, each
// input with its value, u and distribution, and what each method gives.
void WriteUncertaintyBlock(const analysis::Measurement& m, const analysis::Uncertainties& u,
                           const analysis::MonteCarloOptions& options,
                           const analysis::GumResult& gum,
                           const analysis::MonteCarloResult& monteCarlo, model::LogSink& sink);

}  // namespace calclog
