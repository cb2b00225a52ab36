// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModelState.h"
#include "model/Outputs.h"
#include "model/Sampling.h"

namespace model {

// Every quantity the program enters, derives or shows, in the main window's
// units. The inputs come first, in the order of quorvin-batch's columns.
enum class Quantity {
    Temperature,
    IonicStrength,
    Dielectric,
    StokesRadius,
    SaltIonRadius,
    Viscosity,
    EField,
    Current,
    Conductivity,
    XSection,
    Sigma,
    Mobility,
    Valence,
    EffectiveValence,
    RelativeViscosity,
    Zeta,
    Diffusion,
    Friction,
    ClosestApproach,
    InverseDebyeLength,
    Ka,
    HenryFunction,
    DhhSlope,
    GeMax,
};
inline constexpr int kQuantityCount = static_cast<int>(Quantity::GeMax) + 1;

// One row of the table of quantities.
struct QuantityInfo {
    Quantity quantity;
    const char* name;           // in files: quorvin-batch's column, "IonicStrength"
    const char* caption;        // "Ionic strength", as the analyses name it
    const char* windowCaption;  // the main window's label, where it differs
    const char* unit;           // UTF-8; empty for none
    const char* logUnit;        // the same in the log's plain letters
    // The unit beside the window's field: "^{...}" is raised ("cm^{-1}").
    const char* windowUnit;
    // The limits of its number entry; an entered quantity has low <= high.
    double low;
    double high;
    bool wholeNumber;              // stored truncated toward zero (z, z*)
    const char* startText;         // the text it starts with; empty when derived
    const char* pattern;           // how a derived value is shown; empty: FloatToStr
    std::optional<FieldId> field;  // its value field in the main window
    const char* help;              // quorvin-batch's description of the column
    bool column;                   // a column of quorvin-batch's input
    // Its place among the measured quantities z is computed from
    // (analysis::Input): the order of the uncertainty budget and of the
    // random numbers of a Monte Carlo draw, which a seed repeats; kNotMeasured
    // for the others.
    int measuredPlace;

