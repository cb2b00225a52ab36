// SPDX-License-Identifier: GPL-3.0-or-later

// The series window with a long series, on the headless back end: a file
// of 1,000 and of 1,000,000 rows opened in a window, timed until its table
// is in the user's hands (table_s, with the process's CPU time until then,
// table_cpu_s) and until every row's results and the plot are in (the
// iteration, cpu_s over the whole), and the peak resident size; beside it
// the bare evaluation of the same file by the series library alone. Then
// each kind of change (a typed cell, a row inserted or deleted, 100 rows
// pasted, an undo) whole in the window at either length, without the
// recovery copy and with it written and waited for, and the first cell
// typed after opening with its copy.
// Targets: the table of 10^6 rows in 5 s and the window in 1 GB; a change's
// copy costs the same at either length.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/Scratch.h"
#include "forms/LogJournal.h"
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

// What a user does to the series, timed whole in the window: the rows
// changed and evaluated, the table, status line, plot and recovery copy
// brought up to date.
// The block changes take 1,000 rows at once: deleted from near the top,
// pasted past the end, and a deletion undone (inserted near the top); each
// is undone or made untimed so that the table keeps its length.
enum Change { Typed, Inserted, Deleted, Pasted, Undone, BlockDeleted, BlockPasted, BlockUndone };
constexpr int kBlock = 1000;

// The state folder without the copies of earlier runs.
std::filesystem::path freshState() {
    const std::filesystem::path state = bench_support::scratch("state");
    std::filesystem::remove_all(state);
    return state;
}

// The window opened on rows rows, its rows evaluated.
forms::TSeriesFrm* openSettled(Program& p, int rows) {
    forms::TSeriesFrm* w = forms::OpeningForm->OpenFile(seriesFile(rows).string());
    p.settle(w);
    return w;
}

// Change n of its kind, near the top of the table; an undo undoes a typed
// cell made untimed before it.
void makeChange(benchmark::State& state, Program& p, forms::TSeriesFrm* w, Change kind, int n) {
    const int mobility = w->viewColumnOf("Mobility");
    const int row = n % 100;
    // Never a mobility of the file: each typed cell is a change.
    const std::string typed = n % 2 ? "2,05" : "2,07";
    switch (kind) {
        case Typed:
            w->Grid1->userEdit(row, mobility, typed);
            return;
        case Inserted:
            w->Grid1->setCurrent(row, 0);
            w->InsertRow1->userClick(w);
            return;
        case Deleted:
            w->Grid1->userSelect({row, 0, row, 0});
            w->DeleteRow1->userClick(w);
            return;
        case Pasted: {
            std::string block;
            for (int r = 0; r < 100; ++r)
                block += "p" + std::to_string(r) + "\t0,0" + std::to_string(1 + (n + r) % 9) + "\n";
            p.backend.setClipboard({block, {}});
            w->Grid1->setCurrent(row, 0);
            w->userStandardKey(platform::StandardKey::Paste);
            return;
        }
        case BlockDeleted:
        case BlockPasted: {
            state.PauseTiming();
            if (n > 1)
                w->userStandardKey(platform::StandardKey::Undo);
            w->flushCopy();
            std::string block;
            for (int r = 0; r < kBlock; ++r)
                block += "b" + std::to_string(r) + "\t0,0" + std::to_string(1 + r % 9) + "\n";
            p.backend.setClipboard({block, {}});
            state.ResumeTiming();
            if (kind == BlockDeleted) {
                w->Grid1->userSelect({row, 0, row + kBlock - 1, 0});
                w->DeleteRow1->userClick(w);
            } else {
                w->Grid1->setCurrent(w->Grid1->rowCount() - 1, 0);
                w->userStandardKey(platform::StandardKey::Paste);
            }
            return;
        }
        case BlockUndone:
            state.PauseTiming();
            w->Grid1->userSelect({row, 0, row + kBlock - 1, 0});
            w->DeleteRow1->userClick(w);
            w->flushCopy();
            state.ResumeTiming();
            w->userStandardKey(platform::StandardKey::Undo);
            return;
        case Undone:
            state.PauseTiming();
            w->Grid1->userEdit(row, mobility, typed);
            w->flushCopy();
            state.ResumeTiming();
            w->userStandardKey(platform::StandardKey::Undo);
            return;
    }
}

// Each change without the recovery copy (copy:0) and with it, written and
// waited for (copy:1), after the first change that took the file's bytes as
// its snapshot: the copy's cost is the difference. A later change's share of
// the snapshots its edits ask for is in the mean.
void BM_WindowChange(benchmark::State& state) {
    const auto rows = static_cast<int>(state.range(0));
    const auto kind = static_cast<Change>(state.range(1));
    const bool copied = state.range(2) != 0;
    Program p;
    std::unique_ptr<forms::LogJournal> journal;
    if (copied)
        journal = std::make_unique<forms::LogJournal>(*forms::ReportFrm, freshState());
    forms::TSeriesFrm* w = openSettled(p, rows);
    w->Grid1->userEdit(0, 0, "first");
    w->flushCopy();
    int n = 0;
    for (auto _ : state) {
        makeChange(state, p, w, kind, ++n);
        if (copied && !w->flushCopy())
            state.SkipWithError("the copy was not written");
    }
    w->closeWithoutAsking();
}
BENCHMARK(BM_WindowChange)
    ->ArgsProduct({{1000, kMillion},
                   {Typed, Inserted, Deleted, Pasted, Undone, BlockDeleted, BlockPasted,
                    BlockUndone},
                   {0, 1}})
    ->ArgNames({"rows", "change", "copy"})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->UseRealTime();

// The first cell typed after the file was opened, with its copy written and
// waited for: the copy's first snapshot is the file's bytes as read.
void BM_RecoveryFirstEdit(benchmark::State& state) {
    const auto rows = static_cast<int>(state.range(0));
    Program p;
    forms::LogJournal journal(*forms::ReportFrm, freshState());
    forms::TSeriesFrm* w = openSettled(p, rows);
    const int mobility = w->viewColumnOf("Mobility");
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w->openFile(seriesFile(rows));
        p.settle(w);
        w->flushCopy();
        state.ResumeTiming();
        ++n;
        w->Grid1->userEdit(n % 100, mobility, n % 2 ? "1,5" : "1,6");
        if (!w->flushCopy())
            state.SkipWithError("the copy was not written");
    }
}
BENCHMARK(BM_RecoveryFirstEdit)
    ->Arg(1000)
    ->Arg(kMillion)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// The snapshot a copy's thread makes when one is due: the copy read back,
// its edits replayed and the series written anew, off the window. Spread
// over the edits that made it due (edits_per_snapshot), it is the later
// edits' share of it.
void BM_RecoveryCompact(benchmark::State& state) {
    const std::filesystem::path file = seriesFile(static_cast<int>(state.range(0)));
    journal::SeriesCopyContent copy;
    std::ifstream in(file, std::ios::binary);
    copy.csv.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    for (std::size_t k = 0; k < 100; ++k)
        copy.edits.push_back(journal::CellEdit{k, 4, "1,5"});
    for (auto _ : state)
        benchmark::DoNotOptimize(forms::TSeriesFrm::replayCopy(copy, 0).text(
            series::Series::PendingRows::WithoutResults));
    state.counters["edits_per_snapshot"] = static_cast<double>(
        std::max(copy.csv.size() / 10, std::size_t{256} * journal::SeriesCopy::kEditWeight) /
        journal::SeriesCopy::kEditWeight);
}
BENCHMARK(BM_RecoveryCompact)
    ->Arg(1000)
    ->Arg(kMillion)
    ->ArgName("rows")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
