// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/Uncertainty.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <memory>
#include <string_view>
#include <thread>

#include "platform/base/NumberText.h"

namespace analysis {

namespace {

constexpr double kSqrt3 = 1.7320508075688772;
constexpr std::int64_t kBlock = 4096;
constexpr int kHistogramBins = 50;
// A draw that stays outside the limits this often is put on the nearer limit;
// with u at most the width of the range it never comes to that.
constexpr int kMaxRedraws = 10000;

// SplitMix64's output function: a bijection of 64-bit words that mixes
// every input bit into every output bit.
std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// The random numbers of one draw: SplitMix64 started at a point that the
// seed and the draw's index give.
class DrawStream {
  public:
    // mixedSeed is mix(seed), worked out once per run.
    DrawStream(std::uint64_t mixedSeed, std::uint64_t draw)
        : m_state(mix(mixedSeed ^ (draw * 0xd1b54a32d192ed03ULL))) {}

    std::uint64_t next() {
        m_state += 0x9e3779b97f4a7c15ULL;
        return mix(m_state);
    }
    // Uniform in (0, 1), never 0 or 1, from the word's upper 53 bits.
    static double toUniform(std::uint64_t word) {
        return (static_cast<double>(word >> 11) + 0.5) * 0x1.0p-53;
    }
    double uniform() { return toUniform(next()); }

  private:
    std::uint64_t m_state;
};

// Standard normal numbers by the ziggurat method (Marsaglia and Tsang 2000,
// in Doornik's form with 128 blocks): nearly every number costs one 64-bit
// word, a table look-up and a multiplication.
class Ziggurat {
  public:
    Ziggurat() {
        double f = std::exp(-0.5 * kR * kR);
        m_x[0] = kV / f;
        m_x[1] = kR;
        m_x[kBlocks] = 0;
        for (int i = 2; i < kBlocks; ++i) {
            m_x[i] = std::sqrt(-2 * std::log(kV / m_x[i - 1] + f));
            f = std::exp(-0.5 * m_x[i] * m_x[i]);
        }
        for (int i = 0; i < kBlocks; ++i)
            m_ratio[i] = m_x[i + 1] / m_x[i];
    }

    // The number the fast path gives for a word, if it gives one (in 99 %).
    bool quick(std::uint64_t word, double& x) const {
        const double u = 2 * DrawStream::toUniform(word) - 1;
        const auto i = static_cast<int>(word & (kBlocks - 1));
        x = u * m_x[i];
        return std::fabs(u) < m_ratio[i];
    }

    // The whole method, from the stream's next word on.
    double normal(DrawStream& stream) const {
        for (;;) {
            const std::uint64_t word = stream.next();
            const double u = 2 * DrawStream::toUniform(word) - 1;
            const auto i = static_cast<int>(word & (kBlocks - 1));
            if (std::fabs(u) < m_ratio[i])
                return u * m_x[i];
            if (i == 0)
                return tail(stream, u < 0);
            const double x = u * m_x[i];
            const double f0 = std::exp(-0.5 * (m_x[i] * m_x[i] - x * x));
            const double f1 = std::exp(-0.5 * (m_x[i + 1] * m_x[i + 1] - x * x));
            if (f1 + stream.uniform() * (f0 - f1) < 1.0)
                return x;
        }
    }

  private:
    static constexpr int kBlocks = 128;
    static constexpr double kR = 3.442619855899;
    static constexpr double kV = 9.91256303526217e-3;

    static double tail(DrawStream& stream, bool negative) {
        double x;
        double y;
        do {
            x = std::log(stream.uniform()) / kR;
            y = std::log(stream.uniform());
        } while (-2 * y < x * x);
        return negative ? x - kR : kR - x;
    }

