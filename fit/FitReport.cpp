// SPDX-License-Identifier: GPL-3.0-or-later

#include "fit/FitReport.h"

#include "analysis/Uncertainty.h"
#include "platform/base/Csv.h"
#include "platform/base/NumberText.h"

namespace fit {

namespace {

std::string number(double value) {
    return analysis::significantText(value, 6);
}

std::string number(const std::optional<double>& value) {
    return value ? number(*value) : std::string();
}

}  // namespace

std::string csvHeader() {
    return platform::csvRecord({"Scan", "Points", "Sigma", "SigmaSE", "SigmaLow95", "SigmaHigh95",
                                "Amplitude", "Baseline", "ReducedChiSquare", "RunsZ"});
}

std::string csvRow(const SigmaFit& fit, bool global) {
    const ScanPart* part = global ? nullptr : &fit.scans.front();
    return platform::csvRecord({global ? "global" : part->name, std::to_string(fit.points),
                                number(fit.sigma), number(fit.sigmaSE), number(fit.low95),
                                number(fit.high95), global ? "" : number(part->amplitude),
                                global ? "" : number(part->baseline), number(fit.reducedChiSquare),
                                number(fit.runsZ)});
}

std::string csvFailedRow(const std::string& label, std::size_t points) {
    std::vector<std::string> fields(10);
    fields[0] = label;
    fields[1] = std::to_string(points);
    return platform::csvRecord(fields);
}

std::vector<std::string> fitNotes(const SigmaFit& fit, bool global) {
    std::vector<std::string> notes;
    const std::string label = global ? "global fit" : fit.scans.front().name;
    for (const ScanPart& part : fit.scans) {
        if (part.aboveMax > 0 && !global)
            notes.push_back(part.name + ": " + std::to_string(part.aboveMax) +
                            " points above the signal limit left out");
        if (part.elapsedSeconds && !global)
            notes.push_back(part.name + ": scan at " + number(*part.elapsedSeconds) + " s, " +
                            number(*part.temperature) + " C");
    }
    if (fit.seScaled)
        notes.push_back(label + ": no SD column, so SigmaSE is scaled by the reduced chi-square");
    if (fit.sigmaBaselineCorrelation)
        notes.push_back(label + ": correlation of Sigma with the baseline " +
                        platform::FormatFloat("0.000", *fit.sigmaBaselineCorrelation));
    if (fit.refitPoints > 0)
        notes.push_back(label + ": the Monte Carlo refits use " + std::to_string(fit.refitPoints) +
                        " of the " + std::to_string(fit.points) +
                        " points, their spread scaled by the square root of that share");
    if (fit.failedDraws > 0)
        notes.push_back(label + ": " + std::to_string(fit.failedDraws) + " of " +
                        std::to_string(fit.draws) +
                        " Monte Carlo refits did not converge and were left out");
    if (!fit.warning().empty())
        notes.push_back(label + ": warning: " + fit.warning());
    return notes;
}

}  // namespace fit
