#include "analysis/HenryModels.h"

#include <cmath>
#include <limits>

#include "model/Electrostatics.h"
#include "model/ValenceConversions.h"

namespace analysis {

namespace {

constexpr double kEulerGamma = 0.57721566490153286061;
constexpr double kEpsilon = std::numeric_limits<double>::epsilon();

// E1(x) for 0 < x <= 1 by its convergent series: -gamma - ln x - sum of
// (-x)^k / (k k!). The terms fall at least as fast as 1/k!, so their
// cancellation costs at most a digit.
double expIntegralE1Series(double x) {
    double sum = 0;
    double term = 1;  // (-x)^k / k!
    for (int k = 1; k < 60; ++k) {
        term *= -x / k;
        const double add = term / k;
        sum += add;
        if (std::abs(add) < kEpsilon * std::abs(sum) * 0.01)
            break;
    }
    return -kEulerGamma - std::log(x) - sum;
}

// e^x E_n(x) for x >= 1 by its continued fraction (modified Lentz), which
// converges in a few dozen steps there and needs no exponential. In long
// double, so that the cancellation of the caller's terms near x = 1 leaves
// the result exact to double precision.
long double scaledExpIntegral(int n, long double x) {
    constexpr long double tiny = 1e-300L;
    constexpr long double epsilon = std::numeric_limits<long double>::epsilon();
    long double b = x + n;
    long double c = 1 / tiny;
    long double d = 1 / b;
    long double h = d;
    for (int i = 1; i < 1000; ++i) {
        const long double an = -static_cast<long double>(i) * (n - 1 + i);
        b += 2;
        d = an * d + b;
        if (std::abs(d) < tiny)
            d = tiny;
        c = b + an / c;
        if (std::abs(c) < tiny)
            c = tiny;
        d = 1 / d;
        const long double delta = c * d;
        h *= delta;
        if (std::abs(delta - 1) < epsilon)
            break;
    }
    return h;
}

}  // namespace

// f(x) = 1 + x^2/16 - 5x^3/48 - x^4/96 + x^5/96 + (x^4/8 - x^6/96) e^x E1(x).
// Up to x = 1 every term is below 1 and the form is used as it stands.
// Beyond, its terms grow like x^5 and cancel to 1.5; writing e^x E1(x) as
// the first six terms of its asymptotic series plus the exact remainder
// 720 x^-6 e^x E7(x) cancels them analytically and leaves
// f(x) = 1.5 + 3/x - 15/x^2 + (90/x^2 - 7.5) e^x E7(x),
// whose terms stay below 12 for x >= 1 and tend to 1.5 - 9/(2x).
double henryExact(double ka) {
    const double x = ka;
    if (x <= 1) {
        const double x2 = x * x;
        const double x4 = x2 * x2;
        const double polynomial = 1 + x2 / 16 - 5 * x2 * x / 48 - x4 / 96 + x4 * x / 96;
        return polynomial + (x4 / 8 - x4 * x2 / 96) * std::exp(x) * expIntegralE1Series(x);
    }
    const long double inverse = 1.0L / x;
    const long double inverse2 = inverse * inverse;
    return static_cast<double>(1.5L + 3 * inverse - 15 * inverse2 +
                               (90 * inverse2 - 7.5L) * scaledExpIntegral(7, x));
}

double henryOhshima(double ka) {
    const double delta = 2.5 / (1 + 2 * std::exp(-ka));
    const double t = 1 + delta / ka;
    return 1 + 1 / (2 * t * t * t);
}

const char* henryModelName(HenryModel m) {
    switch (m) {
        case HenryModel::Program:
            return "This program";
        case HenryModel::Exact:
            return "Henry (exact)";
        case HenryModel::Ohshima:
            return "Ohshima (1994)";
        case HenryModel::Huckel:
            return "Hückel (1.0)";
        case HenryModel::Smoluchowski:
            return "Smoluchowski (1.5)";
    }
    return "";
}

double henryFunction(HenryModel m, double ka) {
    switch (m) {
        case HenryModel::Program:
            return model::CalcHenryFunction(ka);
        case HenryModel::Exact:
            return henryExact(ka);
        case HenryModel::Ohshima:
            return henryOhshima(ka);
        case HenryModel::Huckel:
            return 1.0;
        case HenryModel::Smoluchowski:
            return 1.5;
    }
    return 1.0;
}

std::vector<HenryComparison> compareHenryModels(const model::ModelState& s) {
    const model::PhysicalConstants c = model::physicalConstants(s);
    std::vector<HenryComparison> rows;
    for (int i = 0; i < kHenryModelCount; ++i) {
        HenryComparison row;
        row.model = static_cast<HenryModel>(i);
        row.henry = henryFunction(row.model, s.Ka);
        row.slope = model::dhhSlopeOf(row.henry, s.Ka);
        row.valence = model::valenceFromSigma(s.Sigma, s.Temperature, s.EField, row.slope, c);
        rows.push_back(row);
    }
    const double programValence = rows.front().valence;
    if (programValence != 0)
        for (HenryComparison& row : rows)
            row.difference = (row.valence - programValence) / programValence * 100;
    return rows;
}

std::vector<std::pair<double, double>> henryCurve(HenryModel m, int count) {
    std::vector<std::pair<double, double>> points;
    if (count < 2)
        return points;
    constexpr double first = -3, last = 6;  // decades
    for (int i = 0; i < count; ++i) {
        const double ka =
            i == count - 1 ? 1e6 : std::pow(10.0, first + (last - first) * i / (count - 1));
        points.emplace_back(ka, henryFunction(m, ka));
    }
    return points;
}

}  // namespace analysis
