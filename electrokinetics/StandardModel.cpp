// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/StandardModel.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_odeiv2.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "electrokinetics/LinearSystem.h"

namespace electrokinetics {

namespace {

constexpr double kMaxKa = 1e4;
constexpr double kMaxPotential = 40;
// An inward shot whose potential passes this has a far-field amplitude above
// the one any surface charge gives (the effective charge saturates).
constexpr double kRunaway = 2.5 * kMaxPotential;
constexpr int kMaxNewton = 200;
// The grid's weights: steps of the grid's step times kDebyeStep in the outer
// double layer, finer by kCurvatureWeight where x is small.
constexpr double kDebyeStep = 3;
constexpr double kCurvatureWeight = 2;
constexpr double kSurfaceWeight = 1;

// The equations' coefficients for the ions, and how many perturbation
// solutions ride along with the Poisson-Boltzmann one.
struct Equations {
    std::vector<double> valence, weight, drag;
    int columns = 0;
    int n() const { return static_cast<int>(valence.size()); }
    int stride() const { return 2 * n() + 4; }
    int dimension() const { return columns == 0 ? 4 : 2 + columns * stride(); }
};

Equations equationsOf(const Electrolyte& e, int columns) {
    checkElectrolyte(e);
    Equations q;
    for (const Ion& ion : e.ions) {
        q.valence.push_back(ion.valence);
        q.weight.push_back(ion.weight);
        q.drag.push_back(ion.drag);
    }
    q.columns = columns;
    return q;
}

// y'' + 2y'/x = -sum (w/z) exp(-z y); electroneutrality makes sum w/z = 0,
// so expm1 keeps the right-hand side exact at small y. Without perturbation
// columns, the derivative v = dy/dq of the solution with respect to the log
// of its far-field amplitude rides along for Newton's iteration.
int derivatives(double x, const double s[], double ds[], void* params) {
    const auto& q = *static_cast<const Equations*>(params);
    const int n = q.n();
    const double y = s[0], dy = s[1];
    double source = 0, density = 0;
    double boltzmann[8];
    for (int i = 0; i < n; ++i) {
        const double excess = std::expm1(-q.valence[i] * y);
        boltzmann[i] = 1 + excess;
        source -= q.weight[i] / q.valence[i] * excess;
        density += q.weight[i] * boltzmann[i];
    }
    ds[0] = dy;
    ds[1] = -2 * dy / x + source;
    if (q.columns == 0) {
        ds[2] = s[3];
        ds[3] = -2 * s[3] / x + density * s[2];
        return GSL_SUCCESS;
    }
    const double x2 = x * x;
    for (int c = 0; c < q.columns; ++c) {
        const double* p = s + 2 + c * q.stride();
        double* dp = ds + 2 + c * q.stride();
        const double h = p[2 * n], dh = p[2 * n + 1], g = p[2 * n + 2], dg = p[2 * n + 3];
        double force = 0;
        for (int i = 0; i < n; ++i) {
            const double phi = p[i], dphi = p[n + i];
            dp[i] = dphi;
            dp[n + i] = -2 * dphi / x + 2 * phi / x2 + q.valence[i] * dy * dphi -
                        3 * q.drag[i] * dy * h / x;
            force += q.weight[i] * boltzmann[i] * phi;
        }
        dp[2 * n] = dh;
        dp[2 * n + 1] = g - 2 * dh / x + 2 * h / x2;
        dp[2 * n + 2] = dg;
        dp[2 * n + 3] = -2 * dg / x + 2 * g / x2 - dy / x * force;
    }
    return GSL_SUCCESS;
}

// The grid from the surface outward: equal steps in t(x), concave and
// increasing, so Newton's iteration from the point before never overshoots.
std::vector<double> gridPoints(double ka, double delta, const Grid& grid) {
    const double far = ka + grid.extent;
    auto t = [&](double x) {
        return kSurfaceWeight * std::log((x - ka + delta) / delta) +
               kCurvatureWeight * std::log(x / ka) + (x - ka) / kDebyeStep;
    };
    auto slope = [&](double x) {
        return kSurfaceWeight / (x - ka + delta) + kCurvatureWeight / x + 1 / kDebyeStep;
    };
    const double total = t(far);
    const int steps = std::max(16, static_cast<int>(std::ceil(total / grid.step)));
    std::vector<double> xs(steps + 1);
    xs[0] = ka;
    xs[steps] = far;
    double x = ka;
    for (int k = 1; k < steps; ++k) {
        const double target = total * k / steps;
        for (int it = 0; it < 100; ++it) {
            const double dx = (target - t(x)) / slope(x);
            x += dx;
            if (std::abs(dx) <= 1e-12 * x) {
                break;
            }
        }
        xs[k] = x;
    }
    return xs;
}

// Integrates the state from the far end of the grid in to the surface.
// False when the potential runs away (an amplitude too large for any charge).
bool integrateInward(Equations& q, const std::vector<double>& xs, std::vector<double>& state) {
    const size_t dim = q.dimension();
    gsl_odeiv2_system system{derivatives, nullptr, dim, &q};
    std::unique_ptr<gsl_odeiv2_step, decltype(&gsl_odeiv2_step_free)> stepper(
        gsl_odeiv2_step_alloc(gsl_odeiv2_step_rk8pd, dim), gsl_odeiv2_step_free);
    std::vector<double> error(dim);
    for (size_t k = xs.size() - 1; k > 0; --k) {
        const double x = xs[k];
        if (gsl_odeiv2_step_apply(stepper.get(), x, xs[k - 1] - x, state.data(), error.data(),
                                  nullptr, nullptr, &system) != GSL_SUCCESS ||
            !(std::abs(state[0]) < kRunaway)) {
            return false;
        }
    }
    return std::all_of(state.begin(), state.end(), [](double v) { return std::isfinite(v); });
}

// The Debye-Hueckel tail y = A exp(-x)/x and its derivative at x.
void setTail(double amplitude, double x, double* s) {
    s[0] = amplitude;
    s[1] = -amplitude * (1 + 1 / x);
}

enum class Target { Potential, Charge };

struct Problem {
    double ka = 0;
    double value = 0;  // the reduced potential or charge wanted
    Target target = Target::Potential;
};

void checkProblem(const Problem& p) {
    if (!(p.ka > 0 && p.ka <= kMaxKa)) {
        throw std::invalid_argument("The reduced radius Ka must lie between 0 and 10000, not " +
                                    std::to_string(p.ka) + ".");
    }
    if (!std::isfinite(p.value)) {
        throw std::invalid_argument("The surface charge or potential is not a number.");
    }
}

// The largest valence among the ions of the opposite sign to the surface.
double counterionValence(const Equations& q, double sign) {
    double z = 1;
    for (double v : q.valence) {
        if (v * sign < 0) {
            z = std::max(z, std::abs(v));
        }
    }
    return z;
}

// The length over which the potential falls next to the surface, for the
// grid: 1 at low potentials, about exp(-z|y|/2) / z at high ones.
double surfaceLength(const Problem& p, const Equations& q) {
    const double sign = p.value > 0 ? 1 : -1;
    const double z = counterionValence(q, sign);
    const double field = p.target == Target::Charge
                             ? std::abs(p.value) * p.ka / (1 + p.ka)
                             : 2 / z * std::sinh(std::min(z * std::abs(p.value) / 2, 300.0));
    return 1 / (1 + z * field);
}

struct Shot {
    bool ok = false;
    double value = 0, slope = 0;  // the potential or charge at the surface, d/dq
};

Shot shoot(double q, double sign, const Problem& p, Equations& eq, const std::vector<double>& xs) {
    std::vector<double> state(4);
    setTail(sign * std::exp(q), xs.back(), state.data());
    setTail(sign * std::exp(q), xs.back(), state.data() + 2);
    Shot shot;
    if (!integrateInward(eq, xs, state)) {
        return shot;
    }
    shot.ok = true;
    shot.value = p.target == Target::Potential ? state[0] : -state[1];
    shot.slope = p.target == Target::Potential ? state[2] : -state[3];
    return shot;
}

// ln of the far-field amplitude |y(far)| that meets the surface condition,
// by Newton's iteration on ln(value / wanted) kept inside a bracket.
double tailAmplitude(const Problem& p, Equations& eq, const std::vector<double>& xs,
                     std::optional<double> start, double tolerance) {
    const double sign = p.value > 0 ? 1 : -1;
    const double far = xs.back();
    const double potential =
        p.target == Target::Potential ? std::abs(p.value) : std::abs(p.value) * p.ka / (1 + p.ka);
    const double z = counterionValence(eq, sign);
    // The Gouy-Chapman tail 4/z tanh(z y / 4) never exceeds the sphere's.
    double q = start ? *start
                     : std::log(std::min(potential, 4 / z * std::tanh(z * potential / 4))) +
                           std::log(p.ka / far) - (far - p.ka);
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
    for (int it = 0; it < kMaxNewton; ++it) {
        const Shot s = shoot(q, sign, p, eq, xs);

        if (!s.ok || s.value * sign <= 0) {
            (s.ok ? lo : hi) = q;
            q = std::isfinite(lo) && std::isfinite(hi) ? (lo + hi) / 2 : q + (s.ok ? 2 : -2);
            continue;
        }
        const double f = std::log(s.value / p.value);
        if (std::abs(f) < tolerance) {
            return q;
        }
        (f > 0 ? hi : lo) = q;
        double next = q - f * s.value / s.slope;
        // A step below the resolution of q: the amplitude is as exact as it gets.
        if (std::abs(next - q) <= 4e-16 * std::abs(q)) {
            return q;
        }
        if (!(next > lo && next < hi)) {
            next = std::isfinite(lo) && std::isfinite(hi) ? (lo + hi) / 2 : q + (f > 0 ? -2 : 2);
        }
        q = next;
    }
    throw std::runtime_error("The Poisson-Boltzmann solution did not converge at Ka " +
                             std::to_string(p.ka) + ".");
}

struct Layer {
    std::vector<double> xs;
    double q = 0;  // ln of the far-field amplitude
    double sign = 1;
};

Layer solveLayer(const Problem& p, const Electrolyte& e, const Grid& grid) {
    checkProblem(p);
    Equations eq = equationsOf(e, 0);
    Layer layer;
    layer.xs = gridPoints(p.ka, surfaceLength(p, eq), grid);
    layer.sign = p.value > 0 ? 1 : -1;
    // Most of Newton's steps on a grid four times coarser, with the same far
    // end, the last ones on the grid itself.
    const std::vector<double> coarse =
        gridPoints(p.ka, surfaceLength(p, eq), {4 * grid.step, grid.extent});
    const double start = tailAmplitude(p, eq, coarse, std::nullopt, 1e-8);
    layer.q = tailAmplitude(p, eq, layer.xs, start, 1e-13);
    return layer;
}

SurfaceState surfaceOf(const Problem& p, const Electrolyte& e, const Grid& grid) {
    if (p.value == 0) {
        checkProblem(p);
        checkElectrolyte(e);
        return {};
    }
    const Layer layer = solveLayer(p, e, grid);
    Equations eq = equationsOf(e, 0);
    std::vector<double> state(4);
    setTail(layer.sign * std::exp(layer.q), layer.xs.back(), state.data());
    integrateInward(eq, layer.xs, state);
    return {state[0], -state[1]};
}

// The far-field solutions the perturbation is made of: the applied field
// (phi_i = x), each ion's dipole (phi_j = 1/x^2), the uniform flow past the
// particle (h = x/3, whose weight is the mobility) and the flow's dipole
// (h = 1/x^2). The growing flow x^3 and the Stokeslet are absent: the
// particle with its double layer is force-free.
void setFarField(const Equations& q, double x, double* state) {
    const int n = q.n();
    for (int c = 0; c < q.columns; ++c) {
        double* p = state + 2 + c * q.stride();
        for (int i = 0; i < n; ++i) {
            if (c == 0) {
                p[i] = x;
                p[n + i] = 1;
            } else if (c == i + 1) {
                p[i] = 1 / (x * x);
                p[n + i] = -2 / (x * x * x);
            }
        }
        if (c == n + 1) {
            p[2 * n] = x / 3;
            p[2 * n + 1] = 1.0 / 3;
        } else if (c == n + 2) {
            p[2 * n] = 1 / (x * x);
            p[2 * n + 1] = -2 / (x * x * x);
        }
    }
}

MobilityState mobilityOf(const Problem& p, const Electrolyte& e, const Grid& grid) {
    if (p.value == 0) {
        return {surfaceOf(p, e, grid), 0};
    }
    const Layer layer = solveLayer(p, e, grid);
    Equations eq = equationsOf(e, e.ions.size() + 3);
    const int n = eq.n();
    std::vector<double> state(eq.dimension(), 0.0);
    setTail(layer.sign * std::exp(layer.q), layer.xs.back(), state.data());
    setFarField(eq, layer.xs.back(), state.data());
    if (!integrateInward(eq, layer.xs, state)) {
        throw std::runtime_error("The perturbation equations could not be integrated at Ka " +
                                 std::to_string(p.ka) + ".");
    }
    // At the surface: no ion flux (phi_i' = 0) and no slip (h = h' = 0).
    const int unknowns = n + 2;
    std::vector<double> matrix(unknowns * unknowns), rhs(unknowns);
    auto surfaceRow = [&](int c, int row) {
        const double* col = state.data() + 2 + c * eq.stride();
        return row < n ? col[n + row] : col[2 * n + (row - n)];
    };
    for (int row = 0; row < unknowns; ++row) {
        rhs[row] = -surfaceRow(0, row);
        for (int c = 1; c <= unknowns; ++c) {
            matrix[row * unknowns + (c - 1)] = surfaceRow(c, row);
        }
    }
    const std::vector<double> coefficients = solveLinear(matrix, rhs);
    return {{state[0], -state[1]}, coefficients[n]};
}

}  // namespace

SurfaceState surfaceForCharge(double ka, double charge, const Electrolyte& e, const Grid& grid) {
    const SurfaceState s = surfaceOf({ka, charge, Target::Charge}, e, grid);
    if (std::abs(s.potential) > kMaxPotential) {
        throw std::invalid_argument("The surface charge gives a reduced potential beyond 40.");
    }
    return s;
}

SurfaceState surfaceForPotential(double ka, double potential, const Electrolyte& e,
                                 const Grid& grid) {
    if (std::abs(potential) > kMaxPotential) {
        throw std::invalid_argument("The reduced surface potential lies beyond 40.");
    }
    return surfaceOf({ka, potential, Target::Potential}, e, grid);
}

MobilityState mobilityForCharge(double ka, double charge, const Electrolyte& e, const Grid& grid) {
    const MobilityState m = mobilityOf({ka, charge, Target::Charge}, e, grid);
    if (std::abs(m.surface.potential) > kMaxPotential) {
        throw std::invalid_argument("The surface charge gives a reduced potential beyond 40.");
    }
    return m;
}

MobilityState mobilityForPotential(double ka, double potential, const Electrolyte& e,
                                   const Grid& grid) {
    if (std::abs(potential) > kMaxPotential) {
        throw std::invalid_argument("The reduced surface potential lies beyond 40.");
    }
    return mobilityOf({ka, potential, Target::Potential}, e, grid);
}

}  // namespace electrokinetics
