// SPDX-License-Identifier: GPL-3.0-or-later

#include "fit/SigmaFit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "analysis/Draws.h"
#include "analysis/Uncertainty.h"
#include "fit/LeastSquares.h"
#include "platform/base/NumberText.h"

namespace fit {

namespace {

constexpr std::int64_t kDrawsPerBlock = 8;

// The points of all scans in one fit, each scan's in x order: for a long
// scan the most it holds, so nothing beside them that grows with the points.
struct Points {
    std::vector<double> u;  // x - xRef of its scan
    std::vector<double> y;
    std::vector<double> sd;            // empty without SDs
    std::vector<std::size_t> firstOf;  // each scan's first point, and the end
    double scale = 1;                  // the signals and SDs are divided by it
    double range = 0;                  // the widest x range of a scan
    std::size_t scanOf(std::size_t i) const {
        return static_cast<std::size_t>(std::upper_bound(firstOf.begin(), firstOf.end(), i) -
                                        firstOf.begin()) -
               1;
    }
    double weight(std::size_t i) const { return sd.empty() ? 1.0 : 1 / (sd[i] * sd[i]); }
};

// The weights 1/sd^2 for the engine on GSL, or none for equal weights.
std::vector<double> weightsOf(const Points& p) {
    std::vector<double> w;
    for (std::size_t i = 0; i < p.sd.size(); ++i)
        w.push_back(p.weight(i));
    return w;
}

// A scan's points in the range that no fit can use: too few distinct
// positions, a flat signal or none above zero.
void refuseUnfittable(const Scan& scan, const std::vector<std::size_t>& used) {
    std::size_t distinct = 0;
    for (std::size_t k = 0; k < used.size(); ++k)
        distinct += k == 0 || scan.x[used[k]] != scan.x[used[k - 1]] ? 1 : 0;
    if (distinct < 3)
        throw FitError(scan.name + ": " + std::to_string(distinct) +
                       " distinct positions in the range used; a curve needs at least 3");
    double low = scan.signal[used.front()], high = low, largest = 0;
    for (std::size_t i : used) {
        low = std::min(low, scan.signal[i]);
        high = std::max(high, scan.signal[i]);
        largest = std::max(largest, std::fabs(scan.signal[i]));
    }
    if (!(high > 0))
        throw FitError(scan.name +
                       ": every signal in the range used is zero or negative; a concentration "
                       "profile needs a positive signal");
    if (!(high - low > 1e-12 * largest))
        throw FitError(scan.name +
                       ": the signal is the same at every point in the range used; a flat "
                       "profile has no Sigma");
}

// Signals of any unit fit alike: divided by the largest magnitude, they
// meet the engine's tolerances as signals near 1 do.
void scaleSignals(Points& p) {
    double largest = 0;
    for (double y : p.y)
        largest = std::max(largest, std::fabs(y));
    p.scale = largest;
    for (double& y : p.y)
        y /= largest;
    for (double& sd : p.sd)
        sd /= largest;
}

Points select(std::span<const Scan> scans, const SigmaFitOptions& o, std::vector<ScanPart>& parts) {
    Points p;
    const bool withSd = scans.front().hasSd();
    for (std::size_t s = 0; s < scans.size(); ++s) {
        const Scan& scan = scans[s];
        if (scan.hasSd() != withSd)
            throw FitError(scan.name + ": either every scan gives an SD column or none does");
        ScanPart part;
        part.name = scan.name;
        part.temperature = scan.temperature;
        part.elapsedSeconds = scan.elapsedSeconds;
        std::vector<std::size_t> used;
        for (std::size_t i = 0; i < scan.x.size(); ++i) {
            if ((o.from && scan.x[i] < *o.from) || (o.to && scan.x[i] > *o.to))
                continue;
            if (o.maxSignal && scan.signal[i] > *o.maxSignal) {
                ++part.aboveMax;
                continue;
            }
            used.push_back(i);
        }
        const auto byX = [&](std::size_t a, std::size_t b) { return scan.x[a] < scan.x[b]; };
        if (!std::is_sorted(used.begin(), used.end(), byX))
            std::stable_sort(used.begin(), used.end(), byX);
        part.points = used.size();
        const std::size_t needed = o.baseline ? 3 : 2;
        if (used.size() < needed + (scans.size() == 1 ? 1 : 0))
            throw FitError(scan.name + ": " + std::to_string(used.size()) +
                           " points in the range used, too few for the fit");
        refuseUnfittable(scan, used);
        part.xRef = (scan.x[used.front()] + scan.x[used.back()]) / 2;
        p.range = std::max(p.range, scan.x[used.back()] - scan.x[used.front()]);
        p.firstOf.push_back(p.y.size());
        p.u.reserve(p.u.size() + used.size());
        p.y.reserve(p.y.size() + used.size());
        if (withSd)
            p.sd.reserve(p.sd.size() + used.size());
        for (std::size_t i : used) {
            p.u.push_back(scan.x[i] - part.xRef);
            p.y.push_back(scan.signal[i]);
            if (withSd)
                p.sd.push_back(scan.sd[i]);
        }
        parts.push_back(part);
    }
    p.firstOf.push_back(p.y.size());
    scaleSignals(p);
    return p;
}

// Parameters: Sigma, then A and (with a baseline) delta of each scan.
Model sigmaModel(const Points& p, bool baseline) {
    const std::size_t perScan = baseline ? 2 : 1;
    Model m;
    m.parameters = 1 + perScan * (p.firstOf.size() - 1);
    m.evaluate = [&p, baseline, perScan, n = m.parameters](std::span<const double> q,
                                                           std::span<double> values,
                                                           std::span<double> jacobian) {
        const double sigma = q[0];
        if (!jacobian.empty())
            std::fill(jacobian.begin(), jacobian.end(), 0.0);
        for (std::size_t s = 0; s + 1 < p.firstOf.size(); ++s) {
            const std::size_t a = 1 + perScan * s;
            for (std::size_t i = p.firstOf[s]; i < p.firstOf[s + 1]; ++i) {
                const double e = std::exp(sigma * p.u[i]);
                values[i] = q[a] * e + (baseline ? q[a + 1] : 0.0);
                if (jacobian.empty())
                    continue;
                double* row = &jacobian[i * n];
                row[0] = q[a] * p.u[i] * e;
                row[a] = e;
                if (baseline)
                    row[a + 1] = 1;
            }
        }
    };
    return m;
}

// The curve at point i for the parameters q.
double curveAt(const Points& p, bool baseline, std::span<const double> q, std::size_t i) {
    const std::size_t a = 1 + (baseline ? 2 : 1) * p.scanOf(i);
    return q[a] * std::exp(q[0] * p.u[i]) + (baseline ? q[a + 1] : 0.0);
}

// The same model point by point, weighted, for a long scan.
PointModel sigmaPointModel(const Points& p, bool baseline) {
    PointModel m;
    m.points = p.y.size();
    m.parameters = 1 + (baseline ? 2 : 1) * (p.firstOf.size() - 1);
    m.point = [&p, baseline](std::span<const double> q, std::size_t i, std::span<double> row) {
        const std::size_t a = 1 + (baseline ? 2 : 1) * p.scanOf(i);
        const double root = p.sd.empty() ? 1.0 : 1 / p.sd[i];  // sqrt(w)
        const double e = std::exp(q[0] * p.u[i]);
        std::fill(row.begin(), row.end(), 0.0);
        row[0] = root * q[a] * p.u[i] * e;
        row[a] = root * e;
        if (baseline)
            row[a + 1] = root;
        return root * (p.y[i] - (q[a] * e + (baseline ? q[a + 1] : 0.0)));
    };
    return m;
}

// The best amplitudes and baselines for one Sigma, by a weighted linear fit
// of each scan (every step-th point), and the chi^2 they leave; infinite
// when the columns cannot be told apart.
struct Profile {
    double chiSquare = 0;
    std::vector<double> parameters;  // Sigma, then A (and delta) of each scan
};

Profile profileAt(const Points& p, bool baseline, double sigma, std::size_t step) {
    Profile r{0, {sigma}};
    for (std::size_t s = 0; s + 1 < p.firstOf.size(); ++s) {
        const std::size_t first = p.firstOf[s], end = p.firstOf[s + 1];
        // exp(sigma u - c) stays at most 1, so a steep curve does not overflow.
        const double c = sigma * (sigma > 0 ? p.u[end - 1] : p.u[first]);
        double sw = 0, se = 0, see = 0, sy = 0, sey = 0, syy = 0;
        for (std::size_t i = first; i < end; i += step) {
            const double w = p.weight(i);
            const double e = std::exp(sigma * p.u[i] - c);
            sw += w;
            se += w * e;
            see += w * e * e;
            sy += w * p.y[i];
            sey += w * e * p.y[i];
            syy += w * p.y[i] * p.y[i];
        }
        double a = 0, d = 0;
        const double det = see * sw - se * se;
        if (baseline && det > 1e-12 * see * sw) {
            a = (sey * sw - se * sy) / det;
            d = (see * sy - se * sey) / det;
        } else if (!baseline && see > 0) {
            a = sey / see;
        } else {
            r.chiSquare = std::numeric_limits<double>::infinity();
        }
        r.chiSquare += std::max(0.0, syy - a * sey - d * sy);
        r.parameters.push_back(a * std::exp(-c));
        if (baseline)
            r.parameters.push_back(d);
    }
    return r;
}

// The start: the Sigma of least chi^2 on a grid of |Sigma| (x range) from
// 0.01 to kMaxSigmaRange of either sign, refined by golden section, so that
// a steep profile is started at its Sigma and not at the straight line's.
// On at most kMaxRefitPoints points: for a start, not for the result.
Profile startValues(const Points& p, bool baseline, const std::vector<ScanPart>& parts) {
    constexpr int kSteps = 100;
    const std::size_t step = std::max<std::size_t>(1, p.y.size() / kMaxRefitPoints);
    const double lowest = 0.01 / p.range;
    const double ratio = std::pow(kMaxSigmaRange / 0.01, 1.0 / (kSteps - 1));
    const auto sigmaAt = [&](double sign, double k) { return sign * lowest * std::pow(ratio, k); };
    double bestSign = 1, bestK = 0, bestChi = std::numeric_limits<double>::infinity();
    for (double sign : {1.0, -1.0})
        for (int k = 0; k < kSteps; ++k)
            if (const double chi = profileAt(p, baseline, sigmaAt(sign, k), step).chiSquare;
                chi < bestChi) {
                bestChi = chi;
                bestSign = sign;
                bestK = k;
            }
    if (!std::isfinite(bestChi))
        throw FitError(parts.front().name + ": no Sigma fits the signal, so no starting values");
    if (bestK == kSteps - 1)
        throw FitError((parts.size() == 1 ? parts.front().name : std::string("global fit")) +
                       ": Sigma would be at the edge of the values searched (|Sigma| times the x "
                       "range above " +
                       platform::FormatFloat("0", kMaxSigmaRange) +
                       "): the profile rises as a step, not as an exponential");
    double lo = std::max(0.0, bestK - 1), hi = std::min<double>(kSteps - 1, bestK + 1);
    const double golden = (std::sqrt(5.0) - 1) / 2;
    const auto chiAt = [&](double k) {
        return profileAt(p, baseline, sigmaAt(bestSign, k), step).chiSquare;
    };
    double m1 = hi - golden * (hi - lo), m2 = lo + golden * (hi - lo);
    double c1 = chiAt(m1), c2 = chiAt(m2);
    for (int i = 0; i < 40; ++i) {
        if (c1 < c2) {
            hi = m2;
            m2 = m1;
            c2 = c1;
            m1 = hi - golden * (hi - lo);
            c1 = chiAt(m1);
        } else {
            lo = m1;
            m1 = m2;
            c1 = c2;
            m2 = lo + golden * (hi - lo);
            c2 = chiAt(m2);
        }
    }
    return profileAt(p, baseline, sigmaAt(bestSign, (lo + hi) / 2), 1);
}

// Why the fit's numbers are not to be trusted, or empty.
std::string credibilityProblem(const SigmaFit& r, const Profile& start, double range) {
    const auto text = [](double v) { return analysis::significantText(v, 3); };
    if (std::fabs(r.sigma) * range > kMaxSigmaRange)
        return "Sigma " + text(r.sigma) + " is at the edge of the values searched";
    if (r.chiSquare > start.chiSquare * (1 + 1e-6) + 1e-300)
        return "the fit ended away from its best starting value (Sigma " +
               text(start.parameters[0]) + "), at a higher chi-square";
    if (!(r.sigmaSE <= std::fabs(r.sigma)))
        return "SigmaSE " + text(r.sigmaSE) + " is larger than Sigma " + text(r.sigma) +
               " itself: the data do not determine Sigma";
    if (!r.seScaled && (r.reducedChiSquare > 10 || r.reducedChiSquare < 0.1))
        return "the reduced chi-square " + text(r.reducedChiSquare) +
               " is far from 1 although the SDs are given: the SDs or the model do not fit the "
               "data";
    return {};
}

// Every k-th point of each scan, so that the refits use at most
// kMaxRefitPoints; a short scan keeps its points.
std::vector<std::size_t> thinned(const Points& p) {
    const std::size_t k = (p.y.size() + kMaxRefitPoints - 1) / kMaxRefitPoints;
    std::vector<std::size_t> kept;
    for (std::size_t s = 0; s + 1 < p.firstOf.size(); ++s) {
        const std::size_t n = p.firstOf[s + 1] - p.firstOf[s];
        const std::size_t step = n / k >= 10 ? k : 1;
        for (std::size_t i = p.firstOf[s]; i < p.firstOf[s + 1]; i += step)
            kept.push_back(i);
    }
    return kept;
}

Points subset(const Points& p, const std::vector<std::size_t>& kept) {
    Points q;
    q.scale = p.scale;
    q.range = p.range;
    for (std::size_t i : kept) {
        if (q.firstOf.size() <= p.scanOf(i))
            q.firstOf.push_back(q.y.size());
        q.u.push_back(p.u[i]);
        q.y.push_back(p.y[i]);
        if (!p.sd.empty())
            q.sd.push_back(p.sd[i]);
    }
    q.firstOf.push_back(q.y.size());
    return q;
}

}  // namespace

namespace {

// The runs of the signs of values given one at a time.
struct Runs {
    double plus = 0, minus = 0, runs = 0;
    int last = 0;
    void add(double v) {
        const int sign = v > 0 ? 1 : v < 0 ? -1 : 0;
        if (sign == 0)
            return;
        (sign > 0 ? plus : minus) += 1;
        if (sign != last)
            ++runs;
        last = sign;
    }
    std::optional<double> z() const;
};

}  // namespace

std::optional<double> runsTestZ(std::span<const double> values) {
    Runs r;
    for (double v : values)
        r.add(v);
    return r.z();
}

std::optional<double> Runs::z() const {
    const double n = plus + minus;
    const double product = 2 * plus * minus;
    const double variance = product * (product - n) / (n * n * (n - 1));
    if (!(variance > 0))
        return std::nullopt;
    return (runs - (product / n + 1)) / std::sqrt(variance);
}

std::string SigmaFit::warning() const {
    if (runsZ && std::fabs(*runsZ) > 2)
        return "the runs test of the residuals gives z = " + platform::FormatFloat("0.00", *runsZ) +
               " (beyond +-2): the model does not describe the data";
    return {};
}

namespace {

// The Monte Carlo 95 % interval of Sigma: refits of the best-fit curve plus
// normal noise, on the thinned points when the fit has many.
void refitInterval(const Points& all, const std::function<double(std::size_t)>& residual,
                   const LeastSquaresResult& best, bool baseline, const SigmaFitOptions& options,
                   SigmaFit& r) {
    LeastSquaresOptions ls;
    ls.scaleByReducedChiSquare = all.sd.empty();
    // The noise of each point: its SD, or the spread of its scan's residuals
    // about the curve, each scan with its share of the degrees of freedom.
    std::vector<double> spread;
    for (std::size_t s = 0; s + 1 < all.firstOf.size() && all.sd.empty(); ++s) {
        double squares = 0;
        for (std::size_t i = all.firstOf[s]; i < all.firstOf[s + 1]; ++i)
            squares += residual(i) * residual(i);
        const double dof =
            static_cast<double>(all.firstOf[s + 1] - all.firstOf[s]) -
            static_cast<double>(best.parameters.size()) / static_cast<double>(r.scans.size());
        spread.push_back(std::sqrt(squares / dof));
    }
    const bool thin = all.y.size() > kMaxRefitPoints;
    const std::vector<std::size_t> kept = thin ? thinned(all) : std::vector<std::size_t>();
    const Points thinPoints = thin ? subset(all, kept) : Points();
    const Points& p = thin ? thinPoints : all;
    const Model model = sigmaModel(p, baseline);
    const std::vector<double> weights = weightsOf(p);
    std::vector<double> fitted(p.y.size()), pointNoise(p.y.size());
    for (std::size_t j = 0; j < p.y.size(); ++j) {
        const std::size_t i = thin ? kept[j] : j;
        fitted[j] = all.y[i] - residual(i);
        pointNoise[j] = all.sd.empty() ? spread[all.scanOf(i)] : all.sd[i];
    }
    // The refits' data are the best-fit curve plus noise, so their Sigmas
    // spread about the best fit's; thinned, that spread is wider by
    // sqrt(all / used) and is narrowed back.
    const double centre = best.parameters[0];
    const double shrink =
        std::sqrt(static_cast<double>(p.y.size()) / static_cast<double>(all.y.size()));
    r.refitPoints = thin ? p.y.size() : 0;

    const std::int64_t n = options.draws;
    std::vector<double> sigmas(static_cast<std::size_t>(n));
    const std::uint64_t mixedSeed = analysis::mix(options.seed);
    const analysis::Ziggurat& normal = analysis::ziggurat();
    const std::int64_t blocks = (n + kDrawsPerBlock - 1) / kDrawsPerBlock;
    analysis::MonteCarloControl control;
    if (options.progress)
        control.progress = [&] { options.progress(control.done.load(), n); };
    const auto stopped = [&] {
        return options.cancelled && options.cancelled->load(std::memory_order_relaxed);
    };
    analysis::runBlocks(blocks, options.threads, &control, [&](std::int64_t b) -> std::int64_t {
        if (stopped()) {
            control.cancelled = true;
            return 0;
        }
        LeastSquaresSolver solver(p.y.size(), model.parameters);
        std::vector<double> y(p.y.size());
        const std::int64_t first = b * kDrawsPerBlock;
        const std::int64_t end = std::min(n, first + kDrawsPerBlock);
        for (std::int64_t d = first; d < end; ++d) {
            analysis::DrawStream stream(mixedSeed, static_cast<std::uint64_t>(d));
            for (std::size_t i = 0; i < y.size(); ++i)
                y[i] = fitted[i] + pointNoise[i] * normal.normal(stream);
            double& sigma = sigmas[static_cast<std::size_t>(d)];
            try {
                const double refit =
                    solver.solve(model, y, weights, best.parameters, ls).parameters[0];
                sigma = best.parameters[0] + (refit - centre) * shrink;
            } catch (const FitError&) {
                sigma = std::numeric_limits<double>::quiet_NaN();
            }
        }
        return end - first;
    });
    if (control.cancelled)
        throw FitCancelled();
    const auto failed =
        std::remove_if(sigmas.begin(), sigmas.end(), [](double v) { return std::isnan(v); });
    r.draws = n;
    r.failedDraws = sigmas.end() - failed;
    sigmas.erase(failed, sigmas.end());
    const auto m = static_cast<std::int64_t>(sigmas.size());
    if (m >= 2) {
        std::sort(sigmas.begin(), sigmas.end());
        const analysis::CoverageRanks k = analysis::coverageRanks(m, 0.95);
        r.low95 = sigmas[static_cast<std::size_t>(std::max<std::int64_t>(k.r - 1, 0))];
        r.high95 = sigmas[static_cast<std::size_t>(std::min(k.r + k.q - 1, m - 1))];
    }
}

}  // namespace

SigmaFit fitSigma(std::span<const Scan> scans, const SigmaFitOptions& options) {
    if (scans.empty())
        throw FitError("no scan to fit");
    SigmaFit r;
    const Points p = select(scans, options, r.scans);
    // A long scan is fitted point by point: no n x p Jacobian, no copies.
    const bool byPoints = p.y.size() > kByPointsFrom;
    LeastSquaresOptions ls;
    ls.scaleByReducedChiSquare = p.sd.empty();
    const auto named = [&](const FitError& e) {
        if (scans.size() == 1 && std::string(e.what()).rfind(scans[0].name, 0) != 0)
            return FitError(scans[0].name + ": " + e.what());
        return e;
    };
    Profile start;
    const LeastSquaresResult best = [&] {
        try {
            start = startValues(p, options.baseline, r.scans);
            if (byPoints)
                return leastSquaresByPoints(sigmaPointModel(p, options.baseline), start.parameters,
                                            ls);
            return leastSquares(sigmaModel(p, options.baseline), p.y, weightsOf(p),
                                start.parameters, ls);
        } catch (const FitError& e) {
            throw named(e);
        }
    }();

    // Back from the scaled signals: the amplitudes and baselines scale with
    // them, chi^2 of equal weights with their square.
    const double scale = p.scale;
    const double chiScale = p.sd.empty() ? scale * scale : 1.0;
    const std::size_t perScan = options.baseline ? 2 : 1;
    r.sigma = best.parameters[0];
    r.sigmaSE = best.standardErrors[0];
    r.seScaled = ls.scaleByReducedChiSquare;
    r.points = p.y.size();
    r.chiSquare = best.chiSquare * chiScale;
    r.reducedChiSquare = best.reducedChiSquare() * chiScale;
    // Signal minus curve, scaled: held by the engine on GSL, computed again
    // for a long scan.
    const std::function<double(std::size_t)> residual = [&](std::size_t i) {
        return byPoints ? p.y[i] - curveAt(p, options.baseline, best.parameters, i)
                        : best.residuals[i];
    };
    Runs runs;
    for (std::size_t i = 0; i < p.y.size(); ++i)
        runs.add(residual(i));
    r.runsZ = runs.z();
    if (options.keepResiduals) {
        r.residuals.reserve(p.y.size());
        r.residualX.reserve(p.y.size());
        for (std::size_t i = 0; i < p.y.size(); ++i) {
            r.residuals.push_back(residual(i) * scale);
            r.residualX.push_back(p.u[i] + r.scans[p.scanOf(i)].xRef);
        }
    }
    for (std::size_t s = 0; s < r.scans.size(); ++s) {
        const std::size_t a = 1 + perScan * s;
        r.scans[s].amplitude = best.parameters[a] * scale;
        r.scans[s].amplitudeSE = best.standardErrors[a] * scale;
        if (options.baseline) {
            r.scans[s].baseline = best.parameters[a + 1] * scale;
            r.scans[s].baselineSE = best.standardErrors[a + 1] * scale;
        }
    }
    if (options.baseline && scans.size() == 1)
        r.sigmaBaselineCorrelation = best.correlation(0, 2);
    start.chiSquare *= chiScale;
    r.problem = credibilityProblem(r, start, p.range);
    if (options.cancelled && *options.cancelled)
        throw FitCancelled();
    if (options.draws > 0)
        refitInterval(p, residual, best, options.baseline, options, r);
    return r;
}

}  // namespace fit
