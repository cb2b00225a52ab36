// SPDX-License-Identifier: GPL-3.0-or-later

// A fit of Sigma that cannot be trusted says why: steep profiles, signals of
// any unit, flat or negative signals, too few positions, and numbers that do
// not hold together; a long scan's refits run on thinned points.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/Draws.h"
#include "fit/LeastSquares.h"
#include "fit/SigmaFit.h"

namespace {

// n points from x0 to x1 of top exp(sigma (x - x1)) + base, noise of SD sd.
fit::Scan steep(double sigma, double x0, double x1, int n, double top, double base, double sd,
                double unit = 1) {
    analysis::DrawStream stream(analysis::mix(7), static_cast<std::uint64_t>(n));
    fit::Scan scan;
    scan.name = "scan";
    for (int i = 0; i < n; ++i) {
        const double x = x0 + (x1 - x0) * i / (n - 1);
        scan.x.push_back(x);
        scan.signal.push_back(unit * (top * std::exp(sigma * (x - x1)) + base +
                                      sd * analysis::ziggurat().normal(stream)));
    }
    return scan;
}

fit::SigmaFitOptions noDraws() {
    fit::SigmaFitOptions o;
    o.draws = 0;
    return o;
}

TEST(SigmaFitStart, FindsASteepSigmaWhereTheStraightLineStartFailed) {
    struct Case {
        double sigma, x0, x1;
        int n;
        double top, base, sd;
    };
    const Case cases[] = {
        {600, 6.5, 7.0, 500, 1.0, 0.05, 0.01},  // once "did not converge"
        {600, 6.0, 7.0, 2000, 1.5, 0.3, 0.003},
        {600, 6.98, 7.0, 100, 1.0, 0.1, 0.003},
        {2.5, 6.0, 7.0, 200, 0.6, 0.05, 0.003},
        {-40, 6.8, 7.0, 200, 0.02, 0.05, 0.002},  // a falling profile
    };
    for (const Case& c : cases) {
        const fit::SigmaFit f = fit::fitSigma(
            std::vector{steep(c.sigma, c.x0, c.x1, c.n, c.top, c.base, c.sd)}, noDraws());
        EXPECT_LT(std::fabs(f.sigma - c.sigma), 4 * f.sigmaSE) << c.sigma << " found " << f.sigma;
        EXPECT_EQ(f.problem, "") << c.sigma;
    }
}

TEST(SigmaFitStart, TheSignalsUnitDoesNotChangeSigma) {
    const fit::SigmaFit one =
        fit::fitSigma(std::vector{steep(3.009, 6.0, 7.0, 200, 0.8, 0.05, 0.003)}, noDraws());
    for (double unit : {1e-12, 1e-6, 1e6, 1e12}) {
        const fit::SigmaFit f = fit::fitSigma(
            std::vector{steep(3.009, 6.0, 7.0, 200, 0.8, 0.05, 0.003, unit)}, noDraws());
        EXPECT_NEAR(f.sigma, one.sigma, 1e-8 * one.sigma) << unit;
        EXPECT_NEAR(f.sigmaSE, one.sigmaSE, 1e-6 * one.sigmaSE) << unit;
        EXPECT_NEAR(f.scans[0].amplitude, one.scans[0].amplitude * unit,
                    1e-6 * one.scans[0].amplitude * unit);
        EXPECT_NEAR(f.reducedChiSquare, one.reducedChiSquare * unit * unit,
                    1e-6 * one.reducedChiSquare * unit * unit);
    }
}

TEST(SigmaFitStart, ScansNoFitCanUseAreRefusedWithTheReason) {
    fit::Scan flat, negative, twoPositions;
    for (int i = 0; i < 50; ++i) {
        const double x = 6.0 + 0.01 * i;
        flat.x.push_back(x);
        flat.signal.push_back(0.5);
        negative.x.push_back(x);
        negative.signal.push_back(-0.5 - 0.001 * i);
        twoPositions.x.push_back(6.0 + 0.1 * (i % 2));
        twoPositions.signal.push_back(0.5 + 0.1 * (i % 2) + 0.001 * (i % 7));
    }
    const std::pair<fit::Scan, const char*> cases[] = {
        {flat, "the signal is the same at every point"},
        {negative, "every signal in the range used is zero or negative"},
        {twoPositions, "2 distinct positions in the range used; a curve needs at least 3"},
        {steep(3000, 6.0, 7.0, 200, 1, 0.05, 0.003), "Sigma would be at the edge"},
    };
    for (const auto& [scan, reason] : cases) {
        try {
            fit::fitSigma(std::vector{scan}, noDraws());
            ADD_FAILURE() << "fitted: " << reason;
        } catch (const fit::FitError& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << e.what();
        }
    }
}

TEST(SigmaFitCredibility, NumbersThatDoNotHoldTogetherAreNamed) {
    // Noise about a straight baseline: Sigma is not determined.
    fit::Scan noise = steep(2.5, 6.0, 7.0, 100, 0.0, 0.5, 0.01);
    // SDs ten times smaller than the scatter: chi-square 100 times too large.
    fit::Scan smallSd = steep(2.5, 6.0, 7.0, 100, 0.6, 0.05, 0.01);
    smallSd.sd.assign(smallSd.x.size(), 0.001);
    fit::Scan rightSd = smallSd;
    rightSd.sd.assign(rightSd.x.size(), 0.01);
    const std::pair<fit::Scan, const char*> cases[] = {
        {noise, "is larger than Sigma"},
        {smallSd, "is far from 1 although the SDs are given"},
        {rightSd, ""},
    };
    for (const auto& [scan, reason] : cases) {
        const fit::SigmaFit f = fit::fitSigma(std::vector{scan}, noDraws());
        if (*reason == 0)
            EXPECT_EQ(f.problem, "");
        else
            EXPECT_NE(f.problem.find(reason), std::string::npos) << f.problem;
    }
}

TEST(SigmaFitRefits, ALongScansRefitsUseThinnedPointsAndKeepTheIntervalsWidth) {
    fit::SigmaFitOptions o;
    o.draws = 400;
    int reports = 0;
    o.progress = [&](std::int64_t done, std::int64_t of) {
        EXPECT_LE(done, of);
        ++reports;
    };
    const fit::SigmaFit f =
        fit::fitSigma(std::vector{steep(2.5, 6.0, 7.0, 50000, 0.6, 0.05, 0.01)}, o);
    EXPECT_GT(f.refitPoints, fit::kMaxRefitPoints / 2);
    EXPECT_LE(f.refitPoints, fit::kMaxRefitPoints);
    ASSERT_TRUE(f.low95 && f.high95);
    // The 95 % interval spans about 2 x 1.96 standard errors about Sigma.
    EXPECT_NEAR((*f.high95 - *f.low95) / (2 * 1.96 * f.sigmaSE), 1.0, 0.2);
    EXPECT_NEAR((*f.high95 + *f.low95) / 2, f.sigma, 0.5 * f.sigmaSE);
}

}  // namespace
