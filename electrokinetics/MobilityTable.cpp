// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/MobilityTable.h"

#include <cmath>
#include <stdexcept>
#include <thread>

namespace electrokinetics {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The k-th Chebyshev point of the first kind of n on [-1, 1].
double node(int k, int n) {
    return std::cos(kPi * (k + 0.5) / n);
}

double toUnit(double v, double lo, double hi) {
    return (2 * v - lo - hi) / (hi - lo);
}

// Chebyshev coefficients of the values at the n points (discrete cosine
// transform).
std::vector<double> coefficients(const std::vector<double>& values) {
    const int n = static_cast<int>(values.size());
    std::vector<double> c(n, 0.0);
    for (int j = 0; j < n; ++j) {
        for (int k = 0; k < n; ++k) {
            c[j] += values[k] * std::cos(kPi * j * (k + 0.5) / n);
        }
        c[j] *= (j == 0 ? 1.0 : 2.0) / n;
    }
    return c;
}

// Clenshaw's sum of a Chebyshev series at t in [-1, 1].
double clenshaw(const double* c, int n, int stride, double t) {
    double b1 = 0, b2 = 0;
    for (int j = n - 1; j >= 1; --j) {
        const double b = 2 * t * b1 - b2 + c[j * stride];
        b2 = b1;
        b1 = b;
    }
    return t * b1 - b2 + c[0];
}

// clenshaw(c + j, rows, columns, t) for every column j, in the same
// operations, row by row: the memory is read in its order.
std::vector<double> clenshawRows(const double* c, int rows, int columns, double t) {
    std::vector<double> b1(columns, 0.0), b2(columns, 0.0);
    for (int i = rows - 1; i >= 1; --i) {
        const double* row = c + i * columns;
        for (int j = 0; j < columns; ++j) {
            const double b = 2 * t * b1[j] - b2[j] + row[j];
            b2[j] = b1[j];
            b1[j] = b;
        }
    }
    for (int j = 0; j < columns; ++j) {
        b1[j] = t * b1[j] - b2[j] + c[j];
    }
    return b1;
}

template <class F>
double bisectRoot(const F& f, double a, double b) {
    double fa = f(a);
    for (int it = 0; it < 200 && std::abs(b - a) > 1e-14 * std::max(1.0, std::abs(a)); ++it) {
        const double m = (a + b) / 2, fm = f(m);
        if ((fm > 0) == (fa > 0)) {
            a = m;
            fa = fm;
        } else {
            b = m;
        }
    }
    return (a + b) / 2;
}

}  // namespace

MobilityTable::MobilityTable(const Electrolyte& e, int kaNodes, int zetaNodes, int threads)
    : m_kaNodes(kaNodes), m_zetaNodes(zetaNodes) {
    const double lo = std::log(kMinKa), hi = std::log(kMaxKa);
    // Values [half][ka][zeta], each half solved row by row on the threads.
    std::vector<double> values[2][2];
    for (auto& half : values) {
        for (auto& v : half) {
            v.assign(kaNodes * zetaNodes, 0.0);
        }
    }
    auto solveRows = [&](int first) {
        for (int row = first; row < 2 * kaNodes; row += threads) {
            const int h = row / kaNodes, i = row % kaNodes;
            const double ka = std::exp(lo + (hi - lo) * (node(i, kaNodes) + 1) / 2);
            for (int j = 0; j < zetaNodes; ++j) {
                const double zeta = (h == 0 ? 1 : -1) * kMaxZeta * (node(j, zetaNodes) + 1) / 2;
                const MobilityState s = mobilityForPotential(ka, zeta, e);
                values[h][0][i * zetaNodes + j] = s.mobility / zeta;
                values[h][1][i * zetaNodes + j] = std::log(s.surface.charge / zeta);
            }
        }
    };
    std::vector<std::thread> pool;
    std::vector<std::exception_ptr> errors(threads);
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            try {
                solveRows(t);
            } catch (...) {
                errors[t] = std::current_exception();
            }
        });
    }
    for (auto& t : pool) {
        t.join();
    }
    for (auto& err : errors) {
        if (err) {
            std::rethrow_exception(err);
        }
    }
    // Transform along zeta, then along Ka.
    for (int h = 0; h < 2; ++h) {
        Half& half = h == 0 ? m_positive : m_negative;
        for (int q = 0; q < 2; ++q) {
            std::vector<double>& v = values[h][q];
            for (int i = 0; i < kaNodes; ++i) {
                const std::vector<double> row(v.begin() + i * zetaNodes,
                                              v.begin() + (i + 1) * zetaNodes);
                const std::vector<double> c = coefficients(row);
                std::copy(c.begin(), c.end(), v.begin() + i * zetaNodes);
            }
            for (int j = 0; j < zetaNodes; ++j) {
                std::vector<double> column(kaNodes);
                for (int i = 0; i < kaNodes; ++i) {
                    column[i] = v[i * zetaNodes + j];
                }
                const std::vector<double> c = coefficients(column);
                for (int i = 0; i < kaNodes; ++i) {
                    v[i * zetaNodes + j] = c[i];
                }
            }
            (q == 0 ? half.mobility : half.charge) = v;
        }
    }
}

