// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Quantities.h"
#include "platform/base/Csv.h"
#include "platform/base/MessageText.h"

namespace series {

// The records a series reads and writes (platform/base/Csv), by the names
// the series' code uses.
using platform::csvField;
using platform::CsvReader;
using platform::CsvRecord;
using platform::csvRecord;
using platform::Dialect;
using platform::dialectNumber;
using platform::HeaderName;
using platform::InputError;
using platform::programNumber;
using platform::quotedForMessage;
using platform::splitHeader;
using platform::trimmed;

// The result columns of a series and of quorvin-batch's output: the value
// fields whose texts they hold. A result whose quantity is also an input
// (E, Sigma, the mobility, z*, z, the viscosity, the dielectric constant) is
// named with "Result" after the quantity's name, "ValenceResult", so that
// it is never taken for the input; the others keep the quantity's name
// ("HenryFunction"). resultColumnName() is the one place of this scheme.
// New results go at the end, so that the columns of before keep their places.
inline constexpr std::array<model::FieldId, 14> kResultFields{
    model::FieldId::ATxt,   model::FieldId::KTxt,    model::FieldId::KaTxt,
    model::FieldId::HTxt,   model::FieldId::DHHTxt,  model::FieldId::ETxt,
    model::FieldId::SigTxt, model::FieldId::MuTxt,   model::FieldId::ZstarTxt,
    model::FieldId::ZTxt,   model::FieldId::WTxt,    model::FieldId::VTxt,
    model::FieldId::DTxt,   model::FieldId::ZetaTxt,
};
inline constexpr const char* kResultSuffix = "Result";
std::string resultColumnName(model::FieldId field);
// The index in kResultFields of the result that shows q; none when q is
// not a result.
std::optional<std::size_t> resultIndex(model::Quantity q);

// The uncertainty columns after the results, with SD columns: the series
// window's (u of z by the GUM, U = 2u, the Monte Carlo 95 % interval; the
// same for z*) and quorvin-batch's (with the Monte Carlo mean and standard
// deviation and the draws rejected).
inline constexpr std::array<const char*, 8> kSeriesUncertaintyNames{
    "ValenceGumU",         "ValenceExpandedU",     "ValenceLow",
    "ValenceHigh",         "EffectiveValenceGumU", "EffectiveValenceExpandedU",
    "EffectiveValenceLow", "EffectiveValenceHigh",
};
inline constexpr std::array<const char*, 11> kBatchUncertaintyNames{
    "ValenceGumU",          "ValenceMean",         "ValenceU",
    "ValenceLow",           "ValenceHigh",         "EffectiveValenceGumU",
    "EffectiveValenceMean", "EffectiveValenceU",   "EffectiveValenceLow",
    "EffectiveValenceHigh", "UncertaintyRejected",
};

// What a column of a file holds.
enum class HeaderRole {
    Sample,       // the label
    Solvent,      // "water" or empty
    Model,        // an electrokinetic model by name, or empty
    Salt,         // the salt of a model not linear in z by name, or empty
    ZetaModel,    // the conversion of a Zeta by name, or empty
    Setting,      // a series window's setting ("Setting:<key>"), first row only
    Input,        // a quantity entered, in its unit or one converted to it
    SD,           // an input's standard uncertainty, in the input's unit
    Dist,         // an input's distribution
    Result,       // a result Quorvin wrote (resultIndex)
    Uncertainty,  // an uncertainty result Quorvin wrote
    Error,        // the Error column Quorvin wrote
    Text,         // anything else (pH, a buffer, notes): kept as it came
};

struct Header {
    HeaderRole role = HeaderRole::Text;
    model::Quantity quantity{};  // Input, SD, Dist and Result
    std::size_t result = 0;      // Result: the index in kResultFields
    // A value in the file's unit times multiply / divide is the value in
    // the program's unit (IonicStrength in mM: divide 1000).
    double multiply = 1;
    double divide = 1;
    std::string unit;  // as the header gives it, trimmed
    bool converted() const { return multiply != 1 || divide != 1; }
};

// How a header is read: names match without regard to case, spaces, "_"
// and "-", under the quantity's name, its captions and common synonyms
// ("Ionic strength", "Electrophoretic mobility", "Temp", "Rs", "T", "I");
// the unit stands at the end in () or [] (nested parentheses allowed) in any
// of its usual spellings, and mM, µM, Å, µS/cm ... are converted. A header
// that names a quantity in a unit not taken, or that resembles a quantity
// without naming one (a near-miss, "Mobilty", "Sigma value"), is refused:
// refusal says why, without the place.
struct HeaderReading {
    Header header;
    std::string refusal;
};
HeaderReading readHeader(std::string_view text);

// The pieces of readHeader for readers of other columns (a scan's position
// and signal): a name as compared (lower case, without spaces, "_" and
// "-"), a unit as compared (superscripts, µ and ° in letters, without
// spaces, "*", "^" and brackets: "µm" and "um" alike, "cm⁻¹" and "cm^-1"),
// and the edit distance by which a near-miss of a name is told.
std::string headerKey(std::string_view name);
std::string unitKey(std::string_view unit);
std::size_t editDistance(std::string_view a, std::string_view b);

// The header row of a file, each column read by readHeader, with the
// columns Quorvin writes taken for what they are: from ClosestApproach to
// Error are results, also under their names of before the Result suffix.
// Throws InputError naming the line and column of a refused header, of a
// second column for the same quantity and role, and of an SD or Dist column
// whose quantity the file does not hold.
std::vector<Header> readHeaderRow(const CsvRecord& record);

// A value of a column in the program's unit (the dialect's decimal mark
// already replaced); text that is not a number is returned as it is.
std::string programUnitText(const std::string& number, const Header& header);

// The start-up values of the conditions a file with these columns leaves
// out, in a line: "Temperature 20.0 °C, SaltIonRadius 0.127 nm"; empty
// when it leaves out none.
std::string startUpText(const std::vector<model::Quantity>& conditions);

}  // namespace series
