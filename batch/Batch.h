// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Uncertainty.h"
#include "model/ModelState.h"
#include "model/Outputs.h"
#include "model/Quantities.h"
#include "platform/base/Csv.h"
#include "series/Row.h"

namespace batch {

// A file that cannot be read as a table of samples.
using platform::InputError;

// A column of an input file: the label, a quantity of the table of
// quantities that is a column (QuantityInfo::column), the solvent ("water",
// or empty for the viscosity and dielectric constant as given) or the
// electrokinetic model by name (empty for the run's, --model).
class Column {
  public:
    enum class Word { Sample, Solvent, Model, Salt, ZetaModel };
    using enum Word;

    constexpr Column(Word word) : m_word(word) {}
    constexpr Column(model::Quantity quantity) : m_quantity(quantity) {}

    // The quantity it holds; none for the words.
    constexpr std::optional<model::Quantity> quantity() const { return m_quantity; }
    bool operator==(const Column&) const = default;

  private:
    Word m_word = Word::Sample;
    std::optional<model::Quantity> m_quantity;
};

// The columns in their order: the label, the table's columns in its order,
// the solvent, the model and the conversion of a Zeta (Salt, read beside the
// model, is not listed).
const std::vector<Column>& columns();
const char* columnName(Column column);
// Case is ignored: "ionicstrength" names IonicStrength.
std::optional<Column> columnByName(std::string_view name);

// One row: the label and each value as it is typed into the window. A value
// left out keeps the start-up value of the window. Beside a quantity's
// value, the texts of its standard uncertainty and distribution, if the file
// has them.
struct Sample {
    using Texts = std::array<std::optional<std::string>, model::kQuantityCount>;
    std::string label;
    Texts values;  // by quantity
    Texts sd;
    Texts dist;
    std::optional<std::string> solvent;
    std::optional<std::string> modelName;
    std::optional<std::string> salt;       // by the ion table's name
    std::optional<std::string> zetaModel;  // the conversion of a Zeta by name
    // The text of a column other than Sample.
    std::optional<std::string>& operator[](Column c);
    const std::optional<std::string>& operator[](Column c) const;
};

// The result columns of the output, those of a series.
using series::kResultColumns;
using series::ResultColumn;

// What the main window shows after the row's last pass; only the error when
// a value was refused.
struct Outcome {
    std::array<std::string, kResultColumns.size()> texts;
    std::string error;
    std::vector<std::string> lastEntry;      // the last log entry, if a pass wrote one
    std::optional<model::ModelState> state;  // the main window's, after the last pass
    // The evaluation, with a negative measurement's magnitude and sign.
    std::optional<series::RowResult> row;
    // What the user should know of the row beside it: under a model not
    // linear in z, the two valences of its z* (the lower taken).
    std::string notice;
    bool ok() const { return error.empty(); }
};

// A file that could not be written; the run stops.
class OutputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Enters the row's values into the main window's start-up sample the way a
// user does (series::evaluateRow on model::enterAll: the dielectric
// constant, ionic strength, salt ion radius and temperature, the Stokes
// radius and viscosity, the field, then Sigma or the mobility, which may be
// negative, or z or z*) and evaluates it once. A value outside its limits
// ends the row with an error naming it. With datFile set, a row without
// error is exported there as the window's .DAT command does; lastEntry is
// filled only with withLog.
// A row without a Model takes fallback, and without a ZetaModel
// zetaFallback (a Zeta without either is refused).
Outcome runSample(const Sample& sample, const std::filesystem::path& datFile = {},
                  bool withLog = true,
                  model::ElectrokineticModel fallback = model::ElectrokineticModel::Dhh,
                  const std::string& salt = "NaCl",
                  std::optional<model::ZetaModel> zetaFallback = std::nullopt);

class SequenceCharge;

struct BatchOutput {
    // Receives the output file in pieces; may be empty.
    std::function<void(std::string_view)> write;
    // Receives the fields of each output record before they are written,
    // with the row's outcome (none for the header); may be empty.
    std::function<void(const std::vector<std::string>&, const Outcome*)> record;
    // Receives each line of each row's last log entry; may be empty.
    std::function<void(const std::string&)> logLine;
    // Where the .DAT files go; empty for none.
    std::filesystem::path datDir;
    // When set, where the .DAT file of a row (counted from 1) with its label
    // is written instead (a staging place, see batch/RunFiles).
    std::function<std::filesystem::path(std::size_t row, const std::string& label)> datPath;
    // For the uncertainty columns of a file with SD columns.
    analysis::MonteCarloOptions monteCarlo;
    // With a sequence (--sequence): its charge columns for a file with pH.
    const SequenceCharge* sequence = nullptr;
    // The model of the rows without a Model of their own.
    model::ElectrokineticModel electrokinetic = model::ElectrokineticModel::Dhh;
    // The salt of the models not linear in z (--salt).
    std::string salt = "NaCl";
    // The conversion of a Zeta in the rows without a ZetaModel (--zeta-model).
    std::optional<model::ZetaModel> zetaModel;
    // Receives what the user should know beside the output, a line each: a
    // result the file held that the calculation does not give, and once,
    // the conditions taken from the start-up values; may be empty.
    std::function<void(const std::string&)> notice;
};

struct BatchSummary {
    std::size_t rows = 0;
    std::size_t failedRows = 0;
};

// Reads the rows one at a time, runs each and writes its output row at
// once, so that memory stays the same however long the file is. The columns
// are read by series::readHeaderRow; the output has the label, the input
// columns and the columns the program does not know, as they came, then the
// results (series::resultColumnName), in the file's dialect. Results the
// file holds are calculated again and compared (notice). A file without any
// of Sigma, Mobility, Valence, EffectiveValence and Zeta is refused, and a row
// that leaves them empty reports an error. Throws
// platform::InputError for a file that is not a valid table of numbers (the message
// names the line and column) and OutputError when a .DAT file cannot be
// written.
BatchSummary runBatch(std::istream& in, const BatchOutput& out);

// The .DAT file name of a data row (counted from 1): "3.DAT", or with a
// label "3-NaCl_0.05M.DAT"; characters that do not belong in a file name
// become "_". A name longer than maxBytes has its label cut (at a
// character's start) to fit; the row number keeps it unique.
std::string datFileName(std::size_t row, const std::string& label, std::size_t maxBytes = 255);

}  // namespace batch
