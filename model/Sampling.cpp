// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Sampling.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace model {

std::int64_t truncToInt64(double value) {
    using Limits = std::numeric_limits<std::int64_t>;
    if (std::isnan(value)) {
        return 0;
    }
    // -2^63 is exact in a double; 2^63 is the first value above the range.
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (value >= kTwoTo63) {
        return Limits::max();
    }
    if (value <= -kTwoTo63) {
        return Limits::min();
    }
    return static_cast<std::int64_t>(value);
}

std::int32_t truncToInt32(double value) {
    const std::int64_t wide = truncToInt64(value);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        wide, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int64_t valenceMagnitude(double valence) {
    // The magnitude is taken before truncating, so it never meets the
    // asymmetric lower limit of int64.
    return truncToInt64(std::fabs(valence));
}

ValenceGrid geCurveGrid(double valence) {
    const std::int64_t n = valenceMagnitude(valence);
    // The smallest step s with n div s <= 9999; it is 1 for every n <= 9999.
    const std::int64_t step = n / (kUnitStepLimit + 1) + 1;
    const std::int64_t half = n / step;
    return {-half * step, step, 2 * half + 1};
}

std::vector<std::int64_t> geCurveValences(double valence) {
    const ValenceGrid grid = geCurveGrid(valence);
    std::vector<std::int64_t> values(static_cast<std::size_t>(grid.count));
    for (std::int64_t k = 0; k < grid.count; ++k) {
        values[static_cast<std::size_t>(k)] = grid.at(k);
    }
    return values;
}

std::int64_t logTableStep(std::int64_t n) {
    // (2n div s) <= 25 holds exactly when 2n < 26 s. 2n is formed unsigned,
    // where it cannot overflow for any n of int64.
    const std::uint64_t twiceN = 2 * static_cast<std::uint64_t>(n < 0 ? 0 : n);
    return static_cast<std::int64_t>(twiceN / kLogTableMaxRows + 1);
}

ValenceGrid logTableGrid(double valence) {
    const std::int64_t n = valenceMagnitude(valence);
    const std::int64_t step = logTableStep(n);
    const std::uint64_t twiceN = 2 * static_cast<std::uint64_t>(n);
    const auto rows = static_cast<std::int64_t>(twiceN / static_cast<std::uint64_t>(step) + 1);
    return {-n, step, rows};
}

}  // namespace model
