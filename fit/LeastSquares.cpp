// SPDX-License-Identifier: GPL-3.0-or-later

#include "fit/LeastSquares.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_linalg.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <mutex>
#include <new>
#include <optional>

namespace fit {

namespace {

constexpr std::size_t kNormalEquationsFrom = kByPointsFrom;

// GSL's default handler aborts the program on any error; every status is
// checked here instead.
void quietGsl() {
    static std::once_flag once;
    std::call_once(once, [] { gsl_set_error_handler_off(); });
}

struct Call {
    const Model* model;
    std::span<const double> y;
};

int residuals(const gsl_vector* p, void* data, gsl_vector* f) {
    const Call& call = *static_cast<const Call*>(data);
    call.model->evaluate({p->data, p->size}, {f->data, f->size}, {});
    // A model that overflows gives an infinite residual, not an error: the
    // step is then refused and the trust region shrinks, where an error would
    // leave the method stuck at the same point.
    for (std::size_t i = 0; i < f->size; ++i)
        f->data[i] -= call.y[i];
    return GSL_SUCCESS;
}

int jacobian(const gsl_vector* p, void* data, gsl_matrix* j) {
    const Call& call = *static_cast<const Call*>(data);
    thread_local std::vector<double> values;
    values.resize(j->size1);
    // A workspace's matrix is contiguous: tda equals its columns.
    call.model->evaluate({p->data, p->size}, values, {j->data, j->size1 * j->size2});
    return GSL_SUCCESS;
}

// The fit by each scaling, the lower chi^2 winning; the first error when
// neither ends.
LeastSquaresResult lowerOfBothScalings(const std::function<LeastSquaresResult(Scaling)>& fitWith) {
    std::optional<LeastSquaresResult> best;
    std::optional<FitError> firstError;
    for (Scaling scaling : {Scaling::More, Scaling::Levenberg}) {
        try {
            LeastSquaresResult r = fitWith(scaling);
            if (!best || r.chiSquare < best->chiSquare)
                best = std::move(r);
        } catch (const FitError& e) {
            if (!firstError)
                firstError = e;
        }
    }
    if (!best)
        throw *firstError;
    return *best;
}

}  // namespace

struct LeastSquaresSolver::Workspace {
    gsl_multifit_nlinear_workspace* w = nullptr;
    gsl_vector* start = nullptr;
    gsl_vector* weights = nullptr;
    gsl_matrix* covariance = nullptr;
    std::size_t n = 0;
    std::size_t p = 0;
};

LeastSquaresSolver::LeastSquaresSolver(std::size_t points, std::size_t parameters, Scaling scaling)
    : m_workspace(new Workspace) {
    quietGsl();
    if (parameters == 0 || points <= parameters) {
        delete m_workspace;
        throw FitError(std::to_string(points) + " points are too few for " +
                       std::to_string(parameters) + " parameters: more are needed");
    }
    gsl_multifit_nlinear_parameters params = gsl_multifit_nlinear_default_parameters();
    params.trs = gsl_multifit_nlinear_trs_lm;
    // A long scan is solved through the normal equations, whose workspace is
    // p x p, not a QR copy of its n x p Jacobian; a short one by QR, the
    // more accurate.
    if (points > kNormalEquationsFrom)
        params.solver = gsl_multifit_nlinear_solver_cholesky;
    params.scale = scaling == Scaling::More ? gsl_multifit_nlinear_scale_more
                                            : gsl_multifit_nlinear_scale_levenberg;
    m_workspace->w =
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &params, points, parameters);
    m_workspace->start = gsl_vector_alloc(parameters);
    m_workspace->weights = gsl_vector_alloc(points);
    m_workspace->covariance = gsl_matrix_alloc(parameters, parameters);
    m_workspace->n = points;
    m_workspace->p = parameters;
    // With its error handler off GSL answers a failed allocation with null.
    if (!m_workspace->w || !m_workspace->start || !m_workspace->weights ||
        !m_workspace->covariance) {
        freeWorkspace(m_workspace);
        throw std::bad_alloc();
    }
}

