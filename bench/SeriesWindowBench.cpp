// SPDX-License-Identifier: GPL-3.0-or-later

// The series window with a long series, on the headless back end: a file of
// a million rows opened in a window (read, evaluated, the table's shape, the
// status line and the plot of every point), with the peak resident size;
// and the recovery copy's cost of one typed cell at 1,000 and 1,000,000
// rows (written and waited for), beside the snapshot of the whole series
// that each edit cost before; and a typed cell's whole cost in the window.
// Targets: the window opens in 5 s and 1 GB; an edit's copy costs the same
// at either length.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <fstream>
#include <memory>
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
    platform::headless::HeadlessBackend backend;
    platform::Application application{backend};
};

void BM_WindowOpenMillion(benchmark::State& state) {
    const std::filesystem::path file = seriesFile(kMillion);
    for (auto _ : state) {
        Program p;
        forms::TSeriesFrm* w = forms::OpeningForm->OpenFile(file.string());
        benchmark::DoNotOptimize(w->Grid1->cell(kMillion - 1, w->viewColumnOf("Valence")));
    }
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_WindowOpenMillion)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// A cell typed in the window of a million rows: the row evaluated again,
// the table, the status line and the plot brought up to date.
void BM_WindowEditMillion(benchmark::State& state) {
    const std::filesystem::path file = seriesFile(kMillion);
    Program p;
    forms::TSeriesFrm* w = forms::OpeningForm->OpenFile(file.string());
    const int mobility = w->viewColumnOf("Mobility");
    int n = 0;
    for (auto _ : state) {
        ++n;
        w->Grid1->userEdit(n % 100, mobility, n % 2 ? "1,5" : "1,6");
    }
}
BENCHMARK(BM_WindowEditMillion)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

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