    constexpr bool entered() const { return low <= high; }
    // Entered in the main window's field; Zeta is entered only in files and
    // its field shows the result.
    constexpr bool enteredInWindow() const { return entered() && field && *startText; }
};

namespace detail {
inline constexpr double kDerived = 1;  // low > high: not entered
inline constexpr double kNoHigh = 0;
// The valences stay within the graph's unit steps.
inline constexpr double kValenceLimit = static_cast<double>(kUnitStepLimit);
inline constexpr int kNotMeasured = -1;

// One row per quantity, in the order of Quantity. Limits, start-up texts and
// patterns stand here and nowhere else. It stands in the header so that the
// counts and places it gives are known when the program is compiled.
inline constexpr QuantityInfo kQuantities[kQuantityCount] = {
    {Quantity::Temperature, "Temperature", "Temperature", "Temperature", "\u00b0C", "C", "^{o}C", 0,
     100, false, "20.0", "", FieldId::TTxt, "temperature, C", true, 0},
    {Quantity::IonicStrength, "IonicStrength", "Ionic strength", "Ionic strength", "M", "M", "M",
     0.0001, 6.5, false, "0.10", "", FieldId::ITxt, "ionic strength, M", true, 1},
    {Quantity::Dielectric, "Dielectric", "Dielectric constant", "Dielectric", "", "", "", 1, 100,
     false, "78", "0.00", FieldId::DTxt, "dielectric constant", true, 2},
    {Quantity::StokesRadius, "StokesRadius", "Stokes radius", "Stokes radius", "nm", "nm", "nm",
     0.1, 1000, false, "2.90", "##0.0#", FieldId::RsTxt, "Stokes radius, nm", true, 5},
    {Quantity::SaltIonRadius, "SaltIonRadius", "Salt ion radius", "Salt ion radius", "nm", "nm",
     "nm", 0.05, 10, false, "0.127", "", FieldId::RiTxt, "salt ion radius, nm", true, 3},
    {Quantity::Viscosity, "Viscosity", "Viscosity", "Viscosity", "cP", "cP", "cP", 0.001, 10, false,
     "1", "0.000", FieldId::VTxt, "viscosity, centipoise", true, 4},
    {Quantity::EField, "EField", "E", "E", "V/cm", "V/cm", "V/cm", 1e-5, 100, false, "0.123",
     "#0.00#", FieldId::ETxt, "E entered directly, V/cm", true, 8},
    {Quantity::Current, "Current", "Current", "Current", "mA", "mA", "mA", 1e-7, 100, false, "0.18",
     "##0.00#", FieldId::CurrTxt, "current, mA", true, 9},
    {Quantity::Conductivity, "Conductivity", "Conductivity", "Conductivity", "mS/cm", "mS/cm",
     "mS/cm", 1e-6, 500, false, "19.2", "#0.00", FieldId::CondTxt, "conductivity, mS/cm", true, 10},
    {Quantity::XSection, "XSection", "Cuvette x-section", "Cuvette x-section", "cm\u00b2", "cm^2",
     "cm^{2}", 0.01, 1, false, "0.04", "0.0#", FieldId::XTxt, "cuvette cross-section, cm^2", true,
     11},
    {Quantity::Sigma, "Sigma", "Sigma", "Sigma", "cm\u207b\u00b9", "cm^-1", "cm^{-1}", 0, 300,
     false, "22.00", "##0.0##", FieldId::SigTxt, "steady-state Sigma, cm^-1", true, 12},
    {Quantity::Mobility, "Mobility", "Mobility", "Mobility", "10\u207b\u2074 cm\u00b2/(V s)",
     "10^-4 cm^2/(V s)", "x10^{-4} cm^{2}/V-s", 0.0001, 100, false, "1.20", "##0.0##",
     FieldId::MuTxt, "mobility, 10^-4 cm^2/(V s)", true, 13},
    {Quantity::Valence, "Valence", "z", "z", "", "", "", -kValenceLimit, kValenceLimit, true, "10",
     "###.00", FieldId::ZTxt, "z (stored as a whole number)", true, kNotMeasured},
    {Quantity::EffectiveValence, "EffectiveValence", "z*", "z*", "", "", "", -kValenceLimit,
     kValenceLimit, true, "22", "###.00", FieldId::ZstarTxt, "z* (stored as a whole number)", true,
     kNotMeasured},
    {Quantity::RelativeViscosity, "RelativeViscosity", "Relative viscosity of the buffer",
     "Relative viscosity", "", "", "", 0.5, 100, false, "1", "", std::nullopt,
     "buffer viscosity / water's", true, 14},
    // Measured as an instrument reports it and turned back into its mobility
    // (model/ZetaConversion); shown as the zeta potential of the valence.
    {Quantity::Zeta, "Zeta", "Zeta potential", "Zeta potential", "mV", "mV", "mV", -1000, 1000,
     false, "", "#0.00", FieldId::ZetaTxt, "zeta potential, mV", true, kNotMeasured},
    {Quantity::Diffusion, "Diffusion", "Diffusion coefficient", "Diffusion coefficient",
     "10\u207b\u2077 cm\u00b2/s", "10^-7 cm^2/s", "x10^{-7} cm^{2}/s", 0.001, 100, false, "",
     "##.0##", std::nullopt, "", false, 6},
    {Quantity::Friction, "Friction", "Frictional coefficient", "Frictional coefficient",
     "10\u207b\u2078 g/s", "10^-8 g/s", "x10^{-8} g/s", 0.1, 1000, false, "", "##.0##",
     std::nullopt, "", false, 7},
    // Results: the texts are placeholders that the first recalculation
    // replaces.
    {Quantity::ClosestApproach, "ClosestApproach", "Rs + Ri (a)", "Rs + Ri (a)", "nm", "nm", "nm",
     kDerived, kNoHigh, false, "0", "###0.0##", FieldId::ATxt, "", false, kNotMeasured},
    {Quantity::InverseDebyeLength, "InverseDebyeLength", "Inverse Debye length (K)",
     "Inverse Debye length (K)", "cm\u207b\u00b9", "cm^-1", "cm^{-1}", kDerived, kNoHigh, false,
     "0", "0.000E+00", FieldId::KTxt, "", false, kNotMeasured},
    {Quantity::Ka, "Ka", "Ka", "Ka", "", "", "", kDerived, kNoHigh, false, "0", "#0.0##",
     FieldId::KaTxt, "", false, kNotMeasured},
    {Quantity::HenryFunction, "HenryFunction", "Henry's function H(Ka)", "Henry's function H(Ka)",
     "", "", "", kDerived, kNoHigh, false, "0", "0.0000", FieldId::HTxt, "", false, kNotMeasured},
    {Quantity::DhhSlope, "DhhSlope", "DHH slope", "DHH slope", "", "", "", kDerived, kNoHigh, false,
     "0", "#0.00#", FieldId::DHHTxt, "", false, kNotMeasured},
    {Quantity::GeMax, "GeMax", "Ge(max)", "Ge(max)", "kJ/mol", "kJ/mol", "kJ/mol", kDerived,
     kNoHigh, false, "0", "#0.0##", FieldId::WTxt, "", false, kNotMeasured},
};

}  // namespace detail

using detail::kNotMeasured;

// The rows of the table, in the order of Quantity.
constexpr std::span<const QuantityInfo> quantityTable() {
    return detail::kQuantities;
}

constexpr const QuantityInfo& quantityInfo(Quantity q) {
    return detail::kQuantities[static_cast<int>(q)];
}
static_assert(
    [] {
        for (int i = 0; i < kQuantityCount; ++i)
            if (static_cast<int>(detail::kQuantities[i].quantity) != i)
                return false;
        return true;
    }(),
    "the table of quantities stands in the order of Quantity");
// The quantity a main window field shows.
Quantity quantityOf(FieldId field);
// Case is ignored: "ionicstrength" names IonicStrength.
std::optional<Quantity> quantityByName(std::string_view name);
// quorvin-batch's input columns after Sample, in order.
const std::vector<Quantity>& columnQuantities();

// The member of the model state that holds q.
double ModelState::*stateMember(Quantity q);

// The value of a start-up text.
double startValue(Quantity q);

// A raised or plain part of a unit as a window draws it.
struct UnitPart {
    std::string text;
    bool raised = false;
};
std::vector<UnitPart> unitParts(std::string_view windowUnit);

// Why the number entry refuses text for q, or nothing when it takes it: a
// character its filter does not admit, a text that is not a number, or a
// value outside the limits. The message starts with the quantity's name in
// files ("Temperature = 120 is not between 0 and 100"). When it takes it,
// value (if given) holds the value.
std::optional<std::string> entryError(Quantity q, const std::string& text, double* value = nullptr);

}  // namespace model
