// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>

namespace platform {

// Number texts of the program. "." is the decimal separator whatever the
// user's locale; no function here reads the process locale.
//
// Every rounding is done on the EXACT binary value of the double, half away
// from zero, in one step (never by printing more digits and rounding again):
// 1.005 is 1.00499999999999989..., so "0.00" gives "1.00", while 0.125
// (exact) gives "0.13". NaN gives "NAN", +inf "INF" and -inf "-INF" in every
// function that formats.

// Formats with a pattern of "0" (digit always written), "#" (digit written
// when significant), "." and an optional exponent part "E+00", "E-00",
// "e+00" or "e-00". The value is rounded at the pattern's last decimal.
//
// Fixed patterns:
// - every significant integer digit is written; the placeholders from the
//   first "0" up to the point give the minimum number of integer digits
//   ("###.00": 0.5 gives ".50"; "#0.0##": 0.5 gives "0.5");
// - the decimals up to the last "0" after the point are always written,
//   the "#" decimals after it drop trailing zeros, and the point is dropped
//   when no decimals remain;
// - a value that rounds to zero has no minus sign (-0.001, "###.00": ".00");
//   a text that would be empty is "0";
// - |value| >= 1E15 gives the FloatToStr text: fixed digits beyond 15
//   significant ones would be noise.
// Exponent patterns ("0.000E+00"): the mantissa has as many significant
// digits as the pattern has placeholders, one nonzero digit per integer
// placeholder; a carry moves the exponent (9.9996 gives "1.000E+01"). "E+"
// always writes the exponent's sign, "E-" only a minus, with at least as many
// digits as zeros. Zero gives "0.000E+00".
// An empty pattern gives the FloatToStr text. Any other character in the
// pattern (a literal, "," or a second ".") is a programming error and throws
// platform::Exception.
std::string FormatFloat(std::string_view pattern, double value);

// General number text: rounded to 15 significant digits, trailing zeros and
// an unneeded point dropped. Plain for 0.0001 <= |rounded value| < 1E15 and
// for zero (also -0.0: "0"); otherwise one digit, an optional point and
// digits, "E", "-" only for a negative exponent, and no leading zeros:
// "1E-5", "1.5E-10", "1E15", "-2.5E20". 999999999999999.9 rounds to "1E15".
std::string FloatToStr(double value);

// Strict grammar, no surrounding white space: an optional "+" or "-", digits
// with an optional "." (at least one digit: "1.", ".5" and "1.5" convert),
// then optionally "e" or "E", an optional sign and at least one digit.
// Nothing else ("inf", "nan", hex, ",", spaces). The result is correctly
// rounded; a text that underflows gives zero or a subnormal. Throws
// EConvertError with the message "'<text>' is not a valid floating point
// value" for anything else and for values beyond the range of a double
// ("1e999").
double StrToFloat(std::string_view text);

// Whether the number entry's filter admits key typed at the end of buffer:
// digits, one ".", a sign at the start or after the exponent, one exponent;
// no "." or exponent for a whole number.
bool numberEntryAdmits(std::string_view buffer, char key, bool integerOnly);

struct DateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

// The local date and time.
DateTime Now();

// The short date text of the program, ISO whatever the locale: "2026-12-07".
std::string DateToStr(const DateTime& date);

}  // namespace platform
