// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/base/NumberText.h"

#include <locale.h>
#include <stdlib.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "platform/base/Exception.h"

namespace platform {
namespace {

// ---------------------------------------------------------------------------
// Exact decimal digits of a double.
//
// A finite double is m * 2^e with integers m < 2^53 and e, so |x| * 10^q is a
// rational whose integer part can be computed exactly with a small big
// integer. Rounding half away from zero at a digit only needs the truncated
// digits plus the first dropped digit (a tie rounds away as well, so no
// sticky bit is needed), and truncation composes exactly: there is never a
// second rounding.

__extension__ typedef unsigned __int128 Uint128;

// Unsigned big integer, little-endian limbs of 32 bits.
class BigUint {
  public:
    explicit BigUint(std::uint64_t v) {
        if (v != 0)
            m_limbs.push_back(static_cast<std::uint32_t>(v));
        if ((v >> 32) != 0)
            m_limbs.push_back(static_cast<std::uint32_t>(v >> 32));
    }

    void multiplySmall(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (auto& limb : m_limbs) {
            const std::uint64_t product = std::uint64_t{limb} * factor + carry;
            limb = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0)
            m_limbs.push_back(static_cast<std::uint32_t>(carry));
    }

    void multiplyPow10(int n) {
        static constexpr std::uint32_t kPow10[] = {1,      10,      100,      1000,     10000,
                                                   100000, 1000000, 10000000, 100000000};
        for (; n >= 9; n -= 9)
            multiplySmall(1000000000u);
        if (n > 0)
            multiplySmall(kPow10[n]);
    }

    void shiftLeft(int bits) {
        if (m_limbs.empty())
            return;
        const int shift = bits % 32;
        if (shift != 0) {
            std::uint32_t carry = 0;
            for (auto& limb : m_limbs) {
                const std::uint32_t next = limb >> (32 - shift);
                limb = (limb << shift) | carry;
                carry = next;
            }
            if (carry != 0)
                m_limbs.push_back(carry);
        }
        m_limbs.insert(m_limbs.begin(), static_cast<std::size_t>(bits / 32), 0u);
    }

    void shiftRight(int bits) {
        const auto words = static_cast<std::size_t>(bits / 32);
        if (words >= m_limbs.size()) {
            m_limbs.clear();
            return;
        }
        m_limbs.erase(m_limbs.begin(), m_limbs.begin() + static_cast<std::ptrdiff_t>(words));
        const int shift = bits % 32;
        if (shift != 0) {
            for (std::size_t i = 0; i < m_limbs.size(); ++i) {
                const std::uint32_t high = i + 1 < m_limbs.size() ? m_limbs[i + 1] : 0u;
                m_limbs[i] = (m_limbs[i] >> shift) | (high << (32 - shift));
            }
        }
        while (!m_limbs.empty() && m_limbs.back() == 0)
            m_limbs.pop_back();
    }

    // Decimal digits without leading zeros; "0" for zero. Consumes the value.
    std::string takeDecimal() {
        if (m_limbs.empty())
            return "0";
        std::vector<std::uint32_t> chunks;  // base 10^9, least significant first
        while (!m_limbs.empty()) {
            std::uint64_t remainder = 0;
            for (std::size_t i = m_limbs.size(); i-- > 0;) {
                const std::uint64_t current = (remainder << 32) | m_limbs[i];
                m_limbs[i] = static_cast<std::uint32_t>(current / 1000000000u);
                remainder = current % 1000000000u;
            }
            chunks.push_back(static_cast<std::uint32_t>(remainder));
            while (!m_limbs.empty() && m_limbs.back() == 0)
                m_limbs.pop_back();
        }
        std::string text = std::to_string(chunks.back());
        for (std::size_t i = chunks.size() - 1; i-- > 0;) {
            const std::string chunk = std::to_string(chunks[i]);
            text.append(9 - chunk.size(), '0');
            text += chunk;
        }
        return text;
    }

