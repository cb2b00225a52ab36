// SPDX-License-Identifier: GPL-3.0-or-later

// The uncertainty of z under every electrokinetic model, the two not linear
// in z included: the budget against finite differences of an independent
// evaluation (the solver itself for those two), Monte Carlo against the
// budget for small uncertainties, and the draws and steps without a valence
// said, never dropped silently.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/Uncertainty.h"
#include "electrokinetics/ModelChoice.h"

namespace {

using analysis::Input;
using model::ElectrokineticModel;
using model::Quantity;

class NonlinearUncertainty : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { electrokinetics::registerModels(); }
};

// A small protein at low salt, Sigma measured, where relaxation matters.
analysis::Measurement protein(ElectrokineticModel m, double sigma) {
    model::ModelState s;
    s.Temperature = 25;
    s.IonicStrength = 0.01;
    s.Dielectric = 78.3;
    s.SaltIonRadius = 0.127;
    s.StokesRadius = 2.0;
    s.EField = 0.123;
    s.Sigma = sigma;
    s.Electrokinetic = m;
    s.Salt = "NaCl";
    return *analysis::measurementOf(s);
}

double value(const analysis::Measurement& m, Quantity q) {
    return m.values[static_cast<std::size_t>(*analysis::inputOf(q))];
}

// z at the inputs, not through the measurement function: the evaluation of
// a linear model, or the solver of a model not linear in z.
double independentValence(const analysis::Measurement& m, const analysis::InputValues& x) {
    const auto at = [&x](Quantity q) { return x[static_cast<std::size_t>(*analysis::inputOf(q))]; };
    model::Conditions c;
    c.temperature = at(Quantity::Temperature);
    c.ionicStrength = at(Quantity::IonicStrength);
    c.dielectric = at(Quantity::Dielectric);
    c.stokesRadius = at(Quantity::StokesRadius);
    c.saltIonRadius = at(Quantity::SaltIonRadius);
    c.eField = at(Quantity::EField);
    c.sigma = at(Quantity::Sigma);
    c.modes.fromSigma = true;
    c.model = m.model.electrokinetic;
    c.salt = "NaCl";
    if (model::electrokineticModelInfo(c.model).henry)
        return model::evaluateConditions(c).valence;
    const double zstar = model::effectiveValenceFromSigma(
        c.sigma, c.temperature, c.eField, c.constants.Boltzmann, c.constants.ElectronVolt);
    const auto method = c.model == ElectrokineticModel::Standard
                            ? electrokinetics::Method::Standard
                            : electrokinetics::Method::Ohshima2001;
    return electrokinetics::valencesOf(c, zstar, method).at(0);
}

// For each model: u(z) of the budget against central differences of the
// independent evaluation with steps of u, and 5,000 draws against the
// budget: with 0.2 % on each input z is nearly linear in them, so the mean
// lies within a few standard errors of z and the SD within 5 % of u(z)
// (five of its standard errors).
TEST_F(NonlinearUncertainty, BudgetAndDrawsAgreeUnderEveryModel) {
    for (int i = 0; i < model::kElectrokineticModelCount; ++i) {
        const auto ek = static_cast<ElectrokineticModel>(i);
        SCOPED_TRACE(model::electrokineticModelInfo(ek).name);
        const analysis::Measurement m = protein(ek, 22);
        analysis::Uncertainties u{};
        double variance = 0;
        for (Input input : m.model.inputs()) {
            const auto k = static_cast<std::size_t>(input);
            u[k].u = 0.002 * m.values[k];
            analysis::InputValues up = m.values;
            analysis::InputValues down = m.values;
            up[k] += u[k].u;
            down[k] -= u[k].u;
            const double step = (independentValence(m, up) - independentValence(m, down)) / 2;
            variance += step * step;
        }
        // The salt ion radius is no input where the ions are points.
        EXPECT_EQ(m.model.uses(*analysis::inputOf(Quantity::SaltIonRadius)),
                  i < model::kLinearModelCount);
        const analysis::GumResult gum = analysis::gumBudget(m, u);
        // Ohshima's cubic turns down at high zeta: every z* has a second,
        // high valence, which is said.
        const bool ohshima = ek == ElectrokineticModel::OhshimaRelaxation;
        EXPECT_EQ(analysis::valenceNote(gum).rfind("Two valences give z* = ", 0) == 0, ohshima)
            << analysis::valenceNote(gum);
        EXPECT_NEAR(gum.estimate.valence, independentValence(m, m.values),
                    1e-6 * std::abs(gum.estimate.valence));
        EXPECT_NEAR(gum.uValence, std::sqrt(variance), 2e-3 * gum.uValence);

        analysis::MonteCarloOptions options;
        options.draws = 5000;
        options.threads = 2;
        const analysis::MonteCarloResult r = *analysis::monteCarlo(m, u, options);
        EXPECT_EQ(r.withoutValence, 0);
        EXPECT_EQ(r.twoValences, ohshima ? 5000 : 0);
        EXPECT_NEAR(r.valence.mean, gum.estimate.valence, 4 * gum.uValence / std::sqrt(5000.0));
        EXPECT_NEAR(r.valence.sd, gum.uValence, 0.05 * gum.uValence);
        EXPECT_NEAR(r.effectiveValence.sd, gum.uEffectiveValence, 0.05 * gum.uEffectiveValence);
    }
}

// Near the largest z* the standard model gives (a large sphere at high
// salt), some draws have no valence and most two: the run counts both and
// summarises the draws that had one; the budget at a z* beyond the maximum
// has no u and says why.
TEST_F(NonlinearUncertainty, DrawsAndStepsWithoutAValenceAreSaid) {
    model::ModelState s;
    s.Temperature = 25;
    s.IonicStrength = 0.1;
    s.Dielectric = 78;
    s.StokesRadius = 10;
    s.EField = 0.123;
    s.Sigma = 197;
    s.Electrokinetic = ElectrokineticModel::Standard;
    const analysis::Measurement m = *analysis::measurementOf(s);
    analysis::Uncertainties u{};
    u[static_cast<std::size_t>(*analysis::inputOf(Quantity::Sigma))].u = 17;
    analysis::MonteCarloOptions options;
    options.draws = 10000;
    const analysis::MonteCarloResult r = *analysis::monteCarlo(m, u, options);
    EXPECT_GT(r.withoutValence, 0);
    EXPECT_GT(r.twoValences, 0);
    EXPECT_TRUE(std::isfinite(r.valence.mean) && std::isfinite(r.valence.sd));
    EXPECT_EQ(analysis::valenceNote(r),
              std::to_string(r.withoutValence) +
                  " of 10000 draws had no valence and are left out of the results. " +
                  std::to_string(r.twoValences) +
                  " of 10000 draws had two valences: the lower taken.");
    // The same seed, the same draws left out, on any number of threads.
    options.threads = 1;
    EXPECT_EQ(analysis::monteCarlo(m, u, options)->valence.mean, r.valence.mean);

    analysis::Measurement beyond = m;
    beyond.values[static_cast<std::size_t>(*analysis::inputOf(Quantity::Sigma))] = 260;
    u[static_cast<std::size_t>(*analysis::inputOf(Quantity::Sigma))].u = 1;
    const analysis::GumResult gum = analysis::gumBudget(beyond, u);
    EXPECT_TRUE(std::isnan(gum.uValence));
    EXPECT_EQ(analysis::valenceNote(gum).rfind("No valence gives z* = ", 0), 0u)
        << analysis::valenceNote(gum);
    EXPECT_THROW(analysis::monteCarlo(beyond, u, options), std::invalid_argument);
}

}  // namespace
