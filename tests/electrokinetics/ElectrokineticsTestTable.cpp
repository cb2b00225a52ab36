// SPDX-License-Identifier: GPL-3.0-or-later

// The interpolant of the standard model against the solver between its
// nodes, over the whole table.
#include <gtest/gtest.h>

#include <cmath>

#include "electrokinetics/MobilityTable.h"
#include "electrokinetics/Salts.h"

using namespace electrokinetics;

namespace {

TEST(MobilityTable, MatchesTheSolverBetweenItsNodes) {
    const Electrolyte e = electrolyteOf(saltByName("NaCl"), 25, 78.3);
    const MobilityTable table(e);
    double worst = 0;
    // A lattice that shares no point with the Chebyshev nodes.
    for (double lnKa = std::log(0.011); lnKa < std::log(1000.0); lnKa += 0.83) {
        const double ka = std::exp(lnKa);
        for (double zeta = -11.9; zeta <= 12; zeta += 1.37) {
            const MobilityState s = mobilityForPotential(ka, zeta, e);
            const double m = std::abs(table.mobility(ka, zeta) / s.mobility - 1);
            const double c = std::abs(table.charge(ka, zeta) / s.surface.charge - 1);
            EXPECT_LE(m, 1e-6) << "Ka " << ka << " zeta " << zeta;
            EXPECT_LE(c, 1e-6) << "Ka " << ka << " zeta " << zeta;
            worst = std::max({worst, m, c});
        }
    }
    RecordProperty("worst", std::to_string(worst));
    // Its inversions give back what it gives.
    EXPECT_NEAR(table.zetaForCharge(3, table.charge(3, -4)), -4, 1e-9);
    const std::vector<double> two = table.zetasForMobility(30, table.mobility(30, 3));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_NEAR(two[0], 3, 1e-9);
    EXPECT_TRUE(table.zetasForMobility(30, 1.1 * table.mobility(30, 6)).empty());
    EXPECT_THROW(table.mobility(2000, 1), std::invalid_argument);
}

}  // namespace
