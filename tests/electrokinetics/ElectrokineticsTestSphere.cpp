// SPDX-License-Identifier: GPL-3.0-or-later

// The sphere at a solution's conditions in the program's units: the
// relaxation's share of the mobility, the valences of a measured mobility
// on either side of its maximum, the instrument's zeta conversions and the
// ion table.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "electrokinetics/Salts.h"
#include "electrokinetics/Sphere.h"

using namespace electrokinetics;

namespace {

Conditions water(double radius, double ionicStrength) {
    Conditions c;
    c.radius = radius;
    c.ionicStrength = ionicStrength;
    c.temperature = 25;
    c.dielectric = 78.30;
    c.viscosity = 0.890;
    return c;
}

// The standard model's mobility as a share of Henry's linear one: small,
// highly charged proteins at low salt move far slower.
TEST(Sphere, RelaxationSlowsSmallHighlyChargedProteins) {
    const struct {
        double radius, ionicStrength, valence, share;
    } cases[] = {{2.0, 0.01, 20, 0.70}, {2.0, 0.01, 40, 0.43}, {3.5, 0.1, 20, 0.96}};
    for (const auto& k : cases) {
        const Conditions c = water(k.radius, k.ionicStrength);
        const double share = mobility(c, k.valence, Method::Standard) / henryMobility(c, k.valence);
        EXPECT_NEAR(share, k.share, 0.005) << k.radius << " nm, z " << k.valence;
    }
    // Ohshima's approximation falls off at high zeta, as a cubic must.
    const Conditions c = water(2.0, 0.01);
    EXPECT_NEAR(mobility(c, 20, Method::Ohshima2001) / henryMobility(c, 20), 0.68, 0.01);
}

TEST(Sphere, GivesBackTheValenceOfAMobilityOnTheRisingSide) {
    // Ka 0.66: the standard model has no maximum; Ohshima's cubic turns
    // down beyond its range, so it may give a second, higher valence.
    const Conditions c = water(2.0, 0.01);
    for (Method m : {Method::Standard, Method::Ohshima2001}) {
        for (double z : {-30.0, 0.5, 20.0}) {
            if (m == Method::Ohshima2001 && z < 0) {
                continue;  // past the cubic's maximum
            }
            const ValenceSolutions s = valenceFromMobility(c, mobility(c, z, m), m);
            ASSERT_FALSE(s.valences.empty()) << z;
            EXPECT_EQ(s.status == ValenceSolutions::Status::One, m == Method::Standard) << z;
            EXPECT_NEAR(s.valences[0], z, 1e-8 * std::abs(z));
        }
    }
}

// At Ka 10 the mobility peaks (near z = 1590 here): above the peak no
// valence gives it, below it two do, and the caller hears of both; further
// below, the second lies beyond the model's range and the caller hears so.
TEST(Sphere, ReportsBothValencesOrNoneAroundTheMaximum) {
    const Conditions c = water(10.0, 0.1);
    const ValenceSolutions low =
        valenceFromMobility(c, mobility(c, 800, Method::Standard), Method::Standard);
    ASSERT_TRUE(low.peakInside);
    ASSERT_EQ(low.status, ValenceSolutions::Status::Two);
    EXPECT_FALSE(low.beyondRange);
    EXPECT_NEAR(low.valences[0], 800, 1e-6);
    EXPECT_GT(low.valences[1], low.peakValence);
    EXPECT_NEAR(mobility(c, low.valences[1], Method::Standard), mobility(c, 800, Method::Standard),
                1e-8);
    const ValenceSolutions lower =
        valenceFromMobility(c, mobility(c, 100, Method::Standard), Method::Standard);
    EXPECT_EQ(lower.status, ValenceSolutions::Status::One);
    EXPECT_TRUE(lower.beyondRange);
    const ValenceSolutions high = valenceFromMobility(c, 1.01 * low.peakMobility, Method::Standard);
    EXPECT_EQ(high.status, ValenceSolutions::Status::None);
    EXPECT_TRUE(high.valences.empty());
    EXPECT_STREQ(statusName(high.status), "none");
    const ValenceSolutions negative =
        valenceFromMobility(c, mobility(c, -800, Method::Standard), Method::Standard);
    ASSERT_EQ(negative.status, ValenceSolutions::Status::Two);
    EXPECT_NEAR(negative.valences[0], -800, 1e-6);
}

// A mobility that falls on one of the search's samples (reduced zeta 1.5,
// 3, ... 10.5) or just beside one, on either side of the maximum, gives back
// its own valence among those found.
TEST(Sphere, FindsTheValenceOfAMobilityAtItsSearchSamples) {
    for (const Conditions& c : {water(2.0, 0.01), water(10.0, 0.1)}) {
        const double kT = reduce(c).thermalVoltage;
        for (int k = 1; k < 8; ++k) {
            for (double shift : {-1e-6, 0.0, 1e-6}) {
                const double zeta = (1.5 * k + shift) * kT;
                const ValenceSolutions s = valenceFromMobility(
                    c, mobilityForZeta(c, zeta, Method::Standard), Method::Standard);
                const double z = valenceForZeta(c, zeta);
                ASSERT_FALSE(s.valences.empty()) << k;
                const double found = std::abs(s.valences[0] - z) < std::abs(s.valences.back() - z)
                                         ? s.valences[0]
                                         : s.valences.back();
                EXPECT_NEAR(found, z, 1e-8 * z) << "Ka " << reduce(c).ka << " sample " << k;
            }
        }
    }
}

TEST(Sphere, UndoesTheInstrumentsZetaConversion) {
    const Conditions c = water(100, 0.1);
    // Hueckel in SI units: eps eps0 zeta / (1.5 eta), 25.7 mV in water.
    const double huckel = 78.30 * 8.8541878e-12 * 0.0257 / (1.5 * 0.890e-3) * 1e8;
    EXPECT_NEAR(mobilityFromZeta(c, 25.7, ZetaModel::Huckel) / huckel, 1, 2e-3);
    EXPECT_DOUBLE_EQ(mobilityFromZeta(c, 25.7, ZetaModel::Smoluchowski),
                     1.5 * mobilityFromZeta(c, 25.7, ZetaModel::Huckel));
    // Henry's conversion is Henry's linear mobility at the Debye-Hueckel zeta.
    const Conditions small = water(2.0, 0.01);
    const double zeta = zetaPotential(small, 0.01);
    EXPECT_NEAR(mobilityFromZeta(small, zeta, ZetaModel::Henry) / henryMobility(small, 0.01), 1,
                1e-6);
    for (ZetaModel m : {ZetaModel::Smoluchowski, ZetaModel::Huckel, ZetaModel::Henry})
        EXPECT_EQ(zetaModelByName(zetaModelName(m)), m);
    EXPECT_THROW(zetaModelByName("Henry"), std::invalid_argument);
}

TEST(Sphere, ZetaPotentialIsThePoissonBoltzmannOne) {
    const Conditions c = water(2.0, 0.01);
    EXPECT_NEAR(zetaPotential(c, 20), 93.94, 0.01);
    EXPECT_NEAR(zetaPotential(c, -20), -93.94, 0.01);
    EXPECT_NEAR(valenceForZeta(c, zetaPotential(c, 20)), 20, 1e-9);
    EXPECT_NEAR(mobilityForZeta(c, zetaPotential(c, 20), Method::Standard),
                mobility(c, 20, Method::Standard), 1e-9);
    Conditions bad = c;
    bad.radius = 0;
    EXPECT_THROW(zetaPotential(bad, 1), std::invalid_argument);
    bad = c;
    bad.salt = "sea water";
    EXPECT_THROW(zetaPotential(bad, 1), std::invalid_argument);
}

TEST(Salts, CarryTheTabulatedConductivitiesAndStrengths) {
    for (const char* name : {"NaCl", "KCl", "LiCl", "NH4Cl", "NaBr", "KNO3", "CaCl2", "MgCl2",
                             "NaPi-6.0", "NaPi-7.4", "napi-8.0"})
        EXPECT_NO_THROW(saltByName(name)) << name;
    EXPECT_EQ(saltByName("NaCl").ions[0].first.conductivity, 50.08);
    EXPECT_EQ(saltByName("KCl").ions[0].first.conductivity, 73.48);
    EXPECT_EQ(saltByName("KCl").ions[1].first.conductivity, 76.31);
    EXPECT_EQ(ionicStrengthPerMole(saltByName("CaCl2")), 3);
    // At pH = pKa2 the buffer holds both phosphates alike: I = 1 + 2 * 0.5.
    EXPECT_NEAR(ionicStrengthPerMole(saltByName("NaPi-7.2")), 2, 1e-12);
    EXPECT_THROW(saltByName("NaPi-12"), std::invalid_argument);
    EXPECT_THROW(saltByName("KI"), std::invalid_argument);
    // Reduced drags of the literature for KCl (about 0.176 and 0.169).
    const Electrolyte kcl = electrolyteOf(saltByName("KCl"), 25, 78.3);
    EXPECT_NEAR(kcl.ions[0].drag, 0.175, 0.002);
    EXPECT_NEAR(kcl.ions[1].drag, 0.169, 0.002);
    // Walden's rule: the drag follows eps T alone.
    const Electrolyte warm = electrolyteOf(saltByName("KCl"), 37, 78.3);
    EXPECT_NEAR(warm.ions[0].drag / kcl.ions[0].drag, 310.0 / 298.0, 1e-12);
}

}  // namespace
