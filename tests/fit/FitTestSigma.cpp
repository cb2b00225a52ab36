// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/Draws.h"
#include "fit/LeastSquares.h"
#include "fit/SigmaFit.h"

namespace {

// The true values of tests/data/scans, as sigma_profiles.py made them.
constexpr double kSigma = 2.5;

fit::Scan scanFile(const std::string& name) {
    return fit::readScanFile(std::string(QUORVIN_TEST_DATA) + "/scans/" + name);
}

// A profile of 100 points from 6.0 to 6.99 cm with the true Sigma, normal
// noise of the given SD from the stream of profile k, and the SD column.
fit::Scan profile(std::uint64_t k, double amplitude, double baseline, double sd) {
    analysis::DrawStream stream(analysis::mix(42), k);
    fit::Scan scan;
    scan.name = "profile " + std::to_string(k);
    for (int i = 0; i < 100; ++i) {
        const double x = 6.0 + 0.01 * i;
        scan.x.push_back(x);
        scan.signal.push_back(amplitude * std::exp(kSigma * (x - 6.5)) + baseline +
                              sd * analysis::ziggurat().normal(stream));
        scan.sd.push_back(sd);
    }
    return scan;
}

fit::SigmaFitOptions noDraws() {
    fit::SigmaFitOptions o;
    o.draws = 0;
    return o;
}

TEST(SigmaFit, RecoversSigmaWithinTwoStandardErrorsIn95PercentOfProfiles) {
    // 1,000 profiles drawn here from a fixed seed rather than committed: the
    // same numbers every run, without megabytes of test data.
    int within = 0;
    for (std::uint64_t k = 0; k < 1000; ++k) {
        const fit::SigmaFit f = fit::fitSigma(std::vector{profile(k, 0.4, 0.05, 0.004)}, noDraws());
        within += std::fabs(f.sigma - kSigma) < 2 * f.sigmaSE ? 1 : 0;
    }
    EXPECT_GE(within, 950);
}

TEST(SigmaFit, LeavingOutTheBaselineBiasesSigma) {
    const std::vector scans = {scanFile("columns-sd.txt")};
    const fit::SigmaFit with = fit::fitSigma(scans, noDraws());
    fit::SigmaFitOptions o = noDraws();
    o.baseline = false;
    const fit::SigmaFit without = fit::fitSigma(scans, o);
    EXPECT_LT(std::fabs(with.sigma - kSigma), 2 * with.sigmaSE);
    EXPECT_NEAR(with.scans[0].baseline, 0.08, 2 * with.scans[0].baselineSE);
    EXPECT_FALSE(with.seScaled) << "the file gives SDs";
    EXPECT_GT(*with.sigmaBaselineCorrelation, 0.5);
    // The baseline of 0.08 taken up by the exponential flattens it.
    EXPECT_LT(without.sigma, kSigma - 10 * without.sigmaSE);
    EXPECT_FALSE(without.warning().empty()) << "the runs test sees the misfit";
    EXPECT_TRUE(with.warning().empty()) << *with.runsZ;
}

TEST(SigmaFit, RangeAndSignalLimitChooseThePoints) {
    // 0.1 e^(0.3 x) passes 1.0 at x = 7.7: of x = 2 to 9, 8 and 9 are above.
    fit::Scan scan;
    for (int i = 10; i >= 1; --i) {  // in any order
        scan.x.push_back(i);
        scan.signal.push_back(0.1 * std::exp(0.3 * i) + (i % 2 ? 0.01 : -0.01));
    }
    fit::SigmaFitOptions o = noDraws();
    o.from = 2;
    o.to = 9;
    o.maxSignal = 1.0;
    const fit::SigmaFit f = fit::fitSigma(std::vector{scan}, o);
    EXPECT_EQ(f.points, 6u);
    EXPECT_EQ(f.scans[0].aboveMax, 2u);
    EXPECT_EQ(f.scans[0].xRef, 4.5);
    o.to = 4;
    EXPECT_THROW(fit::fitSigma(std::vector{scan}, o), fit::FitError) << "3 points, 3 parameters";
}

TEST(SigmaFit, MonteCarloIntervalIsTheSameOnAnyNumberOfCoresAndMatchesTheSE) {
    const std::vector scans = {scanFile("radial-1.txt")};
    fit::SigmaFitOptions o;
    o.draws = 400;
    o.threads = 1;
    const fit::SigmaFit one = fit::fitSigma(scans, o);
    o.threads = 3;
    const fit::SigmaFit three = fit::fitSigma(scans, o);
    EXPECT_EQ(one.low95, three.low95);
    EXPECT_EQ(one.high95, three.high95);
    EXPECT_EQ(one.failedDraws, 0);
    o.seed = 2;
    EXPECT_NE(fit::fitSigma(scans, o).low95, one.low95);
    // Refits of the curve with the scan's noise spread as the SE says.
    EXPECT_NEAR(*one.high95 - *one.low95, 2 * 1.96 * one.sigmaSE, 0.2 * 2 * 1.96 * one.sigmaSE);
    EXPECT_LT(*one.low95, one.sigma);
    EXPECT_GT(*one.high95, one.sigma);
}

// A flag raised while the refits go (here at their first progress) stops
// them: the fit ends in FitCancelled, not in an interval of fewer draws.
TEST(SigmaFit, ACancelledFitThrowsRatherThanReturningPart) {
    const std::vector scans = {scanFile("radial-1.txt")};
    std::atomic<bool> cancelled{false};
    std::int64_t seenDone = 0;
    fit::SigmaFitOptions o;
    o.draws = 100000;
    o.threads = 1;
    o.cancelled = &cancelled;
    o.progress = [&](std::int64_t done, std::int64_t) {
        seenDone = done;
        cancelled = true;
    };
    EXPECT_THROW(fit::fitSigma(scans, o), fit::FitCancelled);
    EXPECT_LT(seenDone, o.draws);
}

TEST(SigmaFit, GlobalFitSharesSigmaAcrossScansWithTheirOwnAmplitudes) {
    const std::vector scans = {scanFile("radial-1.txt"), scanFile("radial-2.txt")};
    const fit::SigmaFit global = fit::fitSigma(scans, noDraws());
    const fit::SigmaFit first = fit::fitSigma(std::vector{scans[0]}, noDraws());
    ASSERT_EQ(global.scans.size(), 2u);
    EXPECT_LT(std::fabs(global.sigma - kSigma), 2 * global.sigmaSE);
    EXPECT_LT(global.sigmaSE, first.sigmaSE);
    // A is the signal above the baseline at the middle of the range.
    const double atMiddle = std::exp(kSigma * (global.scans[0].xRef - 6.5));
    EXPECT_NEAR(global.scans[0].amplitude, 0.55 * atMiddle, 3 * global.scans[0].amplitudeSE);
    EXPECT_NEAR(global.scans[1].amplitude, 0.35 * atMiddle, 3 * global.scans[1].amplitudeSE);
    EXPECT_NEAR(global.scans[1].baseline, 0.05, 3 * global.scans[1].baselineSE);
    EXPECT_EQ(global.scans[1].elapsedSeconds, 10800);
    EXPECT_EQ(global.points, 400u);

    fit::Scan plain = scans[1];
    plain.sd.clear();
    EXPECT_THROW(fit::fitSigma(std::vector{scans[0], plain}, noDraws()), fit::FitError);
}

TEST(SigmaFit, WithoutSdsTheErrorsAreScaledByTheScatter) {
    fit::Scan scan = profile(7, 0.4, 0.05, 0.004);
    const fit::SigmaFit known = fit::fitSigma(std::vector{scan}, noDraws());
    scan.sd.clear();
    const fit::SigmaFit scaled = fit::fitSigma(std::vector{scan}, noDraws());
    EXPECT_TRUE(scaled.seScaled);
    EXPECT_NEAR(scaled.sigma, known.sigma, 1e-9);
    EXPECT_NEAR(scaled.sigmaSE, known.sigmaSE * std::sqrt(known.reducedChiSquare),
                1e-9 * known.sigmaSE);
}

TEST(RunsTest, CountsTheRunsOfTheSigns) {
    // 10 values, 5 of each sign: 6 expected runs, variance 20/9.
    EXPECT_NEAR(*fit::runsTestZ(std::vector<double>{1, 1, 1, 1, 1, -1, -1, -1, -1, -1}),
                (2 - 6) / std::sqrt(20.0 / 9), 1e-12);
    EXPECT_NEAR(*fit::runsTestZ(std::vector<double>{1, -1, 0, 1, -1, 1, -1, 1, -1, 1, -1}),
                (10 - 6) / std::sqrt(20.0 / 9), 1e-12);
    EXPECT_FALSE(fit::runsTestZ(std::vector<double>{1, 2, 3}));
}

}  // namespace
