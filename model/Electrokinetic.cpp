// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Electrokinetic.h"

#include <cctype>
#include <cmath>
#include <stdexcept>
#include <string>

#include "model/Electrostatics.h"
#include "model/HenryExact.h"

namespace model {

namespace {

// One row per model, in the order of ElectrokineticModel.
constexpr ElectrokineticModelInfo kModels[kElectrokineticModelCount] = {
    {ElectrokineticModel::Dhh, "dhh", "DHH fit", CalcHenryFunction},
    {ElectrokineticModel::Henry, "henry", "Henry (exact)", henryExact},
    {ElectrokineticModel::Ohshima, "ohshima", "Ohshima (1994)", henryOhshima},
    {ElectrokineticModel::OhshimaRelaxation, "ohshima-relaxation", "Ohshima (2001)", nullptr},
    {ElectrokineticModel::Standard, "standard", "Standard model", nullptr},
};

NonlinearModel g_nonlinear[kElectrokineticModelCount] = {};

}  // namespace

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const ElectrokineticModelInfo& electrokineticModelInfo(ElectrokineticModel m) {
    return kModels[static_cast<int>(m)];
}

void registerNonlinearModel(ElectrokineticModel m, NonlinearModel functions) {
    if (electrokineticModelInfo(m).henry)
        throw std::logic_error("a model with a Henry's function has no solver to register");
    g_nonlinear[static_cast<int>(m)] = functions;
}

const NonlinearModel* nonlinearModel(ElectrokineticModel m) {
    const NonlinearModel& f = g_nonlinear[static_cast<int>(m)];
    return f.effectiveValence && f.valences ? &f : nullptr;
}

bool electrokineticModelAvailable(ElectrokineticModel m) {
    return electrokineticModelInfo(m).henry || nonlinearModel(m);
}

ElectrokineticModel nextElectrokineticModel(ElectrokineticModel m) {
    int i = static_cast<int>(m);
    do
        i = (i + 1) % kElectrokineticModelCount;
    while (!electrokineticModelAvailable(static_cast<ElectrokineticModel>(i)));
    return static_cast<ElectrokineticModel>(i);
}

std::optional<ElectrokineticModel> electrokineticModelByName(std::string_view name) {
    for (const ElectrokineticModelInfo& info : kModels)
        if (sameIgnoringCase(info.name, name) && electrokineticModelAvailable(info.model))
            return info.model;
    return std::nullopt;
}

const char* electrokineticModelNames() {
    // Rebuilt on each call: a solver registered at start-up adds its model.
    static thread_local std::string names;
    names.clear();
    for (const ElectrokineticModelInfo& info : kModels)
        if (electrokineticModelAvailable(info.model))
            names += (names.empty() ? "" : ", ") + std::string(info.name);
    return names.c_str();
}

double henryOhshima(double ka) {
    if (std::isnan(ka))
        return ka;
    // No screening: the small-Ka limit, as the program's own function gives.
    if (ka <= 0)
        return 1.0;
    const double delta = 2.5 / (1 + 2 * std::exp(-ka));
    const double t = 1 + delta / ka;
    return 1 + 1 / (2 * t * t * t);
}

}  // namespace model
