// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cmath>

#include "model/Electrostatics.h"
#include "model/Evaluation.h"
#include "model/HenryExact.h"
#include "model/Sample.h"
#include "model/ZetaConversion.h"

namespace {

using namespace model;

Conditions startUpConditions(ElectrokineticModel m) {
    Conditions c = conditionsOf(startUpSample().state);
    c.model = m;
    return c;
}

// At the start-up conditions (Ka = 3.18254, Sigma = 22 entered) each model
// gives z by its own Henry's function; z* and Ge follow from that z.
TEST(Evaluation, EachModelGivesItsValenceFromSigma) {
    const struct {
        ElectrokineticModel model;
        double henry;
        double valence;
    } cases[] = {
        {ElectrokineticModel::Dhh, 1.10258, 17.1308},
        {ElectrokineticModel::Henry, 1.10696, 17.06285},
        {ElectrokineticModel::Ohshima, 1.09735, 17.2124},
    };
    for (const auto& c : cases) {
        const Derived d = evaluateConditions(startUpConditions(c.model));
        const char* name = electrokineticModelInfo(c.model).name;
        EXPECT_NEAR(d.screening.henry, c.henry, 5e-6) << name;
        EXPECT_NEAR(d.valence, c.valence, 5e-5) << name;
        EXPECT_NEAR(d.effectiveValence, 4.51590, 5e-6) << name;  // z* needs no model
        EXPECT_EQ(d.solutions, Solutions::One) << name;
    }
}

// Entering z or z* under a model and evaluating the Sigma it gives again
// returns the same z: each model's relation is one relation both ways.
TEST(Evaluation, ValenceAndSigmaRoundTripUnderEveryModel) {
    for (int m = 0; m < kLinearModelCount; ++m) {
        for (const bool fromZstar : {false, true}) {
            Conditions c = startUpConditions(static_cast<ElectrokineticModel>(m));
            c.modes = {false, !fromZstar, fromZstar};
            c.mobilityFromSigma = true;
            c.valence = 10;
            c.effectiveValence = 3;
            const Derived forward = evaluateConditions(c);
            Conditions back = c;
            back.modes = {true, false, false};
            back.sigma = forward.sigma;
            const Derived again = evaluateConditions(back);
            EXPECT_NEAR(again.valence, forward.valence, 1e-12 * std::fabs(forward.valence))
                << electrokineticModelInfo(c.model).name << (fromZstar ? " z*" : " z");
            EXPECT_NEAR(forward.effectiveValence, forward.valence * forward.screening.slope, 1e-12);
        }
    }
}

// Zeta of the linear models against the Debye-Hueckel potential worked out
// in SI units (CODATA constants; the model's own are older, hence 0.3 %),
// with and without a salt ion radius, and its sign following z.
TEST(Evaluation, LinearModelsGiveTheDebyeHuckelZeta) {
    const double e = 1.602176634e-19, eps0 = 8.8541878128e-12, kB = 1.380649e-23,
                 na = 6.02214076e23;
    const struct {
        double stokesRadius, saltIonRadius, ionicStrength, valence;
    } cases[] = {
        {2.5, 0.0, 0.01, 10}, {2.5, 0.127, 0.1, 10}, {1.0, 0.3, 0.5, -4}, {6.0, 0.127, 0.001, 40}};
    for (int m = 0; m < kLinearModelCount; ++m)
        for (const auto& k : cases) {
            Conditions c = startUpConditions(static_cast<ElectrokineticModel>(m));
            c.stokesRadius = k.stokesRadius;
            c.saltIonRadius = k.saltIonRadius;
            c.ionicStrength = k.ionicStrength;
            c.modes = {false, true, false};
            c.valence = k.valence;
            const double epsilon = eps0 * c.dielectric, t = 273 + c.temperature;
            const double kappa =
                std::sqrt(2 * na * 1000 * k.ionicStrength * e * e / (epsilon * kB * t));
            const double rs = k.stokesRadius * 1e-9, a = rs + k.saltIonRadius * 1e-9;
            const double zeta =
                k.valence * e / (4 * M_PI * epsilon) * (1 / rs - kappa / (1 + kappa * a)) * 1000;
            EXPECT_NEAR(evaluateConditions(c).zeta, zeta, 3e-3 * std::fabs(zeta))
                << electrokineticModelInfo(c.model).name << " Rs " << k.stokesRadius << " Ri "
                << k.saltIonRadius << " I " << k.ionicStrength;
        }
}

// With the ions as points, the Hueckel-Henry mobility of zeta, eps zeta
// f(Ka) / (6 pi eta), is the mobility each linear model gives z* (the
// diffusion coefficient by Stokes and Einstein): the two are one relation.
TEST(Evaluation, HenryMobilityOfZetaIsTheModelsMobility) {
    for (int m = 0; m < kLinearModelCount; ++m)
        for (const double ionicStrength : {0.001, 0.05, 1.0})
            for (const double valence : {-7.0, 25.0}) {
                Conditions c = startUpConditions(static_cast<ElectrokineticModel>(m));
                c.saltIonRadius = 0;
                c.ionicStrength = ionicStrength;
                c.modes = {false, true, false};
                c.valence = valence;
                const double viscosity = 0.89;  // cP
                const PhysicalConstants& k = c.constants;
                c.diffusion = calcDiffusionFromStokesRadius(c.temperature, viscosity,
                                                            c.stokesRadius, k.Boltzmann, k.Pi);
                c.mobilityFromSigma = true;
                c.roundAsShown = false;
                const Derived d = evaluateConditions(c);
                const double zetaStatvolt = d.zeta / 1000 * k.ElectronVolt / k.ElementaryCharge;
                const double perStatvolt =
                    c.dielectric * zetaStatvolt * d.screening.henry / (6 * k.Pi * viscosity * 0.01);
                const double mobility = perStatvolt * k.ElectronVolt / k.ElementaryCharge * 1e4;
                EXPECT_NEAR(mobility, d.mobility, 1e-9 * std::fabs(d.mobility))
                    << electrokineticModelInfo(c.model).name << " I " << ionicStrength << " z "
                    << valence;
            }
}

// An instrument's zeta turned back into its mobility, against the SI forms
// (Smoluchowski eps zeta / eta, Hueckel two thirds of it, Henry f(Ka) times
// Hueckel's) with CODATA's eps0 (the model's constants are older: 0.3 %).
TEST(ZetaConversion, MobilityOfEachInstrumentsConversion) {
    const double eps0 = 8.8541878128e-12;
    const struct {
        ZetaModel model;
        const char* name;
        double ka, factor;  // SI mobility over eps zeta / eta
    } cases[] = {{ZetaModel::Smoluchowski, "Smoluchowski", 3, 1.0},
                 {ZetaModel::Huckel, "HUCKEL", 3, 2.0 / 3},
                 {ZetaModel::Henry, "henry", 0.5, henryExact(0.5) / 1.5},
                 {ZetaModel::Henry, "Henry", 40, henryExact(40) / 1.5}};
    for (const auto& c : cases)
        for (const double zeta : {-35.0, 12.5}) {
            const double dielectric = 74.2, viscosity = 0.69;  // water at 37 C
            const double si = c.factor * eps0 * dielectric * zeta / 1000 / (viscosity / 1000);
            const double mobility =
                mobilityFromZeta(zeta, dielectric, viscosity, c.ka, c.model, PhysicalConstants{});
            EXPECT_NEAR(mobility, si * 1e8, 3e-3 * std::fabs(si * 1e8)) << c.name << " " << zeta;
            EXPECT_EQ(zetaModelByName(c.name), c.model);
            EXPECT_EQ(zetaModelByName(zetaModelName(c.model)), c.model);
        }
    EXPECT_FALSE(zetaModelByName("hückel"));
    EXPECT_FALSE(zetaModelByName(""));
}

TEST(Evaluation, ModelsAreNamedAndFoundByName) {
    EXPECT_STREQ(electrokineticModelNames(), "dhh, henry, ohshima");
    for (int m = 0; m < kLinearModelCount; ++m) {
        const auto model = static_cast<ElectrokineticModel>(m);
        const ElectrokineticModelInfo& info = electrokineticModelInfo(model);
        EXPECT_EQ(info.model, model);
        EXPECT_EQ(electrokineticModelByName(info.name), model);
        ASSERT_NE(info.henry, nullptr);
        // Every Henry's function runs from 1 to 1.5.
        EXPECT_NEAR(info.henry(1e-4), 1.0, 1e-3) << info.name;
        EXPECT_NEAR(info.henry(1e5), 1.5, 1e-3) << info.name;
    }
    EXPECT_EQ(electrokineticModelByName("OHSHIMA"), ElectrokineticModel::Ohshima);
    EXPECT_FALSE(electrokineticModelByName("huckel"));
    // The models not linear in z wait for their solver: a program without it
    // neither names nor steps to them.
    EXPECT_FALSE(electrokineticModelByName("standard"));
    EXPECT_FALSE(electrokineticModelByName("ohshima-relaxation"));
    EXPECT_EQ(nextElectrokineticModel(ElectrokineticModel::Ohshima), ElectrokineticModel::Dhh);
    EXPECT_FALSE(electrokineticModelByName(""));
}

}  // namespace