  private:
    std::vector<std::uint32_t> m_limbs;
};

std::string decimalOf(Uint128 v) {
    char buffer[40];
    char* end = buffer + sizeof buffer;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    } while (v != 0);
    return std::string(p, end);
}

// |x| = mantissa * 2^exponent2, exactly.
struct BinaryValue {
    std::uint64_t mantissa = 0;
    int exponent2 = 0;
};

BinaryValue decompose(double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const auto biased = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (biased == 0)
        return {fraction, -1074};  // zero or subnormal
    return {fraction | (std::uint64_t{1} << 52), biased - 1075};
}

// floor(|x| * 10^q) as decimal digits ("0" when zero), computed exactly.
std::string truncatedDigits(const BinaryValue& v, int q) {
    const std::uint64_t m = v.mantissa;
    const int e = v.exponent2;
    // Ordinary values (a few decimals, magnitudes well inside 1e15) fit 128 bits.
    if (q >= 0 && q <= 22 && e < 0) {
        static constexpr auto kPow10 = [] {
            std::array<Uint128, 23> table{};
            table[0] = 1;
            for (std::size_t i = 1; i < table.size(); ++i)
                table[i] = table[i - 1] * 10;
            return table;
        }();
        const Uint128 scaled = Uint128{m} * kPow10[static_cast<std::size_t>(q)];  // < 2^127
        return decimalOf(-e >= 128 ? Uint128{0} : scaled >> -e);
    }
    BigUint n(m);
    if (q > 0)
        n.multiplyPow10(q);
    if (e >= 0) {
        n.shiftLeft(e);
    } else {
        n.shiftRight(-e);
    }
    std::string digits = n.takeDecimal();
    if (q < 0) {
        // floor(floor(y) / 10^k) == floor(y / 10^k): dropping digits truncates exactly.
        const auto drop = static_cast<std::size_t>(-q);
        digits = drop >= digits.size() ? "0" : digits.substr(0, digits.size() - drop);
    }
    return digits;
}

void incrementDecimal(std::string& digits) {
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9')
        digits[--i] = '0';
    if (i == 0) {
        digits.insert(digits.begin(), '1');
    } else {
        ++digits[i - 1];
    }
}

// Drops the last digit and rounds half away from zero by it. "" means zero.
std::string roundOffLastDigit(std::string digits) {
    const char dropped = digits.back();
    digits.pop_back();
    if (dropped >= '5')
        incrementDecimal(digits);
    if (digits.find_first_not_of('0') == std::string::npos)
        digits.clear();
    return digits;
}

// |x| rounded half away from zero to `count` significant digits: x ~ d.ddd * 10^exponent10.
struct Significand {
    std::string digits;  // exactly `count` digits, the first one nonzero
    int exponent10 = 0;
};

Significand roundSignificant(double absValue, int count) {
    const BinaryValue v = decompose(absValue);
    const int bitLength = 64 - std::countl_zero(v.mantissa);
    // |x| >= 2^e2, so floor(log10 |x|) >= floor(e2 * log10 2); one less is a safe lower bound
    // that leaves room for the floating-point estimate.
    const int e2 = bitLength - 1 + v.exponent2;
    const int lowerExponent10 = static_cast<int>(std::floor(e2 * 0.30102999566398119521)) - 1;
    const int q = count - lowerExponent10;
    std::string digits = truncatedDigits(v, q);  // at least count + 1 digits
    int exponent10 = static_cast<int>(digits.size()) - 1 - q;
    digits.resize(static_cast<std::size_t>(count) + 1);
    digits = roundOffLastDigit(std::move(digits));
    if (digits.size() > static_cast<std::size_t>(count)) {  // 99.9 carried into 100.0
        digits.pop_back();
        ++exponent10;
    }
    return {std::move(digits), exponent10};
}

// ---------------------------------------------------------------------------
// Patterns.

struct Pattern {
    int integerPlaces = 0;     // placeholders before the point
    int minIntegerDigits = 0;  // placeholders from the first "0" to the point
    int decimals = 0;          // placeholders after the point
    int minDecimals = 0;       // placeholders after the point up to the last "0"
    bool scientific = false;
    char exponentLetter = 'E';
    bool exponentPlus = false;  // "E+": the sign is always written
    int exponentDigits = 0;
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isPlaceholder(char c) {
    return c == '0' || c == '#';
}

Pattern parsePattern(std::string_view text) {
    Pattern p;
    std::size_t i = 0;
    int firstZero = -1;
    for (; i < text.size() && isPlaceholder(text[i]); ++i) {
        if (text[i] == '0' && firstZero < 0)
            firstZero = p.integerPlaces;
        ++p.integerPlaces;
    }
    if (firstZero >= 0)
        p.minIntegerDigits = p.integerPlaces - firstZero;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isPlaceholder(text[i]); ++i) {
            ++p.decimals;
            if (text[i] == '0')
                p.minDecimals = p.decimals;
        }
    }
    if (i + 1 < text.size() && (text[i] == 'E' || text[i] == 'e') &&
        (text[i + 1] == '+' || text[i + 1] == '-')) {
        p.scientific = true;
        p.exponentLetter = text[i];
        p.exponentPlus = text[i + 1] == '+';
        for (i += 2; i < text.size() && text[i] == '0'; ++i)
            ++p.exponentDigits;
    }
    if (i != text.size() || (p.scientific && p.exponentDigits == 0)) {
        throw Exception("'" + std::string(text) + "' is not a valid number pattern");
    }
    return p;
}

