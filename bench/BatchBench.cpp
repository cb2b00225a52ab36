// SPDX-License-Identifier: GPL-3.0-or-later

// The batch program over many rows beside the same samples entered directly
// and beside the bare evaluation of the samples those entries make; and the
// memory the batch run holds as the row count grows.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <array>
#include <chrono>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "batch/Batch.h"
#include "electrokinetics/ModelChoice.h"
#include "log/LogEntry.h"
#include "model/Sample.h"

namespace {

// A salt series and a change of solvent: the rows take different entry paths.
struct Row {
    const char* label;
    const char* ionicStrength;
    const char* temperature;
    const char* stokesRadius;
    const char* eField;
    const char* mobility;
    const char* dielectric;
};
constexpr std::array<Row, 5> kRows{{
    {"NaCl 0.01 M", "0.01", "25", "", "", "2.10", ""},
    {"NaCl 0.05 M", "0.05", "25", "3.1", "", "1.65", ""},
    {"NaCl 0.10 M", "0.10", "25", "", "0.15", "1.42", ""},
    {"20 % glycerol", "0.10", "20", "", "", "", "72.5"},
    {"KCl 0.15 M", "0.15", "20", "2.95", "0.2", "1.05", "78.5"},
}};
const char* const kHeader =
    "Sample,IonicStrength,Temperature,StokesRadius,EField,Mobility,Dielectric\n";

batch::Sample sampleOf(const Row& r) {
    batch::Sample s;
    s.label = r.label;
    const std::pair<model::Quantity, const char*> values[] = {
        {model::Quantity::IonicStrength, r.ionicStrength},
        {model::Quantity::Temperature, r.temperature},
        {model::Quantity::StokesRadius, r.stokesRadius},
        {model::Quantity::EField, r.eField},
        {model::Quantity::Mobility, r.mobility},
        {model::Quantity::Dielectric, r.dielectric},
    };
    for (const auto& [c, text] : values)
        if (*text)
            s[c] = text;
    return s;
}

// The input file made as it is read, so that the input itself holds no
// memory.
class RowSource : public std::streambuf {
  public:
    explicit RowSource(std::size_t rows) : m_rows(rows) { refill(); }

  protected:
    int_type underflow() override {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        return refill() ? traits_type::to_int_type(*gptr()) : traits_type::eof();
    }

  private:
    bool refill() {
        m_line.clear();
        if (!m_headerDone) {
            m_line = kHeader;
            m_headerDone = true;
        } else if (m_next < m_rows) {
            const Row& r = kRows[m_next++ % kRows.size()];
            m_line = std::string(r.label) + "," + r.ionicStrength + "," + r.temperature + "," +
                     r.stokesRadius + "," + r.eField + "," + r.mobility + "," + r.dielectric + "\n";
        } else {
            return false;
        }
        setg(m_line.data(), m_line.data(), m_line.data() + m_line.size());
        return true;
    }
    std::string m_line;
    std::size_t m_rows;
    std::size_t m_next = 0;
    bool m_headerDone = false;
};

long maxRssKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BatchCsv(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        RowSource source(rows);
        std::istream in(&source);
        batch::BatchOutput out;
        out.write = [&](std::string_view d) { bytes += d.size(); };
        out.logLine = [&](const std::string& line) { bytes += line.size() + 1; };
        benchmark::DoNotOptimize(batch::runBatch(in, out));
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows) * state.iterations(),
                                                  benchmark::Counter::kIsRate);
    state.counters["maxRSS_MiB"] = static_cast<double>(maxRssKib()) / 1024.0;
    benchmark::DoNotOptimize(bytes);
}

void DirectEntries(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    std::vector<batch::Sample> samples;
    for (const Row& r : kRows)
        samples.push_back(sampleOf(r));
    std::size_t lines = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < rows; ++i) {
            const batch::Outcome o = batch::runSample(samples[i % samples.size()]);
            lines += o.lastEntry.size();
        }
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows) * state.iterations(),
                                                  benchmark::Counter::kIsRate);
    benchmark::DoNotOptimize(lines);
}

// The evaluation alone, of samples already entered: the pass with its
// texts, colours and graph, and the log entry.
void BareEvaluation(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    std::vector<model::Sample> samples;
    for (const Row& r : kRows) {
        const batch::Sample row = sampleOf(r);
        std::vector<model::Entry> entries;
        for (const model::Quantity q : model::columnQuantities())
            if (row[q])
                entries.push_back({q, *row[q]});
        model::Sample s = model::startUpSample();
        if (model::enterAll(s, entries))
            state.SkipWithError("a row was refused");
        samples.push_back(s);
    }
    std::size_t lines = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < rows; ++i) {
            const model::Evaluation e = model::evaluate(samples[i % samples.size()]);
            model::LineList log;
            calclog::WriteLogEntry(e.sample.state, e.sample.fields, log);
            lines += log.lines().size() + e.points.size();
        }
    }
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows) * state.iterations(),
                                                  benchmark::Counter::kIsRate);
    benchmark::DoNotOptimize(lines);
}

// The same rows under each model (the target: 1,000 rows/s or more under
// the standard model). The standard model's table for the rows' salt and
// conditions is made before the clock runs, as a long run makes it once: it
// is made behind the first rows, so they are run until a row is quick.
void BatchCsvModel(benchmark::State& state) {
    const auto m = static_cast<model::ElectrokineticModel>(state.range(0));
    const auto rows = static_cast<std::size_t>(state.range(1));
    electrokinetics::registerModels();
    using Clock = std::chrono::steady_clock;
    for (const Clock::time_point end = Clock::now() + std::chrono::minutes(1);
         Clock::now() < end;) {
        const Clock::time_point start = Clock::now();
        for (const Row& r : kRows)
            batch::runSample(sampleOf(r), {}, false, m);
        if (Clock::now() - start < std::chrono::milliseconds(5))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        RowSource source(rows);
        std::istream in(&source);
        batch::BatchOutput out;
        out.electrokinetic = m;
        out.write = [&](std::string_view d) { bytes += d.size(); };
        out.notice = [&](const std::string& line) { bytes += line.size(); };
        benchmark::DoNotOptimize(batch::runBatch(in, out));
    }
    state.SetLabel(model::electrokineticModelInfo(m).name);
    state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows) * state.iterations(),
                                                  benchmark::Counter::kIsRate);
    benchmark::DoNotOptimize(bytes);
}

// Side by side in one run; the batch run at growing row counts shows
// whether its memory stays flat (maxRSS is the process's high-water mark, so
// the smaller runs come first).
BENCHMARK(BatchCsv)->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(
    benchmark::kMillisecond);
BENCHMARK(DirectEntries)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BareEvaluation)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BatchCsvModel)
    ->Args({static_cast<int>(model::ElectrokineticModel::Dhh), 10000})
    ->Args({static_cast<int>(model::ElectrokineticModel::Standard), 10000})
    ->Args({static_cast<int>(model::ElectrokineticModel::OhshimaRelaxation), 10000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BatchCsv)
    ->Name("BatchCsvAgain")
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
