// SPDX-License-Identifier: GPL-3.0-or-later

#include "log/UncertaintyBlock.h"

#include <string>

#include "platform/base/NumberText.h"

namespace calclog {

namespace {

std::string number(double value) {
    return analysis::significantText(value);
}

std::string withUnit(double value, const char* unit) {
    const std::string u = unit;
    return u.empty() ? number(value) : number(value) + " " + u;
}

}  // namespace

void WriteUncertaintyBlock(const analysis::Measurement& m, const analysis::Uncertainties& u,
                           const analysis::MonteCarloOptions& options,
                           const analysis::GumResult& gum,
                           const analysis::MonteCarloResult& monteCarlo, model::LogSink& sink) {
    sink.AddLogLine("  Uncertainty of Z: GUM law of propagation and Monte Carlo (N = " +
                    std::to_string(monteCarlo.draws) + ", seed " + std::to_string(options.seed) +
                    ")");
    for (analysis::Input input : m.model.inputs()) {
        const int i = static_cast<int>(input);
        const analysis::InputInfo& info = analysis::inputInfo(input);
        sink.AddLogLine("    " + std::string(info.caption) + " = " +
                        withUnit(m.values[i], info.logUnit) + ", u = " + number(u[i].u) + ", " +
                        analysis::distributionName(u[i].distribution));
    }
    sink.AddLogLine("  GUM: Z = " + number(gum.estimate.valence) + ", u(Z) = " +
                    number(gum.uValence) + ", u(Z*) = " + number(gum.uEffectiveValence) +
                    ", u(We) = " + withUnit(gum.uGeMax, "kJ/mol"));
    const analysis::Summary& z = monteCarlo.valence;
    sink.AddLogLine("  Monte Carlo: mean Z = " + number(z.mean) + ", u(Z) = " + number(z.sd) +
                    ", 95 % interval " + number(z.low) + " to " + number(z.high));
    const analysis::Summary& zstar = monteCarlo.effectiveValence;
    sink.AddLogLine("    Z* = " + number(zstar.mean) + ", u(Z*) = " + number(zstar.sd) +
                    ", 95 % interval " + number(zstar.low) + " to " + number(zstar.high));
    const analysis::Summary& ge = monteCarlo.geMax;
    sink.AddLogLine("    We = " + number(ge.mean) + " kJ/mol, u(We) = " + number(ge.sd) +
                    ", 95 % interval " + number(ge.low) + " to " + number(ge.high));
    if (monteCarlo.rejected > 0)
        sink.AddLogLine("    " + std::to_string(monteCarlo.rejected) +
                        " values drawn outside their limits were drawn again");
    // Under a model not linear in z: which valences the budget and the draws had.
    for (const std::string& note : {analysis::valenceNote(gum), analysis::valenceNote(monteCarlo)})
        if (!note.empty())
            sink.AddLogLine("    " + note);
}

}  // namespace calclog
