// SPDX-License-Identifier: GPL-3.0-or-later

// A series of 10,000 rows opened (read, every row entered and evaluated,
// without Monte Carlo) beside the bare evaluation of the same entries.
// Target: the series opens in 1 s at most; a million rows in 5 s and 1 GB
// (BM_SeriesOpenMillion, with the peak resident size as a counter).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <sstream>
#include <string>
#include <vector>

#include "model/Sample.h"
#include "series/Series.h"

namespace {

constexpr int kRowCount = 10000;
constexpr int kMillion = 1000000;

// A salt and temperature series in the semicolon dialect, half of the
// mobilities negative.
std::string seriesFile(int rows = kRowCount) {
    std::string csv = "Sample;IonicStrength (M);Temperature;StokesRadius;Mobility;pH\n";
    for (int i = 0; i < rows; ++i) {
        std::string row = "s";
        row += std::to_string(i);
        row += ";0,";
        row += std::to_string(1 + i % 150);
        row += ';';
        row += std::to_string(5 + i % 40);
        row += i % 2 ? ";3,5;-" : ";3,5;";
        row += std::to_string(1 + i % 3);
        row += ',';
        row += std::to_string(i % 100);
        row += ";7,";
        row += std::to_string(i % 10);
        csv += row + '\n';
    }
    return csv;
}

void BM_SeriesOpen(benchmark::State& state) {
    const std::string csv = seriesFile();
    for (auto _ : state) {
        std::istringstream in(csv);
        series::Series s;
        s.read(in);
        benchmark::DoNotOptimize(s.resultText(kRowCount - 1, 9));
    }
    state.SetItemsProcessed(state.iterations() * kRowCount);
}
BENCHMARK(BM_SeriesOpen)->Unit(benchmark::kMillisecond);

// The process's peak resident size so far, in MB.
double peakMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A million rows, opened once: the wall time and the peak resident size
// (which includes the file's text, held here as a string).
void BM_SeriesOpenMillion(benchmark::State& state) {
    const std::string csv = seriesFile(kMillion);
    for (auto _ : state) {
        std::istringstream in(csv);
        series::Series s;
        s.read(in);
        benchmark::DoNotOptimize(s.resultText(kMillion - 1, 9));
    }
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["file_MB"] = static_cast<double>(csv.size()) / 1e6;
    state.SetItemsProcessed(state.iterations() * kMillion);
}
BENCHMARK(BM_SeriesOpenMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The same rows' magnitudes entered and evaluated, nothing else.
void BM_BareEvaluation(benchmark::State& state) {
    std::vector<std::vector<model::Entry>> rows;
    for (int i = 0; i < kRowCount; ++i)
        rows.push_back({{model::Quantity::IonicStrength, "0." + std::to_string(1 + i % 150)},
                        {model::Quantity::Temperature, std::to_string(5 + i % 40)},
                        {model::Quantity::StokesRadius, "3.5"},
                        {model::Quantity::Mobility,
                         std::to_string(1 + i % 3) + "." + std::to_string(i % 100)}});
    for (auto _ : state)
        for (const std::vector<model::Entry>& entries : rows) {
            model::Sample s = model::startUpSample();
            model::enterAll(s, entries);
            benchmark::DoNotOptimize(model::evaluate(s));
        }
    state.SetItemsProcessed(state.iterations() * kRowCount);
}
BENCHMARK(BM_BareEvaluation)->Unit(benchmark::kMillisecond);

}  // namespace
