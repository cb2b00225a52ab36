// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace fit {

// A fit that could not be made: too few points, no convergence, a singular
// problem. The message says which, for a user.
class FitError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A model of n values in p parameters: evaluate(p, values, jacobian) sets
// values[i] to the model at point i and, when jacobian is not empty, the n x p
// derivatives row by row (jacobian[i * p + j] = d values[i] / d p[j]).
struct Model {
    std::size_t parameters = 0;
    std::function<void(std::span<const double> p, std::span<double> values,
                       std::span<double> jacobian)>
        evaluate;
};

struct LeastSquaresOptions {
    // Each parameter's standard error scaled by sqrt(chi^2 / (n - p)): for
    // weights known only up to a common factor (equal weights). Off when the
    // weights are 1/sd^2 of known standard deviations.
    bool scaleByReducedChiSquare = true;
    int maxIterations = 500;
};

struct LeastSquaresResult {
    std::vector<double> parameters;
    std::vector<double> standardErrors;
    std::vector<double> covariance;  // p x p, row by row, scaled as the errors are
    std::vector<double> residuals;   // y - model, unweighted
    double chiSquare = 0;            // sum of w (y - model)^2
    std::size_t degreesOfFreedom = 0;
    double reducedChiSquare() const { return chiSquare / static_cast<double>(degreesOfFreedom); }
    double correlation(std::size_t a, std::size_t b) const;
    int iterations = 0;
};

// Weighted nonlinear least squares: the parameters that minimise
// sum w_i (y_i - model_i)^2 from the start given, by the trust-region
// Levenberg-Marquardt method of the GNU Scientific Library
// (gsl_multifit_nlinear), with either scaling, the better of the two.
// weights may be empty for equal weights. Throws
// FitError when there are no more points than parameters, a weight is not
// positive, or the iteration does not converge.
LeastSquaresResult leastSquares(const Model& model, std::span<const double> y,
                                std::span<const double> weights, std::vector<double> start,
                                const LeastSquaresOptions& options = {});

// A problem of many points read one at a time, so that no n x p Jacobian is
// held: point(p, i, row) returns the weighted residual sqrt(w_i) (y_i -
// model_i) and sets row (p entries) to sqrt(w_i) d model_i / d p. The points
// are asked for in order, 0 to points - 1, again at every step.
struct PointModel {
    std::size_t points = 0;
    std::size_t parameters = 0;
    std::function<double(std::span<const double> p, std::size_t i, std::span<double> row)> point;
};

// Beyond this many points a fit is better made by leastSquaresByPoints:
// its memory does not grow with the points.
inline constexpr std::size_t kByPointsFrom = 20000;

// The same least squares for a long series of points, by Levenberg-
// Marquardt steps on the normal equations summed point by point (memory of
// p x p), the covariance their inverse at the minimum. The result's
// residuals are left empty: the model gives them. Throws FitError as
// leastSquares does.
LeastSquaresResult leastSquaresByPoints(const PointModel& model, std::vector<double> start,
                                        const LeastSquaresOptions& options = {});

// The scaling of the trust region: More's, by the Jacobian's columns, or
// Levenberg's, none.
enum class Scaling { More, Levenberg };

// One method of the two leastSquares tries; keeps its GSL workspace for
// many fits of the same size, as the Monte Carlo refits from a good start do.
class LeastSquaresSolver {
  public:
    LeastSquaresSolver(std::size_t points, std::size_t parameters, Scaling scaling = Scaling::More);
    ~LeastSquaresSolver();
    LeastSquaresSolver(const LeastSquaresSolver&) = delete;
    LeastSquaresSolver& operator=(const LeastSquaresSolver&) = delete;

    LeastSquaresResult solve(const Model& model, std::span<const double> y,
                             std::span<const double> weights, std::vector<double> start,
                             const LeastSquaresOptions& options = {});

  private:
    struct Workspace;
    static void freeWorkspace(Workspace* ws);
    Workspace* m_workspace;
};

}  // namespace fit
