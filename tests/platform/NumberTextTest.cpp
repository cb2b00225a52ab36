// SPDX-License-Identifier: GPL-3.0-or-later

// Number texts: FormatFloat, FloatToStr, StrToFloat, DateToStr.
//
// Besides the hand-computed tables, a slow reference implementation (exact
// decimal expansion with long-hand digit arithmetic) is compared with the
// library on many thousands of random values and patterns. The reference's
// own expansion is checked against glibc's printf, which prints exact digits.

#include "platform/base/NumberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/base/Exception.h"

namespace {

using platform::FloatToStr;
using platform::FormatFloat;
using platform::StrToFloat;

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTrueMin = std::numeric_limits<double>::denorm_min();

const std::vector<std::string> kPatternsInUse = {
    "###0.0##", "0.000E+00", "#0.0##", "0.0000", "#0.00#",  "###.00", "##0.0##",
    "##0.0#",   "###0.0#",   "##.0##", "#0.00",  "##0.00#", "0.0#"};

// ---------------------------------------------------------------------------
// Reference implementation: slow and written for obviousness.

// Multiplies a decimal digit string (most significant digit first) by factor.
void multiplyDigits(std::string& digits, std::uint64_t factor) {
    std::uint64_t carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const std::uint64_t v = std::uint64_t(digits[i] - '0') * factor + carry;
        digits[i] = char('0' + v % 10);
        carry = v / 10;
    }
    for (; carry != 0; carry /= 10)
        digits.insert(digits.begin(), char('0' + carry % 10));
}

// Adds one to a decimal digit string ("" counts as 0).
std::string plusOne(std::string digits) {
    int i = int(digits.size()) - 1;
    for (; i >= 0 && digits[i] == '9'; --i)
        digits[i] = '0';
    if (i < 0)
        return "1" + digits;
    digits[i]++;
    return digits;
}

bool allZero(const std::string& s) {
    return s.find_first_not_of('0') == std::string::npos;
}

// The exact decimal value of |x|: integer digits (no leading zeros, "" when
// |x| < 1) and every fraction digit.
struct Expansion {
    std::string integer;
    std::string fraction;
};

Expansion exactExpansion(double x) {
    int e = 0;
    double f = std::frexp(std::fabs(x), &e);
    while (f != std::floor(f)) {  // doubling is exact: |x| = f * 2^e with integer f
        f *= 2;
        --e;
    }
    std::string digits = std::to_string(std::uint64_t(f));
    int point = 0;  // digits / 10^point
    for (; e >= 30; e -= 30)
        multiplyDigits(digits, std::uint64_t{1} << 30);
    if (e > 0)
        multiplyDigits(digits, std::uint64_t{1} << e);
    // m / 2^k == m * 5^k / 10^k
    for (; e <= -13; e += 13, point += 13)
        multiplyDigits(digits, 1220703125);  // 5^13
    for (; e < 0; ++e, ++point)
        multiplyDigits(digits, 5);
    if (int(digits.size()) <= point)
        digits.insert(0, point - digits.size() + 1, '0');
    Expansion ex{digits.substr(0, digits.size() - point), digits.substr(digits.size() - point)};
    ex.integer.erase(0, ex.integer.find_first_not_of('0'));
    if (allZero(ex.integer))
        ex.integer.clear();
    return ex;
}

struct RefPattern {
    std::string integerPart, fractionPart;
    bool scientific = false;
    std::string exponentPart;  // "E+00" etc.
};

RefPattern splitPattern(const std::string& pattern) {
    RefPattern p;
    std::string mantissa = pattern;
    const auto e = pattern.find_first_of("Ee");
    if (e != std::string::npos) {
        p.scientific = true;
        p.exponentPart = pattern.substr(e);
        mantissa = pattern.substr(0, e);
    }
    const auto dot = mantissa.find('.');
    p.integerPart = mantissa.substr(0, dot);
    if (dot != std::string::npos)
        p.fractionPart = mantissa.substr(dot + 1);
    return p;
}

int minimumIntegerDigits(const RefPattern& p) {
    const auto firstZero = p.integerPart.find('0');
    return firstZero == std::string::npos ? 0 : int(p.integerPart.size() - firstZero);
}

int minimumDecimals(const RefPattern& p) {
    const auto lastZero = p.fractionPart.rfind('0');
    return lastZero == std::string::npos ? 0 : int(lastZero + 1);
}

