#pragma once

#include <string>
#include <string_view>

namespace platform {

// Number texts of the program. "." is the decimal separator whatever the
// user's locale.

// Formats with a pattern of "0" (digit always written), "#" (digit written
// when significant), "." and an optional "E+00"/"E-00" exponent part. The
// exact binary value is rounded half away from zero at the pattern's last
// decimal.
std::string FormatFloat(std::string_view pattern, double value);

// General number text: at most 15 significant digits, plain for
// 0.0001 <= |x| < 1E15 and zero, otherwise "1.5E-10" style.
std::string FloatToStr(double value);

// Optional sign, digits with an optional point, optional exponent. Throws
// EConvertError ("'1e+' is not a valid floating point value") for anything
// else and for values beyond the range of a double.
double StrToFloat(std::string_view text);

struct DateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0;
};

// The local date and time.
DateTime Now();

// The short date text of the program: "2026-12-07".
std::string DateToStr(const DateTime& date);

}  // namespace platform
