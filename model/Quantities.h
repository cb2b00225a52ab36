// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ModelState.h"
#include "model/Outputs.h"

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

    bool entered() const { return low <= high; }
};

const QuantityInfo& quantityInfo(Quantity q);
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
