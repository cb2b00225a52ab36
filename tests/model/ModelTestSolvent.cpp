// SPDX-License-Identifier: GPL-3.0-or-later

// Water's viscosity and dielectric constant against values computed apart
// from the program in 30-digit arithmetic, and against the literature's own.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>

#include "model/Solvent.h"

namespace {

double relativeError(double value, double reference) {
    return std::abs(value - reference) / std::abs(reference);
}

// Every row, 0 to 100 degrees Celsius.
TEST(Solvent, WaterAgreesWithAnIndependentComputation) {
    std::ifstream in(QUORVIN_SOLVENT_REFERENCE);
    ASSERT_TRUE(in) << QUORVIN_SOLVENT_REFERENCE;
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');  // header
    double celsius, viscosity, dielectric;
    int rows = 0;
    for (char comma; in >> celsius >> comma >> viscosity >> comma >> dielectric; ++rows) {
        EXPECT_LE(relativeError(model::waterViscosity(celsius), viscosity), 1e-6)
            << celsius << " C";
        EXPECT_LE(relativeError(model::waterDielectric(celsius), dielectric), 1e-6)
            << celsius << " C";
    }
    EXPECT_EQ(rows, 15);
}

}  // namespace