std::string assemble(bool negative, std::string integer, std::string fraction, int minDecimals) {
    while (int(fraction.size()) > minDecimals && fraction.back() == '0')
        fraction.pop_back();
    if (integer.empty() && fraction.empty())
        return "0";
    std::string text = negative ? "-" : "";
    text += integer;
    if (!fraction.empty())
        text += "." + fraction;
    return text;
}

// |x| to `count` significant digits, half away from zero: digits and the
// decimal exponent of the first one.
std::pair<std::string, int> refSignificant(const Expansion& ex, int count) {
    const std::string all = ex.integer + ex.fraction;
    const auto first = all.find_first_not_of('0');
    int exponent = int(ex.integer.size()) - 1 - int(first);
    std::string tail = all.substr(first);
    if (int(tail.size()) < count + 1)
        tail.append(count + 1 - tail.size(), '0');
    std::string kept = tail.substr(0, count);
    if (tail[count] >= '5')
        kept = plusOne(kept);
    if (int(kept.size()) > count) {
        kept.pop_back();
        ++exponent;
    }
    return {kept, exponent};
}

std::string refFloatToStr(double x, const Expansion& ex) {
    if (std::isnan(x))
        return "NAN";
    if (std::isinf(x))
        return x > 0 ? "INF" : "-INF";
    if (x == 0)
        return "0";
    auto [digits, exponent] = refSignificant(ex, 15);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    const std::string sign = x < 0 ? "-" : "";
    if (exponent < -4 || exponent >= 15) {
        std::string text = sign + digits.substr(0, 1);
        if (digits.size() > 1)
            text += "." + digits.substr(1);
        return text + "E" + std::to_string(exponent);
    }
    // Plain: place the point among the digits, with zeros as needed.
    std::string integer, fraction;
    if (exponent < 0) {
        fraction = std::string(-exponent - 1, '0') + digits;
        return sign + "0." + fraction;
    }
    while (int(digits.size()) < exponent + 1)
        digits += '0';
    integer = digits.substr(0, exponent + 1);
    fraction = digits.substr(exponent + 1);
    return sign + integer + (fraction.empty() ? "" : "." + fraction);
}

std::string refFormatFloat(const std::string& pattern, double x, const Expansion& ex) {
    if (std::isnan(x))
        return "NAN";
    if (std::isinf(x))
        return x > 0 ? "INF" : "-INF";
    const RefPattern p = splitPattern(pattern);
    const int decimals = int(p.fractionPart.size());
    if (!p.scientific) {
        if (ex.integer.size() >= 16)
            return refFloatToStr(x, ex);  // |x| >= 1e15
        std::string fraction = ex.fraction;
        if (int(fraction.size()) < decimals + 1)
            fraction.append(decimals + 1 - fraction.size(), '0');
        std::string scaled = ex.integer + fraction.substr(0, decimals);
        if (fraction[decimals] >= '5')
            scaled = plusOne(scaled);
        std::string integer = scaled.substr(0, scaled.size() - decimals);
        std::string fractionText = scaled.substr(scaled.size() - decimals);
        integer.erase(0, integer.find_first_not_of('0'));
        if (allZero(integer))
            integer.clear();
        while (int(integer.size()) < minimumIntegerDigits(p))
            integer = "0" + integer;
        const bool negative = std::signbit(x) && !allZero(scaled);
        return assemble(negative, integer, fractionText, minimumDecimals(p));
    }
    int integerPlaces = int(p.integerPart.size());
    if (integerPlaces + decimals == 0)
        integerPlaces = 1;
    std::string integer, fraction;
    int exponent = 0;
    if (x == 0) {
        integer = std::string(minimumIntegerDigits(p), '0');
        fraction = std::string(decimals, '0');
    } else {
        auto [digits, e10] = refSignificant(ex, integerPlaces + decimals);
        integer = digits.substr(0, integerPlaces);
        fraction = digits.substr(integerPlaces);
        exponent = e10 - integerPlaces + 1;
    }
    std::string text = assemble(x < 0, integer, fraction, minimumDecimals(p));
    text += p.exponentPart[0];
    if (exponent < 0) {
        text += "-";
    } else if (p.exponentPart[1] == '+') {
        text += "+";
    }
    std::string digits = std::to_string(std::abs(exponent));
    while (digits.size() < p.exponentPart.size() - 2)
        digits = "0" + digits;
    return text + digits;
}

// The exact value of |x| lies exactly half-way at the rounding place:
// "5" followed by zeros only.
bool isExactTie(const std::string& dropped) {
    return !dropped.empty() && dropped[0] == '5' && allZero(dropped.substr(1));
}

// ---------------------------------------------------------------------------
// Random values and patterns.