LeastSquaresSolver::~LeastSquaresSolver() {
    freeWorkspace(m_workspace);
}

void LeastSquaresSolver::freeWorkspace(Workspace* ws) {
    if (ws->w)
        gsl_multifit_nlinear_free(ws->w);
    gsl_vector_free(ws->start);
    gsl_vector_free(ws->weights);
    gsl_matrix_free(ws->covariance);
    delete ws;
}

LeastSquaresResult LeastSquaresSolver::solve(const Model& model, std::span<const double> y,
                                             std::span<const double> weights,
                                             std::vector<double> start,
                                             const LeastSquaresOptions& options) {
    Workspace& ws = *m_workspace;
    if (y.size() != ws.n || start.size() != ws.p || model.parameters != ws.p ||
        (!weights.empty() && weights.size() != ws.n))
        throw std::logic_error("leastSquares: sizes of the model, data and start differ");
    for (std::size_t i = 0; i < ws.n; ++i) {
        const double w = weights.empty() ? 1.0 : weights[i];
        if (!(w > 0) || !std::isfinite(w))
            throw FitError("the weight of point " + std::to_string(i + 1) +
                           " is not a positive number");
        gsl_vector_set(ws.weights, i, w);
    }
    for (std::size_t j = 0; j < ws.p; ++j)
        gsl_vector_set(ws.start, j, start[j]);

    Call call{&model, y};
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = residuals;
    fdf.df = jacobian;
    fdf.n = ws.n;
    fdf.p = ws.p;
    fdf.params = &call;
    if (gsl_multifit_nlinear_winit(ws.start, ws.weights, &fdf, ws.w) != GSL_SUCCESS)
        throw FitError("the model cannot be evaluated at the starting values");
    int info = 0;
    const int status =
        gsl_multifit_nlinear_driver(static_cast<std::size_t>(options.maxIterations), 1e-12, 1e-12,
                                    1e-14, nullptr, nullptr, &info, ws.w);
    // GSL_ENOPROG: no step, however short, lowers chi^2 any more: Levenberg-
    // Marquardt's steps turn to the gradient as they shorten, so this is a
    // minimum to double precision.
    // GSL gives GSL_EMAXITER with info GSL_ENOPROG when not even the first
    // step lowers chi^2: the start is such a minimum already, as a start from
    // the linear fit of each Sigma can be.
    const bool noProgress =
        status == GSL_ENOPROG || (status == GSL_EMAXITER && info == GSL_ENOPROG);
    if (status != GSL_SUCCESS && !noProgress)
        throw FitError(status == GSL_EMAXITER
                           ? "the fit did not converge in " +
                                 std::to_string(options.maxIterations) + " iterations"
                           : std::string("the fit failed: ") + gsl_strerror(status));

    LeastSquaresResult r;
    const gsl_vector* x = gsl_multifit_nlinear_position(ws.w);
    const gsl_vector* f = gsl_multifit_nlinear_residual(ws.w);  // sqrt(w) (model - y)
    r.parameters.assign(x->data, x->data + ws.p);
    gsl_blas_ddot(f, f, &r.chiSquare);
    r.degreesOfFreedom = ws.n - ws.p;
    r.iterations = static_cast<int>(gsl_multifit_nlinear_niter(ws.w));
    if (!std::isfinite(r.chiSquare))
        throw FitError("the fit diverged");

    const gsl_matrix* j = gsl_multifit_nlinear_jac(ws.w);
    if (gsl_multifit_nlinear_covar(j, 0.0, ws.covariance) != GSL_SUCCESS)
        throw FitError("the parameters cannot be told apart: the problem is singular");
    const double scale = options.scaleByReducedChiSquare ? r.reducedChiSquare() : 1.0;
    r.covariance.resize(ws.p * ws.p);
    r.standardErrors.resize(ws.p);
    for (std::size_t a = 0; a < ws.p; ++a) {
        for (std::size_t b = 0; b < ws.p; ++b)
            r.covariance[a * ws.p + b] = gsl_matrix_get(ws.covariance, a, b) * scale;
        r.standardErrors[a] = std::sqrt(r.covariance[a * ws.p + a]);
        if (!std::isfinite(r.standardErrors[a]))
            throw FitError("the parameters cannot be told apart: the problem is singular");
    }
    r.residuals.resize(ws.n);
    for (std::size_t i = 0; i < ws.n; ++i)
        r.residuals[i] = -gsl_vector_get(f, i) / std::sqrt(gsl_vector_get(ws.weights, i));
    return r;
}

