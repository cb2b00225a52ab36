// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cmath>
#include <cstdint>
#include <functional>

// Clones of a hot loop for newer x86-64 processors, one picked at run time
// (GCC's function multiversioning); other compilers and processors build
// the one plain version.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define QUORVIN_TARGET_CLONES(...) [[gnu::target_clones(__VA_ARGS__)]]
#else
#define QUORVIN_TARGET_CLONES(...)
#endif

namespace analysis {

struct MonteCarloControl;

// SplitMix64's output function: a bijection of 64-bit words that mixes
// every input bit into every output bit.
inline std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// The random numbers of one draw: SplitMix64 started at a point that the
// seed and the draw's index give, so that a draw's numbers do not depend on
// which thread makes it or when.
class DrawStream {
  public:
    // mixedSeed is mix(seed), worked out once per run.
    DrawStream(std::uint64_t mixedSeed, std::uint64_t draw)
        : m_state(mix(mixedSeed ^ (draw * 0xd1b54a32d192ed03ULL))) {}

    std::uint64_t next() {
        m_state += kGamma;
        return mix(m_state);
    }
    // The word the (k + 1)-th next() from here gives, without moving on: the
    // words of one draw do not depend on each other, so they can be worked
    // out side by side.
    std::uint64_t wordAhead(int k) const {
        return mix(m_state + static_cast<std::uint64_t>(k + 1) * kGamma);
    }
    // Skips k words.
    void skip(int k) { m_state += static_cast<std::uint64_t>(k) * kGamma; }
    // Uniform in (0, 1), never 0 or 1, from the word's upper 53 bits.
    static double toUniform(std::uint64_t word) {
        return (static_cast<double>(word >> 11) + 0.5) * 0x1.0p-53;
    }
    // 2 toUniform(word) - 1 to the last bit, in fewer operations: with h the
    // upper 53 bits, 2 (h + 1/2) 2^-53 is (2 h + 1) 2^-53, and 2 h + 1 is the
    // upper 54 bits with the lowest set; the scalings by 2 are exact, so
    // both round once, alike.
    static double toSigned(std::uint64_t word) {
        return static_cast<double>(static_cast<std::int64_t>((word >> 10) | 1)) * 0x1.0p-53 - 1;
    }
    double uniform() { return toUniform(next()); }

    // The first `count` words of each of the draws first to first + draws - 1
    // at once: words[k * draws + d] is word k of draw first + d, as
    // DrawStream(mixedSeed, first + d).wordAhead(k) gives it. Made lane by
    // lane where the processor has wide integer multiplication.
    static void wordsAhead(std::uint64_t mixedSeed, std::uint64_t first, int draws, int count,
                           std::uint64_t* words);

  private:
    static constexpr std::uint64_t kGamma = 0x9e3779b97f4a7c15ULL;
    std::uint64_t m_state;
};

// Standard normal numbers by the ziggurat method (Marsaglia and Tsang 2000,
// in Doornik's form with 128 blocks): nearly every number costs one 64-bit
// word, a table look-up and a multiplication.
class Ziggurat {
  public:
    Ziggurat();

    // The number the fast path gives for a word, if it gives one (in 97 %).
    bool quick(std::uint64_t word, double& x) const {
        const double u = DrawStream::toSigned(word);
        const auto i = static_cast<int>(word & (kBlocks - 1));
        x = u * m_x[i];
        return std::fabs(u) < m_ratio[i];
    }

    // No number of the fast path is larger in magnitude.
    double quickBound() const { return m_quickBound; }

    // The whole method, from the stream's next word on.
    double normal(DrawStream& stream) const {
        for (;;) {
            const std::uint64_t word = stream.next();
            const double u = DrawStream::toSigned(word);
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

    static double tail(DrawStream& stream, bool negative);

    double m_x[kBlocks + 1];
    double m_ratio[kBlocks];
    double m_quickBound = 0;
};

const Ziggurat& ziggurat();

// The 1-based rank of the lower end of the probabilistically symmetric
// coverage interval of probability p among n sorted values (JCGM 101, 7.7),
// and the number of values it spans.
struct CoverageRanks {
    std::int64_t r;
    std::int64_t q;
};
CoverageRanks coverageRanks(std::int64_t n, double p);

// The threads a run asks for: 0 is one per core.
int threadCount(int requested);

// Runs block(b) for every b from 0 to blocks - 1 on threadCount(threads)
// threads (never more than there are blocks), each block once, handed out in
// order; the calling thread is one of them. block returns the draws it made,
// which are added to control->done; the calling thread calls
// control->progress now and then. Once control is cancelled no further block
// starts. Returns the threads used.
int runBlocks(std::int64_t blocks, int threads, MonteCarloControl* control,
              const std::function<std::int64_t(std::int64_t block)>& block);

}  // namespace analysis
