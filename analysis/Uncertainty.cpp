// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/Uncertainty.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <type_traits>

#include <sys/mman.h>

#include "analysis/Draws.h"
#include "platform/base/NumberText.h"

namespace analysis {

namespace {

constexpr double kSqrt3 = 1.7320508075688772;
constexpr std::int64_t kBlock = 4096;
constexpr int kBatch = 32;
constexpr int kHistogramBins = 50;
// A draw that stays outside the limits this often is put on the nearer limit;
// with u at most the width of the range it never comes to that.
constexpr int kMaxRedraws = 10000;

// The inputs with an uncertainty, resolved once per run.
struct Drawn {
    int index;
    double value;
    double u;
    Distribution distribution;
    double low;
    double high;
    // Whether every value the one-word path gives lies within the limits, so
    // that it need not be checked draw by draw.
    bool within;
};

std::vector<Drawn> drawnInputs(const Measurement& m, const Uncertainties& u) {
    std::vector<Drawn> drawn;
    for (Input input : m.model.inputs()) {
        const int i = static_cast<int>(input);
        if (!(u[i].u > 0))
            continue;
        Drawn d{i,
                m.values[i],
                u[i].u,
                u[i].distribution,
                inputInfo(input).low,
                inputInfo(input).high,
                false};
        // The one-word path adds at most u times this to the value, and
        // rounding is monotonic.
        const double reach =
            d.distribution == Distribution::Normal ? d.u * ziggurat().quickBound() : d.u * kSqrt3;
        d.within = d.value - reach >= d.low && d.value + reach <= d.high;
        drawn.push_back(d);
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

// The draws of a batch take their inputs' numbers from their own streams,
// input after input; nearly always each input takes one word (a normal one
// by the ziggurat's fast path, within the limits), so the words come worked
// out ahead (words[k * draws + d] for input k of draw d) and each draw's
// inputs are made from them at once, with the inputs that did not manage
// on one word marked in failed[d]. From the first of those, finishDraw goes
// on input by input, from the same word. x[d] holds the values of the
// inputs without uncertainty.

// Every input normal and within its limits on the one-word path, the
// common case, which needs no checks: made input by input across the
// batch, lane by lane where the processor has the instructions for it.
QUORVIN_TARGET_CLONES("arch=x86-64-v4", "default")
void plainBatch(const std::uint64_t* words, int draws, const Drawn* drawn, int inputs,
                InputValues* x, unsigned* failed, const Ziggurat& normal) {
    for (int k = 0; k < inputs; ++k) {
        const Drawn& d = drawn[k];
        const std::uint64_t* row = words + static_cast<std::ptrdiff_t>(k) * draws;
        for (int i = 0; i < draws; ++i) {
            double n;
            failed[i] |= static_cast<unsigned>(!normal.quick(row[i], n)) << k;
            x[i][d.index] = d.value + d.u * n;
        }
    }
}

// Any input: one draw's values from its words.
unsigned oneWordEach(InputValues& x, const std::vector<Drawn>& drawn, const std::uint64_t* words,
                     int draws, const Ziggurat& normal) {
    unsigned failed = 0;
    for (std::size_t k = 0; k < drawn.size(); ++k) {
        const Drawn& d = drawn[k];
        const std::uint64_t word = words[static_cast<std::ptrdiff_t>(k) * draws];
        double v;
        bool ok = true;
        if (d.distribution == Distribution::Normal) {
            double n;
            ok = normal.quick(word, n);
            v = d.value + d.u * n;
        } else {
            v = d.value + d.u * kSqrt3 * DrawStream::toSigned(word);
        }
        if (!d.within)
            ok &= v >= d.low && v <= d.high;
        failed |= static_cast<unsigned>(!ok) << k;
        x[d.index] = v;
    }
    return failed;
}

void finishDraw(InputValues& x, const std::vector<Drawn>& drawn, std::uint64_t mixedSeed,
                std::int64_t draw, unsigned failed, const Ziggurat& normal,
                std::int64_t& rejected) {
    DrawStream stream(mixedSeed, static_cast<std::uint64_t>(draw));
    const int first = std::countr_zero(failed);
    stream.skip(first);
    for (std::size_t k = static_cast<std::size_t>(first); k < drawn.size(); ++k) {
        const Drawn& d = drawn[k];
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

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t bytesFor(std::int64_t n) {
    return (static_cast<std::size_t>(n) * sizeof(double) + kHugePage - 1) / kHugePage * kHugePage;
}

// The outputs' memory of past runs, kept for the next: runs follow one
// another (each change in the uncertainty window, each row of a series),
// and memory fresh from the system costs a fault and the zeroing of each
// page, about a third as much again as the draws themselves. At most three
// blocks of at most 8 MB (10^6 draws) are kept.
class KeptValues {
  public:
    static constexpr std::size_t kMaxBytes = std::size_t{8} << 20;
    static constexpr std::size_t kMaxKept = 3;

    void* take(std::size_t bytes) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_kept.begin(); it != m_kept.end(); ++it)
            if (it->second == bytes) {
                void* p = it->first;
                m_kept.erase(it);
                return p;
            }
        return nullptr;
    }
    void give(void* p, std::size_t bytes) {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (bytes <= kMaxBytes && m_kept.size() < kMaxKept) {
                m_kept.emplace_back(p, bytes);
                return;
            }
        }
        std::free(p);
    }
    ~KeptValues() {
        for (const auto& kept : m_kept)
            std::free(kept.first);
    }

  private:
    std::mutex m_mutex;
    std::vector<std::pair<void*, std::size_t>> m_kept;
};

KeptValues& keptValues() {
    static KeptValues kept;
    return kept;
}

// Room for n values, kept from a past run or on huge pages where the
// system grants them: a run of 10^6 draws writes 24 MB, and a fault for
// each small page costs about half as much again as the draws themselves.
double* valuesFor(std::int64_t n) {
    const std::size_t bytes = bytesFor(n);
    if (void* kept = keptValues().take(bytes))
        return static_cast<double*>(kept);
    void* p = std::aligned_alloc(kHugePage, bytes);
    if (!p)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, bytes, MADV_HUGEPAGE);  // only advice: small pages do as well
#endif
    return static_cast<double*>(p);
}

struct FreeValues {
    std::size_t bytes = 0;
    void operator()(double* p) const { keptValues().give(p, bytes); }
};

// One output of the draws: its values, and the sum, least and greatest value
// of each block of draws, gathered while the values are made.
struct Output {
    explicit Output(std::int64_t n, std::int64_t blocks)
        : values(valuesFor(n), FreeValues{bytesFor(n)}),  // each draw writes its own
          sums(static_cast<std::size_t>(blocks)),
          lows(static_cast<std::size_t>(blocks)),
          highs(static_cast<std::size_t>(blocks)),
          counts(static_cast<std::size_t>(blocks)) {}

