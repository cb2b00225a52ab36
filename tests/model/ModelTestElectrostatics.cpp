// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/Electrostatics.h"
#include "model/GeCurve.h"

namespace {

using namespace model;

const PhysicalConstants kConstants{};

// The solution of the main window's design texts.
struct StartConditions {
    double temperature = 20.0, ionicStrength = 0.10, dielectric = 78;
    double stokesRadius = 2.90, saltIonRadius = 0.127;
};

TEST(Electrostatics, StartConditionsGiveTheScreeningQuantities) {
    const StartConditions sc;
    const double a = calcClosestApproach(sc.stokesRadius, sc.saltIonRadius);
    const double k =
        CalcInverseDebyeLength(sc.temperature, sc.ionicStrength, sc.dielectric, kConstants);
    const double ka = calcKa(k, a);
    EXPECT_NEAR(a, 3.027, 1e-12);
    EXPECT_NEAR(k, 1.05139e7, 50);
    EXPECT_NEAR(ka, 3.18254, 5e-6);
    EXPECT_NEAR(CalcHenryFunction(ka), 1.10258, 5e-6);
    EXPECT_NEAR(CalcDhhSlope(ka), 0.263614, 5e-7);
}

TEST(Electrostatics, HenryFunctionAtKnownKa) {
    struct Case {
        double ka, h, tolerance;
    };
    const Case cases[] = {
        {1, 1.01980, 5e-6},     {10, 1.25141, 5e-6}, {100, 1.45978, 5e-6}, {1000, 1.49622, 5e-6},
        {99000, 1.49982, 5e-6}, {0.001, 1.0, 0},     {101000, 1.5, 0},     {1e300, 1.5, 0},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(CalcHenryFunction(c.ka), c.h, c.tolerance) << "Ka " << c.ka;
    }
}

TEST(Electrostatics, HenryFunctionIsContinuousEnoughAtTheCutOff) {
    EXPECT_LT(1.5 - CalcHenryFunction(99999), 0.0002);
}

TEST(Electrostatics, HenryFunctionOutsideItsDomainIsDefined) {
    EXPECT_EQ(CalcHenryFunction(0), 1.0);
    EXPECT_EQ(CalcHenryFunction(-3), 1.0);
    EXPECT_EQ(CalcHenryFunction(-std::numeric_limits<double>::infinity()), 1.0);
    EXPECT_TRUE(std::isnan(CalcHenryFunction(std::nan(""))));
}

TEST(Electrostatics, InverseDebyeLengthWithoutIonsOrMeaningIsZero) {
    EXPECT_EQ(CalcInverseDebyeLength(20, 0, 78, kConstants), 0);
    EXPECT_EQ(CalcInverseDebyeLength(20, -0.1, 78, kConstants), 0);
    EXPECT_EQ(CalcInverseDebyeLength(20, 0.1, -78, kConstants), 0);
    EXPECT_EQ(CalcInverseDebyeLength(-300, 0.1, 78, kConstants), 0);
}

TEST(Electrostatics, ErfIsOddAndZeroAtZero) {
    EXPECT_EQ(Erf(0), 0);
    EXPECT_NEAR(Erf(0.5), 0.520500, 5e-7);
    EXPECT_EQ(Erf(-0.5), -Erf(0.5));
    EXPECT_EQ(Erf(-2.0), -Erf(2.0));
    EXPECT_NEAR(Erf(3.0), 0.9999779, 1e-6);
    EXPECT_EQ(Erf(std::numeric_limits<double>::infinity()), 1.0);
}

TEST(Electrostatics, HenryFunctionPassesOneAndAQuarterNearKaTen) {
    EXPECT_GT(CalcHenryFunction(9.8), 1.248);
    EXPECT_LT(CalcHenryFunction(9.8), 1.25);
    EXPECT_GT(CalcHenryFunction(10.0), 1.25);
}

TEST(Electrostatics, GammaPGuardsGiveZero) {
    EXPECT_EQ(GammaP(0.5, -1), 0);
    EXPECT_EQ(GammaP(0, 1), 0);
    EXPECT_EQ(GammaP(-1, 1), 0);
    EXPECT_EQ(GammaP(std::nan(""), 1), 0);
}

TEST(Electrostatics, GammaPAndItsComplementMeet) {
    // Below x = a + 1 the series answers, above it the continued fraction.
    EXPECT_NEAR(GammaP(0.5, 1.4), std::erf(std::sqrt(1.4)), 3e-7);
    EXPECT_NEAR(GammaP(0.5, 1.6), std::erf(std::sqrt(1.6)), 3e-7);
    EXPECT_NEAR(GammaSeries(0.5, 1.0).value + GammaContinuedFraction(0.5, 1.0).value, 1.0, 1e-6);
    EXPECT_NEAR(GammaSeries(0.5, 1.0).gln, std::log(std::sqrt(kConstants.Pi)), 1e-9);
}

TEST(Electrostatics, LogGammaOfIntegersIsLogFactorial) {
    EXPECT_NEAR(LogGamma(1), 0, 1e-10);
    EXPECT_NEAR(LogGamma(5), std::log(24.0), 1e-10);
    EXPECT_NEAR(LogGamma(11), std::log(3628800.0), 1e-9);
}

TEST(Electrostatics, StartFrictionAndDiffusion) {
    const double f = calcFrictionFromStokesRadius(1.0, 2.90, kConstants.Pi);
    EXPECT_NEAR(f, 5.466371, 5e-7);
    EXPECT_NEAR(calcDiffusionFromFriction(20.0, f, kConstants.Boltzmann), 7.399758, 5e-7);
}

TEST(GeCurve, FreeEnergyAtStartConditions) {
    const StartConditions sc;
    const double k =
        CalcInverseDebyeLength(sc.temperature, sc.ionicStrength, sc.dielectric, kConstants);
    const auto ge = [&](double z, double screening) {
        return CalcGe(z, sc.dielectric, sc.stokesRadius, sc.saltIonRadius, screening, kConstants);
    };
    EXPECT_NEAR(ge(1, k), 0.0831311, 5e-8);
    EXPECT_EQ(ge(-1, k), ge(1, k));
    EXPECT_NEAR(ge(10, k), 8.31311, 5e-6);
    EXPECT_NEAR(ge(17, k), 24.0249, 5e-5);
    EXPECT_EQ(ge(0, k), 0);
    EXPECT_NEAR(ge(10, 0), 30.6742, 5e-5);
}

}  // namespace
