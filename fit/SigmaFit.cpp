// SPDX-License-Identifier: GPL-3.0-or-later

#include "fit/SigmaFit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "analysis/Draws.h"
#include "fit/LeastSquares.h"
#include "platform/base/NumberText.h"

namespace fit {

namespace {

constexpr std::int64_t kDrawsPerBlock = 8;

// The points of all scans in one fit, each scan's in x order.
struct Points {
    std::vector<double> u;  // x - xRef of its scan
    std::vector<double> y;
    std::vector<double> weights;  // empty for equal weights
    std::vector<double> sd;       // empty without SDs
    std::vector<std::size_t> scan;
    std::vector<std::size_t> firstOf;  // each scan's first point, and the end
};

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
        std::stable_sort(used.begin(), used.end(),
                         [&](std::size_t a, std::size_t b) { return scan.x[a] < scan.x[b]; });
        part.points = used.size();
        const std::size_t needed = o.baseline ? 3 : 2;
        if (used.size() < needed + (scans.size() == 1 ? 1 : 0))
            throw FitError(scan.name + ": " + std::to_string(used.size()) +
                           " points in the range used, too few for the fit");
        part.xRef = (scan.x[used.front()] + scan.x[used.back()]) / 2;
        p.firstOf.push_back(p.y.size());
        for (std::size_t i : used) {
            p.u.push_back(scan.x[i] - part.xRef);
            p.y.push_back(scan.signal[i]);
            p.scan.push_back(s);
            if (withSd) {
                p.sd.push_back(scan.sd[i]);
                p.weights.push_back(1 / (scan.sd[i] * scan.sd[i]));
            }
        }
        parts.push_back(part);
    }
    p.firstOf.push_back(p.y.size());
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
        for (std::size_t i = 0; i < p.y.size(); ++i) {
            const std::size_t a = 1 + perScan * p.scan[i];
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
    };
    return m;
}

// Starting values from a straight line through ln(signal - delta0), delta0
// a tenth of the signal's span below its least value (0 without a
// baseline); points at or below delta0 have no logarithm and are skipped.
std::vector<double> startValues(const Points& p, bool baseline,
                                const std::vector<ScanPart>& parts) {
    std::vector<double> start = {0};
    double slopes = 0;
    for (std::size_t s = 0; s + 1 < p.firstOf.size(); ++s) {
        const auto first = p.y.begin() + static_cast<std::ptrdiff_t>(p.firstOf[s]);
        const auto end = p.y.begin() + static_cast<std::ptrdiff_t>(p.firstOf[s + 1]);
        const auto [low, high] = std::minmax_element(first, end);
        const double span = std::max(*high - *low, std::fabs(*high) * 1e-6);
        const double delta0 = baseline ? *low - 0.1 * span : 0.0;
        double su = 0, sl = 0, suu = 0, sul = 0, count = 0;
        for (std::size_t i = p.firstOf[s]; i < p.firstOf[s + 1]; ++i) {
            if (!(p.y[i] - delta0 > 0))
                continue;
            const double l = std::log(p.y[i] - delta0);
            su += p.u[i];
            sl += l;
            suu += p.u[i] * p.u[i];
            sul += p.u[i] * l;
            ++count;
        }
        const double denominator = count * suu - su * su;
        if (count < 2 || !(denominator > 0))
            throw FitError(parts[s].name +
                           ": fewer than two points with a signal above the baseline, so no "
                           "starting values");
        const double slope = (count * sul - su * sl) / denominator;
        slopes += slope * static_cast<double>(parts[s].points);
        start.push_back(std::exp((sl - slope * su) / count));
        if (baseline)
            start.push_back(delta0);
    }
    start[0] = slopes / static_cast<double>(p.y.size());
    return start;
}

}  // namespace

