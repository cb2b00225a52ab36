// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "model/Sampling.h"

namespace {

using namespace model;
using Limits = std::numeric_limits<std::int64_t>;

TEST(Sampling, TruncationIsDefinedForEveryDouble) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double value;
        std::int64_t expected;
    };
    const Case cases[] = {
        {17.13, 17},
        {-17.13, -17},
        {0.6, 0},
        {-0.6, 0},
        {-0.0, 0},
        {std::nan(""), 0},
        {inf, Limits::max()},
        {-inf, Limits::min()},
        {1e300, Limits::max()},
        {-1e300, Limits::min()},
        {9223372036854775808.0, Limits::max()},
        {-9223372036854775808.0, Limits::min()},
        {9223372036854774784.0, 9223372036854774784},
        {1e14 + 0.5, 100000000000000},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(truncToInt64(c.value), c.expected) << c.value;
    }
    EXPECT_EQ(valenceMagnitude(-inf), Limits::max());
    EXPECT_EQ(valenceMagnitude(-17.13), 17);
}

// The log's step as the plain search finds it.
std::int64_t searchedStep(std::int64_t n) {
    std::int64_t s = 1;
    while ((2 * n) / s > 25) {
        ++s;
    }
    return s;
}

TEST(Sampling, LogStepMatchesTheSearchWhereverTheSearchFinishes) {
    for (std::int64_t n = 0; n <= 20000; ++n) {
        ASSERT_EQ(logTableStep(n), searchedStep(n)) << n;
    }
    for (std::int64_t n : {123456, 999999, 3000000}) {
        EXPECT_EQ(logTableStep(n), searchedStep(n)) << n;
    }
}

TEST(Sampling, LogRowsStayWithinTheValenceRange) {
    struct Case {
        double valence;
        std::int64_t rows, first, last;
    };
    const Case cases[] = {
        {0.6, 1, 0, 0},
        {12, 25, -12, 12},
        {13, 14, -13, 13},
        {17.13, 18, -17, 17},
        {-17.13, 18, -17, 17},
        {9999, 26, -9999, 9251},
        {1e14, 26, -100000000000000, 92307692307700},
        {std::numeric_limits<double>::infinity(), 26, Limits::min() + 1, 8513881880173639218},
    };
    for (const Case& c : cases) {
        const ValenceGrid g = logTableGrid(c.valence);
        EXPECT_EQ(g.count, c.rows) << c.valence;
        EXPECT_EQ(g.at(0), c.first) << c.valence;
        EXPECT_EQ(g.at(g.count - 1), c.last) << c.valence;
    }
}

TEST(Sampling, CurveHasUnitStepUpTo9999) {
    for (double valence : {0.0, 0.6, -1.0, 17.13, -17.13, 9999.0, -9999.5}) {
        const std::int64_t n = valenceMagnitude(valence);
        const std::vector<std::int64_t> z = geCurveValences(valence);
        ASSERT_EQ(z.size(), static_cast<std::size_t>(2 * n + 1)) << valence;
        for (std::size_t i = 0; i < z.size(); ++i) {
            ASSERT_EQ(z[i], -n + static_cast<std::int64_t>(i)) << valence;
        }
    }
}

TEST(Sampling, CurveBeyond9999IsBoundedSymmetricAndSpansTheRange) {
    const double inf = std::numeric_limits<double>::infinity();
    for (double valence :
         {10000.0, 10001.0, 19999.0, 20000.0, 123456.7, 1e14, -1e14, 1e19, inf, -inf}) {
        const std::int64_t n = valenceMagnitude(valence);
        const ValenceGrid g = geCurveGrid(valence);
        EXPECT_LE(g.count, 2 * kUnitStepLimit + 1) << valence;
        EXPECT_GT(g.count, 2 * (kUnitStepLimit / 2)) << valence;
        EXPECT_EQ(g.at(g.count / 2), 0) << valence;
        EXPECT_EQ(g.at(g.count - 1), -g.at(0)) << valence;
        EXPECT_LE(g.at(g.count - 1), n) << valence;
        EXPECT_LT(n - g.at(g.count - 1), g.step) << valence;
    }
    EXPECT_EQ(geCurveGrid(10000).step, 2);
    EXPECT_EQ(geCurveGrid(10000).count, 10001);
}

TEST(Sampling, NanValenceGivesTheSinglePointZero) {
    EXPECT_EQ(geCurveValences(std::nan("")), std::vector<std::int64_t>{0});
    EXPECT_EQ(logTableGrid(std::nan("")).count, 1);
}

}  // namespace
