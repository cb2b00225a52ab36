// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fit/Scan.h"

namespace fit {

struct SigmaFitOptions {
    std::optional<double> from;       // cm: the x range used
    std::optional<double> to;         // cm
    std::optional<double> maxSignal;  // points above it are left out
    bool baseline = true;             // false: the baseline is held at 0
    // Monte Carlo refits for the 95 % interval of Sigma; 0 for none.
    std::int64_t draws = 1000;
    std::uint64_t seed = 1;
    int threads = 0;  // 0: one per core
};

// One scan's part of a fit.
struct ScanPart {
    std::string name;
    std::size_t points = 0;    // used in the fit
    std::size_t aboveMax = 0;  // in the x range but above maxSignal, left out
    double xRef = 0;           // the middle of the x range used
    double amplitude = 0;      // A: the signal at xRef above the baseline
    double amplitudeSE = 0;
    double baseline = 0;  // delta; 0 and SE 0 when held at 0
    double baselineSE = 0;
    std::optional<double> temperature;
    std::optional<double> elapsedSeconds;
};

// signal(x) = A exp(Sigma (x - xRef)) + delta, fitted by weighted least
// squares: with weights 1/sd^2 where the scans give an SD, else equal.
struct SigmaFit {
    double sigma = 0;  // cm^-1
    double sigmaSE = 0;
    // Without SDs the standard errors are scaled by the reduced chi^2: they
    // then rest on the scatter about the curve, not on known SDs.
    bool seScaled = false;
    // The Monte Carlo 95 % interval of Sigma, from refits of the best-fit
    // curve plus normal noise of the residuals' spread or the given SDs.
    std::optional<double> low95;
    std::optional<double> high95;
    std::int64_t draws = 0;
    std::int64_t failedDraws = 0;  // refits that did not converge, left out
    // Of Sigma with the baseline, for a fit of one scan with a baseline.
    std::optional<double> sigmaBaselineCorrelation;
    std::size_t points = 0;
    double chiSquare = 0;
    double reducedChiSquare = 0;
    // The Wald-Wolfowitz runs test of the residuals' signs, in x order (scan
    // after scan); none when every residual has the same sign.
    std::optional<double> runsZ;
    std::vector<ScanPart> scans;
    // The residuals of the best fit, signal minus curve, at the points used
    // in the order the runs test takes them, with their x (cm).
    std::vector<double> residualX;
    std::vector<double> residuals;
    // Empty, or why the model does not describe the data.
    std::string warning() const;
};

// One scan alone, or several with one Sigma and an amplitude and baseline
// for each. Throws FitError with the scan's name when there are too few
// points, when only some scans give an SD, or when the fit fails.
SigmaFit fitSigma(std::span<const Scan> scans, const SigmaFitOptions& options);

// The Wald-Wolfowitz runs test z score of the signs of the values, zeros
// left out: negative for too few runs (a curve that misses the trend of the
// data), positive for too many. None when the count of runs cannot vary
// (all one sign, or one of each).
std::optional<double> runsTestZ(std::span<const double> values);

}  // namespace fit