std::vector<double> randomValues(std::size_t bitPatterns, std::size_t decimals) {
    std::mt19937_64 rng(20261207);
    std::vector<double> values;
    while (values.size() < bitPatterns) {  // every binade, subnormals included
        const double x = std::bit_cast<double>(rng());
        if (std::isfinite(x))
            values.push_back(x);
    }
    std::uniform_int_distribution<int> places(0, 8);
    std::uniform_int_distribution<std::int64_t> numerator(0, 100000000);
    std::uniform_int_distribution<int> tieDecimals(0, 5);
    std::uniform_int_distribution<int> power(-12, 16);
    for (std::size_t i = 0; i < decimals; ++i) {
        // "Nice" decimals like k/1000, as a user would type them.
        const double k = double(numerator(rng) % (std::int64_t{1} << (i % 28)));
        const double nice = k / std::pow(10.0, places(rng));
        values.push_back(nice);
        // Near-ties at 0..5 decimals: (j + 1/2) / 10^d and its neighbours.
        const int d = tieDecimals(rng);
        const double tie = (double(numerator(rng) % 200000) + 0.5) / std::pow(10.0, d);
        values.push_back(tie);
        values.push_back(std::nextafter(tie, kInf));
        values.push_back(std::nextafter(tie, 0.0));
        // A random significand at a random decimal magnitude.
        const double r = std::ldexp(double(rng() >> 11), -53) * std::pow(10.0, power(rng));
        values.push_back(r);
    }
    for (int e = -330; e <= 310; ++e) {
        const double p = std::pow(10.0, e);
        for (double v : {p, std::nextafter(p, 0.0), std::nextafter(p, kInf)}) {
            if (std::isfinite(v) && v != 0)
                values.push_back(v);
        }
    }
    values.insert(values.end(), {0.0, -0.0, kMax, kTrueMin, 1e15, 0.0001, 9.9995, 0.5, 2.5});
    const std::size_t n = values.size();
    for (std::size_t i = 0; i < n; ++i)
        values.push_back(-values[i]);
    return values;
}

std::vector<std::string> randomPatterns(std::size_t count) {
    std::mt19937_64 rng(7);
    auto placeholders = [&](int maxLength) {
        std::string s;
        for (int n = int(rng() % (maxLength + 1)); n > 0; --n)
            s += (rng() % 2) ? '0' : '#';
        return s;
    };
    std::vector<std::string> patterns;
    while (patterns.size() < count) {
        std::string p = placeholders(4);
        if (rng() % 5 != 0)
            p += "." + placeholders(6);
        if (rng() % 3 == 0) {
            p += (rng() % 2) ? 'E' : 'e';
            p += (rng() % 2) ? '+' : '-';
            p += std::string(1 + rng() % 3, '0');
        }
        if (!p.empty())
            patterns.push_back(p);
    }
    return patterns;
}

// ---------------------------------------------------------------------------
// FormatFloat: one table per pattern in use, every value worked out by hand
// from its exact binary value (1.005 is 1.00499999999999989...).

struct FormatCase {
    const char* pattern;
    double value;
    const char* expected;
};

class FormatFloatTable : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatFloatTable, WritesExpectedText) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected)
        << "pattern " << c.pattern << ", value " << c.value;
}

