// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target for StrToFloat: the input is the text. It must convert
// exactly when a grammar written here apart from the program says it is a
// number whose value is finite, and then to the correctly rounded double that
// std::from_chars (another algorithm than the program's strtod) gives, sign of
// zero included. Any other text throws EConvertError with the program's
// message. The value's FloatToStr and FormatFloat texts must be number texts
// that read back within their rounding.

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"

namespace {

void check(bool ok, const char* what, std::string_view text) {
    if (ok)
        return;
    std::fprintf(stderr, "strtofloat_fuzzer: %s (text \"%.*s\")\n", what,
                 static_cast<int>(std::min<std::size_t>(text.size(), 200)), text.data());
    __builtin_trap();
}

// The number grammar as a state table: [+-] (digits [. digits*] | . digits)
// [(e|E) [+-] digits].
enum State { Start, Signed, Int, LonePoint, Frac, Exp, ExpSigned, ExpDigits, Dead, kStates };
enum Class { Digit, Point, Sign, Letter, Other, kClasses };

constexpr State kNext[kStates][kClasses] = {
    // on a digit, a point, a sign, an e or E, anything else
    {Int, LonePoint, Signed, Dead, Dead},      // Start
    {Int, LonePoint, Dead, Dead, Dead},        // Signed
    {Int, Frac, Dead, Exp, Dead},              // Int
    {Frac, Dead, Dead, Dead, Dead},            // LonePoint
    {Frac, Dead, Dead, Exp, Dead},             // Frac
    {ExpDigits, Dead, ExpSigned, Dead, Dead},  // Exp
    {ExpDigits, Dead, Dead, Dead, Dead},       // ExpSigned
    {ExpDigits, Dead, Dead, Dead, Dead},       // ExpDigits
    {Dead, Dead, Dead, Dead, Dead},            // Dead
};

Class classOf(char c) {
    if (c >= '0' && c <= '9')
        return Digit;
    if (c == '.')
        return Point;
    if (c == '+' || c == '-')
        return Sign;
    if (c == 'e' || c == 'E')
        return Letter;
    return Other;
}

bool isNumberText(std::string_view text) {
    State s = Start;
    for (const char c : text)
        s = kNext[s][classOf(c)];
    return s == Int || s == Frac || s == ExpDigits;
}

// Decimal order of magnitude of a grammatical text with a nonzero digit: n
// with 10^n <= |value| < 10^(n+1), the exponent saturated far beyond range.
long long decimalOrder(std::string_view text) {
    const std::size_t e = text.find_first_of("eE");
    const std::string_view mantissa = text.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::size_t i = e + 1;
        const bool negative = text[i] == '-';
        if (text[i] == '+' || text[i] == '-')
            ++i;
        for (; i < text.size(); ++i)
            exponent = std::min(exponent * 10 + (text[i] - '0'), 1'000'000'000LL);
        if (negative)
            exponent = -exponent;
    }
    const std::size_t point = mantissa.find('.');
    const std::size_t first = mantissa.find_first_of("123456789");
    check(first != std::string_view::npos, "zero out of range", text);
    const long long pointAt =
        static_cast<long long>(point == std::string_view::npos ? mantissa.size() : point);
    const long long firstAt = static_cast<long long>(first);
    return exponent + (firstAt < pointAt ? pointAt - firstAt - 1 : pointAt - firstAt);
}

struct Reference {
    bool finite;
    double value;
};

// The correctly rounded value of a grammatical text.
Reference reference(std::string_view text) {
    const bool negative = text.front() == '-';
    const std::string_view unsigned_ =
        text.front() == '+' || text.front() == '-' ? text.substr(1) : text;
    double value = 0;
    const auto [end, ec] =
        std::from_chars(unsigned_.data(), unsigned_.data() + unsigned_.size(), value);
    check(end == unsigned_.data() + unsigned_.size(), "from_chars stopped early", text);
    if (ec == std::errc{})
        return {true, negative ? -value : value};
    check(ec == std::errc::result_out_of_range, "from_chars refused a number", text);
    // Out of range: either beyond the largest double or below half the
    // smallest subnormal, which rounds to a signed zero.
    if (decimalOrder(text) > 0)
        return {false, 0};
    return {true, negative ? -0.0 : 0.0};
}

bool sameDouble(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Reads back a text the program wrote for value; false when the text lies
// beyond the largest double (1.79769313486232E308 for the largest values).
bool readBack(const std::string& written, double value, double& back) {
    check(isNumberText(written), "written text is not a number text", written);
    if (!reference(written).finite) {
        check(std::fabs(value) >= 1.79e308, "written text lies beyond the range", written);
        return false;
    }
    try {
        back = platform::StrToFloat(written);
    } catch (...) {
        check(false, "written text does not read back", written);
    }
    return true;
}

void checkTexts(double value) {
    constexpr double kDenormMin = std::numeric_limits<double>::denorm_min();
    const std::string text = platform::FloatToStr(value);
    double back = 0;
    if (readBack(text, value, back)) {
        // Rounding to 15 significant digits moves the value by at most
        // 5E-15 of it, the reading back by half a unit in the last place.
        check(std::fabs(back - value) <= 5.2e-15 * std::fabs(value) + kDenormMin,
              "FloatToStr does not round-trip to 15 digits", text);
        if (std::fabs(back) >= std::numeric_limits<double>::min())
            check(platform::FloatToStr(back) == text, "FloatToStr text changes on a round trip",
                  text);
    }

    struct PatternCase {
        const char* pattern;
        int decimals;     // fixed patterns: the decimal at which they round
        int significant;  // exponent patterns: the significant digits
    };
    static constexpr PatternCase kPatterns[] = {
        {"0", 0, 0},         {"0.00", 2, 0},      {"#.###", 3, 0},
        {"###.00", 2, 0},    {"#0.0##", 3, 0},    {"0.000000000", 9, 0},
        {"0.000E+00", 0, 4}, {"0.###e-00", 0, 4}, {"0.00000000000000E+000", 0, 15},
    };
    for (const auto& p : kPatterns) {
        const std::string formatted = platform::FormatFloat(p.pattern, value);
        if (!readBack(formatted, value, back))
            continue;
        double allowed;
        if (p.significant > 0)
            allowed = 0.5 * std::pow(10.0, 1 - p.significant) * std::fabs(value);
        else if (std::fabs(value) >= 1e15)
            allowed = 5.2e-15 * std::fabs(value);  // the FloatToStr text
        else
            allowed = 0.5 * std::pow(10.0, -p.decimals);
        // Slack for the reading back and for the products above.
        allowed = allowed * (1 + 1e-9) + 4e-16 * std::fabs(value) + kDenormMin;
        check(std::fabs(back - value) <= allowed, p.pattern, formatted);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const bool grammatical = isNumberText(text);
    const Reference ref = grammatical ? reference(text) : Reference{false, 0};
    double value = 0;
    try {
        value = platform::StrToFloat(text);
    } catch (const platform::EConvertError& e) {
        check(!ref.finite, "finite number refused", text);
        // A text with a NUL byte shows up to it in what().
        const std::string expected =
            "'" + std::string(text) + "' is not a valid floating point value";
        check(std::strcmp(e.what(), expected.c_str()) == 0, "wrong message", text);
        return 0;
    } catch (...) {
        check(false, "exception other than EConvertError", text);
    }
    check(ref.finite, grammatical ? "value beyond the range accepted" : "not a number accepted",
          text);
    check(!std::isinf(value) && !std::isnan(value), "infinite value returned", text);
    check(sameDouble(value, ref.value), "value differs from the correctly rounded one", text);
    checkTexts(value);
    return 0;
}