std::optional<double> runsTestZ(std::span<const double> values) {
    double plus = 0, minus = 0, runs = 0;
    int last = 0;
    for (double v : values) {
        const int sign = v > 0 ? 1 : v < 0 ? -1 : 0;
        if (sign == 0)
            continue;
        (sign > 0 ? plus : minus) += 1;
        if (sign != last)
            ++runs;
        last = sign;
    }
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

SigmaFit fitSigma(std::span<const Scan> scans, const SigmaFitOptions& options) {
    if (scans.empty())
        throw FitError("no scan to fit");
    SigmaFit r;
    const Points p = select(scans, options, r.scans);
    const Model model = sigmaModel(p, options.baseline);
    LeastSquaresOptions ls;
    ls.scaleByReducedChiSquare = p.sd.empty();
    const LeastSquaresResult best = [&] {
        try {
            return leastSquares(model, p.y, p.weights, startValues(p, options.baseline, r.scans),
                                ls);
        } catch (const FitError& e) {
            if (scans.size() == 1 && std::string(e.what()).rfind(scans[0].name, 0) != 0)
                throw FitError(scans[0].name + ": " + e.what());
            throw;
        }
    }();

    const std::size_t perScan = options.baseline ? 2 : 1;
    r.sigma = best.parameters[0];
    r.sigmaSE = best.standardErrors[0];
    r.seScaled = ls.scaleByReducedChiSquare;
    r.points = p.y.size();
    r.chiSquare = best.chiSquare;
    r.reducedChiSquare = best.reducedChiSquare();
    r.runsZ = runsTestZ(best.residuals);
    r.residuals = best.residuals;
    for (std::size_t i = 0; i < p.u.size(); ++i)
        r.residualX.push_back(p.u[i] + r.scans[p.scan[i]].xRef);
    for (std::size_t s = 0; s < r.scans.size(); ++s) {
        const std::size_t a = 1 + perScan * s;
        r.scans[s].amplitude = best.parameters[a];
        r.scans[s].amplitudeSE = best.standardErrors[a];
        if (options.baseline) {
            r.scans[s].baseline = best.parameters[a + 1];
            r.scans[s].baselineSE = best.standardErrors[a + 1];
        }
    }
    if (options.baseline && scans.size() == 1)
        r.sigmaBaselineCorrelation = best.correlation(0, 2);
    if (options.draws <= 0)
        return r;

    // The noise of each point: its SD, or the spread of its scan's residuals
    // about the curve, each scan with its share of the degrees of freedom.
    std::vector<double> fitted(p.y.size());
    std::vector<double> noise(p.y.size());
    for (std::size_t i = 0; i < p.y.size(); ++i)
        fitted[i] = p.y[i] - best.residuals[i];
    for (std::size_t s = 0; s + 1 < p.firstOf.size(); ++s) {
        double squares = 0;
        for (std::size_t i = p.firstOf[s]; i < p.firstOf[s + 1]; ++i)
            squares += best.residuals[i] * best.residuals[i];
        const double dof =
            static_cast<double>(p.firstOf[s + 1] - p.firstOf[s]) -
            static_cast<double>(model.parameters) / static_cast<double>(r.scans.size());
        for (std::size_t i = p.firstOf[s]; i < p.firstOf[s + 1]; ++i)
            noise[i] = p.sd.empty() ? std::sqrt(squares / dof) : p.sd[i];
    }

    const std::int64_t n = options.draws;
    std::vector<double> sigmas(static_cast<std::size_t>(n));
    const std::uint64_t mixedSeed = analysis::mix(options.seed);
    const analysis::Ziggurat& normal = analysis::ziggurat();
    const std::int64_t blocks = (n + kDrawsPerBlock - 1) / kDrawsPerBlock;
    analysis::runBlocks(blocks, options.threads, nullptr, [&](std::int64_t b) {
        LeastSquaresSolver solver(p.y.size(), model.parameters);
        std::vector<double> y(p.y.size());
        const std::int64_t first = b * kDrawsPerBlock;
        const std::int64_t end = std::min(n, first + kDrawsPerBlock);
        for (std::int64_t d = first; d < end; ++d) {
            analysis::DrawStream stream(mixedSeed, static_cast<std::uint64_t>(d));
            for (std::size_t i = 0; i < y.size(); ++i)
                y[i] = fitted[i] + noise[i] * normal.normal(stream);
            try {
                sigmas[static_cast<std::size_t>(d)] =
                    solver.solve(model, y, p.weights, best.parameters, ls).parameters[0];
            } catch (const FitError&) {
                sigmas[static_cast<std::size_t>(d)] = std::numeric_limits<double>::quiet_NaN();
            }
        }
        return end - first;
    });
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
    return r;
}

}  // namespace fit
