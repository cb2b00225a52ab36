// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "fit/LeastSquares.h"
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
    // Whether the result keeps the residuals and their x (16 bytes a point).
    bool keepResiduals = true;
    // Called now and then during the refits with the refits done and asked.
    std::function<void(std::int64_t done, std::int64_t of)> progress;
    // Set from another thread to stop the fit: the refits stop after their
    // current block and fitSigma throws FitCancelled.
    const std::atomic<bool>* cancelled = nullptr;
};

// A fit stopped through its options' cancelled flag.
class FitCancelled : public FitError {
  public:
    FitCancelled() : FitError("the fit was cancelled") {}
};

// Refits of a larger fit use every k-th point of each scan, at most this
// many in all, and their spread about the thinned fit is scaled by
// sqrt(used / all): the time of the refits stays bounded however long the
// scan.
inline constexpr std::size_t kMaxRefitPoints = 2000;
// |Sigma| times the x range at most: beyond it the profile is a step.
inline constexpr double kMaxSigmaRange = 1000;

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
    std::size_t refitPoints = 0;   // the points of each refit, when thinned
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
    // in the order the runs test takes them, with their x (cm); empty
    // unless the options keep them.
    std::vector<double> residualX;
    std::vector<double> residuals;
    // Empty, or why the model does not describe the data.
    std::string warning() const;
    // Empty, or why the numbers are not to be trusted: Sigma at the edge of
    // the values searched, its SE larger than itself, with SDs a reduced
    // chi-square far from 1, or a fit that ended away from the best start.
    std::string problem;
};

// One scan alone, or several with one Sigma and an amplitude and baseline
// for each. The signals are scaled to a largest magnitude of 1 for the fit,
// so any unit gives the same Sigma; the start is the best Sigma of a search
// over |Sigma| (x range) from 0.01 to kMaxSigmaRange, each with its best
// amplitudes and baselines. Throws FitError with the scan's name when there
// are too few points or fewer than 3 distinct positions, when the signal is
// flat or nowhere positive, when only some scans give an SD, or when the
// fit fails.
SigmaFit fitSigma(std::span<const Scan> scans, const SigmaFitOptions& options);

// The Wald-Wolfowitz runs test z score of the signs of the values, zeros
// left out: negative for too few runs (a curve that misses the trend of the
// data), positive for too many. None when the count of runs cannot vary
// (all one sign, or one of each).
std::optional<double> runsTestZ(std::span<const double> values);

}  // namespace fit
