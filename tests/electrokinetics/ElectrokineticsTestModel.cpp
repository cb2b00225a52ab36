// SPDX-License-Identifier: GPL-3.0-or-later

// The standard electrokinetic model in reduced units: its limits (Henry at
// vanishing charge, Ohshima's third-order coefficients, Ohshima, Healy and
// White's thin double layers, Debye-Hueckel and Gouy-Chapman for the double
// layer), its symmetry, its own refined grid,
// the published shape of the mobility against zeta, and an independent
// collocation solution.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>

#include "model/HenryExact.h"
#include "electrokinetics/Ohshima.h"
#include "electrokinetics/Salts.h"
#include "electrokinetics/StandardModel.h"

using namespace electrokinetics;

namespace {

double relative(double value, double reference) {
    return std::abs(value / reference - 1);
}

Electrolyte salt(const char* name) {
    return electrolyteOf(saltByName(name), 25, 78.3);
}

const char* const kSalts[] = {"NaCl", "CaCl2", "NaPi-7.4"};

TEST(StandardModel, TendsToHenrysFunctionAtVanishingCharge) {
    for (const char* name : kSalts) {
        for (double ka : {0.01, 0.03, 0.1, 0.3, 1.0, 3.0, 10.0, 30.0, 100.0}) {
            const MobilityState m = mobilityForPotential(ka, 1e-7, salt(name));
            EXPECT_LE(relative(m.mobility / m.surface.potential, model::henryExact(ka)), 1e-6)
                << name << " Ka " << ka;
        }
    }
}

// The default grid against one with half the step reaching further out; a
// divalent counterion (Ca2+ about a negative surface) to reduced zeta 8.
TEST(StandardModel, AgreesWithItsRefinedGrid) {
    for (const char* name : {"NaCl", "CaCl2"}) {
        for (double ka : {0.01, 0.1, 1.0, 10.0, 100.0, 1000.0}) {
            for (double zeta : {-12.0, -8.0, -5.0, 0.5, 2.0, 5.0, 8.0, 12.0}) {
                if (name[0] == 'C' && zeta < -8) {
                    continue;
                }
                const Electrolyte e = salt(name);
                const MobilityState m = mobilityForPotential(ka, zeta, e);
                const MobilityState r = mobilityForPotential(ka, zeta, e, Grid{}.refined());
                EXPECT_LE(relative(m.mobility, r.mobility), 1e-8)
                    << name << " Ka " << ka << " zeta " << zeta;
                EXPECT_LE(relative(m.surface.charge, r.surface.charge), 1e-9);
            }
        }
    }
}

TEST(StandardModel, ChangesSignWithTheChargeAndTheIons) {
    for (const char* name : kSalts) {
        const Electrolyte e = salt(name);
        for (double ka : {0.1, 3.0, 100.0}) {
            const double forward = mobilityForPotential(ka, -6, e).mobility;
            const double back = mobilityForPotential(ka, 6, chargeConjugate(e)).mobility;
            EXPECT_LE(relative(forward, -back), 1e-10) << name << " Ka " << ka;
        }
    }
}

// No maximum of E against zeta for Ka up to 2, a maximum from Ka 3 on.
TEST(StandardModel, HasAMaximumAgainstZetaOnlyAtLargerKa) {
    const Electrolyte e = salt("KCl");
    for (double ka : {0.1, 1.0, 2.0, 3.0, 5.0, 10.0, 50.0}) {
        double previous = 0, peak = 0;
        bool falls = false;
        for (double zeta = 0.5; zeta <= 12; zeta += 0.5) {
            const double m = mobilityForPotential(ka, zeta, e).mobility;
            falls = falls || m < previous;
            peak = std::max(peak, m);
            previous = m;
        }
        EXPECT_EQ(falls, ka >= 3) << "Ka " << ka;
    }
}

// The odd part's cubic coefficient, extrapolated from two small potentials,
// against Ohshima's fitted f3 + m f4 (his stated accuracy is about 1 %).
TEST(Ohshima2001, CubicCoefficientMatchesTheModel) {
    const Electrolyte e = salt("KCl");
    const double m = (e.ions[0].drag + e.ions[1].drag) / 2;
    for (double ka : {0.1, 1.0, 3.0, 10.0, 30.0, 100.0}) {
        double c[2];
        for (int i = 0; i < 2; ++i) {
            const double zeta = 0.02 * (i + 1);
            const double odd = (mobilityForPotential(ka, zeta, e).mobility -
                                mobilityForPotential(ka, -zeta, e).mobility) /
                               2;
            c[i] = (zeta * model::henryExact(ka) - odd) / (zeta * zeta * zeta);
        }
        const double cubic = (4 * c[0] - c[1]) / 3;
        EXPECT_LE(relative(ohshimaF3(ka) + m * ohshimaF4(ka), cubic), 0.015) << "Ka " << ka;
        EXPECT_NEAR(ohshimaMobility(ka, 0.01, e), 0.01 * ohshimaF1(ka), 1e-6);
    }
    EXPECT_THROW(ohshimaMobility(1, 1, salt("CaCl2")), std::invalid_argument);
}

// Ohshima, Healy and White's expression for thin double layers with its 1/Ka
// terms (J. Chem. Soc. Faraday Trans. 2 79 (1983) 1613), written for a 1:1
// electrolyte and zeta > 0, the anion the counterion: drags mCounter, mCo.
double ohshimaHealyWhite(double ka, double zeta, double mCounter, double mCo) {
    const double f = 2 * (1 + 3 * mCounter) * std::expm1(zeta / 2) / ka;
    const double b = std::log((1 + std::exp(zeta / 2)) / 2);
    const double c = 1 - 25 / (3 * (ka + 10)) * std::exp(-ka * zeta / (6 * (ka + 6)));
    const double d = std::log((1 + std::exp(-zeta / 2)) / 2);
    const double t = std::tanh(zeta / 4);
    const double w = 10 * f * (t + 7 * t * t / 20 + t * t * t / 9) / (1 + f) -
                     12 * c * (t + t * t * t / 9);
    const double x = 4 * d * (1 + 3 * mCo) * -std::expm1(-zeta / 2);
    const double y = 8 * f * b / ((1 + f) * (1 + f)) + 6 * zeta * (mCo * d + mCounter * b) / (1 + f);
    const double z = 24 * f * (mCo * d * d + mCounter * b * b / (1 + f)) / (1 + f);
    return 1.5 * zeta - 3 * f * b / (1 + f) + 1.5 * (w - x + y - z) / ka;
}

// The terms of t + t^3/9 + t^5/25 + ... = sum t^(2k+1)/(2k+1)^2 beyond the two
// the expression keeps, times its factor at large Ka: the part of the model's
// 1/Ka term that the expression leaves out.
double seriesLeftOut(double ka, double zeta) {
    const double t = std::tanh(zeta / 4);
    double sum = 0, power = std::pow(t, 5);
    for (int k = 2; power > 1e-18; ++k, power *= t * t) {
        sum += power / ((2 * k + 1.0) * (2 * k + 1.0));
    }
    return -18 * sum / ka;
}

// Thin double layers: within 1 % of the expression from Ka 50 on (0.55 % at
// worst, LiCl at Ka 50), and the difference of order 1/Ka^2 once the series
// is complete: from Ka 1000 to 3000 the difference times Ka^2 stays put,
// where a 1/Ka remainder would triple it. Either sign of zeta, three
// counterion drags.
TEST(StandardModel, MeetsOhshimaHealyWhiteAtThinDoubleLayers) {
    for (const char* name : {"NaCl", "KCl", "LiCl"}) {
        for (int sign : {1, -1}) {
            const Electrolyte e = sign > 0 ? salt(name) : chargeConjugate(salt(name));
            const Ion& counter = e.ions[0].valence < 0 ? e.ions[0] : e.ions[1];
            const Ion& co = e.ions[0].valence < 0 ? e.ions[1] : e.ions[0];
            for (double zeta : {0.5, 1.0, 2.0, 3.0, 4.0, 6.0, 8.0}) {
                const auto remainder = [&](double ka) {
                    const double exact = mobilityForPotential(ka, zeta, e).mobility;
                    const double formula = ohshimaHealyWhite(ka, zeta, counter.drag, co.drag);
                    if (ka <= 1000) {
                        EXPECT_LE(relative(formula, exact), 1e-2)
                            << name << " sign " << sign << " zeta " << zeta << " Ka " << ka;
                    }
                    return (exact - formula - seriesLeftOut(ka, zeta)) * ka * ka;
                };
                for (double ka : {50.0, 100.0, 300.0}) {
                    remainder(ka);
                }
                const double near = remainder(1000), far = remainder(3000);
                EXPECT_LE(std::abs(far), 1.5 * std::abs(near) + 1)
                    << name << " sign " << sign << " zeta " << zeta;
            }
        }
    }
}

TEST(PoissonBoltzmann, MeetsItsLimitsAndInvertsItself) {
    const Electrolyte e = salt("NaCl");
    for (double ka : {0.01, 1.0, 100.0}) {
        // Debye-Hueckel: sigma = zeta (1 + ka) / ka.
        EXPECT_LE(relative(surfaceForPotential(ka, 1e-6, e).charge, 1e-6 * (1 + ka) / ka), 1e-9);
        for (double zeta : {-12.0, 0.3, 4.0, 12.0}) {
            const SurfaceState s = surfaceForPotential(ka, zeta, e);
            EXPECT_LE(relative(surfaceForCharge(ka, s.charge, e).potential, zeta), 1e-9);
        }
    }
    // Gouy-Chapman for a plane, sigma = 2 sinh(zeta / 2), with curvature 1/ka.
    const double zeta = 6;
    EXPECT_NEAR(surfaceForPotential(1000, zeta, e).charge / (2 * std::sinh(zeta / 2)), 1, 2e-3);
}

TEST(StandardModel, RefusesWhatItCannotSolve) {
    const Electrolyte e = salt("NaCl");
    EXPECT_THROW(mobilityForPotential(0, 1, e), std::invalid_argument);
    EXPECT_THROW(mobilityForPotential(1, 41, e), std::invalid_argument);
    EXPECT_THROW(mobilityForCharge(1, std::nan(""), e), std::invalid_argument);
    Electrolyte charged = e;
    charged.ions[0].weight = 0.6;
    EXPECT_THROW(mobilityForPotential(1, 1, charged), std::invalid_argument);
    EXPECT_EQ(mobilityForCharge(1, 0, e).mobility, 0);
}

// Reference values by an independent method: scipy's collocation solver on
// the same equations (tests/data/electrokinetics_reference.py).
TEST(StandardModel, AgreesWithAnIndependentCollocation) {
    std::ifstream in(QUORVIN_ELECTROKINETICS_REFERENCE);
    ASSERT_TRUE(in) << QUORVIN_ELECTROKINETICS_REFERENCE;
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    std::string name;
    int rows = 0;
    for (std::string line; std::getline(in, line); ++rows) {
        char salt[16];
        double ka, zeta, charge, mobility;
        ASSERT_EQ(std::sscanf(line.c_str(), "%15[^,],%lf,%lf,%lf,%lf", salt, &ka, &zeta, &charge,
                              &mobility),
                  5)
            << line;
        const MobilityState m =
            mobilityForPotential(ka, zeta, electrolyteOf(saltByName(salt), 25, 78.3));
        EXPECT_LE(relative(m.surface.charge, charge), 1e-6) << line;
        EXPECT_LE(relative(m.mobility, mobility), 1e-6) << line;
    }
    EXPECT_GE(rows, 20);
}

}  // namespace
