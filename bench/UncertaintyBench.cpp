// SPDX-License-Identifier: GPL-3.0-or-later

// Monte Carlo draws of z beside the same number of bare evaluations of the
// measurement function, on one thread and on two, with an uncertainty on
// every input: Sigma measured at the start-up values (7 inputs), and the
// mobility with E from the current (10 inputs). Target: on one thread, Monte
// Carlo at most 1.5 times its bare evaluations.
//
// Then the uncertainty window's run under the standard model beside the
// program's own: 200,000 draws on two threads for a small protein at low
// salt, 1 % on every input. Target: at most 10 s, its tables included (the
// first repetition builds them for the range of the ions' drags; the others
// find them kept).
#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/Uncertainty.h"
#include "electrokinetics/ModelChoice.h"

namespace {

using analysis::Input;

constexpr std::int64_t kDraws = 1000000;

analysis::Measurement sigmaMeasurement() {
    model::ModelState s;
    s.Temperature = 20;
    s.IonicStrength = 0.1;
    s.Dielectric = 78;
    s.SaltIonRadius = 0.127;
    s.StokesRadius = 2.9;
    s.EField = 0.123;
    s.Sigma = 22;
    return *analysis::measurementOf(s);
}

analysis::Measurement mobilityMeasurement() {
    model::ModelState s;
    s.Temperature = 25;
    s.IonicStrength = 0.1;
    s.Dielectric = 78.5;
    s.SaltIonRadius = 0.127;
    s.StokesRadius = 2.9;
    s.Current = 0.18;
    s.Conductivity = 19.2;
    s.XSection = 0.04;
    s.EField = model::calcEField(s.Current, s.Conductivity, s.XSection);
    s.Mobility = 1.2;
    s.SigmaFromMobility = true;
    s.MobilityFromSigma = false;
    s.SigmaCalculated = true;
    return *analysis::measurementOf(s);
}

analysis::Uncertainties onePercentEach(const analysis::Measurement& m) {
    analysis::Uncertainties u{};
    for (Input input : m.model.inputs())
        u[static_cast<int>(input)].u = 0.01 * m.values[static_cast<int>(input)];
    return u;
}

analysis::Measurement measurement(const benchmark::State& state) {
    return state.range(0) == 0 ? sigmaMeasurement() : mobilityMeasurement();
}

void BM_BareEvaluations(benchmark::State& state) {
    const analysis::Measurement m = measurement(state);
    // Inputs spread as the draws spread them, cycled through, so that the
    // function's branches see the same variety as in the Monte Carlo run.
    std::vector<analysis::InputValues> points(4096, m.values);
    for (std::size_t k = 0; k < points.size(); ++k)
        for (Input input : m.model.inputs()) {
            const double spread =
                1 + 0.02 * (static_cast<double>(
                                (k * 2654435761u + static_cast<int>(input) * 40503u) % 1000) /
                                999.0 -
                            0.5);
            points[k][static_cast<int>(input)] *= spread;
        }
    for (auto _ : state) {
        double sum = 0;
        for (std::int64_t i = 0; i < kDraws; ++i)
            sum += analysis::evaluate(m.model, points[static_cast<std::size_t>(i) % points.size()])
                       .valence;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_BareEvaluations)
    ->ArgNames({"mobility"})
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_MonteCarlo(benchmark::State& state) {
    const analysis::Measurement m = measurement(state);
    const analysis::Uncertainties u = onePercentEach(m);
    analysis::MonteCarloOptions options;
    options.draws = kDraws;
    options.threads = static_cast<int>(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(analysis::monteCarlo(m, u, options));
}
BENCHMARK(BM_MonteCarlo)
    ->ArgNames({"mobility", "threads"})
    ->ArgsProduct({{0, 1}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

analysis::Measurement smallProtein(model::ElectrokineticModel m) {
    model::ModelState s;
    s.Temperature = 25;
    s.IonicStrength = 0.01;
    s.Dielectric = 78.3;
    s.SaltIonRadius = 0.127;
    s.StokesRadius = 2.0;
    s.EField = 0.123;
    s.Sigma = 22;
    s.Electrokinetic = m;
    return *analysis::measurementOf(s);
}

void BM_MonteCarloModel(benchmark::State& state) {
    electrokinetics::registerModels();
    const analysis::Measurement m =
        smallProtein(static_cast<model::ElectrokineticModel>(state.range(0)));
    const analysis::Uncertainties u = onePercentEach(m);
    analysis::MonteCarloOptions options;
    options.draws = 200000;
    options.threads = 2;
    for (auto _ : state)
        benchmark::DoNotOptimize(analysis::monteCarlo(m, u, options));
}
BENCHMARK(BM_MonteCarloModel)
    ->ArgNames({"model"})
    ->Arg(static_cast<int>(model::ElectrokineticModel::Dhh))
    ->Arg(static_cast<int>(model::ElectrokineticModel::Standard))
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
