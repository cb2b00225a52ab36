// SPDX-License-Identifier: GPL-3.0-or-later

// The bare loops beside which python_bench.py times the Python module's
// keyword functions on arrays of 10^6: quorvin.valence(mobility=...,
// stokes_radius=..., ionic_strength=..., temperature=..., solvent="water")
// and quorvin.henry_function(ka) must take at most twice the time per
// element of these loops over the same evaluation.

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "analysis/Measurement.h"
#include "model/Electrostatics.h"
#include "model/Quantities.h"

namespace {

constexpr std::size_t kElements = 1000000;

struct Conditions {
    std::vector<double> mobility, stokesRadius, ionicStrength, temperature;
};

Conditions randomConditions() {
    std::mt19937_64 rng(1);
    const auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(rng);
    };
    Conditions c;
    for (std::size_t i = 0; i < kElements; ++i) {
        c.mobility.push_back(uniform(-4, 4));
        c.stokesRadius.push_back(uniform(1, 10));
        c.ionicStrength.push_back(uniform(0.001, 0.5));
        c.temperature.push_back(uniform(5, 40));
    }
    return c;
}

void BareValence(benchmark::State& state) {
    const Conditions c = randomConditions();
    analysis::MeasurementModel m;
    m.water = true;
    m.fromMobility = true;
    analysis::InputValues x{};
    for (int i = 0; i < analysis::kInputCount; ++i) {
        const model::QuantityInfo& info = analysis::inputInfo(static_cast<analysis::Input>(i));
        x[i] = *info.startText ? model::startValue(info.quantity) : 0;
    }
    std::vector<double> z(kElements);
    for (auto _ : state) {
        for (std::size_t i = 0; i < kElements; ++i) {
            x[static_cast<int>(analysis::input(model::Quantity::Mobility))] = c.mobility[i];
            x[static_cast<int>(analysis::input(model::Quantity::StokesRadius))] = c.stokesRadius[i];
            x[static_cast<int>(analysis::input(model::Quantity::IonicStrength))] =
                c.ionicStrength[i];
            x[static_cast<int>(analysis::input(model::Quantity::Temperature))] = c.temperature[i];
            z[i] = analysis::evaluate(m, x).valence;
        }
        benchmark::DoNotOptimize(z.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kElements));
}
BENCHMARK(BareValence)->Unit(benchmark::kMillisecond);

void BareHenryFunction(benchmark::State& state) {
    std::vector<double> ka(kElements), h(kElements);
    for (std::size_t i = 0; i < kElements; ++i)
        ka[i] = 0.01 + 0.00002 * static_cast<double>(i);
    for (auto _ : state) {
        for (std::size_t i = 0; i < kElements; ++i)
            h[i] = model::CalcHenryFunction(ka[i]);
        benchmark::DoNotOptimize(h.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kElements));
}
BENCHMARK(BareHenryFunction)->Unit(benchmark::kMillisecond);

}  // namespace