    std::unique_ptr<double[], FreeValues> values;
    std::vector<double> sums;
    std::vector<double> lows;
    std::vector<double> highs;
    // Of each block: fewer than its draws where some had no value.
    std::vector<std::int64_t> counts;
};

// The values of the blocks moved together, in the order of the draws.
void closeGaps(Output& o, std::int64_t blocks) {
    std::int64_t to = 0;
    for (std::int64_t b = 0; b < blocks; ++b) {
        const std::int64_t from = b * kBlock;
        const std::int64_t count = o.counts[static_cast<std::size_t>(b)];
        if (to != from)
            std::copy(o.values.get() + from, o.values.get() + from + count, o.values.get() + to);
        to += count;
    }
}

// An output's values of one block, in the order of the draws, as they are
// made: its tally waits on no memory and overlaps the evaluations.
class BlockTally {
  public:
    BlockTally(Output& o, std::int64_t first) : m_o(o), m_next(first) {}

    void add(double v) {
        if (m_next == m_first) {
            m_low = v;
            m_high = v;
        }
        m_o.values[m_next++] = v;
        m_sum += v;
        m_low = std::min(m_low, v);
        m_high = std::max(m_high, v);
    }
    void close(std::int64_t b) const {
        const auto at = static_cast<std::size_t>(b);
        const bool empty = m_next == m_first;
        m_o.sums[at] = m_sum;
        m_o.lows[at] = empty ? std::numeric_limits<double>::infinity() : m_low;
        m_o.highs[at] = empty ? -std::numeric_limits<double>::infinity() : m_high;
        m_o.counts[at] = m_next - m_first;
    }

