// SPDX-License-Identifier: GPL-3.0-or-later

// The series window with a long series, on the headless back end: a file
// of 1,000 and of 1,000,000 rows opened in a window, timed until its table
// is in the user's hands (table_s, with the process's CPU time until then,
// table_cpu_s) and until every row's results and the plot are in (the
// iteration, cpu_s over the whole), and the peak resident size; beside it the bare evaluation of
// the same file by the series library alone. Then a typed cell's whole cost in the window (the row
// evaluated again, the table, status line, plot and recovery copy brought up to date) at either
// length, and the recovery copy's cost of one typed cell, beside the snapshot of the whole series
// that each edit cost before.
// Targets: the table of 10^6 rows in 5 s and the window in 1 GB; a typed
// cell's copy costs the same at either length.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/Scratch.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/Series.h"
#include "journal/SeriesCopy.h"
#include "platform/Application.h"
#include "platform/headless/Headless.h"

namespace {

constexpr int kMillion = 1000000;

// The salt and temperature series of series_bench, as a file.
std::filesystem::path seriesFile(int rows) {
    const std::filesystem::path path = bench_support::scratch(std::to_string(rows) + ".csv");
    if (std::filesystem::exists(path))
        return path;
    std::ofstream out(path, std::ios::binary);
    out << "Sample;IonicStrength (M);Temperature;StokesRadius;Mobility;pH\n";
    for (int i = 0; i < rows; ++i)
        out << 's' << i << ";0," << 1 + i % 150 << ';' << 5 + i % 40 << (i % 2 ? ";3,5;-" : ";3,5;")
            << 1 + i % 3 << ',' << i % 100 << ";7," << i % 10 << '\n';
    return path;
}

double peakMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The CPU time of every thread of the process so far.
double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Program {
    Program() {
        application.CreateForm(forms::OpeningForm);
        application.CreateForm(forms::ReportFrm);
        application.Run();
    }
    ~Program() {
        forms::OpeningForm = nullptr;
        forms::ReportFrm = nullptr;
    }
    // The window's rows evaluated on its threads, their reports taken in.
    void settle(forms::TSeriesFrm* w) {
        if (!backend.runPostedUntil([w] { return !w->evaluating(); }, std::chrono::minutes(10)))
            throw std::runtime_error("the evaluation did not end");
    }
    platform::headless::HeadlessBackend backend;
    platform::Application application{backend};
};

void BM_WindowOpen(benchmark::State& state) {
    const auto rows = static_cast<int>(state.range(0));
    const std::filesystem::path file = seriesFile(rows);
    double table = 0, tableCpu = 0, cpu = 0;
    for (auto _ : state) {
        const double cpuFrom = cpuSeconds();
        const auto from = std::chrono::steady_clock::now();
        Program p;
        forms::TSeriesFrm* w = forms::OpeningForm->OpenFile(file.string());
        table += std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
        tableCpu += cpuSeconds() - cpuFrom;
        p.settle(w);
        benchmark::DoNotOptimize(w->Grid1->cell(rows - 1, w->viewColumnOf("Valence")));
        cpu += cpuSeconds() - cpuFrom;
    }
    state.counters["table_s"] = benchmark::Counter(table, benchmark::Counter::kAvgIterations);
    state.counters["table_cpu_s"] =
        benchmark::Counter(tableCpu, benchmark::Counter::kAvgIterations);
    state.counters["cpu_s"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_WindowOpen)
    ->Arg(1000)
    ->Arg(kMillion)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The baseline: the file read and every row evaluated by the library, on
// every core, without a window.
void BM_BareEvaluation(benchmark::State& state) {
    const std::filesystem::path file = seriesFile(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        series::Series s;
        s.open(file);
        benchmark::DoNotOptimize(s.resultText(s.rowCount() - 1, 0));
    }
}
BENCHMARK(BM_BareEvaluation)
    ->Arg(1000)
    ->Arg(kMillion)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// A cell typed in the window: the row evaluated again, the table, the
// status line, the plot and the recovery copy brought up to date.
void BM_WindowEdit(benchmark::State& state) {
    const auto rows = static_cast<int>(state.range(0));
    const std::filesystem::path file = seriesFile(rows);
    Program p;
    forms::TSeriesFrm* w = forms::OpeningForm->OpenFile(file.string());
    p.settle(w);
    const int mobility = w->viewColumnOf("Mobility");
    int n = 0;
    for (auto _ : state) {
        ++n;
        w->Grid1->userEdit(n % 100, mobility, n % 2 ? "1,5" : "1,6");
    }
}
BENCHMARK(BM_WindowEdit)
    ->Arg(1000)
    ->Arg(kMillion)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

// One typed cell into the copy (edit:1), or the whole series anew
// (edit:0), each written and waited for.
void BM_RecoveryEdit(benchmark::State& state) {
    const auto rows = static_cast<int>(state.range(0));
    const bool edit = state.range(1) != 0;
    series::Series s;
    s.open(seriesFile(rows));
    journal::SeriesCopy copy(bench_support::scratch("state"));
    copy.write("series.csv", s.text());
    copy.sync();
    std::size_t n = 0;
    for (auto _ : state) {
        // A fresh snapshot now and then, as the window takes the edits in.
        if (edit && ++n % 200 == 0) {
            state.PauseTiming();
            copy.write("series.csv", s.text());
            copy.sync();
            state.ResumeTiming();
        }
        if (edit)
            copy.writeEdit({static_cast<std::size_t>(n % rows), 4, "1,5"});
        else
            copy.write("series.csv", s.text());
        copy.sync();
    }
    copy.remove();
    copy.sync();
}
BENCHMARK(BM_RecoveryEdit)
    ->ArgsProduct({{1000, kMillion}, {0, 1}})
    ->ArgNames({"rows", "edit"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
