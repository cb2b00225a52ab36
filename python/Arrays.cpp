// SPDX-License-Identifier: GPL-3.0-or-later

// The Python part broadcasts the arguments; here every argument is a flat
// array of the result's size, or of one element that holds for all.

#include "python/Arrays.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Measurement.h"
#include "model/Electrostatics.h"
#include "model/Quantities.h"
#include "model/Solvent.h"
#include "platform/base/NumberText.h"
#include "python/Models.h"
#include "series/Row.h"

namespace py = pybind11;

namespace pyquorvin {

namespace {

using Array = py::array_t<double, py::array::c_style | py::array::forcecast>;

// One argument: its values, the same for every element when it has one.
struct Argument {
    const double* data = nullptr;
    std::size_t size = 1;
    double operator[](std::size_t i) const { return data[size == 1 ? 0 : i]; }
};

Argument argumentOf(const Array& a, std::size_t n) {
    const auto size = static_cast<std::size_t>(a.size());
    if (size != 1 && size != n)
        throw py::value_error("an argument has " + std::to_string(size) + " values for " +
                              std::to_string(n));
    return {a.data(), size};
}

// The first element outside the quantity's limits (the window's, mirrored
// for a signed measurement); NaN passes, as a missing value.
struct LimitCheck {
    model::Quantity quantity;
    int input = 0;
    std::optional<std::size_t> at;
    double value = 0;

