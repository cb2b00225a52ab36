// SPDX-License-Identifier: GPL-3.0-or-later

// The two models not linear in z as the model choice evaluates them: z* and
// the mobility from z, and z back from z*, against the solver and the
// independent reference.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>

#include "electrokinetics/ModelChoice.h"
#include "model/Electrostatics.h"

using namespace electrokinetics;

namespace {

class ModelChoice : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { registerModels(); }
};

model::Conditions sphere(double radius, double ionicStrength, model::ElectrokineticModel m) {
    model::Conditions c;
    c.temperature = 25;
    c.ionicStrength = ionicStrength;
    c.dielectric = 78.3;
    c.stokesRadius = radius;
    c.saltIonRadius = 0.127;  // not used: the ions are points
    c.eField = 1;
    c.model = m;
    return c;
}

model::Derived fromValence(model::Conditions c, double z) {
    c.modes.fromZ = true;
    c.valence = z;
    return model::evaluateConditions(c);
}

model::Derived fromEffectiveValence(model::Conditions c, double zstar) {
    c.modes.fromZstar = true;
    c.effectiveValence = zstar;
    return model::evaluateConditions(c);
}

double relative(double a, double b) {
    return std::abs(a - b) / std::abs(b);
}

// Proteins of 2 to 3.5 nm in 5 to 150 mM NaCl with z 5 to 40: z*, zeta and
// the mobility by the evaluation (the standard model from its table) as the
// solver gives them, and z back from that z*.
TEST_F(ModelChoice, ValenceAndMobilityAgreeWithTheSolverBothWays) {
    const struct {
        model::ElectrokineticModel model;
        Method method;
    } models[] = {{model::ElectrokineticModel::Standard, Method::Standard},
                  {model::ElectrokineticModel::OhshimaRelaxation, Method::Ohshima2001}};
    int passedMaximum = 0;
    for (const auto& m : models)
        for (double radius : {2.0, 2.75, 3.5})
            for (double ionicStrength : {0.005, 0.03, 0.15})
                for (double z : {5.0, 20.0, 40.0}) {
                    model::Conditions c = sphere(radius, ionicStrength, m.model);
                    // D of the sphere by Stokes and Einstein, so that the
                    // mobility shown is the model's.
                    c.diffusion = model::calcDiffusionFromStokesRadius(
                        25, 0.89, radius, c.constants.Boltzmann, c.constants.Pi);
                    c.mobilityFromSigma = true;
                    const model::Derived d = fromValence(c, z);
                    const std::string where = std::to_string(radius) + " nm, " +
                                              std::to_string(ionicStrength) + " M, z " +
                                              std::to_string(z) + ", " +
                                              model::electrokineticModelInfo(m.model).name;
                    EXPECT_LE(relative(d.effectiveValence, effectiveValence(c, z, m.method)), 1e-6)
                        << where;
                    const Conditions s = sphereOf(c);
                    EXPECT_LE(relative(d.mobility, mobility(s, z, m.method)), 1e-4) << where;
                    // Zeta is the sphere's Poisson-Boltzmann surface potential.
                    EXPECT_LE(relative(d.zeta, zetaPotential(s, z)), 1e-12) << where;
                    const model::Derived back = fromEffectiveValence(c, d.effectiveValence);
                    ASSERT_NE(back.solutions, model::Solutions::None) << where;
                    // Past a maximum (Ohshima's cubic at high zeta) z is the
                    // higher of two, and the lower is taken.
                    const bool past = back.solutions == model::Solutions::TwoLowerTaken &&
                                      relative(back.otherValence, z) <= 1e-6;
                    EXPECT_LE(relative(past ? back.otherValence : back.valence, z), 1e-6) << where;
                    if (back.solutions == model::Solutions::TwoLowerTaken)
                        EXPECT_GT(back.otherValence, back.valence) << where;
                    else
                        EXPECT_TRUE(std::isnan(back.otherValence)) << where;
                    passedMaximum += past;
                }
    EXPECT_EQ(passedMaximum, 2);  // Ohshima's, z 40 on 2 nm in 5 and 30 mM
}

// The reference's charge and mobility, taken as z and z*, at its Ka.
TEST_F(ModelChoice, StandardModelAgreesWithTheIndependentReference) {
    std::ifstream in(QUORVIN_ELECTROKINETICS_REFERENCE);
    ASSERT_TRUE(in) << QUORVIN_ELECTROKINETICS_REFERENCE;
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    int rows = 0;
    for (std::string line; std::getline(in, line);) {
        char salt[16];
        double ka, zeta, charge, reducedMobility;
        ASSERT_EQ(std::sscanf(line.c_str(), "%15[^,],%lf,%lf,%lf,%lf", salt, &ka, &zeta, &charge,
                              &reducedMobility),
                  5)
            << line;
        model::Conditions c = sphere(1, 0.01, model::ElectrokineticModel::Standard);
        c.salt = salt;
        c.stokesRadius = ka / sphereOf(c).inverseDebyeLength.value() * 1e7;
        const Reduced r = reduce(sphereOf(c));
        const double z = charge / r.chargePerValence;
        const double zstar = reducedMobility / (r.chargePerValence * r.ka);
        const model::Derived d = fromValence(c, z);
        EXPECT_LE(relative(d.effectiveValence, zstar), 1e-6) << line;
        EXPECT_LE(relative(d.zeta, zeta * r.thermalVoltage), 1e-6) << line;
        EXPECT_LE(relative(fromEffectiveValence(c, zstar).valence, z), 1e-6) << line;
        ++rows;
    }
    EXPECT_GE(rows, 20);
}

// The standard model's answers for a Monte Carlo run whose draws take the
// dielectric constant (and so the ions' drags) 6 % and 20 % either way:
// within 1e-6 of the solver across the range, and at the conditions
// themselves exactly what their own evaluation gives.
TEST_F(ModelChoice, AnswersForTheDrawsOfARunAgreeWithTheSolver) {
    const model::Conditions c = sphere(2.0, 0.01, model::ElectrokineticModel::Standard);
    const model::NonlinearModel& f = *model::nonlinearModel(c.model);
    for (const double width : {0.06, 0.2}) {
        const auto answers = f.prepare(c, c.temperature, c.temperature, c.dielectric * (1 - width),
                                       c.dielectric * (1 + width));
        for (const double t : {-1.0, -0.4, 0.7, 1.0}) {
            model::Conditions d = c;
            d.dielectric = c.dielectric * (1 + t * width);
            for (const double z : {5.0, 20.0}) {
                const double zstar = effectiveValence(d, z, Method::Standard);
                EXPECT_LE(relative(answers->effectiveValence(d, z), zstar), 1e-6)
                    << width << " " << t << " " << z;
                EXPECT_LE(relative(answers->valences(d, zstar).at(0), z), 1e-6)
                    << width << " " << t << " " << z;
            }
        }
        EXPECT_EQ(answers->valences(c, 3.0), f.valences(c, 3.0));
        EXPECT_EQ(answers->effectiveValence(c, 12.0), f.effectiveValence(c, 12.0));
    }
}

}  // namespace
