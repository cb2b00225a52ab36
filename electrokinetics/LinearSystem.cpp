// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/LinearSystem.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace electrokinetics {

std::vector<double> solveLinear(std::vector<double> a, std::vector<double> b) {
    const size_t n = b.size();
    // The far-field solutions differ by many orders of magnitude at the
    // surface; scaling the columns keeps the pivoting meaningful.
    std::vector<double> scale(n, 0.0);
    for (size_t c = 0; c < n; ++c) {
        for (size_t r = 0; r < n; ++r) {
            scale[c] = std::max(scale[c], std::abs(a[r * n + c]));
        }
        if (!(scale[c] > 0) || !std::isfinite(scale[c])) {
            throw std::runtime_error("The surface conditions of the perturbation are singular.");
        }
        for (size_t r = 0; r < n; ++r) {
            a[r * n + c] /= scale[c];
        }
    }
    for (size_t k = 0; k < n; ++k) {
        size_t pivot = k;
        for (size_t r = k + 1; r < n; ++r) {
            if (std::abs(a[r * n + k]) > std::abs(a[pivot * n + k])) {
                pivot = r;
            }
        }
        if (a[pivot * n + k] == 0) {
            throw std::runtime_error("The surface conditions of the perturbation are singular.");
        }
        for (size_t c = 0; c < n; ++c) {
            std::swap(a[k * n + c], a[pivot * n + c]);
        }
        std::swap(b[k], b[pivot]);
        for (size_t r = k + 1; r < n; ++r) {
            const double f = a[r * n + k] / a[k * n + k];
            for (size_t c = k; c < n; ++c) {
                a[r * n + c] -= f * a[k * n + c];
            }
            b[r] -= f * b[k];
        }
    }
    std::vector<double> x(n);
    for (size_t k = n; k-- > 0;) {
        double s = b[k];
        for (size_t c = k + 1; c < n; ++c) {
            s -= a[k * n + c] * x[c];
        }
        x[k] = s / a[k * n + k];
    }
    for (size_t c = 0; c < n; ++c) {
        x[c] /= scale[c];
    }
    return x;
}

}  // namespace electrokinetics
