// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/Sphere.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_min.h>

#include <cmath>
#include <functional>
#include <memory>
#include <stdexcept>

#include "electrokinetics/Ohshima.h"
#include "electrokinetics/Salts.h"
#include "electrokinetics/StandardModel.h"
#include "model/Electrokinetic.h"
#include "model/HenryExact.h"

namespace electrokinetics {

namespace {

// Samples of the mobility against the zeta potential over the range, fine
// enough that a maximum falls between three of them.
constexpr int kSamples = 8;
constexpr int kMaxRootSteps = 100;
// The samples and the search for the maximum run on a coarser grid (about
// 1e-6 against the default); the valences are found on the default one.
constexpr Grid kSearchGrid{0.6, 30};

void requirePositive(double value, const char* what) {
    if (!(value > 0) || !std::isfinite(value)) {
        throw std::invalid_argument(std::string("The electrokinetic model needs a positive ") +
                                    what + ".");
    }
}

// The reduced mobility at a reduced zeta potential.
double mobilityAtZeta(const Reduced& r, double zeta, Method m, const Grid& grid = {}) {
    return m == Method::Standard ? mobilityForPotential(r.ka, zeta, r.electrolyte, grid).mobility
                                 : ohshimaMobility(r.ka, zeta, r.electrolyte);
}

double valenceAtZeta(const Reduced& r, double zeta) {
    return surfaceForPotential(r.ka, zeta, r.electrolyte).charge / r.chargePerValence;
}

// The root of f between a and b, f(a) and f(b) of opposite signs, by the
// Illinois variant of regula falsi.
double bracketedRoot(const std::function<double(double)>& f, double a, double fa, double b,
                     double fb) {
    int side = 0;
    for (int it = 0; it < kMaxRootSteps; ++it) {
        const double c = (a * fb - b * fa) / (fb - fa);
        const double fc = f(c);
        if (fc == 0 || std::abs(b - a) < 1e-13 * std::max(1.0, std::abs(c))) {
            return c;
        }
        if ((fc > 0) == (fb > 0)) {
            b = c;
            fb = fc;
            if (side == -1) {
                fa /= 2;
            }
            side = -1;
        } else {
            a = c;
            fa = fc;
            if (side == 1) {
                fb /= 2;
            }
            side = 1;
        }
        if (std::abs(fc) < 1e-14) {
            return c;
        }
    }
    return (a + b) / 2;
}

// The maximum of g inside (a, b), g(m) above g(a) and g(b), by Brent's
// method; returns the place.
double bracketedMaximum(const std::function<double(double)>& g, double a, double m, double b) {
    gsl_function fn{
        [](double x, void* p) { return -(*static_cast<std::function<double(double)>*>(p))(x); },
        const_cast<std::function<double(double)>*>(&g)};
    std::unique_ptr<gsl_min_fminimizer, decltype(&gsl_min_fminimizer_free)> min(
        gsl_min_fminimizer_alloc(gsl_min_fminimizer_brent), gsl_min_fminimizer_free);
    gsl_min_fminimizer_set(min.get(), &fn, m, a, b);
    for (int it = 0; it < kMaxRootSteps; ++it) {
        gsl_min_fminimizer_iterate(min.get());
        const double lo = gsl_min_fminimizer_x_lower(min.get());
        const double hi = gsl_min_fminimizer_x_upper(min.get());
        if (gsl_min_test_interval(lo, hi, 1e-5, 0) == GSL_SUCCESS) {
            break;
        }
    }
    return gsl_min_fminimizer_x_minimum(min.get());
}

}  // namespace

Reduced reduce(const Conditions& c) {
    requirePositive(c.radius, "radius");
    requirePositive(c.dielectric, "dielectric constant");
    requirePositive(c.viscosity, "viscosity");
    requirePositive(273 + c.temperature, "absolute temperature");
    const double kappa = c.inverseDebyeLength
                             ? *c.inverseDebyeLength
                             : model::CalcInverseDebyeLength(c.temperature, c.ionicStrength,
                                                             c.dielectric, c.constants);
    requirePositive(kappa, "ionic strength or inverse Debye length");
    const model::PhysicalConstants& k = c.constants;
    const double kT = k.Boltzmann * (273 + c.temperature);
    const double e = k.ElementaryCharge;
    Reduced r;
    r.inverseDebyeLength = kappa;
    r.ka = model::calcKa(kappa, c.radius);
    r.chargePerValence = e * e / (c.dielectric * kT) * kappa / (r.ka * r.ka);
    r.thermalVoltage = kT / k.ElectronVolt * 1000;
    // Gaussian cm^2/(statV s) into 10^-4 cm^2/(V s) with the program's volt.
    r.mobilityUnit =
        c.dielectric * kT / (6 * k.Pi * c.viscosity * 0.01 * e) * k.ElectronVolt / e * 1e4;
    r.electrolyte = electrolyteOf(saltByName(c.salt), c.temperature, c.dielectric, k);
    return r;
}

double mobility(const Conditions& c, double valence, Method m) {
    const Reduced r = reduce(c);
    const double charge = valence * r.chargePerValence;
    const double reduced =
        m == Method::Standard
            ? mobilityForCharge(r.ka, charge, r.electrolyte).mobility
            : ohshimaMobility(r.ka, surfaceForCharge(r.ka, charge, r.electrolyte).potential,
                              r.electrolyte);
    return reduced * r.mobilityUnit;
}

double mobilityForZeta(const Conditions& c, double zeta, Method m) {
    const Reduced r = reduce(c);
    return mobilityAtZeta(r, zeta / r.thermalVoltage, m) * r.mobilityUnit;
}

double valenceForZeta(const Conditions& c, double zeta) {
    const Reduced r = reduce(c);
    return valenceAtZeta(r, zeta / r.thermalVoltage);
}

double henryMobility(const Conditions& c, double valence) {
    const Reduced r = reduce(c);
    // Debye-Hueckel: zeta = sigma ka / (1 + ka) in reduced units.
    const double zeta = valence * r.chargePerValence * r.ka / (1 + r.ka);
    return zeta * model::henryExact(r.ka) * r.mobilityUnit;
}

double zetaPotential(const Conditions& c, double valence) {
    const Reduced r = reduce(c);
    return surfaceForCharge(r.ka, valence * r.chargePerValence, r.electrolyte).potential *
           r.thermalVoltage;
}

ValenceSolutions valenceFromMobility(const Conditions& c, double measured, Method m) {
    if (!std::isfinite(measured)) {
        throw std::invalid_argument("The mobility is not a number.");
    }
    const Reduced r = reduce(c);
    ValenceSolutions out;
    if (measured == 0) {
        out.status = ValenceSolutions::Status::One;
        out.valences = {0};
        return out;
    }
    const double sign = measured > 0 ? 1 : -1;
    const double target = std::abs(measured) / r.mobilityUnit;
    // |E| against |zeta| in the measurement's direction, less the target.
    auto g = [&](double zeta) { return sign * mobilityAtZeta(r, sign * zeta, m); };
    auto coarse = [&](double zeta) {
        return sign * mobilityAtZeta(r, sign * zeta, m, kSearchGrid);
    };
    std::vector<double> zs(kSamples + 1), gs(kSamples + 1);
    for (int k = 0; k <= kSamples; ++k) {
        zs[k] = kMaxReducedZeta * k / kSamples;
        gs[k] = k == 0 ? 0 : coarse(zs[k]);
    }
    int top = 0;
    for (int k = 1; k <= kSamples; ++k) {
        if (gs[k] > gs[top]) {
            top = k;
        }
    }
    double peakZeta = zs[top], peak = gs[top];
    out.peakInside = top < kSamples;
    if (out.peakInside) {
        peakZeta = bracketedMaximum(coarse, zs[top - 1], zs[top], zs[top + 1]);
        peak = g(peakZeta);
    } else {
        peak = g(peakZeta);
    }
    out.peakMobility = sign * peak * r.mobilityUnit;
    out.peakValence = valenceAtZeta(r, sign * peakZeta);
    auto f = [&](double zeta) { return g(zeta) - target; };
    // The root between a and b (f(a), f(b) of opposite signs on one side of
    // the peak), its bracket first narrowed to the samples about it. A
    // sample's coarse value decides its side only where it is clearly off
    // the target: the grids differ by about 1e-6.
    auto rootBetween = [&](double a, double fa, double b, double fb) {
        for (int k = 1; k < kSamples; ++k) {
            const double d = gs[k] - target;
            if (zs[k] <= a || zs[k] >= b || std::abs(d) < 1e-5 * target) {
                continue;
            }
            if ((d < 0) == (fa < 0)) {
                a = zs[k];
                fa = d;
            } else {
                b = zs[k];
                fb = d;
                break;
            }
        }
        return bracketedRoot(f, a, fa, b, fb);
    };
    std::vector<double> roots;
    if (target <= peak) {
        roots.push_back(peakZeta == 0 ? 0 : rootBetween(0, -target, peakZeta, peak - target));
        // The falling side: below the peak down to the end of the range.
        if (out.peakInside && target >= gs[kSamples] && target < peak) {
            roots.push_back(
                rootBetween(peakZeta, peak - target, zs[kSamples], gs[kSamples] - target));
        }
    }
    out.beyondRange = out.peakInside && target < gs[kSamples];
    for (double zeta : roots) {
        out.valences.push_back(valenceAtZeta(r, sign * zeta));
    }
    out.status = roots.empty()       ? ValenceSolutions::Status::None
                 : roots.size() == 1 ? ValenceSolutions::Status::One
                                     : ValenceSolutions::Status::Two;
    return out;
}

const char* statusName(ValenceSolutions::Status s) {
    switch (s) {
        case ValenceSolutions::Status::None:
            return "none";
        case ValenceSolutions::Status::One:
            return "one";
        case ValenceSolutions::Status::Two:
            return "two";
    }
    return "none";
}

double mobilityFromZeta(const Conditions& c, double zeta, ZetaModel m) {
    const Reduced r = reduce(c);
    return model::mobilityFromZeta(zeta, c.dielectric, c.viscosity, r.ka, m, c.constants);
}

ZetaModel zetaModelByName(const std::string& name) {
    for (ZetaModel m : {ZetaModel::Smoluchowski, ZetaModel::Huckel, ZetaModel::Henry}) {
        if (name == zetaModelName(m)) {
            return m;
        }
    }
    throw std::invalid_argument("Unknown zeta model \"" + name +
                                "\"; known are smoluchowski, huckel and henry.");
}

}  // namespace electrokinetics
