// SPDX-License-Identifier: GPL-3.0-or-later

// The standard electrokinetic model beside the linear (Henry) mobility at the
// same conditions. Targets: one mobility by the solver at most 1 ms; the
// valence of a measured mobility at most 10 ms; with the interpolant, the
// valences of 200,000 Monte Carlo draws at most 10 s on two cores (so at
// most 100 us a draw on one) and batch rows at 1,000 a second or more.
// The electrokinetic models window: the standard model's curve of 61 points
// well under 100 ms (from the run's table; the solver beside it), and the
// rows of all five models for one sample under 100 ms once the table is
// built, beside the three linear ones.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>

#include "electrokinetics/MobilityTable.h"
#include "electrokinetics/ModelChoice.h"
#include "electrokinetics/ModelComparison.h"
#include "electrokinetics/Salts.h"
#include "electrokinetics/Sphere.h"

namespace {

using namespace electrokinetics;

// The standard model's table is made on a thread of its own behind the
// first answers, which the solver gives: asked again until an answer is
// quick, as a long run finds it, before the clock runs.
template <typename Ask>
void untilQuick(Ask ask, std::chrono::microseconds quick) {
    using Clock = std::chrono::steady_clock;
    for (const Clock::time_point end = Clock::now() + std::chrono::minutes(1);
         Clock::now() < end;) {
        const Clock::time_point start = Clock::now();
        ask();
        if (Clock::now() - start < quick)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

// A small protein at low salt, where relaxation matters most.
Conditions protein() {
    Conditions c;
    c.radius = 2.0;
    c.ionicStrength = 0.01;
    c.temperature = 25;
    c.dielectric = 78.30;
    c.viscosity = 0.890;
    return c;
}

void BM_HenryMobility(benchmark::State& state) {
    const Conditions c = protein();
    for (auto _ : state) {
        benchmark::DoNotOptimize(henryMobility(c, 20));
    }
}
BENCHMARK(BM_HenryMobility);

void BM_StandardMobility(benchmark::State& state) {
    Conditions c = protein();
    c.radius = state.range(0) / 10.0;
    c.ionicStrength = state.range(1) / 1000.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            mobility(c, static_cast<double>(state.range(2)), Method::Standard));
    }
}
BENCHMARK(BM_StandardMobility)
    ->Args({20, 10, 20})
    ->Args({20, 10, 40})
    ->Args({35, 100, 20})
    ->Args({100, 150, 200})
    ->Unit(benchmark::kMillisecond);

void BM_OhshimaMobility(benchmark::State& state) {
    const Conditions c = protein();
    for (auto _ : state) {
        benchmark::DoNotOptimize(mobility(c, 20, Method::Ohshima2001));
    }
}
BENCHMARK(BM_OhshimaMobility);

void BM_ValenceFromMobility(benchmark::State& state) {
    Conditions c = protein();
    c.radius = state.range(0) / 10.0;
    c.ionicStrength = state.range(1) / 1000.0;
    const double measured = mobility(c, 20, Method::Standard);
    for (auto _ : state) {
        benchmark::DoNotOptimize(valenceFromMobility(c, measured, Method::Standard));
    }
}
BENCHMARK(BM_ValenceFromMobility)
    ->Args({20, 10})
    ->Args({35, 100})
    ->Args({100, 150})
    ->Unit(benchmark::kMillisecond);

void BM_TableBuild(benchmark::State& state) {
    const Electrolyte e = electrolyteOf(saltByName("NaCl"), 25, 78.3);
    for (auto _ : state) {
        MobilityTable table(e, 40, 32, 2);
        benchmark::DoNotOptimize(&table);
    }
}
BENCHMARK(BM_TableBuild)->Unit(benchmark::kMillisecond)->Iterations(1);

// One Monte Carlo draw: Ka and the mobility drawn about the protein's, the
// valence from the table (its zeta, then its charge).
void BM_TableValence(benchmark::State& state) {
    const Conditions c = protein();
    const Reduced r = reduce(c);
    static const MobilityTable table(r.electrolyte);
    const double measured = mobility(c, 20, Method::Standard) / r.mobilityUnit;
    std::uint64_t draw = 0;
    for (auto _ : state) {
        const double u = static_cast<double>(draw++ % 1000) / 1000 - 0.5;
        const double ka = r.ka * (1 + 0.02 * u);
        const std::vector<double> zetas = table.zetasForMobility(ka, measured * (1 + 0.05 * u));
        benchmark::DoNotOptimize(table.charge(ka, zetas.at(0)) / r.chargePerValence);
    }
}
BENCHMARK(BM_TableValence);

// The main window's start-up sample under the DHH fit, Sigma entered.
model::Conditions sample() {
    model::Conditions c;
    c.temperature = 20;
    c.ionicStrength = 0.1;
    c.dielectric = 78;
    c.stokesRadius = 2.9;
    c.saltIonRadius = 0.127;
    c.eField = 0.123;
    c.sigma = 22;
    c.modes.fromSigma = true;
    return c;
}

// The curve of one model over 61 reduced zetas from 0 to 8: 0 the standard
// model from the table, 1 from the solver, 2 Ohshima's 2001, 3 Henry's.
void BM_ModelCurve(benchmark::State& state) {
    electrokinetics::registerModels();
    const model::Conditions c = sample();
    std::vector<double> zetas;
    for (int k = 0; k <= 60; ++k)
        zetas.push_back(8.0 * k / 60);
    const std::vector<model::ElectrokineticModel> models = {
        model::ElectrokineticModel::Standard, model::ElectrokineticModel::Standard,
        model::ElectrokineticModel::OhshimaRelaxation, model::ElectrokineticModel::Henry};
    const auto m = models[static_cast<std::size_t>(state.range(0))];
    const model::Derived chosen = model::evaluateConditions(c);
    const ModelRow row = compareModel(c, chosen, {m, 0});
    if (state.range(0) == 0)
        untilQuick([&] { reducedMobilities(c, row, zetas); }, std::chrono::milliseconds(5));
    const Conditions sphere = sphereOf(c);
    const double thermalVoltage = reduce(sphere).thermalVoltage;
    for (auto _ : state) {
        if (state.range(0) == 1) {
            for (const double zeta : zetas)
                benchmark::DoNotOptimize(
                    mobilityForZeta(sphere, zeta * thermalVoltage, Method::Standard));
        } else {
            benchmark::DoNotOptimize(reducedMobilities(c, row, zetas));
        }
    }
}
BENCHMARK(BM_ModelCurve)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The rows of the window for one sample: 0 the three linear models and the
// limits, 1 all five models and the limits (the table already built).
void BM_ModelRows(benchmark::State& state) {
    electrokinetics::registerModels();
    const model::Conditions c = sample();
    const model::Derived chosen = model::evaluateConditions(c);
    std::vector<Compared> compared;
    for (const Compared& m : comparedModels())
        if (state.range(0) == 1 || isLinear(m))
            compared.push_back(m);
    untilQuick(
        [&] {
            for (const Compared& m : compared)
                compareModel(c, chosen, m);
        },
        std::chrono::milliseconds(20));
    for (auto _ : state) {
        for (const Compared& m : compared)
            benchmark::DoNotOptimize(compareModel(c, chosen, m));
    }
}
BENCHMARK(BM_ModelRows)->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

// One evaluation of a row under the standard model from its z*, with its
// zeta potential (a Poisson-Boltzmann surface solve) and without it, as the
// Monte Carlo draws take it.
void BM_EvaluationZeta(benchmark::State& state) {
    static const bool registered = (registerModels(), true);
    benchmark::DoNotOptimize(registered);
    model::Conditions c;
    c.temperature = 25;
    c.ionicStrength = 0.05;
    c.dielectric = 78.3;
    c.stokesRadius = 2.5;
    c.eField = 1;
    c.model = model::ElectrokineticModel::Standard;
    c.modes.fromZstar = true;
    c.withZeta = state.range(0) != 0;
    // The salt's table, built once per run, and its columns for these Ka.
    model::Conditions ask = c;
    ask.withZeta = false;
    untilQuick([&] { model::evaluateConditions(ask); }, std::chrono::microseconds(200));
    for (int k = 0; k < 1000; k += 100) {
        c.effectiveValence = 3 + k * 1e-4;
        model::evaluateConditions(c);
    }
    std::uint64_t draw = 0;
    for (auto _ : state) {
        c.effectiveValence = 3 + static_cast<double>(draw++ % 1000) * 1e-4;
        benchmark::DoNotOptimize(model::evaluateConditions(c).zeta);
    }
}
BENCHMARK(BM_EvaluationZeta)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
