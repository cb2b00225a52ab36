// SPDX-License-Identifier: GPL-3.0-or-later

// The calculation log at its largest: 10,000 entries of 35 lines. Appending
// must not slow down as the log grows (last 1,000 entries at most 1.5 times
// the first 1,000), saving as RTF must cost at most 10 times and opening at
// most 20 times writing and reading the same text as a plain file.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/LogEntries.h"
#include "bench/Scratch.h"
#include "platform/richtext/Rtf.h"

namespace {

using bench_support::entries;
using bench_support::entryCount;
using bench_support::linesPerEntry;

// What the report window does per entry: append its lines, keep the end in view.
void appendEntry(platform::RichDocument& doc, const std::vector<std::string>& lines) {
    static const platform::CharFormat logFormat;
    for (const std::string& line : lines)
        doc.appendLine(line, logFormat);
    benchmark::DoNotOptimize(doc.length());
}

const platform::RichDocument& fullLog() {
    static const auto doc = [] {
        platform::RichDocument d;
        for (const auto& e : entries())
            appendEntry(d, e);
        return d;
    }();
    return doc;
}

using bench_support::scratch;

// Appends 1,000 entries to a log that already holds state.range(0) entries.
void BM_AppendEntries(benchmark::State& state) {
    const auto before = static_cast<int>(state.range(0));
    std::unique_ptr<platform::RichDocument> doc;
    for (auto _ : state) {
        // Every round grows a new log from empty, as the program does.
        state.PauseTiming();
        doc.reset();
        doc = std::make_unique<platform::RichDocument>();
        for (int n = 0; n < before; ++n)
            appendEntry(*doc, entries()[n]);
        state.ResumeTiming();
        for (int n = before; n < before + 1000; ++n)
            appendEntry(*doc, entries()[n]);
    }
    state.SetItemsProcessed(state.iterations() * 1000 * linesPerEntry);
}
BENCHMARK(BM_AppendEntries)->Arg(0)->Arg(entryCount - 1000)->Unit(benchmark::kMillisecond);

// The baseline of saving: the log's lines with CR LF into a file, flushed to disk.
void BM_SavePlainText(benchmark::State& state) {
    const std::string path = scratch("log.txt").string();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        for (const auto& entry : entries()) {
            for (const std::string& line : entry) {
                std::fwrite(line.data(), 1, line.size(), f);
                std::fwrite("\r\n", 1, 2, f);
            }
        }
        std::fflush(f);
        ::fsync(::fileno(f));
        std::fclose(f);
    }
}
BENCHMARK(BM_SavePlainText)->Unit(benchmark::kMillisecond);

void BM_SaveRtf(benchmark::State& state) {
    const auto path = scratch("log.rtf");
    const platform::RichDocument& doc = fullLog();
    for (auto _ : state)
        platform::saveRtfFile(path, doc);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}
BENCHMARK(BM_SaveRtf)->Unit(benchmark::kMillisecond);

// The baseline of opening: the plain file read and split into lines.
void BM_OpenPlainText(benchmark::State& state) {
    const std::string path = scratch("log.txt").string();
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        const std::string text = fullLog().plainText();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    for (auto _ : state) {
        const std::vector<std::string> lines = bench_support::readCrLfLines(path);
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_OpenPlainText)->Unit(benchmark::kMillisecond);

void BM_OpenRtf(benchmark::State& state) {
    const auto path = scratch("log.rtf");
    platform::saveRtfFile(path, fullLog());
    for (auto _ : state) {
        const platform::RichDocument doc = platform::loadRtfFile(path);
        if (doc.paragraphs().size() != std::size_t{entryCount} * linesPerEntry)
            state.SkipWithError("the log did not read back whole");
    }
}
BENCHMARK(BM_OpenRtf)->Unit(benchmark::kMillisecond);

// The serialisation alone, in memory, for reading the file figures.
void BM_WriteRtfInMemory(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::writeRtf(fullLog()));
}
BENCHMARK(BM_WriteRtfInMemory)->Unit(benchmark::kMillisecond);

void BM_ReadRtfInMemory(benchmark::State& state) {
    const std::string rtf = platform::writeRtf(fullLog());
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::readRtf(rtf));
}
BENCHMARK(BM_ReadRtfInMemory)->Unit(benchmark::kMillisecond);

}  // namespace
