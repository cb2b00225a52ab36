// SPDX-License-Identifier: GPL-3.0-or-later

#include "python/Models.h"

#include <pybind11/pybind11.h>

#include <algorithm>
#include <cctype>

#include "model/Electrostatics.h"

namespace pyquorvin {

namespace {

struct ModelName {
    Model model;
    const char* name;
};
constexpr ModelName kModels[] = {
    {Model::Dhh, "dhh"},
};

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

Model modelByName(const std::string& name) {
    std::string known;
    for (const ModelName& m : kModels) {
        if (lower(name) == m.name)
            return m.model;
        known += std::string(known.empty() ? "" : ", ") + "\"" + m.name + "\"";
    }
    throw pybind11::value_error("model = \"" + name + "\" is not one of " + known);
}

double henryFunction(Model model, double ka) {
    switch (model) {
        case Model::Dhh:
            break;
    }
    return model::CalcHenryFunction(ka);
}

}  // namespace pyquorvin
