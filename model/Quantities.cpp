// SPDX-License-Identifier: GPL-3.0-or-later

#include "model/Quantities.h"

#include <cctype>

#include "model/Sampling.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"

namespace model {

namespace {

constexpr double kDerived = 1;  // low > high: not entered
constexpr double kNoHigh = 0;
// The valences stay within the graph's unit steps.
constexpr double kValenceLimit = static_cast<double>(kUnitStepLimit);

// One row per quantity, in the order of Quantity. Limits, start-up texts and
// patterns stand here and nowhere else.
const QuantityInfo kQuantities[kQuantityCount] = {
    {Quantity::Temperature, "Temperature", "Temperature", "Temperature", "\u00b0C", "C", "^{o}C", 0,
     100, false, "20.0", "", FieldId::TTxt, "temperature, C", true},
    {Quantity::IonicStrength, "IonicStrength", "Ionic strength", "Ionic strength", "M", "M", "M",
     0.0001, 6.5, false, "0.10", "", FieldId::ITxt, "ionic strength, M", true},
    {Quantity::Dielectric, "Dielectric", "Dielectric constant", "Dielectric", "", "", "", 1, 100,
     false, "78", "0.00", FieldId::DTxt, "dielectric constant", true},
    {Quantity::StokesRadius, "StokesRadius", "Stokes radius", "Stokes radius", "nm", "nm", "nm",
     0.1, 1000, false, "2.90", "##0.0#", FieldId::RsTxt, "Stokes radius, nm", true},
    {Quantity::SaltIonRadius, "SaltIonRadius", "Salt ion radius", "Salt ion radius", "nm", "nm",
     "nm", 0.05, 10, false, "0.127", "", FieldId::RiTxt, "salt ion radius, nm", true},
    {Quantity::Viscosity, "Viscosity", "Viscosity", "Viscosity", "cP", "cP", "cP", 0.001, 10, false,
     "1", "0.000", FieldId::VTxt, "viscosity, centipoise", true},
    {Quantity::EField, "EField", "E", "E", "V/cm", "V/cm", "V/cm", 1e-5, 100, false, "0.123",
     "#0.00#", FieldId::ETxt, "E entered directly, V/cm", true},
    {Quantity::Current, "Current", "Current", "Current", "mA", "mA", "mA", 1e-7, 100, false, "0.18",
     "##0.00#", FieldId::CurrTxt, "current, mA", true},
    {Quantity::Conductivity, "Conductivity", "Conductivity", "Conductivity", "mS/cm", "mS/cm",
     "mS/cm", 1e-6, 500, false, "19.2", "#0.00", FieldId::CondTxt, "conductivity, mS/cm", true},
    {Quantity::XSection, "XSection", "Cuvette x-section", "Cuvette x-section", "cm\u00b2", "cm^2",
     "cm^{2}", 0.01, 1, false, "0.04", "0.0#", FieldId::XTxt, "cuvette cross-section, cm^2", true},
    {Quantity::Sigma, "Sigma", "Sigma", "Sigma", "cm\u207b\u00b9", "cm^-1", "cm^{-1}", 0, 300,
     false, "22.00", "##0.0##", FieldId::SigTxt, "steady-state Sigma, cm^-1", true},
    {Quantity::Mobility, "Mobility", "Mobility", "Mobility", "10\u207b\u2074 cm\u00b2/(V s)",
     "10^-4 cm^2/(V s)", "x10^{-4} cm^{2}/V-s", 0.0001, 100, false, "1.20", "##0.0##",
     FieldId::MuTxt, "mobility, 10^-4 cm^2/(V s)", true},
    {Quantity::Valence, "Valence", "z", "z", "", "", "", -kValenceLimit, kValenceLimit, true, "10",
     "###.00", FieldId::ZTxt, "z (stored as a whole number)", true},
    {Quantity::EffectiveValence, "EffectiveValence", "z*", "z*", "", "", "", -kValenceLimit,
     kValenceLimit, true, "22", "###.00", FieldId::ZstarTxt, "z* (stored as a whole number)", true},
    {Quantity::RelativeViscosity, "RelativeViscosity", "Relative viscosity of the buffer",
     "Relative viscosity", "", "", "", 0.5, 100, false, "1", "", std::nullopt,
     "buffer viscosity / water's", true},
    {Quantity::Diffusion, "Diffusion", "Diffusion coefficient", "Diffusion coefficient",
     "10\u207b\u2077 cm\u00b2/s", "10^-7 cm^2/s", "x10^{-7} cm^{2}/s", 0.001, 100, false, "",
     "##.0##", std::nullopt, "", false},
    {Quantity::Friction, "Friction", "Frictional coefficient", "Frictional coefficient",
     "10\u207b\u2078 g/s", "10^-8 g/s", "x10^{-8} g/s", 0.1, 1000, false, "", "##.0##",
     std::nullopt, "", false},
    // Results: the texts are placeholders that the first recalculation
    // replaces.
    {Quantity::ClosestApproach, "ClosestApproach", "Rs + Ri (a)", "Rs + Ri (a)", "nm", "nm", "nm",
     kDerived, kNoHigh, false, "0", "###0.0##", FieldId::ATxt, "", false},
    {Quantity::InverseDebyeLength, "InverseDebyeLength", "Inverse Debye length (K)",
     "Inverse Debye length (K)", "cm\u207b\u00b9", "cm^-1", "cm^{-1}", kDerived, kNoHigh, false,
     "0", "0.000E+00", FieldId::KTxt, "", false},
    {Quantity::Ka, "Ka", "Ka", "Ka", "", "", "", kDerived, kNoHigh, false, "0", "#0.0##",
     FieldId::KaTxt, "", false},
    {Quantity::HenryFunction, "HenryFunction", "Henry's function H(Ka)", "Henry's function H(Ka)",
     "", "", "", kDerived, kNoHigh, false, "0", "0.0000", FieldId::HTxt, "", false},
    {Quantity::DhhSlope, "DhhSlope", "DHH slope", "DHH slope", "", "", "", kDerived, kNoHigh, false,
     "0", "#0.00#", FieldId::DHHTxt, "", false},
    {Quantity::GeMax, "GeMax", "Ge(max)", "Ge(max)", "kJ/mol", "kJ/mol", "kJ/mol", kDerived,
     kNoHigh, false, "0", "#0.0##", FieldId::WTxt, "", false},
};

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

const QuantityInfo& quantityInfo(Quantity q) {
    return kQuantities[static_cast<int>(q)];
}

Quantity quantityOf(FieldId field) {
    for (const QuantityInfo& info : kQuantities)
        if (info.field == field)
            return info.quantity;
    throw platform::Exception(std::string("no quantity is shown in ") + fieldName(field));
}

std::optional<Quantity> quantityByName(std::string_view name) {
    const std::string wanted = lower(name);
    for (const QuantityInfo& info : kQuantities)
        if (lower(info.name) == wanted)
            return info.quantity;
    return std::nullopt;
}

const std::vector<Quantity>& columnQuantities() {
    static const std::vector<Quantity> columns = [] {
        std::vector<Quantity> c;
        for (const QuantityInfo& info : kQuantities)
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
