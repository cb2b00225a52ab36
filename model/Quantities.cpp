// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Quantities.h"

#include <cctype>

#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"

namespace model {

namespace {

bool admitsAll(const std::string& text) {
    std::string typed;
    for (char c : text) {
        if (!platform::numberEntryAdmits(typed, c, false))
            return false;
        typed += c;
    }
    return true;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

Quantity quantityOf(FieldId field) {
    for (const QuantityInfo& info : quantityTable())
        if (info.field == field)
            return info.quantity;
    throw platform::Exception(std::string("no quantity is shown in ") + fieldName(field));
}

std::optional<Quantity> quantityByName(std::string_view name) {
    const std::string wanted = lower(name);
    for (const QuantityInfo& info : quantityTable())
        if (lower(info.name) == wanted)
            return info.quantity;
    return std::nullopt;
}

const std::vector<Quantity>& columnQuantities() {
    static const std::vector<Quantity> columns = [] {
        std::vector<Quantity> c;
        for (const QuantityInfo& info : quantityTable())
            if (info.column)
                c.push_back(info.quantity);
        return c;
    }();
    return columns;
}

double ModelState::*stateMember(Quantity q) {
    using S = ModelState;
    // In the order of Quantity.
    static constexpr double S::*members[kQuantityCount] = {
        &S::Temperature,
        &S::IonicStrength,
        &S::Dielectric,
        &S::StokesRadius,
        &S::SaltIonRadius,
        &S::Viscosity,
        &S::EField,
        &S::Current,
        &S::Conductivity,
        &S::XSection,
        &S::Sigma,
        &S::Mobility,
        &S::Valence,
        &S::EffectiveValence,
        &S::RelativeViscosity,
        &S::Zeta,
        &S::Diffusion,
        &S::Friction,
        &S::ClosestApproach,
        &S::InverseDebyeLength,
        &S::Ka,
        &S::HenryFunction,
        &S::DhhSlope,
        &S::GeMax,
    };
    return members[static_cast<int>(q)];
}

double startValue(Quantity q) {
    return platform::StrToFloat(quantityInfo(q).startText);
}

std::vector<UnitPart> unitParts(std::string_view windowUnit) {
    std::vector<UnitPart> parts;
    while (!windowUnit.empty()) {
        const std::size_t raised = windowUnit.find("^{");
        if (raised != 0) {
            parts.push_back({std::string(windowUnit.substr(0, raised)), false});
            if (raised == std::string_view::npos)
                break;
            windowUnit.remove_prefix(raised);
        }
        const std::size_t end = windowUnit.find('}');
        parts.push_back({std::string(windowUnit.substr(2, end - 2)), true});
        windowUnit.remove_prefix(end == std::string_view::npos ? windowUnit.size() : end + 1);
    }
    return parts;
}

std::optional<std::string> entryError(Quantity q, const std::string& text, double* accepted) {
    const QuantityInfo& info = quantityInfo(q);
    const std::string quoted = std::string(info.name) + " = " + text;
    if (!admitsAll(text))
        return quoted + " cannot be typed as a number";
    double value = 0;
    try {
        value = platform::StrToFloat(text);
    } catch (const std::exception& e) {
        return quoted + ": " + e.what();
    }
    if (!(info.low <= value && value <= info.high))
        return quoted + " is not between " + platform::FloatToStr(info.low) + " and " +
               platform::FloatToStr(info.high);
    if (accepted)
        *accepted = value;
    return std::nullopt;
}

}  // namespace model