double LeastSquaresResult::correlation(std::size_t a, std::size_t b) const {
    const std::size_t p = parameters.size();
    return covariance[a * p + b] / std::sqrt(covariance[a * p + a] * covariance[b * p + b]);
}

LeastSquaresResult leastSquares(const Model& model, std::span<const double> y,
                                std::span<const double> weights, std::vector<double> start,
                                const LeastSquaresOptions& options) {
    // More's scaling does not depend on the parameters' units, but from a
    // poor start it can settle where one parameter no longer matters (a
    // plateau, as BoxBOD's from b = (1, 1)); Levenberg's plain scaling walks
    // off it. Both run, and the lower chi^2 wins.
    return lowerOfBothScalings([&](Scaling scaling) {
        LeastSquaresSolver solver(y.size(), model.parameters, scaling);
        return solver.solve(model, y, weights, start, options);
    });
}

namespace {

// J^T J, J^T r and chi^2 of a model at p, summed over its points.
struct NormalEquations {
    std::vector<double> jtj;  // p x p, row by row
    std::vector<double> jtr;
    double chiSquare = 0;
};

NormalEquations normalEquations(const PointModel& model, std::span<const double> p) {
    const std::size_t n = model.parameters;
    NormalEquations e{std::vector<double>(n * n), std::vector<double>(n), 0};
    std::vector<double> row(n);
    std::vector<std::size_t> nonzero;
    nonzero.reserve(n);
    for (std::size_t i = 0; i < model.points; ++i) {
        const double r = model.point(p, i, row);
        e.chiSquare += r * r;
        // A point depends on few of the parameters (Sigma and its scan's).
        nonzero.clear();
        for (std::size_t a = 0; a < n; ++a)
            if (row[a] != 0)
                nonzero.push_back(a);
        for (std::size_t a : nonzero) {
            e.jtr[a] += row[a] * r;
            for (std::size_t b : nonzero)
                if (b >= a)
                    e.jtj[a * n + b] += row[a] * row[b];
        }
    }
    for (std::size_t a = 0; a < n; ++a)
        for (std::size_t b = 0; b < a; ++b)
            e.jtj[a * n + b] = e.jtj[b * n + a];
    return e;
}

// The step of (J^T J + lambda D) step = J^T r, D diag(J^T J) by More's
// scaling or 1 by Levenberg's; none when the matrix is not positive
// definite.
std::optional<std::vector<double>> dampedStep(const NormalEquations& e, double lambda,
                                              Scaling scaling) {
    const std::size_t n = e.jtr.size();
    std::vector<double> a = e.jtj;
    for (std::size_t j = 0; j < n; ++j)
        a[j * n + j] +=
            lambda * (scaling == Scaling::More ? std::max(e.jtj[j * n + j], 1e-300) : 1.0);
    std::vector<double> step(n);
    gsl_matrix_view m = gsl_matrix_view_array(a.data(), n, n);
    gsl_vector_const_view b = gsl_vector_const_view_array(e.jtr.data(), n);
    gsl_vector_view x = gsl_vector_view_array(step.data(), n);
    if (gsl_linalg_cholesky_decomp1(&m.matrix) != GSL_SUCCESS ||
        gsl_linalg_cholesky_solve(&m.matrix, &b.vector, &x.vector) != GSL_SUCCESS)
        return std::nullopt;
    return step;
}

LeastSquaresResult byPoints(const PointModel& model, std::vector<double> p,
                            const LeastSquaresOptions& options, Scaling scaling) {
    const std::size_t n = model.parameters;
    NormalEquations e = normalEquations(model, p);
    if (!std::isfinite(e.chiSquare))
        throw FitError("the model cannot be evaluated at the starting values");
    double largest = 0;
    for (std::size_t j = 0; j < n; ++j)
        largest = std::max(largest, e.jtj[j * n + j]);
    double lambda = scaling == Scaling::More ? 1e-3 : 1e-3 * largest;
    int iterations = 0;
    // Steps that no longer lower chi^2 however short, or that change no
    // parameter beyond 1e-12 of itself, end at a minimum to double precision.
    for (bool done = false; !done;) {
        if (iterations == options.maxIterations)
            throw FitError("the fit did not converge in " + std::to_string(options.maxIterations) +
                           " iterations");
        ++iterations;
        const std::optional<std::vector<double>> step = dampedStep(e, lambda, scaling);
        std::vector<double> trial = p;
        bool small = true;
        for (std::size_t j = 0; step && j < n; ++j) {
            trial[j] += (*step)[j];
            small = small && std::fabs((*step)[j]) <= 1e-12 * (std::fabs(p[j]) + 1e-12);
        }
        NormalEquations t = step ? normalEquations(model, trial) : NormalEquations{};
        if (step && std::isfinite(t.chiSquare) && t.chiSquare <= e.chiSquare) {
            done = small || t.chiSquare == e.chiSquare;
            p = std::move(trial);
            e = std::move(t);
            lambda /= 10;
        } else {
            lambda = std::max(lambda * 10, 1e-300);
            done = small || lambda > 1e16 * std::max(largest, 1.0);
        }
    }

    LeastSquaresResult r;
    r.parameters = p;
    r.chiSquare = e.chiSquare;
    r.degreesOfFreedom = model.points - n;
    r.iterations = iterations;
    gsl_matrix_view m = gsl_matrix_view_array(e.jtj.data(), n, n);
    if (gsl_linalg_cholesky_decomp1(&m.matrix) != GSL_SUCCESS ||
        gsl_linalg_cholesky_invert(&m.matrix) != GSL_SUCCESS)
        throw FitError("the parameters cannot be told apart: the problem is singular");
    const double scale = options.scaleByReducedChiSquare ? r.reducedChiSquare() : 1.0;
    r.covariance.resize(n * n);
    r.standardErrors.resize(n);
    for (std::size_t a = 0; a < n; ++a) {
        for (std::size_t b = 0; b < n; ++b)
            r.covariance[a * n + b] = e.jtj[a * n + b] * scale;
        r.standardErrors[a] = std::sqrt(r.covariance[a * n + a]);
        if (!std::isfinite(r.standardErrors[a]))
            throw FitError("the parameters cannot be told apart: the problem is singular");
    }
    return r;
}

}  // namespace

LeastSquaresResult leastSquaresByPoints(const PointModel& model, std::vector<double> start,
                                        const LeastSquaresOptions& options) {
    quietGsl();
    if (model.parameters == 0 || model.points <= model.parameters ||
        start.size() != model.parameters)
        throw FitError(std::to_string(model.points) + " points are too few for " +
                       std::to_string(model.parameters) + " parameters: more are needed");
    // Both scalings, the lower chi^2 winning, as leastSquares does.
    return lowerOfBothScalings(
        [&](Scaling scaling) { return byPoints(model, start, options, scaling); });
}

}  // namespace fit