    double m_x[kBlocks + 1];
    double m_ratio[kBlocks];
};

const Ziggurat& ziggurat() {
    static const Ziggurat z;
    return z;
}

// The inputs with an uncertainty, resolved once per run.
struct Drawn {
    int index;
    double value;
    double u;
    Distribution distribution;
    double low;
    double high;
};

std::vector<Drawn> drawnInputs(const Measurement& m, const Uncertainties& u) {
    std::vector<Drawn> drawn;
    for (Input input : m.model.inputs()) {
        const int i = static_cast<int>(input);
        if (u[i].u > 0)
            drawn.push_back({i, m.values[i], u[i].u, u[i].distribution, inputInfo(input).low,
                             inputInfo(input).high});
    }
    return drawn;
}

// A draw of one input: the value plus u times a standard normal or
// rectangular number, drawn again until it lies within the input's limits.
[[gnu::noinline]] double drawOne(DrawStream& stream, const Drawn& d, const Ziggurat& normal,
                                 std::int64_t& rejected) {
    for (int attempt = 0; attempt < kMaxRedraws; ++attempt) {
        const double x = d.distribution == Distribution::Normal
                             ? d.value + d.u * normal.normal(stream)
                             : d.value + d.u * kSqrt3 * (2 * stream.uniform() - 1);
        if (x >= d.low && x <= d.high)
            return x;
        ++rejected;
    }
    return std::clamp(d.value, d.low, d.high);
}

// Draws the inputs of draw i into x, which holds the values of the inputs
// without uncertainty. The common case of a normal input, the ziggurat's
// fast path within the limits, is taken here; drawOne starts from the same
// word for every other case, so both give the same number.
void drawInputs(InputValues& x, const std::vector<Drawn>& drawn, std::uint64_t mixedSeed,
                std::int64_t draw, const Ziggurat& normal, std::int64_t& rejected) {
    DrawStream stream(mixedSeed, static_cast<std::uint64_t>(draw));
    for (const Drawn& d : drawn) {
        if (d.distribution == Distribution::Normal) {
            DrawStream ahead = stream;
            double n;
            if (normal.quick(ahead.next(), n)) {
                const double value = d.value + d.u * n;
                if (value >= d.low && value <= d.high) {
                    stream = ahead;
                    x[d.index] = value;
                    continue;
                }
            }
        }
        x[d.index] = drawOne(stream, d, normal, rejected);
    }
}

// The 1-based rank of the lower end of the probabilistically symmetric
// coverage interval of probability p among n sorted values (JCGM 101, 7.7),
// and the number of values it spans.
struct CoverageRanks {
    std::int64_t r;
    std::int64_t q;
};

CoverageRanks coverageRanks(std::int64_t n, double p) {
    const double pn = p * static_cast<double>(n);
    const auto q = static_cast<std::int64_t>(std::floor(pn + 0.5));
    const std::int64_t rest = n - q;
    return {rest % 2 == 0 ? rest / 2 : (rest + 1) / 2, q};
}

// One output of the draws: its values, and the sum, least and greatest value
// of each block of draws, gathered while the values are made.
struct Output {
    explicit Output(std::int64_t n, std::int64_t blocks)
        : values(new double[n]),  // left uninitialised: each draw writes its own
          sums(static_cast<std::size_t>(blocks)),
          lows(static_cast<std::size_t>(blocks)),
          highs(static_cast<std::size_t>(blocks)) {}

    void block(std::int64_t b, std::int64_t first, std::int64_t end) {
        double sum = 0;
        double low = values[first];
        double high = values[first];
        for (std::int64_t i = first; i < end; ++i) {
            sum += values[i];
            low = std::min(low, values[i]);
            high = std::max(high, values[i]);
        }
        sums[b] = sum;
        lows[b] = low;
        highs[b] = high;
    }

