// SPDX-License-Identifier: GPL-3.0-or-later

#include "charge/Titration.h"

#include <cmath>
#include <functional>

#include "model/Electrostatics.h"
#include "model/GeCurve.h"
#include "platform/base/Exception.h"

namespace charge {

namespace {

constexpr double kPhLow = 0;
constexpr double kPhHigh = 14;
constexpr double kPhTolerance = 1e-6;
// Enough halvings to reach the spacing of doubles from any bracket of Z.
constexpr int kMaxHalvings = 200;

// The zero of a function that falls from f(low) > 0 to f(high) < 0, by
// bisection down to the tolerance or the spacing of doubles.
double bisectFalling(const std::function<double(double)>& f, double low, double high,
                     double tolerance) {
    for (int k = 0; k < kMaxHalvings && high - low > tolerance; ++k) {
        const double middle = low + (high - low) / 2;
        if (middle <= low || middle >= high) {
            break;
        }
        (f(middle) > 0 ? low : high) = middle;
    }
    return low + (high - low) / 2;
}

std::optional<double> zeroInPhRange(const std::function<double(double)>& charge) {
    if (!(charge(kPhLow) > 0 && charge(kPhHigh) < 0)) {
        return std::nullopt;
    }
    return bisectFalling(charge, kPhLow, kPhHigh, kPhTolerance);
}

}  // namespace

std::vector<Site> titrationSites(const IonizableGroups& groups, const PkaSet& set) {
    std::vector<Site> sites;
    for (int i = 0; i < kGroupCount; ++i) {
        const auto g = static_cast<Group>(i);
        if (groups[g] > 0) {
            sites.push_back({pKaOf(set, g, groups), groups[g], chargeSign(g)});
        }
    }
    return sites;
}

double netCharge(std::span<const Site> sites, double pH) {
    double z = 0;
    for (const Site& s : sites) {
        // Protonated fraction times the sign for a basic group, the
        // deprotonated fraction for an acidic one.
        z += s.sign > 0 ? s.count / (1 + std::pow(10.0, pH - s.pKa))
                        : -s.count / (1 + std::pow(10.0, s.pKa - pH));
    }
    return z;
}

std::optional<double> isoelectricPoint(std::span<const Site> sites) {
    return zeroInPhRange([sites](double pH) { return netCharge(sites, pH); });
}

double pkShiftPerCharge(const model::ModelState& s) {
    const double absolute = s.Temperature + 273;  // the program's own absolute temperature
    if (!(absolute > 0 && s.Dielectric > 0 && s.StokesRadius > 0 && s.SaltIonRadius >= 0 &&
          s.InverseDebyeLength >= 0) ||
        !std::isfinite(s.Dielectric + s.StokesRadius + s.SaltIonRadius + s.InverseDebyeLength)) {
        throw platform::Exception(
            "The screened charge needs a temperature above -273 C, a positive dielectric "
            "constant and Stokes radius, and a salt ion radius and inverse Debye length not "
            "below 0");
    }
    const model::PhysicalConstants c = model::physicalConstants(s);
    const double ge1 = model::CalcGe(1, s.Dielectric, s.StokesRadius, s.SaltIonRadius,
                                     s.InverseDebyeLength, c);      // kJ/mol
    const double rt = c.Boltzmann * c.Avogadro * absolute * 1e-10;  // erg/mol to kJ/mol
    return 2 * ge1 / (rt * std::log(10.0));
}

double screenedCharge(std::span<const Site> sites, double pH, double shiftPerCharge) {
    if (std::isnan(pH)) {
        return pH;
    }
    // Z - netCharge(pH + w Z) rises with Z from -(acidic groups) to
    // +(basic groups), the range of netCharge: that brackets the one root.
    double low = 0;
    double high = 0;
    for (const Site& s : sites) {
        (s.sign > 0 ? high : low) += s.sign * s.count;
    }
    const auto falling = [&](double z) { return netCharge(sites, pH + shiftPerCharge * z) - z; };
    return bisectFalling(falling, low, high, 0);
}

std::optional<double> screenedIsoelectricPoint(std::span<const Site> sites, double shiftPerCharge) {
    return zeroInPhRange([&](double pH) { return screenedCharge(sites, pH, shiftPerCharge); });
}

BoundCharge boundCharge(double valence, double valenceUncertainty, double predicted,
                        double predictedUncertainty) {
    if (!(valenceUncertainty >= 0 && predictedUncertainty >= 0)) {
        throw platform::Exception("A standard uncertainty cannot be negative");
    }
    return {valence - predicted, std::hypot(valenceUncertainty, predictedUncertainty)};
}

ChargeCurve chargeCurve(std::span<const Site> sites, const model::ModelState& s, int count) {
    ChargeCurve curve;
    const double shift = pkShiftPerCharge(s);
    for (int k = 0; k < count && count >= 2; ++k) {
        const double pH = kPhLow + (kPhHigh - kPhLow) * k / (count - 1);
        curve.points.push_back({pH, netCharge(sites, pH), screenedCharge(sites, pH, shift)});
    }
    curve.isoelectricPoint = isoelectricPoint(sites);
    curve.screenedIsoelectricPoint = screenedIsoelectricPoint(sites, shift);
    return curve;
}

SampleCharge sampleCharge(std::span<const Site> sites, double pH, const model::ModelState& s) {
    SampleCharge c;
    c.predicted = netCharge(sites, pH);
    c.screened = screenedCharge(sites, pH, pkShiftPerCharge(s));
    c.bound = boundCharge(s.Valence, 0, c.screened).value;
    return c;
}

}  // namespace charge
