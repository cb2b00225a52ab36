// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <span>
#include <vector>

#include "charge/PkaSets.h"
#include "model/ModelState.h"

namespace charge {

// count groups of one pKa that carry sign (+1 or -1) when charged.
struct Site {
    double pKa = 0;
    int count = 0;
    int sign = 0;
};

// The sequence's groups under a pKa set; groups it has none of left out.
std::vector<Site> titrationSites(const IonizableGroups& groups, const PkaSet& set);

// Henderson-Hasselbalch: each basic group +1/(1 + 10^(pH - pKa)), each
// acidic group -1/(1 + 10^(pKa - pH)).
double netCharge(std::span<const Site> sites, double pH);

// The pH in 0..14 at which the charge is zero, to 1e-6; none when the
// charge does not change sign there (no group of one sign, or none at all).
std::optional<double> isoelectricPoint(std::span<const Site> sites);

// Smeared-charge model (Linderstrøm-Lang; Tanford and Kirkwood 1957): a net
// charge Z shifts every pKa by -Z times this, 2 Ge(1) / (R T ln 10), with
// Ge(1) the program's CalcGe of one charge at the state's dielectric
// constant, radii and inverse Debye length, and R T from its constants and
// temperature. Refuses conditions for which Ge(1) has no physical meaning.
double pkShiftPerCharge(const model::ModelState& s);

// Z solving Z = netCharge with every pKa shifted by -shiftPerCharge Z, that
// is, Henderson-Hasselbalch at pH + shiftPerCharge Z; NaN for a NaN pH.
double screenedCharge(std::span<const Site> sites, double pH, double shiftPerCharge);

// Where the screened charge is zero (none as for isoelectricPoint).
std::optional<double> screenedIsoelectricPoint(std::span<const Site> sites, double shiftPerCharge);

// The charge the protein binds beyond its groups' own, z - Z, for a
// measured valence z of standard uncertainty u(z) and a predicted Z of
// uncertainty u(Z) (0 when the pKa set's error is not counted).
struct BoundCharge {
    double value = 0;
    double uncertainty = 0;
};
BoundCharge boundCharge(double valence, double valenceUncertainty, double predicted,
                        double predictedUncertainty = 0);

// The charges of one measured sample at its pH: predicted, screened at its
// state's conditions, and bound beyond the screened one (z - Z). Refuses
// conditions without a meaning for the screening, as pkShiftPerCharge.
struct SampleCharge {
    double predicted = 0;
    double screened = 0;
    double bound = 0;
};
SampleCharge sampleCharge(std::span<const Site> sites, double pH, const model::ModelState& s);

struct ChargePoint {
    double pH = 0;
    double charge = 0;    // Henderson-Hasselbalch
    double screened = 0;  // at the state's conditions
};

struct ChargeCurve {
    std::vector<ChargePoint> points;
    std::optional<double> isoelectricPoint;
    std::optional<double> screenedIsoelectricPoint;
};

// count points from pH 0 to 14, both ends included (none for count < 2),
// and both isoelectric points.
ChargeCurve chargeCurve(std::span<const Site> sites, const model::ModelState& s, int count);

}  // namespace charge
