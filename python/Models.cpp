// SPDX-License-Identifier: GPL-3.0-or-later

#include "python/Models.h"

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

namespace pyquorvin {

model::ElectrokineticModel modelByName(const std::string& name) {
    if (const std::optional<model::ElectrokineticModel> m = model::electrokineticModelByName(name))
        return *m;
    throw pybind11::value_error("model = \"" + name + "\" is not one of " +
                                model::electrokineticModelNames());
}

double henryFunction(model::ElectrokineticModel model, double ka) {
    const model::ElectrokineticModelInfo& info = model::electrokineticModelInfo(model);
    if (!info.henry)
        throw pybind11::value_error(std::string("model = \"") + info.name +
                                    "\" has no Henry's function");
    return info.henry(ka);
}

}  // namespace pyquorvin