const FormatCase kFormatCases[] = {
    // "###0.0##": at least one integer digit and one decimal, up to three.
    {"###0.0##", 22.0, "22.0"},
    {"###0.0##", 0.5, "0.5"},
    {"###0.0##", 0.125, "0.125"},
    {"###0.0##", 0.0005, "0.001"},  // 0.000500000000000000010...
    {"###0.0##", 1.0005, "1.0"},    // 1.000499999999999944...
    {"###0.0##", 2.0625, "2.063"},  // exact tie, away from zero
    {"###0.0##", -2.0625, "-2.063"},
    {"###0.0##", -0.0004, "0.0"},
    {"###0.0##", 12345.6789, "12345.679"},
    {"###0.0##", 999999999999999.9, "999999999999999.875"},
    {"###0.0##", 1e15, "1E15"},
    {"###0.0##", -0.0, "0.0"},
    // "0.000E+00": four significant digits, signed exponent of two digits or more.
    {"0.000E+00", 12.3456, "1.235E+01"},
    {"0.000E+00", 0.5, "5.000E-01"},
    {"0.000E+00", -0.00123, "-1.230E-03"},
    {"0.000E+00", 0.0, "0.000E+00"},
    {"0.000E+00", -0.0, "0.000E+00"},
    {"0.000E+00", 1.0, "1.000E+00"},
    {"0.000E+00", 9.9995, "9.999E+00"},  // 9.999499999999999388...
    {"0.000E+00", 9.9996, "1.000E+01"},  // carry into the exponent
    {"0.000E+00", 9.5e-7, "9.500E-07"},
    {"0.000E+00", 1.0625, "1.063E+00"},  // exact tie
    {"0.000E+00", -1.0625, "-1.063E+00"},
    {"0.000E+00", 8.313, "8.313E+00"},
    {"0.000E+00", 1.05e7, "1.050E+07"},
    {"0.000E+00", 123456.0, "1.235E+05"},
    {"0.000E+00", 1e100, "1.000E+100"},
    {"0.000E+00", 1e-300, "1.000E-300"},
    {"0.000E+00", kTrueMin, "4.941E-324"},
    {"0.000E+00", kMax, "1.798E+308"},
    {"0.000E+00", -1e20, "-1.000E+20"},
    // "#0.0##"
    {"#0.0##", 0.5, "0.5"},
    {"#0.0##", 17.13, "17.13"},
    {"#0.0##", 3.027, "3.027"},
    {"#0.0##", 0.0625, "0.063"},
    {"#0.0##", 1.0005, "1.0"},
    {"#0.0##", -0.00049, "0.0"},
    {"#0.0##", -0.0005, "-0.001"},
    {"#0.0##", 123.45, "123.45"},
    {"#0.0##", 4.0, "4.0"},
    // "0.0000": four decimals always written.
    {"0.0000", 1.1026, "1.1026"},
    {"0.0000", 0.00005, "0.0001"},  // 0.0000500000000000000023...
    {"0.0000", 0.00015, "0.0001"},  // 0.000149999999999999986...
    {"0.0000", 1.00005, "1.0001"},  // 1.000050000000000105...
    {"0.0000", 0.03125, "0.0313"},
    {"0.0000", -0.03125, "-0.0313"},
    {"0.0000", 2.5e-5, "0.0000"},
    {"0.0000", -2.5e-5, "0.0000"},
    {"0.0000", 12.0, "12.0000"},
    {"0.0000", 1e-300, "0.0000"},
    // "#0.00#"
    {"#0.00#", 0.264, "0.264"},
    {"#0.00#", 2.64, "2.64"},
    {"#0.00#", 0.0625, "0.063"},
    {"#0.00#", 1.5, "1.50"},
    {"#0.00#", 0.0015, "0.002"},  // 0.00150000000000000003...
    {"#0.00#", -0.00049, "0.00"},
    {"#0.00#", 2.0005, "2.001"},  // 2.000500000000000166...
    // "###.00": no leading zero below 1.
    {"###.00", 0.5, ".50"},
    {"###.00", -0.5, "-.50"},
    {"###.00", -0.001, ".00"},
    {"###.00", 0.0, ".00"},
    {"###.00", 22.0, "22.00"},
    {"###.00", 1234.5, "1234.50"},
    {"###.00", 0.125, ".13"},
    {"###.00", -0.125, "-.13"},
    {"###.00", 0.995, ".99"},  // 0.994999999999999995...
    {"###.00", 0.9951, "1.00"},
    {"###.00", 0.005, ".01"},  // 0.00500000000000000010...
    {"###.00", 1e15, "1E15"},
    // "##0.0##"
    {"##0.0##", 12.84, "12.84"},
    {"##0.0##", 0.773, "0.773"},
    {"##0.0##", 0.7735, "0.773"},  // 0.773499999999999965...
    {"##0.0##", 0.0, "0.0"},
    {"##0.0##", -1.5, "-1.5"},
    // "##0.0#"
    {"##0.0#", 1.45, "1.45"},
    {"##0.0#", 2.675, "2.67"},  // 2.674999999999999822...
    {"##0.0#", 0.125, "0.13"},
    {"##0.0#", 1.0, "1.0"},
    {"##0.0#", -0.004, "0.0"},
    {"##0.0#", 9999.999, "10000.0"},
    // "###0.0#"
    {"###0.0#", 22.0, "22.0"},
    {"###0.0#", 8.313, "8.31"},
    {"###0.0#", 0.005, "0.01"},
    {"###0.0#", -0.004, "0.0"},
    {"###0.0#", -1234567.891, "-1234567.89"},
    // "##.0##": no leading zero below 1, one to three decimals.
    {"##.0##", 0.5, ".5"},
    {"##.0##", -0.5, "-.5"},
    {"##.0##", 0.0, ".0"},
    {"##.0##", 10.0625, "10.063"},
    {"##.0##", -0.0004, ".0"},
    {"##.0##", 99.9996, "100.0"},
    {"##.0##", 0.0625, ".063"},
    // "#0.00"
    {"#0.00", 3.183, "3.18"},
    {"#0.00", 1.005, "1.00"},  // 1.004999999999999893...
    {"#0.00", 1.015, "1.01"},  // 1.014999999999999902...
    {"#0.00", 1.025, "1.02"},  // 1.024999999999999911...
    {"#0.00", 0.125, "0.13"},
    {"#0.00", -0.125, "-0.13"},
    {"#0.00", 2.5, "2.50"},
    {"#0.00", -0.001, "0.00"},
    {"#0.00", 2.46, "2.46"},
    {"#0.00", 2.456, "2.46"},
    {"#0.00", -1e20, "-1E20"},
    // "##0.00#"
    {"##0.00#", 22.123456, "22.123"},
    {"##0.00#", 0.1, "0.10"},
    {"##0.00#", 0.0625, "0.063"},
    {"##0.00#", 12.0, "12.00"},
    // "0.0#"
    {"0.0#", 0.5, "0.5"},
    {"0.0#", 1.05e7, "10500000.0"},
    {"0.0#", 0.045, "0.04"},  // 0.044999999999999998...
    {"0.0#", 0.055, "0.06"},  // 0.055000000000000000277...
    {"0.0#", -0.004, "0.0"},
    {"0.0#", 1e15, "1E15"},
    {"0.0#", 999999999999999.875, "999999999999999.88"},  // below 1e15, exact tie
    {"0.0#", 1.5e15, "1.5E15"},
    {"0.0#", 123456789012345678.0, "1.23456789012346E17"},
    // Patterns outside the list, same rules.
    {"0", 2.5, "3"},
    {"0", -2.5, "-3"},
    {"0", 0.49999999999999994, "0"},
    {"#", 0.4, "0"},  // empty text
    {"#", -0.6, "-1"},
    {"#.##", 0.001, "0"},
    {".00", 0.5, ".50"},
    {"00.0", 5.0, "05.0"},
    {"0.00E-00", 12345.0, "1.23E04"},
    {"0.00E-00", 0.012345, "1.23E-02"},
    {"0.00e+000", 12345.0, "1.23e+004"},
    {"00.00E+00", 12345.0, "12.35E+03"},
    {".000E+00", 12345.0, ".123E+05"},
    {"0.0##E+00", 1.5, "1.5E+00"},
    {"0E+0", 9.5, "1E+1"},
};

