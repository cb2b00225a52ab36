// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The number entry dialog's rules written a second time, apart from the
// dialog and in another way, for the checks that run both over long random
// sequences of user actions.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

namespace testing_support {

enum class CharKind { Digit, Point, Sign, Letter, Other };

inline CharKind kindOf(char c) {
    if (c >= '0' && c <= '9')
        return CharKind::Digit;
    switch (c) {
        case '.':
            return CharKind::Point;
        case '+':
        case '-':
            return CharKind::Sign;
        case 'e':
        case 'E':
            return CharKind::Letter;
        default:
            return CharKind::Other;
    }
}

// Whether typing k into buffer b is admitted.
inline bool modelAdmits(const std::string& b, char k, bool integerOnly) {
    const auto count = [&](CharKind kind) {
        return std::count_if(b.begin(), b.end(), [&](char c) { return kindOf(c) == kind; });
    };
    switch (kindOf(k)) {
        case CharKind::Digit:
            return b.empty() || kindOf(b.front()) == CharKind::Sign ||
                   kindOf(b.back()) != CharKind::Other;
        case CharKind::Point:
            return !integerOnly && count(CharKind::Point) == 0;
        case CharKind::Sign:
            return b.empty() || kindOf(b.back()) == CharKind::Letter;
        case CharKind::Letter:
            return !integerOnly && count(CharKind::Letter) == 0;
        case CharKind::Other:
            return false;
    }
    return false;
}

// The number grammar as a small state machine: sign, digits with one
// optional point (at least one digit), then an optional exponent letter,
// sign and at least one digit.
inline bool modelIsNumber(const std::string& t) {
    size_t i = 0;
    const auto digits = [&] {
        const size_t from = i;
        while (i < t.size() && kindOf(t[i]) == CharKind::Digit)
            ++i;
        return i - from;
    };
    if (i < t.size() && kindOf(t[i]) == CharKind::Sign)
        ++i;
    size_t mantissa = digits();
    if (i < t.size() && t[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < t.size() && kindOf(t[i]) == CharKind::Letter) {
        ++i;
        if (i < t.size() && kindOf(t[i]) == CharKind::Sign)
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == t.size();
}

// The close check's conversion: nullopt for a text that does not convert.
inline std::optional<double> modelConvert(const std::string& text) {
    if (!modelIsNumber(text))
        return std::nullopt;
    const double v = std::strtod(text.c_str(), nullptr);
    if (std::isinf(v))
        return std::nullopt;
    return v;
}

inline std::int32_t modelWhole(double v) {
    const long double t = std::trunc(static_cast<long double>(v));
    if (t >= 2147483647.0L)
        return std::numeric_limits<std::int32_t>::max();
    if (t <= -2147483648.0L)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(t);
}

}  // namespace testing_support