// Drops optional trailing zeros and joins the parts; an empty text becomes "0".
std::string joinNumber(bool negative, std::string integerText, std::string fractionText,
                       int minDecimals) {
    while (fractionText.size() > static_cast<std::size_t>(minDecimals) &&
           fractionText.back() == '0') {
        fractionText.pop_back();
    }
    if (integerText.empty() && fractionText.empty())
        return "0";
    std::string text;
    if (negative)
        text.push_back('-');
    text.append(integerText);
    if (!fractionText.empty())
        text.append(1, '.').append(fractionText);
    return text;
}

std::string formatFixed(const Pattern& p, double value) {
    if (std::fabs(value) >= 1e15)
        return FloatToStr(value);
    const int d = p.decimals;
    // round(|x| * 10^d), half away from zero, from the exact truncated digits.
    const std::string digits = roundOffLastDigit(truncatedDigits(decompose(value), d + 1));
    const std::size_t n = digits.size();
    const auto decimals = static_cast<std::size_t>(d);
    std::string integerText = n > decimals ? digits.substr(0, n - decimals) : "";
    std::string fractionText =
        n > decimals ? digits.substr(n - decimals) : std::string(decimals - n, '0') + digits;
    if (integerText.size() < static_cast<std::size_t>(p.minIntegerDigits)) {
        integerText.insert(0, static_cast<std::size_t>(p.minIntegerDigits) - integerText.size(),
                           '0');
    }
    const bool negative = std::signbit(value) && !digits.empty();
    return joinNumber(negative, std::move(integerText), std::move(fractionText), p.minDecimals);
}

std::string formatScientific(const Pattern& p, double value) {
    // At least one mantissa digit, before the point when the pattern has none at all.
    const int integerPlaces = p.integerPlaces + p.decimals == 0 ? 1 : p.integerPlaces;
    std::string integerText;
    std::string fractionText;
    int exponent = 0;
    if (value == 0) {
        integerText.assign(static_cast<std::size_t>(p.minIntegerDigits), '0');
        fractionText.assign(static_cast<std::size_t>(p.decimals), '0');
    } else {
        Significand s = roundSignificant(std::fabs(value), integerPlaces + p.decimals);
        integerText = s.digits.substr(0, static_cast<std::size_t>(integerPlaces));
        fractionText = s.digits.substr(static_cast<std::size_t>(integerPlaces));
        exponent = s.exponent10 - (integerPlaces - 1);
    }
    std::string text =
        joinNumber(value < 0, std::move(integerText), std::move(fractionText), p.minDecimals);
    text += p.exponentLetter;
    if (exponent < 0) {
        text += '-';
    } else if (p.exponentPlus) {
        text += '+';
    }
    const std::string digits = std::to_string(std::abs(exponent));
    if (digits.size() < static_cast<std::size_t>(p.exponentDigits)) {
        text.append(static_cast<std::size_t>(p.exponentDigits) - digits.size(), '0');
    }
    return text + digits;
}

