// SPDX-License-Identifier: GPL-3.0-or-later

// The charge a 5,000-residue sequence predicts at 1,401 pH values (0 to 14
// in steps of 0.01), by Henderson-Hasselbalch and screened at the start-up
// conditions, beside the bare loop over the pH values. Targets: Z(pH) at
// the 1,401 values in 2 ms at most, the screened charge in 20 ms.
//
// And sequence files of 100 MB, read or refused: a FASTA proteome whose
// first record is read and whose other records are counted, and one line
// of 100 MB of letters, beside reading the bytes plainly. Target: seconds,
// with the peak memory (maxRSS, in MB) far below the file's size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "Scratch.h"
#include "charge/PkaSets.h"
#include "charge/Sequence.h"
#include "charge/Titration.h"
#include "model/Sample.h"

namespace {

constexpr int kResidues = 5000;
constexpr int kPhValues = 1401;
constexpr std::size_t kFileBytes = 100u << 20;

// Residues drawn with the frequencies of proteins (UniProt), reproducibly.
std::string randomProtein(int length, unsigned seed) {
    static const char letters[] = "ARNDCQEGHILKMFPSTWYV";
    static const double weights[] = {8.25, 5.53, 4.06, 5.45, 1.37, 3.93, 6.75, 7.07, 2.27, 5.96,
                                     9.66, 5.84, 2.42, 3.86, 4.70, 6.56, 5.34, 1.08, 2.92, 6.87};
    std::mt19937 rng(seed);
    std::discrete_distribution<int> pick(std::begin(weights), std::end(weights));
    std::string s;
    for (int i = 0; i < length; ++i)
        s += letters[pick(rng)];
    return s;
}

std::vector<charge::Site> sites() {
    const charge::ProteinSequence p = charge::readSequence(randomProtein(kResidues, 5));
    return charge::titrationSites(charge::countGroups(p, {}), charge::pkaSets().front());
}

double phAt(int k) {
    return 14.0 * k / (kPhValues - 1);
}

void BM_BarePhLoop(benchmark::State& state) {
    for (auto _ : state) {
        double sum = 0;
        for (int k = 0; k < kPhValues; ++k)
            sum += std::pow(10.0, phAt(k));
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_BarePhLoop)->Unit(benchmark::kMillisecond);

void BM_NetChargeAt1401Ph(benchmark::State& state) {
    const auto s = sites();
    for (auto _ : state) {
        double sum = 0;
        for (int k = 0; k < kPhValues; ++k)
            sum += charge::netCharge(s, phAt(k));
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_NetChargeAt1401Ph)->Unit(benchmark::kMillisecond);

void BM_ScreenedChargeAt1401Ph(benchmark::State& state) {
    const auto s = sites();
    const double shift = charge::pkShiftPerCharge(model::startUpSample().state);
    for (auto _ : state) {
        double sum = 0;
        for (int k = 0; k < kPhValues; ++k)
            sum += charge::screenedCharge(s, phAt(k), shift);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ScreenedChargeAt1401Ph)->Unit(benchmark::kMillisecond);

// ------------------------------------------------------------ files

const std::string& proteomeFile() {
    static const std::string path = [] {
        const std::string p = bench_support::scratch("proteome.fasta").string();
        std::ofstream out(p, std::ios::binary);
        const std::string protein = randomProtein(400, 7);
        std::size_t written = 0;
        for (int record = 0; written < kFileBytes; ++record) {
            const std::string text = ">protein " + std::to_string(record) + "\n" +
                                     protein.substr(0, 60) + "\n" + protein.substr(60) + "\n";
            out << text;
            written += text.size();
        }
        return p;
    }();
    return path;
}

const std::string& oneLineFile() {
    static const std::string path = [] {
        const std::string p = bench_support::scratch("one-line.txt").string();
        std::ofstream out(p, std::ios::binary);
        const std::string block = randomProtein(1 << 16, 9);
        for (std::size_t written = 0; written < kFileBytes; written += block.size())
            out << block;
        return p;
    }();
    return path;
}

void reportMemory(benchmark::State& state) {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["maxRSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
}

void BM_PlainRead100MB(benchmark::State& state) {
    const std::string& path = proteomeFile();
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::size_t total = 0;
        for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0;)
            total += n;
        std::fclose(f);
        benchmark::DoNotOptimize(total);
    }
    reportMemory(state);
}
BENCHMARK(BM_PlainRead100MB)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ProteomeOf100MBRead(benchmark::State& state) {
    const std::string& path = proteomeFile();
    for (auto _ : state) {
        const charge::ProteinSequence p = charge::readSequenceFile(path);
        benchmark::DoNotOptimize(p.residues.data());
        if (p.length() != 400)
            state.SkipWithError("not the first record");
    }
    reportMemory(state);
}
BENCHMARK(BM_ProteomeOf100MBRead)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_OneLineOf100MBRefused(benchmark::State& state) {
    const std::string& path = oneLineFile();
    for (auto _ : state) {
        try {
            charge::readSequenceFile(path);
            state.SkipWithError("read, not refused");
        } catch (const charge::SequenceError&) {
        }
    }
    reportMemory(state);
}
BENCHMARK(BM_OneLineOf100MBRefused)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
