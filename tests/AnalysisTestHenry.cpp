// Henry's function models: the exact function against 80-digit reference
// values, Ohshima's approximation, and the comparison of the valences.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/HenryExact.h"
#include "analysis/HenryModels.h"
#include "model/Electrostatics.h"
#include "model/FieldTable.h"
#include "model/Recalculate.h"

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

// Every reference point from Ka = 1e-3 to 1e6, those either side of each
// seam among them, within 1e-9; in fact within a few units of the last place.
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
    std::cout << "Largest relative error: exact " << worstExact << ", Ohshima " << worstOhshima
              << "\n";
    EXPECT_LE(worstExact, 1e-14);
    EXPECT_LE(worstOhshima, 1e-14);
    EXPECT_NEAR(analysis::henryExact(1), 1.0266648, 5e-8);
    EXPECT_NEAR(analysis::henryExact(10), 1.2527722, 5e-8);
}

// At each seam, and one step either side of it, both methods give the same.
TEST(HenryExact, IsContinuousAtTheSeams) {
    struct Seam {
        double ka;
        double (*below)(double);
        double (*above)(double);
    };
    const Seam seams[] = {
        {analysis::kHenrySeriesTo, analysis::henryBySeries, analysis::henryByContinuedFraction},
        {analysis::kHenryAsymptoticFrom, analysis::henryByContinuedFraction,
         analysis::henryByAsymptoticSeries},
    };
    for (const Seam& seam : seams) {
        for (const double ka :
             {std::nextafter(seam.ka, 0.0), seam.ka, std::nextafter(seam.ka, 2 * seam.ka)}) {
            EXPECT_LE(relativeError(seam.above(ka), seam.below(ka)), 1e-14) << "Ka = " << ka;
        }
    }
}

TEST(HenryExact, ApproximationsReachTheirLimitsAndStayDefinedOutsideTheAxis) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        double (*h)(double);
        double small, large;  // 1 - H(1e-3) and 1.5 - H(1e6) at most
    } models[] = {{analysis::henryExact, 7e-8, 5e-6}, {analysis::henryOhshima, 1e-9, 4e-6}};
    for (const auto& m : models) {
        EXPECT_NEAR(m.h(1e-3), 1, m.small);
        EXPECT_NEAR(m.h(1e6), 1.5, m.large);
        // No screening, as the program's own function has it.
        EXPECT_EQ(m.h(0), 1.0);
        EXPECT_EQ(m.h(-3), 1.0);
        EXPECT_EQ(m.h(inf), 1.5);
        EXPECT_TRUE(std::isnan(m.h(std::nan(""))));
    }
}

TEST(HenryCurve, SpansTheAxisEvenlyInLogKa) {
    const auto curve = analysis::henryCurve(HenryModel::Ohshima, 10);
    ASSERT_EQ(curve.size(), 10u);
    EXPECT_EQ(curve.front().first, 1e-3);
    EXPECT_EQ(curve.back().first, 1e6);
    for (int i = 0; i < 10; ++i) {
        EXPECT_NEAR(curve[i].first, std::pow(10.0, i - 3), 1e-15 * curve[i].first);
        EXPECT_EQ(curve[i].second, analysis::henryOhshima(curve[i].first));
    }
    EXPECT_TRUE(analysis::henryCurve(HenryModel::Exact, 1).empty());
}

// The main window's state after start-up: Ka 3.18254, Sigma 22, T 20,
// E 0.123, z from Sigma.
model::ModelState startUpState() {
    model::ModelState s;
    model::FieldTable fields = model::FieldTable::mainWindowDesign();
    model::PointList series;
    model::readStartValues(s, fields);
    model::Recalculate(s, fields, series, {});
    return s;
}

// Every model's z times its slope is z*, which depends on Sigma alone; the
// differences follow from the slopes.
void expectRowsOfTheSameSigma(const model::ModelState& s,
                              const std::vector<analysis::HenryComparison>& rows) {
    ASSERT_EQ(rows.size(), static_cast<size_t>(analysis::kHenryModelCount));
    for (int i = 0; i < analysis::kHenryModelCount; ++i) {
        const analysis::HenryComparison& row = rows[i];
        const std::string at = "Ka " + std::to_string(s.Ka) + ", row " + std::to_string(i);
        EXPECT_EQ(row.model, static_cast<HenryModel>(i)) << at;
        EXPECT_EQ(row.henry, analysis::henryFunction(row.model, s.Ka)) << at;
        EXPECT_NEAR(row.valence * row.slope, s.EffectiveValence, 1e-14 * s.EffectiveValence) << at;
        ASSERT_TRUE(row.difference.has_value()) << at;
        EXPECT_NEAR(*row.difference, (rows[0].slope / row.slope - 1) * 100, 1e-10) << at;
    }
}

TEST(HenryComparison, ProgramRowIsTheWindowsCalculation) {
    const model::ModelState s = startUpState();
    const auto rows = analysis::compareHenryModels(s);
    expectRowsOfTheSameSigma(s, rows);
    EXPECT_EQ(rows[0].henry, s.HenryFunction);
    EXPECT_EQ(rows[0].slope, s.DhhSlope);
    EXPECT_EQ(rows[0].valence, s.Valence);
    EXPECT_EQ(rows[0].difference, 0.0);
    EXPECT_NEAR(rows[0].henry, 1.10258, 5e-6);
    EXPECT_NEAR(rows[0].slope, 0.263614, 5e-7);
    EXPECT_NEAR(rows[0].valence, 17.1308, 5e-5);
}

// State: the start-up Sigma, T and E at a small and a large Ka.
TEST(HenryComparison, GivesEachModelsValenceAcrossTheKaRange) {
    const struct {
        double ka, exactDifference;  // in percent
    } cases[] = {{0.01, -0.000615}, {1e4, -0.003375}};
    for (const auto& c : cases) {
        model::ModelState s = startUpState();
        s.Ka = c.ka;
        const auto rows = analysis::compareHenryModels(s);
        expectRowsOfTheSameSigma(s, rows);
        EXPECT_NEAR(*rows[1].difference, c.exactDifference, 5e-7) << "Ka " << c.ka;
    }
}

TEST(HenryComparison, NoDifferenceWithoutAFiniteProgramValence) {
    model::ModelState noSigma = startUpState();
    noSigma.Sigma = 0;
    model::ModelState noField = startUpState();
    noField.EField = 0;
    for (const model::ModelState& s : {noSigma, noField}) {
        for (const analysis::HenryComparison& row : analysis::compareHenryModels(s)) {
            EXPECT_FALSE(row.difference.has_value()) << analysis::henryModelName(row.model);
        }
    }
}

}  // namespace