    void check(double v, std::size_t i) {
        const model::QuantityInfo& info = model::quantityInfo(quantity);
        const double low = series::isSigned(quantity) ? -info.high : info.low;
        if (!(v < low || v > info.high) || at)
            return;
        at = i;
        value = v;
    }
    void raise() const {
        if (!at)
            return;
        const model::QuantityInfo& info = model::quantityInfo(quantity);
        const double low = series::isSigned(quantity) ? -info.high : info.low;
        throw py::value_error(std::string(info.name) + " = " + platform::FloatToStr(value) +
                              " is not between " + platform::FloatToStr(low) + " and " +
                              platform::FloatToStr(info.high) + " (element " + std::to_string(*at) +
                              ")");
    }
};

// The quantities of analysis::Estimate by the names the module gives them.
using EstimateMember = double analysis::Estimate::*;
const std::map<std::string, EstimateMember>& estimateMembers() {
    static const std::map<std::string, EstimateMember> members{
        {"stokes_radius", &analysis::Estimate::stokesRadius},
        {"diffusion", &analysis::Estimate::diffusion},
        {"e_field", &analysis::Estimate::eField},
        {"sigma", &analysis::Estimate::sigma},
        {"inverse_debye_length", &analysis::Estimate::inverseDebyeLength},
        {"ka", &analysis::Estimate::ka},
        {"henry_function", &analysis::Estimate::henry},
        {"dhh_slope", &analysis::Estimate::slope},
        {"effective_valence", &analysis::Estimate::effectiveValence},
        {"valence", &analysis::Estimate::valence},
        {"ge_max", &analysis::Estimate::geMax},
    };
    return members;
}

// The measurement model the given inputs make: the hydrodynamic quantity
// given, E from the current when that is given, Sigma from the mobility.
analysis::MeasurementModel measurementModel(const std::map<std::string, Array>& given, bool water) {
    analysis::MeasurementModel m;
    m.water = water;
    const auto has = [&](model::Quantity q) {
        return given.count(model::quantityInfo(q).name) > 0;
    };
    if (has(model::Quantity::Diffusion))
        m.hydrodynamic = model::Hydrodynamic::Diffusion;
    else if (has(model::Quantity::Friction))
        m.hydrodynamic = model::Hydrodynamic::Friction;
    m.fieldFromCurrent = has(model::Quantity::Current);
    m.fromMobility = has(model::Quantity::Mobility);
    return m;
}

// The model's relations on arrays, without display rounding: a negative
// Sigma or mobility is evaluated by its magnitude and gives its sign to
// Sigma, z* and z, as in a series.
std::vector<py::array_t<double>> estimate(const std::map<std::string, Array>& given, bool water,
                                          const std::vector<std::string>& outputs,
                                          const std::string& modelName, std::size_t n) {
    analysis::MeasurementModel m = measurementModel(given, water);
    m.electrokinetic = modelByName(modelName);
    // Their salt, and a z* that no valence or two give, are said per row by
    // the tables, not lost in an array.
    if (!model::electrokineticModelInfo(m.electrokinetic).henry)
        throw py::value_error("model = \"" + modelName +
                              "\" is not linear in z: its rows, with their salt, go through "
                              "quorvin.evaluate(table, model=..., salt=...)");
    std::vector<Argument> args(analysis::kInputCount);
    std::vector<double> startValues(analysis::kInputCount);
    std::vector<LimitCheck> checks;
    for (const auto& [name, array] : given) {
        const std::optional<model::Quantity> q = model::quantityByName(name);
        if (!q)
            throw py::value_error("no input is called " + name);
        // Never dropped: its conversion is a column's (quorvin.evaluate).
        if (*q == model::Quantity::Zeta)
            throw py::value_error(
                "Zeta is converted by a table's Zeta and ZetaModel columns (evaluate); here give "
                "the Mobility");
    }
    for (int i = 0; i < analysis::kInputCount; ++i) {
        const auto input = static_cast<analysis::Input>(i);
        const model::QuantityInfo& info = analysis::inputInfo(input);
        const auto found = given.find(info.name);
        if (found != given.end()) {
            args[i] = argumentOf(found->second, n);
            if (m.uses(input))
                checks.push_back(LimitCheck{info.quantity, i, std::nullopt, 0});
        } else {
            startValues[i] = *info.startText ? model::startValue(info.quantity) : 0;
            args[i] = {&startValues[i], 1};
        }
    }
    std::vector<EstimateMember> members;
    for (const std::string& name : outputs) {
        const auto found = estimateMembers().find(name);
        if (found == estimateMembers().end())
            throw py::value_error("no result is called " + name);
        members.push_back(found->second);
    }
    std::vector<py::array_t<double>> out;
    std::vector<double*> results;
    for (std::size_t k = 0; k < members.size(); ++k) {
        out.emplace_back(n);
        results.push_back(out.back().mutable_data());
    }
    {
        py::gil_scoped_release release;
        const int measured =
            static_cast<int>(m.fromMobility ? analysis::input(model::Quantity::Mobility)
                                            : analysis::input(model::Quantity::Sigma));
        analysis::InputValues x{};
        for (std::size_t e = 0; e < n; ++e) {
            for (int i = 0; i < analysis::kInputCount; ++i)
                x[i] = args[i][e];
            for (LimitCheck& c : checks)
                c.check(x[c.input], e);
            const bool negative = x[measured] < 0;
            x[measured] = std::fabs(x[measured]);
            analysis::Estimate r = analysis::evaluate(m, x);
            if (negative) {
                r.sigma = -r.sigma;
                r.effectiveValence = -r.effectiveValence;
                r.valence = -r.valence;
            }
            for (std::size_t k = 0; k < members.size(); ++k)
                results[k][e] = r.*members[k];
        }
    }
    for (const LimitCheck& c : checks)
        c.raise();
    return out;
}

// f over the values of one array, checked against the limits of q.
template <typename F>
py::array_t<double> mapped(const Array& values, std::optional<model::Quantity> q, F f) {
    const auto n = static_cast<std::size_t>(values.size());
    py::array_t<double> out(n);
    double* result = out.mutable_data();
    const double* in = values.data();
    LimitCheck check{q.value_or(model::Quantity::Temperature), 0, std::nullopt, 0};
    {
        py::gil_scoped_release release;
        for (std::size_t e = 0; e < n; ++e) {
            if (q)
                check.check(in[e], e);
            result[e] = f(in[e]);
        }
    }
    check.raise();
    return out;
}

py::array_t<double> henryFunctionOf(const Array& ka, const std::string& modelName) {
    const model::ElectrokineticModel m = modelByName(modelName);
    return mapped(ka, std::nullopt, [m](double v) { return henryFunction(m, v); });
}

py::array_t<double> dhhSlopeOf(const Array& ka, const std::string& modelName) {
    const model::ElectrokineticModel m = modelByName(modelName);
    return mapped(ka, std::nullopt,
                  [m](double v) { return model::dhhSlopeOf(henryFunction(m, v), v); });
}

}  // namespace

void defineArrays(py::module_& m) {
    m.def("estimate", &estimate,
          "The relations on flat arrays of inputs by quantity name; see quorvin.quantities.");
    m.def(
        "check_model", [](const std::string& name) { modelByName(name); },
        "ValueError unless the model has that name.");
    m.def("henry_function", &henryFunctionOf, "H(Ka) of the model on an array.");
    m.def("dhh_slope", &dhhSlopeOf, "H(Ka) / (1 + Ka) of the model on an array.");
    m.def(
        "water_viscosity",
        [](const Array& t) {
            return mapped(t, model::Quantity::Temperature, model::waterViscosity);
        },
        "Water's viscosity (cP) at each temperature.");
    m.def(
        "water_dielectric",
        [](const Array& t) {
            return mapped(t, model::Quantity::Temperature, model::waterDielectric);
        },
        "Water's dielectric constant at each temperature.");
}

}  // namespace pyquorvin
