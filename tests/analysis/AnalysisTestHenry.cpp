// SPDX-License-Identifier: GPL-3.0-or-later

// Henry's function models: the exact function and Ohshima's approximation
// against 80-digit reference values, and the comparison of the valences.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>

#include "analysis/HenryModels.h"
#include "model/Electrokinetic.h"
#include "model/FieldTable.h"
#include "model/HenryExact.h"
#include "model/Recalculate.h"

using analysis::HenryModel;

namespace {

double relativeError(double value, double reference) {
    return std::abs(value - reference) / std::abs(reference);
}

// Every reference point from Ka = 1e-3 to 1e6, those either side of each
// seam among them, within a few units of the last place.
TEST(HenryExact, MatchesTheReferenceOverTheWholeAxis) {
    std::ifstream in(QUORVIN_HENRY_REFERENCE);
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');  // header
    double ka, exact, ohshima;
    int rows = 0;
    for (char comma; in >> ka >> comma >> exact >> comma >> ohshima; ++rows) {
        EXPECT_LE(relativeError(model::henryExact(ka), exact), 1e-14) << "Ka = " << ka;
        EXPECT_LE(relativeError(model::henryOhshima(ka), ohshima), 1e-14) << "Ka = " << ka;
    }
    EXPECT_GT(rows, 270);
    EXPECT_NEAR(model::henryExact(1), 1.0266648, 5e-8);
    EXPECT_NEAR(model::henryExact(10), 1.2527722, 5e-8);
}

// At each seam, and one step either side of it, both methods give the same.
TEST(HenryExact, IsContinuousAtTheSeams) {
    const struct {
        double ka;
        double (*below)(double);
        double (*above)(double);
    } seams[] = {
        {model::kHenrySeriesTo, model::henryBySeries, model::henryByContinuedFraction},
        {model::kHenryAsymptoticFrom, model::henryByContinuedFraction,
         model::henryByAsymptoticSeries},
    };
    for (const auto& s : seams) {
        for (const double ka : {std::nextafter(s.ka, 0.0), s.ka, std::nextafter(s.ka, 2 * s.ka)})
            EXPECT_LE(relativeError(s.above(ka), s.below(ka)), 1e-14) << "Ka = " << ka;
    }
}

// No screening gives 1, as the program's own function does.
TEST(HenryExact, ApproximationsAreDefinedOffTheAxis) {
    for (double (*h)(double) : {model::henryExact, model::henryOhshima}) {
        EXPECT_EQ(h(0), 1.0);
        EXPECT_EQ(h(-3), 1.0);
        EXPECT_EQ(h(std::numeric_limits<double>::infinity()), 1.5);
        EXPECT_TRUE(std::isnan(h(std::nan(""))));
    }
}

TEST(HenryCurve, SpansTheAxisEvenlyInLogKa) {
    const auto curve = analysis::henryCurve(HenryModel::Ohshima, 10);
    ASSERT_EQ(curve.size(), 10u);
    EXPECT_EQ(curve.front().first, 1e-3);
    EXPECT_EQ(curve.back().first, 1e6);
    EXPECT_NEAR(curve[4].first, 10, 1e-14);
    EXPECT_TRUE(analysis::henryCurve(HenryModel::Exact, 1).empty());
}

// The main window's state after start-up: Ka 3.18254, Sigma 22, T 20, E 0.123.
model::ModelState startUpState() {
    model::ModelState s;
    model::FieldTable fields = model::FieldTable::mainWindowDesign();
    model::PointList series;
    model::readStartValues(s, fields);
    model::Recalculate(s, fields, series, {});
    return s;
}

// The start-up state, then its Sigma, T and E at a small and a large Ka. Every
// model's z times its slope is z*, which depends on Sigma alone.
TEST(HenryComparison, GivesEachModelsValenceForTheState) {
    const struct {
        double ka, exactDifference;  // percent; 0: the start-up Ka
    } cases[] = {{0, -0.396464}, {0.01, -0.000615}, {1e4, -0.003375}};
    for (const auto& c : cases) {
        model::ModelState s = startUpState();
        s.Ka = c.ka == 0 ? s.Ka : c.ka;
        const auto rows = analysis::compareHenryModels(s);
        ASSERT_EQ(rows.size(), 5u);
        for (int i = 0; i < 5; ++i) {
            const analysis::HenryComparison& row = rows[i];
            EXPECT_EQ(row.model, static_cast<HenryModel>(i));
            EXPECT_EQ(row.henry, analysis::henryFunction(row.model, s.Ka));
            EXPECT_NEAR(row.valence * row.slope, s.EffectiveValence, 1e-14 * s.EffectiveValence);
            EXPECT_NEAR(row.difference.value(), (rows[0].slope / row.slope - 1) * 100, 1e-10);
        }
        EXPECT_NEAR(*rows[1].difference, c.exactDifference, 5e-7) << "Ka " << c.ka;
    }
    // The program's row is the window's own calculation.
    const model::ModelState s = startUpState();
    const analysis::HenryComparison program = analysis::compareHenryModels(s)[0];
    EXPECT_EQ(program.henry, s.HenryFunction);
    EXPECT_EQ(program.slope, s.DhhSlope);
    EXPECT_EQ(program.valence, s.Valence);
    EXPECT_EQ(program.difference, 0.0);
    EXPECT_NEAR(program.valence, 17.1308, 5e-5);
}

// State: Sigma 0 (z 0), or E 0 (z infinite).
TEST(HenryComparison, NoDifferenceWithoutAFiniteProgramValence) {
    for (double model::ModelState::*quantity :
         {&model::ModelState::Sigma, &model::ModelState::EField}) {
        model::ModelState s = startUpState();
        s.*quantity = 0;
        for (const analysis::HenryComparison& row : analysis::compareHenryModels(s))
            EXPECT_FALSE(row.difference.has_value()) << analysis::henryModelName(row.model);
    }
}

}  // namespace