  private:
    Output& m_o;
    std::int64_t m_next;
    const std::int64_t m_first = m_next;
    double m_sum = 0;
    double m_low = 0;
    double m_high = 0;
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
    // Each bucket's place among the wanted, or -1.
    std::vector<std::int8_t> place(kBuckets, -1);
    for (std::size_t k = 0; k < wanted.size(); ++k)
        place[static_cast<std::size_t>(wanted[k])] = static_cast<std::int8_t>(k);
    for (std::int64_t i = 0; i < n; ++i)
        if (const int k = place[static_cast<std::size_t>(bucketOf(v[i]))]; k >= 0)
            members[static_cast<std::size_t>(k)].push_back(v[i]);
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

}  // namespace

std::optional<MonteCarloResult> monteCarlo(const Measurement& m, const Uncertainties& u,
                                           const MonteCarloOptions& options,
                                           MonteCarloControl* control) {
    const std::int64_t n = std::clamp(options.draws, std::int64_t{2}, kMaxDraws);
    const std::vector<Drawn> drawn = drawnInputs(m, u);
    const std::uint64_t mixedSeed = mix(options.seed);
    const bool plain = std::all_of(drawn.begin(), drawn.end(), [](const Drawn& d) {
        return d.distribution == Distribution::Normal && d.within;
    });
    const Ziggurat& normal = ziggurat();
    const std::int64_t blocks = (n + kBlock - 1) / kBlock;
    Output z(n, blocks);
    Output zstar(n, blocks);
    Output ge(n, blocks);

    // A model not linear in z answers the draws from tables built once for
    // the range they take: five standard uncertainties either way (a draw
    // beyond, one in millions, goes to the solver).
    const bool nonlinearModel = nonlinear(m.model);
    MeasurementModel prepared;
    if (nonlinearModel) {
        InputValues low = m.values;
        InputValues high = m.values;
        for (const Drawn& d : drawn) {
            const double reach = d.distribution == Distribution::Normal ? 5 * d.u : kSqrt3 * d.u;
            low[d.index] = std::max(d.low, d.value - reach);
            high[d.index] = std::min(d.high, d.value + reach);
        }
        prepared = preparedFor(m.model, m.values, low, high);
    }

    std::atomic<std::int64_t> rejected{0};
    std::atomic<std::int64_t> withoutValence{0};
    std::atomic<std::int64_t> twoValences{0};
    std::mutex failureMutex;
    std::string failure;  // why the first draw that failed to evaluate did
    const auto block = [&](std::int64_t b, auto nonlinearDraws) {
        constexpr bool kNonlinear = decltype(nonlinearDraws)::value;
        const std::int64_t first = b * kBlock;
        const std::int64_t end = std::min(n, first + kBlock);
        std::int64_t blockRejected = 0;
        std::int64_t blockWithout = 0;
        std::int64_t blockTwo = 0;
        // A few draws are made before they are evaluated: one after another,
        // the draws overlap, where one before each evaluation would wait for
        // its words.
        std::array<InputValues, kBatch> x;
        x.fill(m.values);
        const auto inputs = static_cast<int>(drawn.size());
        std::array<std::uint64_t, kBatch * kInputCount> words;
        BlockTally zTally(z, first);
        BlockTally zstarTally(zstar, first);
        BlockTally geTally(ge, first);
        for (std::int64_t batch = first; batch < end; batch += kBatch) {
            const auto count = static_cast<int>(std::min<std::int64_t>(kBatch, end - batch));
            DrawStream::wordsAhead(mixedSeed, static_cast<std::uint64_t>(batch), count, inputs,
                                   words.data());
            std::array<unsigned, kBatch> failed{};
            if (plain)
                plainBatch(words.data(), count, drawn.data(), inputs, x.data(), failed.data(),
                           normal);
            else
                for (int k = 0; k < count; ++k)
                    failed[k] = oneWordEach(x[k], drawn, words.data() + k, count, normal);
            for (int k = 0; k < count; ++k)
                if (failed[k] != 0)
                    finishDraw(x[k], drawn, mixedSeed, batch + k, failed[k], normal, blockRejected);
            for (int k = 0; k < count; ++k) {
                Estimate e;
                if constexpr (kNonlinear) {
                    try {
                        e = evaluate(prepared, x[k]);
                    } catch (const std::exception& error) {
                        e.solutions = model::Solutions::None;
                        const std::lock_guard<std::mutex> lock(failureMutex);
                        if (failure.empty())
                            failure = error.what();
                    }
                    if (e.solutions == model::Solutions::None || !std::isfinite(e.valence)) {
                        ++blockWithout;
                        continue;
                    }
                    blockTwo += e.solutions == model::Solutions::TwoLowerTaken;
                } else {
                    e = evaluate(m.model, x[k]);
                }
                zTally.add(e.valence);
                zstarTally.add(e.effectiveValence);
                geTally.add(e.geMax);
            }
        }
        zTally.close(b);
        zstarTally.close(b);
        geTally.close(b);
        rejected += blockRejected;
        withoutValence += blockWithout;
        twoValences += blockTwo;
        return end - first;
    };
    const int threads = runBlocks(blocks, options.threads, control, [&](std::int64_t b) {
        return nonlinearModel ? block(b, std::true_type{}) : block(b, std::false_type{});
    });
    if (control && control->cancelled)
        return std::nullopt;
    const std::int64_t valued = n - withoutValence;
    if (valued < 2)
        throw std::invalid_argument("Of " + std::to_string(n) + " draws, " +
                                    std::to_string(valued) +
                                    " had a valence: too few for a result" +
                                    (failure.empty() ? "" : " (" + failure + ")") + ".");
    if (valued < n)
        for (Output* o : {&z, &zstar, &ge})
            closeGaps(*o, blocks);

    MonteCarloResult r;
    r.draws = n;
    r.rejected = rejected;
    r.withoutValence = withoutValence;
    r.twoValences = twoValences;
    // The three summaries are independent; each is computed in one order.
    {
        // z, with its histogram, is the largest part; z* and Ge go beside it.
        std::jthread second;
        std::jthread third;
        if (threads == 2) {
            second = std::jthread([&] {
                r.effectiveValence = summarise(zstar, valued);
                r.geMax = summarise(ge, valued);
            });
        } else if (threads > 2) {
            second = std::jthread([&] { r.effectiveValence = summarise(zstar, valued); });
            third = std::jthread([&] { r.geMax = summarise(ge, valued); });
        }
        r.valence = summarise(z, valued, &r.valenceHistogram);
        if (threads <= 1) {
            r.effectiveValence = summarise(zstar, valued);
            r.geMax = summarise(ge, valued);
        }
    }
    return r;
}

}  // namespace analysis
