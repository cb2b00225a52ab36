// SPDX-License-Identifier: GPL-3.0-or-later

// The fit of Sigma to a 500-point scan (target: at most 2 ms), and 1,000
// Monte Carlo refits of it on one thread and on two (target: at most 1 s on
// one, at least 1.8 times faster on two). The scan is made here from a fixed
// seed: signal = 0.4 exp(2.5 (x - 6.5)) + 0.05 plus noise of SD 0.004.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "analysis/Draws.h"
#include "fit/SigmaFit.h"

namespace {

fit::Scan scan500() {
    analysis::DrawStream stream(analysis::mix(1), 0);
    fit::Scan scan;
    scan.name = "bench";
    for (int i = 0; i < 500; ++i) {
        const double x = 6.0 + 0.002 * i;
        scan.x.push_back(x);
        scan.signal.push_back(0.4 * std::exp(2.5 * (x - 6.5)) + 0.05 +
                              0.004 * analysis::ziggurat().normal(stream));
    }
    return scan;
}

void BM_FitScan500(benchmark::State& state) {
    const std::vector scans = {scan500()};
    fit::SigmaFitOptions options;
    options.draws = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(fit::fitSigma(scans, options));
}
BENCHMARK(BM_FitScan500)->Unit(benchmark::kMillisecond);

void BM_MonteCarloRefits1000(benchmark::State& state) {
    const std::vector scans = {scan500()};
    fit::SigmaFitOptions options;
    options.draws = 1000;
    options.threads = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(fit::fitSigma(scans, options));
}
BENCHMARK(BM_MonteCarloRefits1000)
    ->ArgNames({"threads"})
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A scan of 10^6 points: the fit, and 1,000 refits on its thinned points
// (target: bounded by the thinning, a few seconds on one thread). The
// memory of the fit (target: at most 64 bytes a point) is measured as the
// peak resident size of `quorvin-fit` on such a file (see bench/README.md).
fit::Scan scanOf(int points) {
    analysis::DrawStream stream(analysis::mix(3), 0);
    fit::Scan scan;
    scan.name = "bench";
    for (int i = 0; i < points; ++i) {
        const double x = 6.0 + 1.0 * i / points;
        scan.x.push_back(x);
        scan.signal.push_back(0.4 * std::exp(2.5 * (x - 6.5)) + 0.05 +
                              0.004 * analysis::ziggurat().normal(stream));
    }
    return scan;
}

void BM_FitScanMillion(benchmark::State& state) {
    const std::vector scans = {scanOf(1000000)};
    fit::SigmaFitOptions options;
    options.draws = state.range(0);
    options.threads = 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(fit::fitSigma(scans, options));
}
BENCHMARK(BM_FitScanMillion)
    ->ArgNames({"draws"})
    ->Arg(0)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