MobilityTable::Slice MobilityTable::slice(double ka, bool negative) const {
    if (!(ka >= kMinKa && ka <= kMaxKa)) {
        throw std::invalid_argument("The mobility table holds Ka from 0.01 to 1000 only.");
    }
    const double t = toUnit(std::log(ka), std::log(kMinKa), std::log(kMaxKa));
    const Half& half = negative ? m_negative : m_positive;
    Slice s;
    s.negative = negative;
    s.mobility = clenshawRows(half.mobility.data(), m_kaNodes, m_zetaNodes, t);
    s.charge = clenshawRows(half.charge.data(), m_kaNodes, m_zetaNodes, t);
    return s;
}

double MobilityTable::evaluate(const std::vector<double>& c, double zeta) const {
    return clenshaw(c.data(), m_zetaNodes, 1, toUnit(std::abs(zeta), 0, kMaxZeta));
}

namespace {

void requireZeta(double zeta) {
    if (!(std::abs(zeta) <= MobilityTable::kMaxZeta)) {
        throw std::invalid_argument("The mobility table holds reduced zeta up to 12 only.");
    }
}

}  // namespace

double MobilityTable::mobility(const Slice& s, double zeta) const {
    requireZeta(zeta);
    return zeta * evaluate(s.mobility, zeta);
}

double MobilityTable::charge(const Slice& s, double zeta) const {
    requireZeta(zeta);
    return zeta * std::exp(evaluate(s.charge, zeta));
}

double MobilityTable::mobility(double ka, double zeta) const {
    requireZeta(zeta);
    return mobility(slice(ka, zeta < 0), zeta);
}

double MobilityTable::charge(double ka, double zeta) const {
    requireZeta(zeta);
    return charge(slice(ka, zeta < 0), zeta);
}

double MobilityTable::zetaForCharge(double ka, double charge) const {
    if (charge == 0) {
        return 0;
    }
    return zetaForCharge(slice(ka, charge < 0), charge);
}

double MobilityTable::zetaForCharge(const Slice& s, double charge) const {
    if (charge == 0) {
        return 0;
    }
    const double sign = charge > 0 ? 1 : -1;
    auto f = [&](double z) {
        return z * std::exp(evaluate(s.charge, sign * z)) - std::abs(charge);
    };
    if (f(kMaxZeta) < 0) {
        throw std::invalid_argument("The surface charge lies beyond the mobility table.");
    }
    return sign * bisectRoot(f, 0, kMaxZeta);
}

std::vector<double> MobilityTable::zetasForMobility(double ka, double mobility) const {
    if (mobility == 0) {
        return {0};
    }
    return zetasForMobility(slice(ka, mobility < 0), mobility);
}

std::vector<double> MobilityTable::zetasForMobility(const Slice& s, double mobility) const {
    if (mobility == 0) {
        return {0};
    }
    const double sign = mobility > 0 ? 1 : -1;
    auto g = [&](double z) { return z * evaluate(s.mobility, sign * z) - std::abs(mobility); };
    // Sampled finely enough to see the one maximum the model has.
    constexpr int kSteps = 96;
    std::vector<double> roots;
    double a = 0, ga = -std::abs(mobility);
    for (int k = 1; k <= kSteps; ++k) {
        const double b = kMaxZeta * k / kSteps, gb = g(b);
        if ((ga < 0) != (gb < 0)) {
            roots.push_back(sign * bisectRoot(g, a, b));
        }
        a = b;
        ga = gb;
    }
    return roots;
}

}  // namespace electrokinetics