INSTANTIATE_TEST_SUITE_P(NumberText, FormatFloatTable, ::testing::ValuesIn(kFormatCases));

TEST(FormatFloat, EveryPatternInUseHasTableCases) {
    for (const std::string& pattern : kPatternsInUse) {
        int cases = 0;
        for (const FormatCase& c : kFormatCases)
            cases += pattern == c.pattern;
        EXPECT_GE(cases, 4) << pattern;
    }
}

TEST(FormatFloat, NonFiniteValuesHaveFixedTexts) {
    for (const std::string& pattern : kPatternsInUse) {
        EXPECT_EQ(FormatFloat(pattern, kNan), "NAN") << pattern;
        EXPECT_EQ(FormatFloat(pattern, -kNan), "NAN") << pattern;
        EXPECT_EQ(FormatFloat(pattern, kInf), "INF") << pattern;
        EXPECT_EQ(FormatFloat(pattern, -kInf), "-INF") << pattern;
    }
}

TEST(FormatFloat, FixedPatternsWriteFloatToStrFrom1E15) {
    for (const std::string& pattern : kPatternsInUse) {
        if (pattern.find('E') != std::string::npos)
            continue;
        EXPECT_EQ(FormatFloat(pattern, 1e15), "1E15") << pattern;
        EXPECT_EQ(FormatFloat(pattern, -1e300), "-1E300") << pattern;
        EXPECT_EQ(FormatFloat(pattern, kMax), "1.79769313486232E308") << pattern;
    }
}

TEST(FormatFloat, EmptyPatternWritesFloatToStr) {
    EXPECT_EQ(FormatFloat("", 0.1), "0.1");
    EXPECT_EQ(FormatFloat("", 1e-5), "1E-5");
}

TEST(FormatFloat, RejectsUnknownPatternCharacters) {
    for (const char* pattern :
         {"0,00", "0.0.0", "x", "0.00 ", "0E00", "0.0E+", "0.0E+0#", "$0.00"}) {
        EXPECT_THROW(FormatFloat(pattern, 1.0), platform::Exception) << pattern;
    }
}

