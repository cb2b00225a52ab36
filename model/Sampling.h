// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <vector>

namespace model {

// The largest valence magnitude the graph draws with a step of exactly 1;
// the valence entered by the user never exceeds it.
inline constexpr std::int64_t kUnitStepLimit = 9999;

// The most rows a log table holds.
inline constexpr std::int64_t kLogTableMaxRows = 26;

// Truncates toward zero, defined for every double: NaN gives 0, values
// beyond the 64-bit range (and the infinities) give the nearest limit.
std::int64_t truncToInt64(double value);

// Truncation toward zero into 32 bits, as whole numbers are entered:
// values beyond the range (a typed "1e300") give the nearest limit, NaN 0.
std::int32_t truncToInt32(double value);

// n, the integer part of |valence| truncated toward zero.
std::int64_t valenceMagnitude(double valence);

// A symmetric grid of integer valences: first, first + step, ... up to
// -first, count points in all.
struct ValenceGrid {
    std::int64_t first = 0;
    std::int64_t step = 1;
    std::int64_t count = 1;

    // Formed in unsigned arithmetic: k * step may exceed the int64 range on
    // the way although every point lies within [-n, n].
    std::int64_t at(std::int64_t k) const {
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(first) +
                                         static_cast<std::uint64_t>(k) *
                                             static_cast<std::uint64_t>(step));
    }
};

// The valences of the Ge curve, used by the graph and the .DAT export alike.
// Up to n = 9999 every integer from -n to n; beyond, a uniform step that keeps
// at most 2 x 9999 + 1 points, symmetric about 0, the outermost points within
// one step of -n and n.
ValenceGrid geCurveGrid(double valence);
std::vector<std::int64_t> geCurveValences(double valence);

// The step of the log table: the smallest s with (2n div s) <= 25.
std::int64_t logTableStep(std::int64_t n);

// The rows of the log table: -n, -n + s, ... while <= n.
ValenceGrid logTableGrid(double valence);

}  // namespace model
