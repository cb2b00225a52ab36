// SPDX-License-Identifier: GPL-3.0-or-later

// The least-squares engine against the certified values of the NIST StRD
// nonlinear regression data sets, from each of their starting points.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fit/LeastSquares.h"

namespace {

struct Certified {
    double value;
    double sd;
};

struct StrdSet {
    std::vector<std::vector<double>> starts;
    std::vector<Certified> certified;
    std::vector<double> x;
    std::vector<double> y;
};

StrdSet readStrd(const std::string& path) {
    std::ifstream in(path);
    StrdSet set;
    std::string line;
    bool data = false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string word;
        if (!(fields >> word) || word[0] == '#')
            continue;
        double a = 0, b = 0;
        if (data) {
            fields >> b;
            set.x.push_back(std::stod(word));
            set.y.push_back(b);
        } else if (word == "start" && fields >> a >> b) {
            set.starts.push_back({a, b});
        } else if (word == "certified" && fields >> word >> a >> b) {
            set.certified.push_back({a, b});
        } else {
            data = word == "data";
        }
    }
    return set;
}

// y = b1 (1 - exp(-b2 x)), the model of both sets.
fit::Model exponentialRise(const std::vector<double>& x) {
    fit::Model m;
    m.parameters = 2;
    m.evaluate = [&x](std::span<const double> b, std::span<double> values,
                      std::span<double> jacobian) {
        for (std::size_t i = 0; i < x.size(); ++i) {
            const double e = std::exp(-b[1] * x[i]);
            values[i] = b[0] * (1 - e);
            if (!jacobian.empty()) {
                jacobian[2 * i] = 1 - e;
                jacobian[2 * i + 1] = b[0] * x[i] * e;
            }
        }
    };
    return m;
}

// The same, point by point, as the engine of long scans reads it.
fit::PointModel exponentialRiseByPoints(const std::vector<double>& x,
                                        const std::vector<double>& y) {
    fit::PointModel m;
    m.points = x.size();
    m.parameters = 2;
    m.point = [&x, &y](std::span<const double> b, std::size_t i, std::span<double> row) {
        const double e = std::exp(-b[1] * x[i]);
        row[0] = 1 - e;
        row[1] = b[0] * x[i] * e;
        return y[i] - b[0] * (1 - e);
    };
    return m;
}

TEST(LeastSquares, MatchesTheNistCertifiedValuesFromEachStart) {
    for (const char* name : {"nist_misra1a.txt", "nist_boxbod.txt"}) {
        const StrdSet set = readStrd(std::string(QUORVIN_TEST_DATA) + "/" + name);
        ASSERT_EQ(set.starts.size(), 2u) << name;
        ASSERT_EQ(set.certified.size(), 2u) << name;
        for (const std::vector<double>& start : set.starts) {
            SCOPED_TRACE(std::string(name) + " from " + std::to_string(start[0]));
            for (const fit::LeastSquaresResult& r :
                 {fit::leastSquares(exponentialRise(set.x), set.y, {}, start),
                  fit::leastSquaresByPoints(exponentialRiseByPoints(set.x, set.y), start)}) {
                for (std::size_t j = 0; j < 2; ++j) {
                    const Certified& c = set.certified[j];
                    EXPECT_NEAR(r.parameters[j], c.value, 5e-7 * std::fabs(c.value))
                        << "b" << j + 1;
                    EXPECT_NEAR(r.standardErrors[j], c.sd, 5e-7 * c.sd) << "SE of b" << j + 1;
                }
            }
        }
    }
}

// Weights 1/sd^2 of known SDs: the errors are those of the weighted normal
// equations, unscaled, and the residuals unweighted. A straight line,
// whose covariance has a closed form.
TEST(LeastSquares, WeightsGiveTheWeightedCovarianceUnscaled) {
    const std::vector<double> x = {0, 1, 2, 3, 4};
    const std::vector<double> y = {1.1, 2.9, 5.2, 6.8, 9.1};
    const std::vector<double> w = {1, 4, 1, 0.25, 1};
    fit::Model line;
    line.parameters = 2;
    line.evaluate = [&x](std::span<const double> p, std::span<double> values,
                         std::span<double> jacobian) {
        for (std::size_t i = 0; i < x.size(); ++i) {
            values[i] = p[0] + p[1] * x[i];
            if (!jacobian.empty()) {
                jacobian[2 * i] = 1;
                jacobian[2 * i + 1] = x[i];
            }
        }
    };
    double sw = 0, swx = 0, swxx = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sw += w[i];
        swx += w[i] * x[i];
        swxx += w[i] * x[i] * x[i];
    }
    const double det = sw * swxx - swx * swx;
    const fit::LeastSquaresResult r =
        fit::leastSquares(line, y, w, {0, 1}, {.scaleByReducedChiSquare = false});
    EXPECT_NEAR(r.standardErrors[0], std::sqrt(swxx / det), 1e-12);
    EXPECT_NEAR(r.standardErrors[1], std::sqrt(sw / det), 1e-12);
    double chi = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        EXPECT_NEAR(r.residuals[i], y[i] - r.parameters[0] - r.parameters[1] * x[i], 1e-12);
        chi += w[i] * r.residuals[i] * r.residuals[i];
    }
    EXPECT_NEAR(r.chiSquare, chi, 1e-12);
    EXPECT_THROW(fit::leastSquares(line, std::vector<double>(2, 1.0), {}, {0, 1}), fit::FitError);
}

}  // namespace
