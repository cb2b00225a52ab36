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

// Zeta of the linear models against the Debye-Hueckel potential in SI units
// (CODATA constants; the model's are older: 0.3 %). With the ions as points
// the Henry mobility of zeta, eps zeta f(Ka) / (6 pi eta), is the mobility
// the model gives z* (D by Stokes and Einstein): one relation.
TEST(Evaluation, LinearModelsGiveTheDebyeHuckelZeta) {
    const double e = 1.602176634e-19, eps0 = 8.8541878128e-12, kB = 1.380649e-23;
    const struct {
        double rs, ri, ionicStrength, valence;
    } cases[] = {{2.5, 0, 0.01, 10}, {2.5, 0.127, 0.1, 10}, {1, 0, 0.5, -4}, {6, 0.127, 0.001, 40}};
    for (int m = 0; m < kLinearModelCount; ++m)
        for (const auto& k : cases) {
            Conditions c = startUpConditions(static_cast<ElectrokineticModel>(m));
            c = {c.temperature, k.ionicStrength, c.dielectric, k.rs, k.ri, c.eField};
            c.diffusion = calcDiffusionFromStokesRadius(c.temperature, 0.89, k.rs,
                                                        c.constants.Boltzmann, c.constants.Pi);
            c.modes.fromZ = c.mobilityFromSigma = true;
            c.valence = k.valence;
            c.model = static_cast<ElectrokineticModel>(m);
            const double eps = eps0 * c.dielectric, rs = k.rs * 1e-9, a = rs + k.ri * 1e-9;
            const double kappa = std::sqrt(2 * 6.02214076e26 * k.ionicStrength * e * e /
                                           (eps * kB * (273 + c.temperature)));
            const double zeta =
                k.valence * e / (4 * M_PI * eps) * (1 / rs - kappa / (1 + kappa * a));
            const Derived d = evaluateConditions(c);
            const char* name = electrokineticModelInfo(c.model).name;
            EXPECT_NEAR(d.zeta, zeta * 1000, 3e-3 * std::fabs(zeta * 1000)) << name << " " << k.rs;
            const double statvoltPerVolt = c.constants.ElectronVolt / c.constants.ElementaryCharge;
            const double henry = c.dielectric * d.zeta / 1000 * statvoltPerVolt *
                                 d.screening.henry / (6 * c.constants.Pi * 0.89 * 0.01);
            if (k.ri == 0)
                EXPECT_NEAR(henry * statvoltPerVolt * 1e4, d.mobility, 1e-9 * std::fabs(d.mobility))
                    << name << " " << k.rs;
        }
}

// An instrument's zeta back to its mobility against the SI forms eps zeta /
// eta times 1 (Smoluchowski), 2/3 (Hueckel) or f(Ka) / 1.5 (Henry).
TEST(ZetaConversion, MobilityOfEachInstrumentsConversion) {
    const struct {
        ZetaModel model;
        const char* name;
        double ka, factor;
    } cases[] = {{ZetaModel::Smoluchowski, "Smoluchowski", 3, 1.0},
                 {ZetaModel::Huckel, "HUCKEL", 3, 2.0 / 3},
                 {ZetaModel::Henry, "henry", 0.5, henryExact(0.5) / 1.5},
                 {ZetaModel::Henry, "Henry", 40, henryExact(40) / 1.5}};
    for (const auto& c : cases) {
        const double si = c.factor * 8.8541878128e-12 * 74.2 * -0.035 / 0.69e-3 * 1e8;
        EXPECT_NEAR(mobilityFromZeta(-35, 74.2, 0.69, c.ka, c.model, {}), si, 3e-3 * -si) << c.name;
        EXPECT_EQ(zetaModelByName(c.name), c.model);
    }
    EXPECT_FALSE(zetaModelByName("hueckel"));
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
