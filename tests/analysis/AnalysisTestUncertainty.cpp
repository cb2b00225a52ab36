// SPDX-License-Identifier: GPL-3.0-or-later

// The uncertainty of z by the law of propagation and by Monte Carlo, against
// an independent computation on random measurements.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/Uncertainty.h"
#include "model/FieldTable.h"
#include "model/Recalculate.h"
#include "model/Sample.h"
#include "platform/base/NumberText.h"
#include "tests/support/UncertaintyReference.h"

namespace {

using analysis::Summary;

// GUM u within 0.5 %; Monte Carlo mean and u within 1 %, the ends of the
// 95 % interval within 2 % of its width; a value drawn near a limit is drawn
// again as often as the cut-off share of its distribution says.
TEST(Uncertainty, AgreesWithAnIndependentComputation) {
    const auto rows = testsupport::uncertaintyReference();
    ASSERT_GE(rows.size(), 12u);
    analysis::MonteCarloOptions options;  // 200,000 draws, seed 1
    for (const auto& row : rows) {
        const analysis::Measurement m = row.measurement();
        const analysis::Uncertainties u = row.uncertainties();
        const analysis::GumResult gum = analysis::gumBudget(m, u);
        const auto mc = analysis::monteCarlo(m, u, options);
        ASSERT_TRUE(mc);
        const struct {
            const char* name;
            double gumU;
            const Summary& summary;
        } outputs[] = {
            {"Valence", gum.uValence, mc->valence},
            {"EffectiveValence", gum.uEffectiveValence, mc->effectiveValence},
            {"GeMax", gum.uGeMax, mc->geMax},
        };
        const std::string what = row.cells.at("Hydro") + row.cells.at("Field") +
                                 row.cells.at("Measured") + " T " + row.cells.at("Temperature");
        for (const auto& o : outputs) {
            const std::string q = o.name;
            SCOPED_TRACE(what + " " + q);
            EXPECT_NEAR(o.gumU, row.number(q + "GumU"), 0.005 * row.number(q + "GumU"));
            EXPECT_NEAR(o.summary.mean, row.number(q + "Mean"),
                        0.01 * std::abs(row.number(q + "Mean")));
            EXPECT_NEAR(o.summary.sd, row.number(q + "U"), 0.01 * row.number(q + "U"));
            const double width = row.number(q + "High") - row.number(q + "Low");
            EXPECT_NEAR(o.summary.low, row.number(q + "Low"), 0.02 * width);
            EXPECT_NEAR(o.summary.high, row.number(q + "High"), 0.02 * width);
        }
        double shares = 0;
        for (const auto& r : gum.rows)
            shares += r.share;
        EXPECT_NEAR(shares, 1, 1e-12);

        const double t = row.number("Temperature");
        const double uT = u[static_cast<int>(analysis::input(model::Quantity::Temperature))].u;
        const bool nearZero =
            u[static_cast<int>(analysis::input(model::Quantity::Temperature))].distribution ==
                analysis::Distribution::Normal &&
            t < 3 * uT;
        if (nearZero) {
            // Redraws per accepted draw: p / (1 - p), p the share below 0 C.
            const double p = 0.5 * std::erfc(t / uT / std::sqrt(2.0));
            EXPECT_NEAR(static_cast<double>(mc->rejected) / static_cast<double>(mc->draws),
                        p / (1 - p), 0.05 * p / (1 - p));
        }
    }
}

// Draw i depends on the seed and i alone: any number of threads gives the
// same digits, another seed other ones.
TEST(Uncertainty, SameSeedSameDigitsOnAnyNumberOfThreads) {
    const auto rows = testsupport::uncertaintyReference();
    const analysis::Measurement m = rows.at(1).measurement();
    const analysis::Uncertainties u = rows.at(1).uncertainties();
    const auto digits = [&](int threads, std::uint64_t seed) {
        analysis::MonteCarloOptions options{50000, seed, threads};
        const auto r = analysis::monteCarlo(m, u, options);
        return std::vector<double>{
            r->valence.mean,        r->valence.sd,       r->valence.low,
            r->valence.high,        r->geMax.mean,       r->geMax.high,
            r->effectiveValence.sd, double(r->rejected), double(r->valenceHistogram.counts[25])};
    };
    const std::vector<double> one = digits(1, 7);
    EXPECT_EQ(digits(2, 7), one);
    EXPECT_EQ(digits(4, 7), one);
    EXPECT_NE(digits(2, 8), one);
}

// A cancelled run gives no result.
TEST(Uncertainty, CancelledRunGivesNothing) {
    const auto rows = testsupport::uncertaintyReference();
    analysis::MonteCarloControl control;
    control.cancelled = true;
    EXPECT_FALSE(
        analysis::monteCarlo(rows.at(0).measurement(), rows.at(0).uncertainties(), {}, &control));
}

}  // namespace

