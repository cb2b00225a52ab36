// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <vector>

#include "electrokinetics/Electrolyte.h"
#include "electrokinetics/StandardModel.h"

namespace electrokinetics {

// The standard model's mobility and surface charge for one electrolyte as a
// tensor-product Chebyshev interpolant over ln Ka in [ln 0.01, ln 1000] and
// the reduced zeta potential in [-12, 0] and [0, 12], of E/zeta and
// ln(sigma/zeta), which are smooth through zeta = 0. Built once from the
// solver at the Chebyshev points (a second or so on two cores), it answers
// in microseconds, for the Monte Carlo draws and long batch runs: its error
// against the solver is checked to 1e-6 (tests). The ions' drags are those
// of the electrolyte it was built for.
class MobilityTable {
  public:
    static constexpr double kMinKa = 0.01;
    static constexpr double kMaxKa = 1000;
    static constexpr double kMaxZeta = 12;

    // Solves at kaNodes x 2 zetaNodes points on `threads` threads.
    explicit MobilityTable(const Electrolyte& e, int kaNodes = 40, int zetaNodes = 32,
                           int threads = 2);

    // E and sigma at Ka and the reduced zeta potential; throw outside the
    // table.
    double mobility(double ka, double zeta) const;
    double charge(double ka, double zeta) const;

    // The reduced zeta potential of a reduced surface charge; throws beyond
    // the table.
    double zetaForCharge(double ka, double charge) const;

    // The reduced zeta potentials whose mobility is E, lowest |zeta| first:
    // none above the maximum or beyond the table, two on either side of a
    // maximum inside it.
    std::vector<double> zetasForMobility(double ka, double mobility) const;

    // The series in zeta at one Ka on one side of zeta = 0: the
    // coefficients of E/zeta and ln(sigma/zeta). A weighted sum of the
    // slices of tables for other drags is the slice of an interpolant
    // between them, which the functions below answer from alike.
    struct Slice {
        std::vector<double> mobility, charge;
        bool negative = false;
    };
    // Throws for Ka outside the table.
    Slice slice(double ka, bool negative) const;
    double mobility(const Slice& s, double zeta) const;
    double charge(const Slice& s, double zeta) const;
    // For the slice on the side of the charge's or the mobility's sign.
    double zetaForCharge(const Slice& s, double charge) const;
    std::vector<double> zetasForMobility(const Slice& s, double mobility) const;

  private:
    struct Half {
        std::vector<double> mobility, charge;  // coefficients [ka][zeta]
    };
    double evaluate(const std::vector<double>& c, double zeta) const;

    int m_kaNodes, m_zetaNodes;
    Half m_positive, m_negative;
};

}  // namespace electrokinetics
