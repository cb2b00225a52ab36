// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Electrostatics.h"

#include <cmath>

namespace model {

namespace {

constexpr int kMaxIterations = 100;
constexpr double kTolerance = 3e-7;
constexpr double kTiny = 1e-30;

}  // namespace

PhysicalConstants physicalConstants(const ModelState& s) {
    return {s.ElementaryCharge, s.Pi, s.Avogadro, s.Boltzmann, s.ElectronVolt};
}

double CalcInverseDebyeLength(double temperature, double ionicStrength, double dielectric,
                              const PhysicalConstants& c) {
    const double t = c.ElementaryCharge * c.ElementaryCharge;
    const double numerator = 8 * t * c.Pi * c.Avogadro;
    // 1000 cm^3 per litre turns mol/L into mol/cm^3.
    const double denominator = 1000 * c.Boltzmann * dielectric * (273 + temperature);
    const double ratio = numerator / denominator;
    // No ions, or a temperature or dielectric constant without physical
    // meaning: no screening rather than the square root of a negative number.
    // A NaN input stays NaN.
    if (ratio <= 0 || ionicStrength <= 0) {
        return 0;
    }
    return std::sqrt(ratio) * std::sqrt(ionicStrength);
}

double calcClosestApproach(double stokesRadius, double saltIonRadius) {
    return stokesRadius + saltIonRadius;
}

double calcKa(double inverseDebyeLength, double closestApproach) {
    return inverseDebyeLength * closestApproach * 1e-7;
}

double CalcHenryFunction(double ka) {
    // Ka <= 0 means no screening: the small-Ka limit 1.0, instead of the
    // logarithm of zero or of a negative number. NaN stays NaN.
    if (std::isnan(ka)) {
        return ka;
    }
    if (ka <= 0) {
        return 1.0;
    }
    const double x = std::log(ka) / std::log(10.0);
    // Beyond Ka = 1e5 the quadratic turns upwards again; H has reached 1.5.
    if (x > 5) {
        return 1.5;
    }
    const double q = 0.25;
    const double p = 5;
    const double a = q * p * 0.10392;
    const double b = q * p * 1.10094;
    const double c = q * p * 0.99302;
    const double y = (a * x * x - b * x) + c;
    return (p - Erf(y)) * q;
}

double CalcDhhSlope(double ka) {
    return dhhSlopeOf(CalcHenryFunction(ka), ka);
}

double dhhSlopeOf(double henry, double ka) {
    return henry / (1 + ka);
}

double Erf(double x) {
    const double square = x * x;
    return x >= 0 ? GammaP(0.5, square) : -GammaP(0.5, square);
}

double GammaP(double a, double x) {
    if (x < 0 || !(a > 0)) {
        return 0;
    }
    if (x < a + 1) {
        return GammaSeries(a, x).value;
    }
    return 1 - GammaContinuedFraction(a, x).value;
}

GammaTerm GammaSeries(double a, double x) {
    GammaTerm result;
    result.gln = LogGamma(a);
    if (x <= 0) {
        return result;
    }
    double ap = a;
    double term = 1 / a;
    double sum = term;
    for (int n = 1; n <= kMaxIterations; ++n) {
        ap = ap + 1;
        term = (x / ap) * term;
        sum = sum + term;
        if (std::fabs(term) < std::fabs(sum) * kTolerance) {
            result.value = sum * std::exp(-x + a * std::log(x) - result.gln);
            return result;
        }
    }
    // No convergence: the result stays 0. The loop is bounded for any input.
    return result;
}

GammaTerm GammaContinuedFraction(double a, double x) {
    GammaTerm result;
    result.gln = LogGamma(a);
    double b = x + 1 - a;
    double c = 1 / kTiny;
    double d = 1 / b;
    double h = d;
    for (int i = 1; i <= kMaxIterations; ++i) {
        const double an = -i * (i - a);
        b = b + 2;
        d = an * d + b;
        if (std::fabs(d) < kTiny) {
            d = kTiny;
        }
        c = b + an / c;
        if (std::fabs(c) < kTiny) {
            c = kTiny;
        }
        d = 1 / d;
        const double delta = d * c;
        h = h * delta;
        if (std::fabs(delta - 1) < kTolerance) {
            result.value = std::exp(-x + a * std::log(x) - result.gln) * h;
            return result;
        }
    }
    // No convergence (also for x = infinity or NaN): the result stays 0.
    return result;
}

double LogGamma(double x) {
    static const double cof[6] = {76.18009172947146,  -86.50532032941678,   24.01409824083091,
                                  -1.231739572450155, 0.001208650973866179, -5.395239384953e-06};
    double y = x;
    double tmp = x + 5.5;
    tmp = tmp - (x + 0.5) * std::log(tmp);
    double ser = 1.000000000190015;
    for (double coefficient : cof) {
        y = y + 1;
        ser = ser + coefficient / y;
    }
    // For x <= 0 the logarithms give NaN or infinity, never a trap.
    return std::log(2.5066282746310007 * ser / x) - tmp;
}

double calcFrictionFromStokesRadius(double viscosity, double stokesRadius, double pi) {
    // 6 pi eta r in g/s for centipoise and nm, then in units of 1e-8 g/s.
    double friction = 6 * pi * viscosity * stokesRadius * 1e-9;
    friction = friction * 1e8;
    return friction;
}

double calcDiffusionFromFriction(double temperature, double friction, double boltzmann) {
    double diffusion = (temperature + 273) * boltzmann / (friction * 1e-8);
    diffusion = diffusion * 1e7;
    return diffusion;
}

double calcFrictionFromDiffusion(double temperature, double diffusion, double boltzmann) {
    const double friction = ((temperature + 273) * boltzmann) / (diffusion * 1e-7);
    return friction * 1e8;
}

double calcStokesRadiusFromDiffusion(double temperature, double viscosity, double diffusion,
                                     double boltzmann, double pi) {
    const double radius =
        ((temperature + 273) * boltzmann) / (6 * pi * viscosity * diffusion * 1e-7);
    return radius * 1e9;
}

double calcDiffusionFromStokesRadius(double temperature, double viscosity, double stokesRadius,
                                     double boltzmann, double pi) {
    const double diffusion =
        ((temperature + 273) * boltzmann) / (6 * pi * viscosity * stokesRadius * 1e-9);
    return diffusion * 1e7;
}

double calcStokesRadiusFromFriction(double viscosity, double friction, double pi) {
    const double radius = (1e-8 * friction) / (6 * pi * viscosity * 0.01);
    return radius * 1e7;
}

double calcEField(double current, double conductivity, double xSection) {
    // mA / (mS/cm x cm^2) is V/cm.
    return current / (conductivity * xSection);
}

}  // namespace model