// ---------------------------------------------------------------------------
// FloatToStr

struct FloatToStrCase {
    double value;
    const char* expected;
};

class FloatToStrTable : public ::testing::TestWithParam<FloatToStrCase> {};

TEST_P(FloatToStrTable, WritesExpectedText) {
    EXPECT_EQ(FloatToStr(GetParam().value), GetParam().expected) << GetParam().value;
}

const FloatToStrCase kFloatToStrCases[] = {
    {0.0, "0"},
    {-0.0, "0"},
    {1e-5, "1E-5"},
    {1.5e-10, "1.5E-10"},
    {1e-7, "1E-7"},
    {0.0001, "0.0001"},
    {0.00012345, "0.00012345"},
    {0.00009999, "9.999E-5"},
    {0.000099999999999999991, "0.0001"},  // rounds up into plain notation
    {1e15, "1E15"},
    {999999999999999.9, "1E15"},
    {99999999999999.9, "99999999999999.9"},
    {1e14, "100000000000000"},
    {100000000000000.5, "100000000000001"},  // exact tie at the 16th digit: away
    {100000000000002.5, "100000000000003"},
    {123456789012345.6, "123456789012346"},
    {1.0 / 3.0, "0.333333333333333"},
    {2.0 / 3.0, "0.666666666666667"},
    {0.1, "0.1"},
    {-0.1, "-0.1"},
    {0.3, "0.3"},
    {6.5, "6.5"},
    {-9999.0, "-9999"},
    {100.0, "100"},
    {12345.678, "12345.678"},
    {1.23456789012345678, "1.23456789012346"},
    {-2.5e20, "-2.5E20"},
    {1e100, "1E100"},
    {kMax, "1.79769313486232E308"},
    {kTrueMin, "4.94065645841247E-324"},
    {-1e-300, "-1E-300"},
    {kNan, "NAN"},
    {kInf, "INF"},
    {-kInf, "-INF"},
};

INSTANTIATE_TEST_SUITE_P(NumberText, FloatToStrTable, ::testing::ValuesIn(kFloatToStrCases));

// ---------------------------------------------------------------------------
// StrToFloat

TEST(StrToFloat, ConvertsEveryFormOfTheGrammar) {
    const std::pair<const char*, double> cases[] = {
        {"1", 1.0},
        {"+1", 1.0},
        {"-1", -1.0},
        {"1.", 1.0},
        {".5", 0.5},
        {"-.5", -0.5},
        {"+.5e-3", 0.0005},
        {"1E5", 1e5},
        {"1e+05", 1e5},
        {"1e-7", 1e-7},
        {"1E-7", 1e-7},
        {"00012", 12.0},
        {"1.5e0010", 1.5e10},
        {"6.5", 6.5},
        {"0.0001", 0.0001},
        {"-9999", -9999.0},
        {"0e0", 0.0},
        {"0.1", 0.1},
        {"22.00", 22.0},
        {"5e-324", kTrueMin},
        {"2.2250738585072011e-308", 2.2250738585072011e-308},
        {"2.2250738585072014e-308", 2.2250738585072014e-308},
        {"1.7976931348623157e308", kMax},
        {"1.7976931348623158e308", kMax},  // still rounds down to the largest double
        {"123456789012345678901234567890", 123456789012345678901234567890.0},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(StrToFloat(text), expected) << text;
    }
    EXPECT_TRUE(std::signbit(StrToFloat("-0")));
}

TEST(StrToFloat, AcceptsUnderflowToZeroOrSubnormal) {
    EXPECT_EQ(StrToFloat("1e-400"), 0.0);
    EXPECT_TRUE(std::signbit(StrToFloat("-1e-400")));
    EXPECT_EQ(StrToFloat("1e-99999999999999999999"), 0.0);
    EXPECT_EQ(StrToFloat("2e-320"), 2e-320);
    EXPECT_EQ(StrToFloat("0e99999"), 0.0);
}

void expectConvertError(const std::string& text) {
    try {
        StrToFloat(text);
        ADD_FAILURE() << "'" << text << "' converted";
    } catch (const platform::EConvertError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + text + "' is not a valid floating point value");
    }
}

