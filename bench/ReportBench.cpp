// SPDX-License-Identifier: GPL-3.0-or-later

// The calculation log in the report window on the Qt back end, offscreen and
// hidden, at its largest: 10,000 entries of 35 lines. Appending must not
// slow down as the log grows (the last 1,000 entries at most 1.5 times the
// first 1,000); saving costs at most 10 times and opening at most 20 times
// writing and reading the same text as a plain file. The memory counter is
// what the full log adds to the process.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/LogEntries.h"
#include "bench/Scratch.h"
#include "forms/Report.h"
#include "platform/Application.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtRichEdit.h"

namespace {

using bench_support::entries;
using bench_support::entryCount;
using bench_support::linesPerEntry;

platform::qt::QtBackend* g_backend = nullptr;

// A report window with its Qt widgets built, as after the user has looked
// at it once, but hidden.
std::unique_ptr<forms::TReportFrm> newWindow() {
    auto form = std::make_unique<forms::TReportFrm>(nullptr);
    g_backend->formCreated(*form);
    g_backend->window(*form);
    return form;
}

void appendEntries(forms::TReportFrm& w, int from, int to) {
    for (int n = from; n < to; ++n)
        for (const std::string& line : entries()[static_cast<std::size_t>(n)])
            w.AddLogLine(line);
}

long residentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

using bench_support::scratch;

// Appends 1,000 entries to a window that already holds state.range(0).
void BM_ReportAppendEntries(benchmark::State& state) {
    const auto before = static_cast<int>(state.range(0));
    std::unique_ptr<forms::TReportFrm> w;
    for (auto _ : state) {
        state.PauseTiming();
        w.reset();
        QApplication::processEvents();
        w = newWindow();
        appendEntries(*w, 0, before);
        QApplication::processEvents();
        state.ResumeTiming();
        appendEntries(*w, before, before + 1000);
        // What is left for the event loop belongs to the cost as well.
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * 1000 * linesPerEntry);
}
BENCHMARK(BM_ReportAppendEntries)
    ->Arg(0)
    ->Arg(entryCount - 1000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The whole log in a window, once: what it takes in memory.
forms::TReportFrm& fullWindow() {
    static std::unique_ptr<forms::TReportFrm> w;
    static long addedKiB = 0;
    if (!w) {
        const long start = residentKiB();
        w = newWindow();
        appendEntries(*w, 0, entryCount);
        QApplication::processEvents();
        addedKiB = residentKiB() - start;
        auto* widget = g_backend->window(*w).findChild<platform::qt::RichEditWidget*>("RichEdit1");
        if (widget->document()->blockCount() != entryCount * linesPerEntry)
            throw std::logic_error("the widget does not hold the whole log");
        std::fprintf(stderr, "full log: %zu lines, %zu bytes of text, %ld KiB resident\n",
                     w->document().paragraphs().size(), w->document().length(), addedKiB);
    }
    return *w;
}

void BM_ReportSavePlainText(benchmark::State& state) {
    const std::string path = scratch("log.txt").string();
    forms::TReportFrm& w = fullWindow();
    for (auto _ : state) {
        const std::string text = w.RichEdit1->Text();
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), f);
        std::fflush(f);
        ::fsync(::fileno(f));
        std::fclose(f);
    }
}
BENCHMARK(BM_ReportSavePlainText)->Unit(benchmark::kMillisecond);

void BM_ReportSaveRtf(benchmark::State& state) {
    const auto path = scratch("log.rtf");
    forms::TReportFrm& w = fullWindow();
    for (auto _ : state)
        w.RichEdit1->SaveToFile(path);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_ReportSaveRtf)->Unit(benchmark::kMillisecond);

// The baseline of opening: the plain file read and split into lines.
void BM_ReportOpenPlainText(benchmark::State& state) {
    const std::string path = scratch("open.txt").string();
    {
        std::ofstream out(path, std::ios::binary);
        out << fullWindow().RichEdit1->Text();
    }
    for (auto _ : state) {
        const std::vector<std::string> lines = bench_support::readCrLfLines(path);
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_ReportOpenPlainText)->Unit(benchmark::kMillisecond);

// Opening into the window: the file read into the editor and the first
// screens in the widget, after which the window answers again ("shown"); and
// until the widget holds every line ("filled").
void openRtf(benchmark::State& state, bool whole) {
    const auto path = scratch("open.rtf");
    fullWindow().RichEdit1->SaveToFile(path);
    auto w = newWindow();
    auto* widget = g_backend->window(*w).findChild<platform::qt::RichEditWidget*>("RichEdit1");
    for (auto _ : state) {
        w->RichEdit1->LoadFromFile(path);
        if (whole) {
            while (!widget->filled())
                QApplication::processEvents();
        }
        if (w->document().paragraphs().size() != std::size_t{entryCount} * linesPerEntry)
            state.SkipWithError("the log did not read back whole");
    }
}

void BM_ReportOpenRtfShown(benchmark::State& state) {
    openRtf(state, false);
}
BENCHMARK(BM_ReportOpenRtfShown)->Unit(benchmark::kMillisecond);

void BM_ReportOpenRtfFilled(benchmark::State& state) {
    openRtf(state, true);
}
BENCHMARK(BM_ReportOpenRtfFilled)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::qt::QtBackend backend;
    platform::Application application(backend);
    g_backend = &backend;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
