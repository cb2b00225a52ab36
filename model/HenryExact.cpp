// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/HenryExact.h"

#include <cmath>
#include <limits>

namespace model {

// Henry's function in Ohshima's closed form, x = Ka:
// f(x) = 1 + x^2/16 - 5x^3/48 - x^4/96 + x^5/96 + (x^4/8 - x^6/96) e^x E1(x).
// Its terms grow like x^5 and cancel to 1.5, so each range has its own
// method. Against 80-digit values all three stay within a few units of the
// last place of a double.

namespace {

constexpr long double kEulerGamma = 0.577215664901532860606512090082402431L;
constexpr long double kLongEpsilon = std::numeric_limits<long double>::epsilon();

// E1(x) = -gamma - ln x - sum over k >= 1 of (-x)^k / (k k!). For x <= 2 the
// terms alternate and fall from k = 1 on, so what is left out is below the
// last term taken, here below a hundredth of the rounding unit.
long double expIntegralE1BySeries(long double x) {
    long double sum = 0;
    long double power = 1;  // (-x)^k / k!
    for (int k = 1; k < 100; ++k) {
        power *= -x / k;
        const long double term = power / k;
        sum += term;
        if (std::abs(term) < 0.01L * kLongEpsilon * std::abs(sum))
            break;
    }
    return -kEulerGamma - std::log(x) - sum;
}

// e^x E_n(x) by the continued fraction
// 1/(x + n/(1 + 1/(x + (n+1)/(1 + 2/(x + ...))))) (modified Lentz). All its
// elements are positive for x > 0, so successive approximants enclose the
// value: stopping when they agree to the rounding unit bounds what is left
// out. About 150 steps at x = 2, fewer beyond. NaN if it has not converged.
long double scaledExpIntegralByFraction(int n, long double x) {
    constexpr long double tiny = std::numeric_limits<long double>::min();
    long double value = tiny;
    long double c = tiny;
    long double d = 0;
    for (int j = 1; j <= 2000; ++j) {
        const long double a = j == 1 ? 1 : j % 2 == 0 ? n + j / 2 - 1 : (j - 1) / 2;
        const long double b = j % 2 == 0 ? 1 : x;
        d = 1 / (b + a * d);
        c = b + a / c;
        const long double delta = c * d;
        value *= delta;
        if (std::abs(delta - 1) <= kLongEpsilon)
            return value;
    }
    return std::numeric_limits<long double>::quiet_NaN();
}

}  // namespace

// Up to x = 2 no term passes 1, and E1's series cancels at most about 30
// rounding units of extended precision (at x = 2), far below a double's.
double henryBySeries(double ka) {
    const long double x = ka;
    const long double x2 = x * x;
    const long double x4 = x2 * x2;
    const long double polynomial = 1 + x2 / 16 - 5 * x2 * x / 48 - x4 / 96 + x4 * x / 96;
    return static_cast<double>(polynomial +
                               (x4 / 8 - x4 * x2 / 96) * std::exp(x) * expIntegralE1BySeries(x));
}

// e^x E1(x) is the first six terms of its asymptotic series plus the exact
// remainder 720 x^-6 e^x E7(x); the six terms cancel the polynomial, which
// leaves f(x) = 1.5 + 3/x - 15/x^2 + (90/x^2 - 7.5) e^x E7(x). Its terms stay
// below 4 in size for x >= 2, and the fraction's own error is below the
// rounding unit of extended precision.
double henryByContinuedFraction(double ka) {
    const long double x = ka;
    const long double inverse = 1 / x;
    const long double inverse2 = inverse * inverse;
    return static_cast<double>(1.5L + 3 * inverse - 15 * inverse2 +
                               (90 * inverse2 - 7.5L) * scaledExpIntegralByFraction(7, x));
}

// From e^x E1(x) ~ sum of (-1)^n n! / x^(n+1), the coefficient of x^-m is
// c_m = (-1)^(m+1) (m+3)! (12 - (m+4)(m+5)) / 96: -4.5, 37.5, -330, ...
// Cut after M terms, the remainders of e^x E1(x) (each at most n! / x^(n+1))
// leave at most (M+4)! (12 + (M+5)(M+6)) / (96 x^(M+1)), which for M = 20
// and x >= 100 is 4.3e-18.
double henryByAsymptoticSeries(double ka) {
    const double x = ka;
    double sum = 0;
    double factor = 24 / x;  // (-1)^(m+1) (m+3)! / x^m
    for (int m = 1; m <= 20; ++m) {
        sum += factor * (12 - (m + 4) * (m + 5)) / 96;
        factor *= -(m + 4) / x;
    }
    return 1.5 + sum;
}

double henryExact(double ka) {
    if (std::isnan(ka))
        return ka;
    // No screening: the small-Ka limit, as the program's own function gives.
    if (ka <= 0)
        return 1.0;
    if (ka <= kHenrySeriesTo)
        return henryBySeries(ka);
    if (ka < kHenryAsymptoticFrom)
        return henryByContinuedFraction(ka);
    return henryByAsymptoticSeries(ka);
}

}  // namespace model