TEST(StrToFloat, RejectsTextsOutsideTheGrammarQuotingThem) {
    for (const char* text :
         {"",     "+",     "-",        ".",     "+.",      "e5",    ".e1",   "1e",      "1e+",
          "1e-",  "E",     " 1",       "1 ",    "\t1",     "1,5",   "inf",   "-inf",    "INF",
          "nan",  "NAN",   "infinity", "0x1p3", "0x10",    "1.2.3", "1e5.0", "--1",     "+-1",
          "1..2", "1e5e5", "1d",       "1f",    "1.5E+-3", "1_000", "1'000", "\xd9\xa3"}) {
        expectConvertError(text);
    }
    // what() ends at a NUL, so only the error type is checked here.
    EXPECT_THROW(StrToFloat(std::string_view("1\0002", 3)), platform::EConvertError);
}

TEST(StrToFloat, RejectsValuesBeyondTheRangeOfADouble) {
    for (const char* text : {"1e999", "-1e400", "1.8e308", "1e309", "1.7976931348623159e308"}) {
        expectConvertError(text);
    }
}

TEST(StrToFloat, RoundTripsSeventeenDigitTexts) {
    for (double x : randomValues(20000, 0)) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g", x);
        ASSERT_EQ(StrToFloat(buffer), x) << buffer;
    }
}

