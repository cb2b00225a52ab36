// SPDX-License-Identifier: GPL-3.0-or-later

#include "analysis/Draws.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "analysis/Uncertainty.h"

namespace analysis {

Ziggurat::Ziggurat() {
    double f = std::exp(-0.5 * kR * kR);
    m_x[0] = kV / f;
    m_x[1] = kR;
    m_x[kBlocks] = 0;
    for (int i = 2; i < kBlocks; ++i) {
        m_x[i] = std::sqrt(-2 * std::log(kV / m_x[i - 1] + f));
        f = std::exp(-0.5 * m_x[i] * m_x[i]);
    }
    for (int i = 0; i < kBlocks; ++i) {
        m_ratio[i] = m_x[i + 1] / m_x[i];
        // |u| < m_ratio[i] on the fast path, and rounding is monotonic.
        m_quickBound = std::max(m_quickBound, m_ratio[i] * m_x[i]);
    }
}

QUORVIN_TARGET_CLONES("arch=x86-64-v4", "arch=x86-64-v3", "default")
void DrawStream::wordsAhead(std::uint64_t mixedSeed, std::uint64_t first, int draws, int count,
                            std::uint64_t* words) {
    constexpr int kLanes = 64;
    for (int from = 0; from < draws; from += kLanes) {
        const int lanes = std::min(kLanes, draws - from);
        std::uint64_t state[kLanes];
        for (int d = 0; d < lanes; ++d)
            state[d] = DrawStream(mixedSeed, first + static_cast<std::uint64_t>(from + d)).m_state;
        for (int k = 0; k < count; ++k) {
            const std::uint64_t step = static_cast<std::uint64_t>(k + 1) * kGamma;
            std::uint64_t* row = words + static_cast<std::ptrdiff_t>(k) * draws + from;
            for (int d = 0; d < lanes; ++d)
                row[d] = mix(state[d] + step);
        }
    }
}

double Ziggurat::tail(DrawStream& stream, bool negative) {
    double x;
    double y;
    do {
        x = std::log(stream.uniform()) / kR;
        y = std::log(stream.uniform());
    } while (-2 * y < x * x);
    return negative ? x - kR : kR - x;
}

const Ziggurat& ziggurat() {
    static const Ziggurat z;
    return z;
}

CoverageRanks coverageRanks(std::int64_t n, double p) {
    const double pn = p * static_cast<double>(n);
    const auto q = static_cast<std::int64_t>(std::floor(pn + 0.5));
    const std::int64_t rest = n - q;
    return {rest % 2 == 0 ? rest / 2 : (rest + 1) / 2, q};
}

int threadCount(int requested) {
    if (requested > 0)
        return requested;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

int runBlocks(std::int64_t blocks, int threads, MonteCarloControl* control,
              const std::function<std::int64_t(std::int64_t block)>& block) {
    std::atomic<std::int64_t> nextBlock{0};
    const auto work = [&](bool reports) {
        auto lastReport = std::chrono::steady_clock::now();
        for (std::int64_t b = nextBlock++; b < blocks; b = nextBlock++) {
            if (control && control->cancelled.load(std::memory_order_relaxed))
                return;
            const std::int64_t made = block(b);
            if (!control)
                continue;
            control->done += made;
            const auto now = std::chrono::steady_clock::now();
            if (reports && control->progress && now - lastReport > std::chrono::milliseconds(50)) {
                lastReport = now;
                control->progress();
            }
        }
    };
    const int used = static_cast<int>(
        std::max<std::int64_t>(1, std::min<std::int64_t>(threadCount(threads), blocks)));
    std::vector<std::jthread> helpers;
    for (int t = 1; t < used; ++t)
        helpers.emplace_back(work, false);
    work(true);
    return used;
}

}  // namespace analysis
