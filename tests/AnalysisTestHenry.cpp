// Henry's function models: the exact function against 80-digit reference
// values, Ohshima's approximation, and the comparison of the valences.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/HenryModels.h"
#include "model/Electrostatics.h"

using analysis::HenryModel;

namespace {

struct Reference {
    double ka, exact, ohshima;
};

std::vector<Reference> references() {
    std::ifstream in(QUORVIN_HENRY_REFERENCE);
    std::string line;
    std::getline(in, line);  // header
    std::vector<Reference> rows;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Reference r{};
        char comma = 0;
        fields >> r.ka >> comma >> r.exact >> comma >> r.ohshima;
        rows.push_back(r);
    }
    return rows;
}

double relativeError(double value, double reference) {
    return std::abs(value - reference) / std::abs(reference);
}

// Every reference point from Ka = 1e-3 to 1e6, the seam at Ka = 1 among
// them, within 1e-9; in fact within a few units of the last place.
TEST(HenryExact, MatchesTheReferenceOverTheWholeAxis) {
    const std::vector<Reference> rows = references();
    ASSERT_GT(rows.size(), 270u);
    EXPECT_EQ(rows.front().ka, 1e-3);
    EXPECT_EQ(rows.back().ka, 1e6);
    double worstExact = 0, worstOhshima = 0;
    for (const Reference& r : rows) {
        const double e = relativeError(analysis::henryExact(r.ka), r.exact);
        EXPECT_LE(e, 1e-9) << "Ka = " << r.ka;
        worstExact = std::max(worstExact, e);
        worstOhshima =
            std::max(worstOhshima, relativeError(analysis::henryOhshima(r.ka), r.ohshima));
    }
    EXPECT_LE(worstExact, 1e-14);
    EXPECT_LE(worstOhshima, 1e-14);
    EXPECT_NEAR(analysis::henryExact(1), 1.0266648, 5e-8);
    EXPECT_NEAR(analysis::henryExact(10), 1.2527722, 5e-8);
}

TEST(HenryExact, IsContinuousAtTheSeam) {
    const double below = analysis::henryExact(1);
    const double above = analysis::henryExact(std::nextafter(1.0, 2.0));
    EXPECT_LE(relativeError(above, below), 1e-14);
}

// State: the start-up values (Ka 3.18254, Sigma 22, T 20, E 0.123), where
// the window shows z = 17.13. Each model's z follows from its own slope.
TEST(HenryComparison, GivesEachModelsValenceForTheState) {
    model::ModelState s;
    s.Temperature = 20;
    s.IonicStrength = 0.10;
    s.Dielectric = 78;
    s.StokesRadius = 2.90;
    s.SaltIonRadius = 0.127;
    s.EField = 0.123;
    s.Sigma = 22;
    const model::PhysicalConstants c = model::physicalConstants(s);
    s.InverseDebyeLength =
        model::CalcInverseDebyeLength(s.Temperature, s.IonicStrength, s.Dielectric, c);
    s.Ka = model::calcKa(s.InverseDebyeLength,
                         model::calcClosestApproach(s.StokesRadius, s.SaltIonRadius));

    const auto rows = analysis::compareHenryModels(s);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].henry, model::CalcHenryFunction(s.Ka));
    EXPECT_EQ(rows[0].slope, model::CalcDhhSlope(s.Ka));
    EXPECT_NEAR(rows[0].valence, 17.1308, 5e-5);
    EXPECT_EQ(rows[0].difference, 0.0);
    for (const auto& row : rows) {
        // z is inversely proportional to H at the same Ka.
        EXPECT_NEAR(row.valence * row.henry, rows[0].valence * rows[0].henry, 1e-10);
        EXPECT_NEAR(*row.difference, (rows[0].henry / row.henry - 1) * 100, 1e-12);
    }
    EXPECT_EQ(rows[1].henry, analysis::henryExact(s.Ka));
    EXPECT_EQ(rows[3].henry, 1.0);
    EXPECT_EQ(rows[4].henry, 1.5);

    s.Sigma = 0;
    EXPECT_FALSE(analysis::compareHenryModels(s)[1].difference.has_value());
}

}  // namespace
