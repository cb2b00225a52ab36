// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Uncertainty.h"
#include "model/Quantities.h"
#include "model/Sample.h"
#include "model/ZetaConversion.h"
#include "series/Headers.h"

namespace series {

// The result columns of a series and of quorvin-batch's output, named by
// resultColumnName().
struct ResultColumn {
    model::FieldId field;
    std::string name() const { return resultColumnName(field); }
};
inline constexpr std::array<ResultColumn, kResultFields.size()> kResultColumns = [] {
    std::array<ResultColumn, kResultFields.size()> c{};
    for (std::size_t i = 0; i < c.size(); ++i)
        c[i].field = kResultFields[i];
    return c;
}();

// Sigma and the mobility may be negative in a series (migration toward the
// anode): the main window's limits mirrored, and zero.
bool isSigned(model::Quantity q);

// Why a series refuses text for q, or nothing when it takes it (value, if
// given, then holds it): model::entryError with the signed measurements.
std::optional<std::string> valueError(model::Quantity q, const std::string& text,
                                      double* value = nullptr);

// Why the main window cannot open a value that a series takes, or nothing
// when it can.
std::optional<std::string> mainWindowRefusal(model::Quantity q, const std::string& text);

// Why a Model cell or option is refused: "Model = \"x\" is not one of dhh,
// henry, ohshima".
std::string modelRefusal(const std::string& text);

// The ion table's name of a Salt cell or option (name), or why it is
// refused: "Salt = \"x\" is not one of NaCl, ..., NaPi-<pH> for pH 5 to 9".
std::optional<std::string> saltRefusal(const std::string& text, std::string* name = nullptr);

// One row entered into the main window's start-up sample and evaluated
// once. A negative measurement goes in as its magnitude through the
// window's own rules and its sign is given to Sigma, the mobility, z* and z
// afterwards (Ge, even in z, keeps its value); a zero one enters Sigma = 0.
struct RowResult {
    std::array<std::string, kResultColumns.size()> texts;
    std::string error;
    std::optional<model::Sample> sample;        // after the pass, signed
    std::optional<model::ModelState> measured;  // the same with the magnitude
    int sign = 1;
    bool fromZeta = false;  // the mobility converted from a Zeta
    // Whether the pass would write a log entry (a row without entries
    // shows the start-up pass, which writes none).
    bool logEntry = false;
    bool ok() const { return error.empty(); }
};
// m: the electrokinetic model the window uses for the row. A Zeta goes in
// as the mobility the instrument measured, by its conversion zetaModel at
// the row's conditions (its solvent and Ka); without a conversion it is
// refused.
RowResult evaluateRow(const std::vector<model::Entry>& entries, bool water,
                      model::ElectrokineticModel m = model::ElectrokineticModel::Dhh,
                      const std::string& salt = "NaCl",
                      std::optional<model::ZetaModel> zetaModel = std::nullopt);

// Why a ZetaModel cell or option is refused: "ZetaModel = \"x\" is not one
// of smoluchowski, huckel, henry".
std::string zetaModelRefusal(const std::string& text);

// The standard uncertainty and distribution of input from the texts of its
// SD and Dist columns (each may be missing), or why they are refused. The
// message names the column (columnName "Temperature": "TemperatureSD = ...").
std::optional<std::string> inputUncertainty(analysis::Input input, const std::string& columnName,
                                            const std::string* sd, const std::string* dist,
                                            analysis::InputUncertainty& out);

// What the Monte Carlo run of an evaluated row needs, copied, so that it
// can go on away from the row.
struct RowDraws {
    analysis::Measurement measurement;
    analysis::Uncertainties u{};
    int sign = 1;
};
// The run's summaries of z and z* with the measurement's sign; none when
// it was cancelled through control.
std::optional<analysis::MonteCarloResult> rowMonteCarlo(const RowDraws& row,
                                                        const analysis::MonteCarloOptions& options,
                                                        analysis::MonteCarloControl* control = {});

// The uncertainty of z and z* of an evaluated row: the GUM's u and, with
// options, the Monte Carlo summaries, all with the measurement's sign; an
// error when the row measured nothing (it entered z or z*), or, under a
// model not linear in z, when the budget or the draws lack a valence.
struct RowUncertainty {
    double uValence = 0;
    double uEffectiveValence = 0;
    std::optional<analysis::MonteCarloResult> monteCarlo;
    std::optional<RowDraws> draws;  // without an error
    std::string error;
    // What the budget and the draws said of their valences (two, the lower
    // taken; draws without one left out), to be shown with the results.
    std::string notice;
};
RowUncertainty rowUncertainty(const RowResult& row, const analysis::Uncertainties& u,
                              const analysis::MonteCarloOptions* options);

}  // namespace series