    std::unique_ptr<double[]> values;
    std::vector<double> sums;
    std::vector<double> lows;
    std::vector<double> highs;
};

// The mean, the standard deviation and the values of the given 0-based ranks
// (ascending), exactly as a full sort would give them: one pass counts the
// values into buckets between the least and the greatest value, a second
// collects the buckets that hold a wanted rank, and only those are sorted.
struct Moments {
    double mean = 0;
    double sd = 0;
    std::vector<double> ranked;
};

Moments momentsOf(const Output& o, std::int64_t n, const std::vector<std::int64_t>& ranks) {
    constexpr int kBuckets = 4096;
    Moments m;
    double sum = 0;
    for (double blockSum : o.sums)  // in the order of the draws, whoever made them
        sum += blockSum;
    m.mean = sum / static_cast<double>(n);
    const double low = *std::min_element(o.lows.begin(), o.lows.end());
    const double high = *std::max_element(o.highs.begin(), o.highs.end());
    const double scale = high > low ? kBuckets / (high - low) : 0;
    const auto bucketOf = [low, scale](double x) {
        const double t = (x - low) * scale;
        return t < kBuckets ? (t > 0 ? static_cast<int>(t) : 0) : kBuckets - 1;
    };

    const double* v = o.values.get();
    std::vector<std::int64_t> starts(kBuckets + 1, 0);
    double squares = 0;
    for (std::int64_t i = 0; i < n; ++i) {
        squares += (v[i] - m.mean) * (v[i] - m.mean);
        ++starts[static_cast<std::size_t>(bucketOf(v[i]) + 1)];
    }
    m.sd = std::sqrt(squares / static_cast<double>(n - 1));
    for (int b = 0; b < kBuckets; ++b)
        starts[b + 1] += starts[b];

    const auto bucketOfRank = [&starts](std::int64_t rank) {
        return static_cast<int>(std::upper_bound(starts.begin(), starts.end(), rank) -
                                starts.begin()) -
               1;
    };
    std::vector<int> wanted;
    for (std::int64_t rank : ranks)
        if (wanted.empty() || wanted.back() != bucketOfRank(rank))
            wanted.push_back(bucketOfRank(rank));
    std::vector<std::vector<double>> members(wanted.size());
    for (std::int64_t i = 0; i < n; ++i) {
        const int b = bucketOf(v[i]);
        for (std::size_t k = 0; k < wanted.size(); ++k)
            if (wanted[k] == b)
                members[k].push_back(v[i]);
    }
    for (std::int64_t rank : ranks) {
        const int b = bucketOfRank(rank);
        const auto k = std::find(wanted.begin(), wanted.end(), b) - wanted.begin();
        auto& bucket = members[static_cast<std::size_t>(k)];
        const auto at = bucket.begin() + (rank - starts[static_cast<std::size_t>(b)]);
        std::nth_element(bucket.begin(), at, bucket.end());
        m.ranked.push_back(*at);
    }
    return m;
}

std::int64_t rankOf(double p, std::int64_t n) {
    return std::clamp<std::int64_t>(static_cast<std::int64_t>(p * static_cast<double>(n)), 0,
                                    n - 1);
}

// With the histogram's ends, for z.
Summary summarise(const Output& o, std::int64_t n, Histogram* histogram = nullptr) {
    const CoverageRanks k = coverageRanks(n, 0.95);
    std::vector<std::int64_t> ranks = {k.r - 1, k.r + k.q - 1};
    if (histogram)
        ranks = {rankOf(0.001, n), k.r - 1, k.r + k.q - 1, rankOf(0.999, n)};
    const Moments m = momentsOf(o, n, ranks);
    Summary s;
    s.mean = m.mean;
    s.sd = m.sd;
    s.low = m.ranked[histogram ? 1 : 0];
    s.high = m.ranked[histogram ? 2 : 1];
    if (!histogram)
        return s;

    Histogram& h = *histogram;
    const double from = m.ranked.front();
    const double to = m.ranked.back();
    h.counts.assign(kHistogramBins, 0);
    h.from = from;
    h.width = (to - from) / kHistogramBins;
    if (!(h.width > 0)) {
        // Every draw the same: one bin holds them all.
        h.width = std::max(std::fabs(from) * 1e-6, 1e-12);
        h.from = from - h.width * kHistogramBins / 2;
    }
    const double* v = o.values.get();
    for (std::int64_t i = 0; i < n; ++i) {
        const double bin = std::floor((v[i] - h.from) / h.width);
        if (bin >= 0 && bin < kHistogramBins)
            ++h.counts[static_cast<std::size_t>(bin)];
        else if (v[i] == to)
            ++h.counts.back();
    }
    return s;
}

int threadCount(int requested) {
    if (requested > 0)
        return requested;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

}  // namespace

const char* distributionName(Distribution d) {
    return d == Distribution::Normal ? "normal" : "rectangular";
}

std::optional<Distribution> distributionByName(std::string_view name) {
    for (Distribution d : {Distribution::Normal, Distribution::Rectangular}) {
        const std::string_view known = distributionName(d);
        if (name.size() == known.size() &&
            std::equal(name.begin(), name.end(), known.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == b;
            }))
            return d;
    }
    return std::nullopt;
}

std::string significantText(double value, int digits) {
    if (!std::isfinite(value))
        return platform::FloatToStr(value);
    const std::string pattern =
        "0." + std::string(static_cast<std::size_t>(digits - 1), '0') + "E+00";
    return platform::FloatToStr(platform::StrToFloat(platform::FormatFloat(pattern, value)));
}

double uncertaintyLimit(Input input) {
    return inputInfo(input).high - inputInfo(input).low;
}

GumResult gumBudget(const Measurement& m, const Uncertainties& u) {
    GumResult g;
    g.estimate = evaluate(m.model, m.values);
    double varZ = 0;
    double varZstar = 0;
    double varGe = 0;
    for (Input input : m.model.inputs()) {
        const int i = static_cast<int>(input);
        const double x = m.values[i];
        const double ui = u[i].u;
        // A step of u at most (as JCGM 100 5.1.3 suggests) and at most 0.1 %
        // of the value: small enough for the curvature, large enough that
        // the model's iterative special functions do not add noise.
        double h = std::fabs(x) * 1e-3;
        if (ui > 0)
            h = h > 0 ? std::min(h, ui) : ui;
        if (!(h > 0))
            h = uncertaintyLimit(input) * 1e-6;
        InputValues up = m.values;
        InputValues down = m.values;
        up[i] = x + h;
        down[i] = x - h;
        const Estimate a = evaluate(m.model, up);
        const Estimate b = evaluate(m.model, down);
        BudgetRow row;
        row.input = input;
        row.value = x;
        row.u = ui;
        // An input that cancels has a sensitivity of exactly 0, not the
        // rounding noise of the difference quotient.
        const bool affects = m.model.affectsResults(input);
        row.sensitivity = affects ? (a.valence - b.valence) / (2 * h) : 0;
        row.contribution = std::fabs(row.sensitivity) * ui;
        varZ += row.contribution * row.contribution;
        const double cZstar = affects ? (a.effectiveValence - b.effectiveValence) / (2 * h) : 0;
        const double cGe = affects ? (a.geMax - b.geMax) / (2 * h) : 0;
        varZstar += cZstar * cZstar * ui * ui;
        varGe += cGe * cGe * ui * ui;
        g.rows.push_back(row);
    }
    g.uValence = std::sqrt(varZ);
    g.uEffectiveValence = std::sqrt(varZstar);
    g.uGeMax = std::sqrt(varGe);
    for (BudgetRow& row : g.rows)
        row.share = varZ > 0 ? row.contribution * row.contribution / varZ : 0;
    return g;
}

std::optional<MonteCarloResult> monteCarlo(const Measurement& m, const Uncertainties& u,
                                           const MonteCarloOptions& options,
                                           MonteCarloControl* control) {
    const std::int64_t n = std::clamp(options.draws, std::int64_t{2}, kMaxDraws);
    const std::vector<Drawn> drawn = drawnInputs(m, u);
    const std::uint64_t mixedSeed = mix(options.seed);
    const Ziggurat& normal = ziggurat();
    const std::int64_t blocks = (n + kBlock - 1) / kBlock;
    Output z(n, blocks);
    Output zstar(n, blocks);
    Output ge(n, blocks);

    std::atomic<std::int64_t> nextBlock{0};
    std::atomic<std::int64_t> rejected{0};
    const auto work = [&](bool reports) {
        auto lastReport = std::chrono::steady_clock::now();
        for (std::int64_t b = nextBlock++; b < blocks; b = nextBlock++) {
            if (control && control->cancelled.load(std::memory_order_relaxed))
                return;
            const std::int64_t first = b * kBlock;
            const std::int64_t end = std::min(n, first + kBlock);
            std::int64_t blockRejected = 0;
            InputValues x = m.values;
            for (std::int64_t i = first; i < end; ++i) {
                drawInputs(x, drawn, mixedSeed, i, normal, blockRejected);
                const Estimate e = evaluate(m.model, x);
                z.values[i] = e.valence;
                zstar.values[i] = e.effectiveValence;
                ge.values[i] = e.geMax;
            }
            z.block(b, first, end);
            zstar.block(b, first, end);
            ge.block(b, first, end);
            rejected += blockRejected;
            if (!control)
                continue;
            control->done += end - first;
            const auto now = std::chrono::steady_clock::now();
            if (reports && control->progress && now - lastReport > std::chrono::milliseconds(50)) {
                lastReport = now;
                control->progress();
            }
        }
    };
    const int threads =
        static_cast<int>(std::min<std::int64_t>(threadCount(options.threads), blocks));
    {
        std::vector<std::jthread> helpers;
        for (int t = 1; t < threads; ++t)
            helpers.emplace_back(work, false);
        work(true);
    }
    if (control && control->cancelled)
        return std::nullopt;

    MonteCarloResult r;
    r.draws = n;
    r.rejected = rejected;
    // The three summaries are independent; each is computed in one order.
    {
        // z, with its histogram, is the largest part; z* and Ge go beside it.
        std::jthread second;
        std::jthread third;
        if (threads == 2) {
            second = std::jthread([&] {
                r.effectiveValence = summarise(zstar, n);
                r.geMax = summarise(ge, n);
            });
        } else if (threads > 2) {
            second = std::jthread([&] { r.effectiveValence = summarise(zstar, n); });
            third = std::jthread([&] { r.geMax = summarise(ge, n); });
        }
        r.valence = summarise(z, n, &r.valenceHistogram);
        if (threads <= 1) {
            r.effectiveValence = summarise(zstar, n);
            r.geMax = summarise(ge, n);
        }
    }
    return r;
}

}  // namespace analysis