namespace {

// The measurement of a state gives, at the entered values, the z that the
// recalculation gave, up to the display rounding of derived values; with z
// or z* entered there is none.
TEST(Uncertainty, MeasurementOfTheStateGivesItsValence) {
    using S = model::ModelState;
    const auto roundedRadius = [](S& s) {
        s.StokesRadius = platform::StrToFloat(platform::FormatFloat("##.0##", s.StokesRadius));
    };
    const struct {
        const char* what;
        void (*set)(S&, decltype(roundedRadius)&);
        bool measured;
    } cases[] = {
        {"start-up: Sigma, the window's own E", [](S&, auto&) {}, true},
        {"E from current",
         [](S& s, auto&) { s.EField = model::calcEField(s.Current, s.Conductivity, s.XSection); },
         true},
        {"E entered",
         [](S& s, auto&) {
             s.ECalculated = false;
             s.EField = 0.2;
         },
         true},
        {"mobility, Rs entered",
         [](S& s, auto&) {
             s.SigmaFromMobility = s.SigmaCalculated = true;
             s.MobilityFromSigma = false;
         },
         true},
        {"mobility, D entered",
         [](S& s, auto& round) {
             s.SigmaFromMobility = s.SigmaCalculated = s.DiffusionEntered = true;
             s.MobilityFromSigma = s.StokesRadiusEntered = false;
             s.Diffusion = 6.5;
             s.StokesRadius = model::calcStokesRadiusFromDiffusion(s.Temperature, s.Viscosity,
                                                                   s.Diffusion, s.Boltzmann, s.Pi);
             round(s);
         },
         true},
        {"Sigma, f entered",
         [](S& s, auto& round) {
             s.FrictionEntered = true;
             s.StokesRadiusEntered = false;
             s.Viscosity = 1.3;
             s.Friction = 4.2;
             s.StokesRadius = model::calcStokesRadiusFromFriction(s.Viscosity, s.Friction, s.Pi);
             round(s);
         },
         true},
        {"z entered",
         [](S& s, auto&) {
             s.ZCalculated = false;
             s.SigmaCalculated = true;
             s.Valence = 10;
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        model::FieldTable fields = model::FieldTable::mainWindowDesign();
        S s;
        model::readStartValues(s, fields);
        c.set(s, roundedRadius);
        model::PointList series;
        model::Recalculate(s, fields, series, {});
        const auto m = analysis::measurementOf(s);
        ASSERT_EQ(m.has_value(), c.measured);
        if (m) {
            EXPECT_NEAR(analysis::evaluate(m->model, m->values).valence, s.Valence,
                        2e-4 * s.Valence);
        }
    }
}

}  // namespace

namespace {

// State: a mobility measured with E calculated from the current,
// conductivity and cross-section, each with an uncertainty. Expected: E
// cancels, so its inputs have a sensitivity of exactly 0 and no share, and
// the GUM u of z, z* and Ge(max) come from the mobility alone.
TEST(Uncertainty, InputsThatCancelHaveNoSensitivity) {
    model::Sample s = model::startUpSample();
    ASSERT_EQ(model::enterAll(s, {{model::Quantity::Current, "0.25"},
                                  {model::Quantity::Conductivity, "12.5"},
                                  {model::Quantity::XSection, "0.05"},
                                  {model::Quantity::Mobility, "1.8"}}),
              std::nullopt);
    const std::optional<analysis::Measurement> m = analysis::measurementOf(s.state);
    ASSERT_TRUE(m);
    analysis::Uncertainties u{};
    for (analysis::Input input :
         {analysis::input(model::Quantity::Current), analysis::input(model::Quantity::Conductivity),
          analysis::input(model::Quantity::XSection)})
        u[static_cast<int>(input)].u = 0.01;
    const analysis::GumResult onlyE = analysis::gumBudget(*m, u);
    int fieldRows = 0;
    for (const analysis::BudgetRow& row : onlyE.rows) {
        if (u[static_cast<int>(row.input)].u == 0)
            continue;
        ++fieldRows;
        EXPECT_EQ(row.sensitivity, 0.0) << analysis::inputInfo(row.input).name;
        EXPECT_EQ(row.share, 0.0);
    }
    EXPECT_EQ(fieldRows, 3);
    EXPECT_EQ(onlyE.uValence, 0.0);
    EXPECT_EQ(onlyE.uEffectiveValence, 0.0);
    EXPECT_EQ(onlyE.uGeMax, 0.0);
}

// The uncertainty follows the main window's electrokinetic model: under each
// model the GUM's estimate and the Monte Carlo mean of z are the z the pass
// gives under it, at the start-up values with u(Sigma) = 0.5.
TEST(Uncertainty, FollowsTheElectrokineticModel) {
    analysis::MonteCarloOptions options;
    options.draws = 20000;
    for (int k = 0; k < model::kElectrokineticModelCount; ++k) {
        if (!model::electrokineticModelAvailable(static_cast<model::ElectrokineticModel>(k)))
            continue;  // a model whose solver this program does not link
        model::Sample s = model::startUpSample();
        s.state.Electrokinetic = static_cast<model::ElectrokineticModel>(k);
        const model::Evaluation pass = model::evaluate(s);
        const std::optional<analysis::Measurement> m = analysis::measurementOf(pass.sample.state);
        ASSERT_TRUE(m);
        analysis::Uncertainties u{};
        u[static_cast<int>(analysis::input(model::Quantity::Sigma))].u = 0.5;
        const char* name = model::electrokineticModelInfo(s.state.Electrokinetic).name;
        EXPECT_DOUBLE_EQ(analysis::gumBudget(*m, u).estimate.valence, pass.sample.state.Valence)
            << name;
        const auto mc = analysis::monteCarlo(*m, u, options);
        ASSERT_TRUE(mc);
        // z is linear in Sigma: the mean within a few standard errors.
        EXPECT_NEAR(mc->valence.mean, pass.sample.state.Valence, 0.01) << name;
    }
}

// A result is quoted to the decimals of its uncertainty in two significant
// digits, including where rounding u adds a digit or u is in the hundreds.
TEST(Uncertainty, QuotedTextTakesTheDecimalsOfUInTwoDigits) {
    const struct {
        double value, u;
        const char* text;
    } cases[] = {
        {17.1308, 0.0195527, "17.131"},
        {0.0195527, 0.0195527, "0.020"},
        {1.23456, 0.0996, "1.23"},
        {12344, 243, "12340"},
        {4.5, 2.4, "4.5"},
        {17.1308, 0, "17.1308"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(analysis::quotedText(c.value, c.u), c.text) << c.value << " " << c.u;
}

}  // namespace
