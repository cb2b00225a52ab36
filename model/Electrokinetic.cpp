// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Electrokinetic.h"

#include <cctype>
#include <cmath>
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
};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

const ElectrokineticModelInfo& electrokineticModelInfo(ElectrokineticModel m) {
    return kModels[static_cast<int>(m)];
}

std::optional<ElectrokineticModel> electrokineticModelByName(std::string_view name) {
    for (const ElectrokineticModelInfo& info : kModels)
        if (sameIgnoringCase(info.name, name))
            return info.model;
    return std::nullopt;
}

const char* electrokineticModelNames() {
    static const std::string names = [] {
        std::string s;
        for (const ElectrokineticModelInfo& info : kModels)
            s += (s.empty() ? "" : ", ") + std::string(info.name);
        return s;
    }();
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
