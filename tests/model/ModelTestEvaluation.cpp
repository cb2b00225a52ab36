// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <cmath>

#include "model/Evaluation.h"
#include "model/HenryExact.h"
#include "model/Sample.h"

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
