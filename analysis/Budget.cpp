// SPDX-License-Identifier: GPL-3.0-or-later

// The GUM budget of z and the texts of an uncertainty: the names of the
// distributions, the digits of a value with its u, and what is said of the
// valences under a model not linear in z.

#include "analysis/Uncertainty.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <string_view>

#include "platform/base/NumberText.h"

namespace analysis {

const char* distributionName(Distribution d) {
    return d == Distribution::Normal ? "normal" : "rectangular";
}

std::optional<Distribution> distributionByName(std::string_view name) {
    for (Distribution d : {Distribution::Normal, Distribution::Rectangular}) {
        const std::string_view known = distributionName(d);
        if (name.size() == known.size() &&
            std::equal(name.begin(), name.end(), known.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == b;
            }))
            return d;
    }
    return std::nullopt;
}

std::string significantText(double value, int digits) {
    if (!std::isfinite(value))
        return platform::FloatToStr(value);
    const std::string pattern =
        "0." + std::string(static_cast<std::size_t>(digits - 1), '0') + "E+00";
    return platform::FloatToStr(platform::StrToFloat(platform::FormatFloat(pattern, value)));
}

int uncertaintyDecimals(double u) {
    const double rounded = platform::StrToFloat(significantText(std::abs(u), 2));
    return 1 - static_cast<int>(std::floor(std::log10(rounded)));
}

std::string quotedText(double value, double u) {
    if (!(u > 0) || !std::isfinite(u) || !std::isfinite(value))
        return significantText(value);
    const int decimals = uncertaintyDecimals(u);
    if (decimals > 0)
        return platform::FormatFloat("0." + std::string(static_cast<std::size_t>(decimals), '0'),
                                     value);
    const double step = std::pow(10.0, -decimals);
    return platform::FormatFloat("0", std::round(value / step) * step);
}

double uncertaintyLimit(Input input) {
    return inputInfo(input).high - inputInfo(input).low;
}

GumResult gumBudget(const Measurement& m, const Uncertainties& u) {
    GumResult g;
    const MeasurementModel model = preparedFor(m.model, m.values, m.values, m.values);
    g.estimate = evaluate(model, m.values);
    double varZ = 0;
    double varZstar = 0;
    double varGe = 0;
    for (Input input : m.model.inputs()) {
        const int i = static_cast<int>(input);
        const double x = m.values[i];
        const double ui = u[i].u;
        // A step of u at most (as JCGM 100 5.1.3 suggests) and at most 0.1 %
        // of the value: small enough for the curvature, large enough that
        // the model's iterative special functions do not add noise.
        double h = std::fabs(x) * 1e-3;
        if (ui > 0)
            h = h > 0 ? std::min(h, ui) : ui;
        if (!(h > 0))
            h = uncertaintyLimit(input) * 1e-6;
        InputValues up = m.values;
        InputValues down = m.values;
        up[i] = x + h;
        down[i] = x - h;
        const Estimate a = evaluate(model, up);
        const Estimate b = evaluate(model, down);
        if (a.solutions == model::Solutions::None || b.solutions == model::Solutions::None)
            g.stepsWithoutValence.push_back(input);
        else if (a.solutions == model::Solutions::TwoLowerTaken ||
                 b.solutions == model::Solutions::TwoLowerTaken)
            g.stepsWithTwo.push_back(input);
        BudgetRow row;
        row.input = input;
        row.value = x;
        row.u = ui;
        // An input that cancels has a sensitivity of exactly 0, not the
        // rounding noise of the difference quotient.
        const bool affects = m.model.affectsResults(input);
        row.sensitivity = affects ? (a.valence - b.valence) / (2 * h) : 0;
        row.contribution = std::fabs(row.sensitivity) * ui;
        varZ += row.contribution * row.contribution;
        const double cZstar = affects ? (a.effectiveValence - b.effectiveValence) / (2 * h) : 0;
        const double cGe = affects ? (a.geMax - b.geMax) / (2 * h) : 0;
        varZstar += cZstar * cZstar * ui * ui;
        varGe += cGe * cGe * ui * ui;
        g.rows.push_back(row);
    }
    g.uValence = std::sqrt(varZ);
    g.uEffectiveValence = std::sqrt(varZstar);
    g.uGeMax = std::sqrt(varGe);
    for (BudgetRow& row : g.rows)
        row.share = varZ > 0 ? row.contribution * row.contribution / varZ : 0;
    return g;
}

namespace {

std::string inputList(const std::vector<Input>& inputs) {
    std::string list;
    for (Input input : inputs)
        list += (list.empty() ? "" : ", ") + std::string(inputInfo(input).caption);
    return list;
}

}  // namespace

std::string valenceNote(const GumResult& g, bool twoAtTheValues) {
    const Estimate& e = g.estimate;
    const std::string zstar = significantText(e.effectiveValence);
    if (e.solutions == model::Solutions::None)
        return "No valence gives z* = " + zstar +
               " at the entered values: it is above the largest the model gives.";
    std::string note;
    if (e.solutions == model::Solutions::TwoLowerTaken && twoAtTheValues)
        note = "Two valences give z* = " + zstar + ": z = " + significantText(e.valence) +
               " and z = " + significantText(e.otherValence) + "; the lower taken.";
    if (!g.stepsWithoutValence.empty())
        note += std::string(note.empty() ? "" : " ") + "No valence at a step of " +
                inputList(g.stepsWithoutValence) + ": no sensitivity, and no u(z).";
    if (!g.stepsWithTwo.empty() && e.solutions == model::Solutions::One)
        note += std::string(note.empty() ? "" : " ") + "Two valences at a step of " +
                inputList(g.stepsWithTwo) + ": the lower taken.";
    return note;
}

std::string valenceNote(const MonteCarloResult& r) {
    std::string note;
    if (r.withoutValence > 0)
        note = std::to_string(r.withoutValence) + " of " + std::to_string(r.draws) +
               " draws had no valence and are left out of the results.";
    if (r.twoValences > 0)
        note += std::string(note.empty() ? "" : " ") + std::to_string(r.twoValences) + " of " +
                std::to_string(r.draws) + " draws had two valences: the lower taken.";
    return note;
}

}  // namespace analysis