TEST(StrToFloat, AgreesWithFromCharsOnRandomTexts) {
    std::mt19937_64 rng(99);
    auto digits = [&](int maxLength) {
        std::string s;
        for (int n = int(rng() % (maxLength + 1)); n > 0; --n)
            s += char('0' + rng() % 10);
        return s;
    };
    for (int i = 0; i < 50000; ++i) {
        std::string text = digits(20);
        if (rng() % 2)
            text += "." + digits(20);
        if (text.find_first_of("0123456789") == std::string::npos)
            text += "7";
        if (rng() % 2)
            text += "e" + std::to_string(int(rng() % 700) - 350);
        const std::string signed_ = (rng() % 2 ? "-" : "") + text;
        double expected = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), expected);
        ASSERT_EQ(end, text.data() + text.size()) << text;
        if (ec == std::errc()) {
            ASSERT_EQ(StrToFloat(text), expected) << text;
            ASSERT_EQ(StrToFloat("+" + text), expected) << text;
            ASSERT_EQ(StrToFloat(signed_), signed_[0] == '-' ? -expected : expected) << signed_;
        } else {
            // Out of range: either an overflow (an error) or an underflow (tiny).
            try {
                EXPECT_LT(std::fabs(StrToFloat(text)), 2.3e-308) << text;
            } catch (const platform::EConvertError&) {
                EXPECT_GT(text.find('e'), 0u);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Differential tests against the reference.

TEST(Reference, ExactExpansionMatchesPrintf) {
    // glibc prints the exact decimal expansion when given enough precision.
    std::vector<char> buffer(1500);
    for (double x : randomValues(3000, 1000)) {
        std::snprintf(buffer.data(), buffer.size(), "%.1100f", std::fabs(x));
        std::string printed(buffer.data());
        printed.erase(printed.find_last_not_of('0') + 1);
        if (printed.back() == '.')
            printed.pop_back();
        if (printed.rfind("0.", 0) == 0)
            printed.erase(0, 1);  // "0.5" -> ".5"
        if (printed == "0")
            printed.clear();
        Expansion ex = exactExpansion(x);
        ex.fraction.erase(ex.fraction.find_last_not_of('0') + 1);
        const std::string mine = ex.integer + (ex.fraction.empty() ? "" : "." + ex.fraction);
        ASSERT_EQ(mine, printed) << x;
    }
}

void compareWithReference(const std::vector<std::string>& patterns, std::size_t bitPatterns,
                          std::size_t decimals) {
    int failures = 0;
    for (double x : randomValues(bitPatterns, decimals)) {
        const Expansion ex = exactExpansion(x);
        for (const std::string& pattern : patterns) {
            const std::string expected = refFormatFloat(pattern, x, ex);
            const std::string actual = FormatFloat(pattern, x);
            if (actual != expected && ++failures <= 20) {
                ADD_FAILURE() << "FormatFloat(\"" << pattern << "\", " << std::hexfloat << x
                              << std::defaultfloat << " = " << x << "): " << actual
                              << ", reference " << expected;
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

TEST(FormatFloat, MatchesReferenceForEveryPatternInUse) {
    compareWithReference(kPatternsInUse, 8000, 8000);
}

TEST(FormatFloat, MatchesReferenceForRandomPatterns) {
    compareWithReference(randomPatterns(60), 1500, 1500);
}

TEST(FloatToStr, MatchesReference) {
    int failures = 0;
    for (double x : randomValues(20000, 10000)) {
        const std::string expected = refFloatToStr(x, exactExpansion(x));
        const std::string actual = FloatToStr(x);
        if (actual != expected && ++failures <= 20) {
            ADD_FAILURE() << std::hexfloat << x << std::defaultfloat << " = " << x << ": " << actual
                          << ", reference " << expected;
        }
    }
    EXPECT_EQ(failures, 0);
}

// An independent cross-check that shares no code with the reference: away
// from exact ties, half away from zero and printf's ties-to-even agree.
TEST(FormatFloat, AgreesWithPrintfAwayFromExactTies) {
    int compared = 0;
    for (double x : randomValues(4000, 4000)) {
        const Expansion ex = exactExpansion(x);
        const std::string all = ex.integer + ex.fraction;
        const std::size_t firstSignificant = all.find_first_not_of('0');
        for (std::size_t d = 0; d <= 6; ++d) {
            char buffer[400];
            const std::string fixed = d == 0 ? "0" : "0." + std::string(d, '0');
            const std::string droppedFixed = ex.fraction.size() > d ? ex.fraction.substr(d) : "";
            if (std::fabs(x) < 1e15 && !isExactTie(droppedFixed)) {
                std::snprintf(buffer, sizeof buffer, "%.*f", int(d), x);
                std::string printed = buffer;
                if (printed[0] == '-' && printed.find_first_of("123456789") == std::string::npos) {
                    printed.erase(0, 1);  // a value rounding to zero has no sign
                }
                ASSERT_EQ(FormatFloat(fixed, x), printed) << fixed << " " << x;
                ++compared;
            }
            if (x == 0)
                continue;
            const std::size_t firstDropped = std::min(firstSignificant + d + 1, all.size());
            if (!isExactTie(all.substr(firstDropped))) {
                std::snprintf(buffer, sizeof buffer, "%.*E", int(d), x);
                const std::string scientific = fixed + "E+00";
                ASSERT_EQ(FormatFloat(scientific, x), buffer) << scientific << " " << x;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 100000);
}

// ---------------------------------------------------------------------------
// Locale independence.

// Switches the C locale to one with a decimal comma for the test's lifetime.
class CommaLocale : public ::testing::Test {
  protected:
    void SetUp() override {
        m_saved = std::setlocale(LC_ALL, nullptr);
        for (const char* name :
             {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8", "ru_RU.UTF-8"}) {
            if (std::setlocale(LC_ALL, name) != nullptr &&
                std::string(std::localeconv()->decimal_point) == ",") {
                return;
            }
        }
        std::setlocale(LC_ALL, m_saved.c_str());
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    void TearDown() override { std::setlocale(LC_ALL, m_saved.c_str()); }

  private:
    std::string m_saved;
};

TEST_F(CommaLocale, TextsKeepThePoint) {
    EXPECT_EQ(FormatFloat("#0.00", 2.5), "2.50");
    EXPECT_EQ(FormatFloat("0.000E+00", 12.3456), "1.235E+01");
    EXPECT_EQ(FloatToStr(1.5e-10), "1.5E-10");
    EXPECT_EQ(FloatToStr(6.5), "6.5");
    EXPECT_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_EQ(StrToFloat("1e-7"), 1e-7);
    expectConvertError("1,5");
    EXPECT_EQ(platform::DateToStr({2026, 12, 7}), "2026-12-07");
}

// ---------------------------------------------------------------------------
// Dates

TEST(DateToStr, WritesIsoDate) {
    EXPECT_EQ(platform::DateToStr({2026, 12, 7, 17, 31, 20}), "2026-12-07");
    EXPECT_EQ(platform::DateToStr({1999, 1, 31}), "1999-01-31");
}

TEST(Now, IsTheLocalDate) {
    const std::time_t before = std::time(nullptr);
    const platform::DateTime now = platform::Now();
    const std::time_t after = std::time(nullptr);
    std::tm a{}, b{};
    localtime_r(&before, &a);
    localtime_r(&after, &b);
    const bool matchesBefore = now.year == a.tm_year + 1900 && now.month == a.tm_mon + 1 &&
                               now.day == a.tm_mday && now.hour == a.tm_hour;
    const bool matchesAfter = now.year == b.tm_year + 1900 && now.month == b.tm_mon + 1 &&
                              now.day == b.tm_mday && now.hour == b.tm_hour;
    EXPECT_TRUE(matchesBefore || matchesAfter);
    EXPECT_GE(now.minute, 0);
    EXPECT_LE(now.minute, 59);
    EXPECT_GE(now.second, 0);
    EXPECT_LE(now.second, 60);
}

}  // namespace