const char* nonFiniteText(double value) {
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

bool isValidNumberText(std::string_view t) {
    std::size_t i = 0;
    const std::size_t n = t.size();
    if (i < n && (t[i] == '+' || t[i] == '-'))
        ++i;
    std::size_t mantissaDigits = 0;
    for (; i < n && isDigit(t[i]); ++i)
        ++mantissaDigits;
    if (i < n && t[i] == '.') {
        for (++i; i < n && isDigit(t[i]); ++i)
            ++mantissaDigits;
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < n && (t[i] == '+' || t[i] == '-'))
            ++i;
        std::size_t exponentDigits = 0;
        for (; i < n && isDigit(t[i]); ++i)
            ++exponentDigits;
        if (exponentDigits == 0)
            return false;
    }
    return i == n;
}

}  // namespace

std::string FormatFloat(std::string_view pattern, double value) {
    if (pattern.empty())
        return FloatToStr(value);
    const Pattern p = parsePattern(pattern);
    if (!std::isfinite(value))
        return nonFiniteText(value);
    return p.scientific ? formatScientific(p, value) : formatFixed(p, value);
}

std::string FloatToStr(double value) {
    if (!std::isfinite(value))
        return nonFiniteText(value);
    if (value == 0)
        return "0";
    Significand s = roundSignificant(std::fabs(value), 15);
    std::string& digits = s.digits;
    digits.erase(digits.find_last_not_of('0') + 1);
    const int e = s.exponent10;
    std::string text;
    if (value < 0)
        text.push_back('-');
    if (e >= 15 || e < -4) {
        text.push_back(digits[0]);
        if (digits.size() > 1)
            text.append(1, '.').append(digits, 1);
        return text.append(1, 'E').append(std::to_string(e));
    }
    if (e < 0)
        return text.append("0.").append(static_cast<std::size_t>(-e - 1), '0').append(digits);
    const auto integerDigits = static_cast<std::size_t>(e) + 1;
    if (digits.size() <= integerDigits)
        return text.append(digits).append(integerDigits - digits.size(), '0');
    return text.append(digits, 0, integerDigits).append(1, '.').append(digits, integerDigits);
}

double StrToFloat(std::string_view text) {
    const std::string copy(text);
    if (isValidNumberText(text)) {
        // strtod is correctly rounded; the "C" locale keeps "." the separator whatever
        // setlocale() the process made.
        static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
        const double value = strtod_l(copy.c_str(), nullptr, cLocale);
        if (!std::isinf(value))
            return value;  // underflow to zero or a subnormal is fine
    }
    throw EConvertError("'" + copy + "' is not a valid floating point value");
}

bool numberEntryAdmits(std::string_view buffer, char key, bool integerOnly) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isSign = [](char c) { return c == '+' || c == '-'; };
    const auto isExponent = [](char c) { return c == 'e' || c == 'E'; };
    if (isDigit(key)) {
        if (buffer.empty() || isSign(buffer.front()))
            return true;
        const char last = buffer.back();
        return isDigit(last) || last == '.' || isSign(last) || isExponent(last);
    }
    if (key == '.')
        return !integerOnly && buffer.find('.') == std::string_view::npos;
    if (isSign(key))
        return buffer.empty() || isExponent(buffer.back());
    if (isExponent(key))
        return !integerOnly && buffer.find_first_of("eE") == std::string_view::npos;
    return false;
}

DateTime Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string DateToStr(const DateTime& date) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", date.year, date.month, date.day);
    return buffer;
}

}  // namespace platform
