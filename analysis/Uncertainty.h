// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Measurement.h"

namespace analysis {

enum class Distribution { Normal, Rectangular };

// "normal", "rectangular".
const char* distributionName(Distribution d);
// Case is ignored.
std::optional<Distribution> distributionByName(std::string_view name);

// The standard uncertainty of one input; a rectangular distribution has the
// half-width u sqrt(3).
struct InputUncertainty {
    double u = 0;
    Distribution distribution = Distribution::Normal;
    bool operator==(const InputUncertainty&) const = default;
};
using Uncertainties = std::array<InputUncertainty, kInputCount>;

// The largest standard uncertainty an input takes: the width of its range.
double uncertaintyLimit(Input input);

// One line of the uncertainty budget of z.
struct BudgetRow {
    Input input{};
    double value = 0;
    double u = 0;
    double sensitivity = 0;   // dz/dx
    double contribution = 0;  // |dz/dx| u
    double share = 0;         // of u(z)^2, 0 to 1
};

// The law of propagation of uncertainty to first order (JCGM 100), with
// sensitivity coefficients by central differences.
struct GumResult {
    Estimate estimate;            // at the entered values
    std::vector<BudgetRow> rows;  // one per input the model uses
    double uValence = 0;
    double uEffectiveValence = 0;
    double uGeMax = 0;
    // Under a model not linear in z: the inputs whose step up or down had
    // no valence (their sensitivity and u(z) are then not a number) or the
    // lower of two (both ends must take the same branch for a slope).
    std::vector<Input> stepsWithoutValence;
    std::vector<Input> stepsWithTwo;
};
// Under a model not linear in z, the steps of the temperature and the
// dielectric constant are solved afresh rather than from a table for each.
GumResult gumBudget(const Measurement& m, const Uncertainties& u);

// What a budget under a model not linear in z must say of its valences:
// none at the entered values or at a step, or the lower of two taken (at
// the entered values only where the value's own display does not say so);
// empty when every evaluation had one. Sentences, each ending in ".".
std::string valenceNote(const GumResult& g, bool twoAtTheValues = true);

// Mean, standard deviation and the probabilistically symmetric 95 %
// coverage interval of a Monte Carlo output.
struct Summary {
    double mean = 0;
    double sd = 0;
    double low = 0;
    double high = 0;
};

struct Histogram {
    double from = 0;   // the left edge of the first bin
    double width = 0;  // of each bin
    std::vector<std::int64_t> counts;
};

struct MonteCarloOptions {
    std::int64_t draws = 200000;
    std::uint64_t seed = 1;
    int threads = 0;  // 0: one per core
    bool operator==(const MonteCarloOptions&) const = default;
};
inline constexpr std::int64_t kMinDraws = 10000;
inline constexpr std::int64_t kMaxDraws = 10000000;

// The propagation of distributions (JCGM 101). Draw i takes its numbers from
// a stream that the seed and i alone determine, so the result is the same
// for any number of threads.
struct MonteCarloResult {
    std::int64_t draws = 0;
    // Values drawn outside their input's limits, and drawn again.
    std::int64_t rejected = 0;
    // Under a model not linear in z: the draws that had no valence, left
    // out of the three summaries, and those that had two, whose lower one
    // was taken.
    std::int64_t withoutValence = 0;
    std::int64_t twoValences = 0;
    Summary valence;
    Summary effectiveValence;
    Summary geMax;
    Histogram valenceHistogram;  // 0.1 % to 99.9 % of the draws of z
};

// Shared with a run on other threads: how far it got, and a request to stop.
struct MonteCarloControl {
    std::atomic<std::int64_t> done{0};
    std::atomic<bool> cancelled{false};
    // Called now and then from a worker thread while the run is going on.
    std::function<void()> progress;
};

// None when the run was cancelled. Throws when fewer than two draws had a
// valence. Under a model not linear in z the draws take its answers worked
// out ahead for their range (preparedFor), once per run.
std::optional<MonteCarloResult> monteCarlo(const Measurement& m, const Uncertainties& u,
                                           const MonteCarloOptions& options,
                                           MonteCarloControl* control = nullptr);

// What a run under a model not linear in z must say of its draws'
// valences, in a sentence; empty when every draw had one.
std::string valenceNote(const MonteCarloResult& r);

// The value rounded to that many significant digits, in the program's
// general number text ("0.253412", "1.5E-10").
std::string significantText(double value, int digits = 6);

// The coverage factor of the expanded uncertainty U = k u: about 95 %
// coverage for a normal distribution.
inline constexpr double kCoverageFactor = 2;

// The decimals of u rounded to two significant digits: 3 for 0.0196
// ("0.020"), -1 for 243 ("240").
int uncertaintyDecimals(double u);
// The value to that many decimals, as a result is quoted beside its
// uncertainty: "17.131", "0.020", "12340". A u of 0 or one that is not
// finite leaves the value in six significant digits.
std::string quotedText(double value, double u);

}  // namespace analysis
