// SPDX-License-Identifier: GPL-3.0-or-later

// The standard electrokinetic model beside the linear (Henry) mobility at the
// same conditions. Targets: one mobility by the solver at most 1 ms; the
// valence of a measured mobility at most 10 ms; with the interpolant, the
// valences of 200,000 Monte Carlo draws at most 10 s on two cores (so at
// most 100 us a draw on one) and batch rows at 1,000 a second or more.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

#include "electrokinetics/MobilityTable.h"
#include "electrokinetics/ModelChoice.h"
#include "electrokinetics/Salts.h"
#include "electrokinetics/Sphere.h"

namespace {

using namespace electrokinetics;

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
