// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/Batch.h"

#include <algorithm>
#include <cctype>

#include "batch/BatchCharge.h"
#include "batch/BatchUncertainty.h"
#include "log/LogEntry.h"
#include "model/Evaluation.h"
#include "model/FieldTable.h"
#include "model/InputRule.h"
#include "model/Recalculate.h"
#include "model/Sample.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"
#include "series/Settings.h"

namespace batch {

using platform::CsvReader;
using platform::CsvRecord;
using platform::InputError;
using platform::quotedForMessage;
using platform::trimmed;

namespace {

void exportDat(const model::ModelState& s, const std::filesystem::path& datFile) {
    std::string data;
    for (const std::string& line : model::datLines(s))
        data += line + "\r\n";
    try {
        platform::replaceFile(datFile, data);
    } catch (const std::exception& e) {
        throw OutputError(e.what());
    }
}

struct Layout {
    // Per field of a record; none for a column not entered (text, results).
    std::vector<std::optional<ColumnRef>> columns;
    std::vector<series::Header> headers;
    // The fields the output copies after Sample: all but the results Quorvin
    // writes, in file order.
    std::vector<std::size_t> passed;
    std::vector<std::string> passedHeaders;
    bool uncertainty = false;              // some SD column
    std::vector<model::Quantity> startUp;  // conditions without a column
};

std::optional<ColumnRef> columnRefOf(const series::Header& h) {
    using series::HeaderRole;
    switch (h.role) {
        case HeaderRole::Sample:
            return ColumnRef{Column::Sample};
        case HeaderRole::Solvent:
            return ColumnRef{Column::Solvent};
        case HeaderRole::Model:
            return ColumnRef{Column::Model};
        case HeaderRole::Salt:
            return ColumnRef{Column::Salt};
        case HeaderRole::ZetaModel:
            return ColumnRef{Column::ZetaModel};
        case HeaderRole::Input:
        case HeaderRole::SD:
        case HeaderRole::Dist:
            break;
        default:
            return std::nullopt;
    }
    return ColumnRef{h.quantity, h.role == HeaderRole::SD     ? ColumnRole::SD
                                 : h.role == HeaderRole::Dist ? ColumnRole::Dist
                                                              : ColumnRole::Value};
}

// Why a row's (or a file's) inputs cannot stand together.
std::optional<std::string> conflictText(const std::vector<model::Quantity>& given,
                                        const std::string& whose) {
    const std::optional<model::InputConflict> c = model::inputConflict(given);
    if (!c)
        return std::nullopt;
    const std::string first = model::quantityInfo(c->first).name;
    const std::string second = model::quantityInfo(c->second).name;
    switch (c->kind) {
        case model::InputConflict::Kind::Chain:
            return "the " + whose + " " + first + " and " + second +
                   " cannot both be given: " + c->reason();
        case model::InputConflict::Kind::FieldTwice:
            return c->reason();
        case model::InputConflict::Kind::FieldIncomplete:
            break;
    }
    return c->reason() + "; give all three " + whose;
}

bool chainGiven(const std::vector<model::Quantity>& given) {
    return std::any_of(given.begin(), given.end(), [](model::Quantity q) {
        return std::find(model::kValenceChain.begin(), model::kValenceChain.end(), q) !=
               model::kValenceChain.end();
    });
}

Layout readHeader(const CsvRecord& header) {
    Layout layout;
    layout.headers = series::readHeaderRow(header);
    std::vector<model::Quantity> given;
    bool solvent = false;
    for (std::size_t i = 0; i < layout.headers.size(); ++i) {
        const series::Header& h = layout.headers[i];
        const std::optional<ColumnRef> c = columnRefOf(h);
        layout.columns.push_back(c);
        const bool result = h.role == series::HeaderRole::Result ||
                            h.role == series::HeaderRole::Uncertainty ||
                            h.role == series::HeaderRole::Error;
        // A series window's settings are neither entered nor passed through.
        if (!result && h.role != series::HeaderRole::Sample &&
            h.role != series::HeaderRole::Setting) {
            layout.passed.push_back(i);
            layout.passedHeaders.push_back(header.fields[i]);
        }
        if (h.role == series::HeaderRole::Input)
            given.push_back(h.quantity);
        solvent = solvent || h.role == series::HeaderRole::Solvent;
        layout.uncertainty = layout.uncertainty || h.role == series::HeaderRole::SD;
    }
    const std::string line = "line " + std::to_string(header.line);
    if (auto error = conflictText(given, "columns"))
        throw InputError(line + ": " + *error);
    if (!chainGiven(given))
        throw InputError(
            line +
            ": the file has none of the columns Sigma, Mobility, Valence, "
            "EffectiveValence and Zeta; every row would be calculated from the start-up "
            "Sigma " +
            model::quantityInfo(model::Quantity::Sigma).startText);
    layout.startUp = model::startUpConditions(given, solvent);
    return layout;
}

void emit(const BatchOutput& out, const std::vector<std::string>& fields, const Outcome* outcome,
          const platform::Dialect& dialect) {
    if (out.record)
        out.record(fields, outcome);
    if (out.write)
        out.write(csvRecord(fields, dialect));
}

bool fileNameCharacter(unsigned char c) {
    return std::isalnum(c) || c == '.' || c == '-' || c == '_' || c >= 0x80;
}

}  // namespace

const std::vector<Column>& columns() {
    static const std::vector<Column> all = [] {
        std::vector<Column> c{Column::Sample};
        c.insert(c.end(), model::columnQuantities().begin(), model::columnQuantities().end());
        c.push_back(Column::Solvent);
        c.push_back(Column::Model);
        c.push_back(Column::ZetaModel);
        return c;
    }();
    return all;
}

const char* columnName(Column column) {
    if (const std::optional<model::Quantity> q = column.quantity())
        return model::quantityInfo(*q).name;
    if (column == Column::Sample)
        return "Sample";
    if (column == Column::Salt)
        return "Salt";
    if (column == Column::ZetaModel)
        return "ZetaModel";
    return column == Column::Solvent ? "Solvent" : "Model";
}

std::optional<Column> columnByName(std::string_view name) {
    for (const Column c : columns()) {
        const std::string_view known = columnName(c);
        if (known.size() == name.size() &&
            std::equal(known.begin(), known.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return c;
    }
    return std::nullopt;
}

std::optional<std::string>& Sample::operator[](Column c) {
    return const_cast<std::optional<std::string>&>(std::as_const(*this)[c]);
}

const std::optional<std::string>& Sample::operator[](Column c) const {
    if (const std::optional<model::Quantity> q = c.quantity())
        return values[static_cast<std::size_t>(*q)];
    if (c == Column::Solvent)
        return solvent;
    if (c == Column::Model)
        return modelName;
    if (c == Column::Salt)
        return salt;
    if (c == Column::ZetaModel)
        return zetaModel;
    throw std::logic_error("the label of a sample is its label");
}

// Under a model not linear in z: the error of a z* that no valence gives,
// or into notice the two valences of one (the lower taken).
std::string solutionsNotice(const model::ModelState& s, std::string& notice) {
    if (s.ValenceSolutions == model::Solutions::None)
        return model::solutionsText(s);
    notice = model::solutionsText(s);
    return {};
}

Outcome runSample(const Sample& sample, const std::filesystem::path& datFile, bool withLog,
                  model::ElectrokineticModel fallback, const std::string& salt,
                  std::optional<model::ZetaModel> zetaFallback) {
    Outcome outcome;
    std::vector<model::Entry> entries;
    for (const model::Quantity q : model::columnQuantities())
        if (const std::optional<std::string>& text = sample[q])
            entries.push_back({q, *text});
    model::ElectrokineticModel ek = fallback;
    if (const std::optional<std::string>& name = sample.modelName) {
        const std::optional<model::ElectrokineticModel> m = model::electrokineticModelByName(*name);
        if (!m) {
            outcome.error = series::modelRefusal(*name);
            return outcome;
        }
        ek = *m;
    }
    // Only the models not linear in z read the salt: under the others a Salt
    // column is a note, as it always was.
    std::string saltName = salt;
    if (const std::optional<std::string>& name = sample.salt;
        name && !model::electrokineticModelInfo(ek).henry) {
        if (auto refusal = series::saltRefusal(*name, &saltName)) {
            outcome.error = std::move(*refusal);
            return outcome;
        }
    }
    std::optional<model::ZetaModel> zetaModel = zetaFallback;
    if (const std::optional<std::string>& name = sample.zetaModel) {
        zetaModel = model::zetaModelByName(*name);
        if (!zetaModel) {
            outcome.error = series::zetaModelRefusal(*name);
            return outcome;
        }
    }
    bool water = false;
    if (const std::optional<std::string>& solvent = sample.solvent) {
        std::string lower = *solvent;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower != "water") {
            outcome.error = "Solvent = " + quotedForMessage(*solvent) + " is not water";
            return outcome;
        }
        water = true;
    }
    series::RowResult row;
    try {
        row = series::evaluateRow(entries, water, ek, saltName, zetaModel);
    } catch (const std::invalid_argument& e) {
        // A model not linear in z refuses conditions it does not hold for
        // (an asymmetric salt under Ohshima's approximation): the row's error.
        if (model::electrokineticModelInfo(ek).henry)
            throw;
        outcome.error = e.what();
        return outcome;
    }
    if (!row.ok()) {
        outcome.error = std::move(row.error);
        return outcome;
    }
    if (!model::electrokineticModelInfo(ek).henry) {
        if (std::string error = solutionsNotice(row.sample->state, outcome.notice);
            !error.empty()) {
            outcome.error = std::move(error);
            return outcome;
        }
    }
    // The entry the pass writes, with the values the row shows.
    if (row.logEntry && withLog) {
        model::LineList lines;
        calclog::WriteLogEntry(row.sample->state, row.sample->fields, lines);
        outcome.lastEntry = std::move(lines).lines();
    }
    outcome.texts = row.texts;
    outcome.state = row.sample->state;
    if (!datFile.empty())
        exportDat(row.sample->state, datFile);
    outcome.row = std::move(row);
    return outcome;
}

std::string datFileName(std::size_t row, const std::string& label, std::size_t maxBytes) {
    std::string name = std::to_string(row);
    if (!label.empty()) {
        name += '-';
        for (unsigned char c : label)
            name += fileNameCharacter(c) ? static_cast<char>(c) : '_';
    }
    constexpr std::size_t kExtension = 4;  // ".DAT"
    if (name.size() + kExtension > maxBytes) {
        std::size_t cut = std::max(maxBytes, std::to_string(row).size() + kExtension) - kExtension;
        // UTF-8 continuation bytes are 10xxxxxx: a name ends before a character.
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
        if (name.back() == '-')
            name.pop_back();
    }
    return name + ".DAT";
}

BatchSummary runBatch(std::istream& in, const BatchOutput& out) {
    CsvReader reader(in);
    CsvRecord record;
    if (!reader.next(record))
        throw InputError("line 1: the input is empty; it needs a header row naming the columns");
    const platform::Dialect dialect{reader.dialect().separator, reader.dialect().decimal};
    const Layout layout = readHeader(record);

    std::vector<std::string> header{"Sample"};
    header.insert(header.end(), layout.passedHeaders.begin(), layout.passedHeaders.end());
    for (const ResultColumn& r : kResultColumns)
        header.push_back(r.name());
    if (layout.uncertainty)
        header.insert(header.end(), kUncertaintyColumns.begin(), kUncertaintyColumns.end());
    std::optional<std::size_t> phField;
    if (out.sequence) {
        phField = SequenceCharge::phField(record);
        header.insert(header.end(), SequenceCharge::columnNames().begin(),
                      SequenceCharge::columnNames().end());
    }
    header.push_back("Error");
    emit(out, header, nullptr, dialect);

    BatchSummary summary;
    // The rows that left each condition empty, and so took its start-up value.
    std::array<std::size_t, model::kQuantityCount> emptyRows{};
    std::vector<std::string> row;
    while (reader.next(record)) {
        if (record.fields.size() != layout.columns.size())
            throw InputError("line " + std::to_string(record.line) + ": " +
                             std::to_string(record.fields.size()) + " fields, but the header has " +
                             std::to_string(layout.columns.size()));
        Sample sample;
        std::vector<model::Quantity> given;
        for (std::size_t i = 0; i < record.fields.size(); ++i) {
            if (!layout.columns[i])
                continue;
            const Column c = layout.columns[i]->column;
            const ColumnRole role = layout.columns[i]->role;
            if (c == Column::Sample) {
                sample.label = record.fields[i];
                continue;
            }
            std::string text = trimmed(record.fields[i]);
            const std::optional<model::Quantity> q = c.quantity();
            if (text.empty()) {
                if (role == ColumnRole::Value && q)
                    ++emptyRows[static_cast<std::size_t>(*q)];
                continue;  // keeps the start-up value; no uncertainty
            }
            if (!q) {
                sample[c] = std::move(text);  // a word, not a number
                continue;
            }
            const auto at = static_cast<std::size_t>(*q);
            if (role == ColumnRole::Dist) {
                sample.dist[at] = std::move(text);
                continue;
            }
            std::string number = platform::programNumber(text, dialect);
            try {
                platform::StrToFloat(number);
            } catch (const platform::EConvertError&) {
                throw InputError("line " + std::to_string(record.line) + ", column " +
                                 std::to_string(i + 1) + " (" + columnName(c) +
                                 (role == ColumnRole::SD ? "SD" : "") +
                                 "): " + quotedForMessage(text) + " is not a number");
            }
            number = series::programUnitText(number, layout.headers[i]);
            if (role == ColumnRole::Value)
                given.push_back(*q);
            (role == ColumnRole::SD ? sample.sd[at] : sample[c]) = std::move(number);
        }
        ++summary.rows;
        const std::filesystem::path dat =
            out.datPath          ? out.datPath(summary.rows, sample.label)
            : out.datDir.empty() ? std::filesystem::path()
                                 : out.datDir / datFileName(summary.rows, sample.label);
        Outcome outcome;
        // An empty field may leave the row without a measurement, or with a
        // part of the current's three: not filled from the start-up values.
        if (auto error = conflictText(given, "fields"))
            outcome.error = *error;
        else if (!chainGiven(given))
            outcome.error =
                "the row gives none of Sigma, Mobility, Valence, EffectiveValence and Zeta, "
                "and is not calculated from the start-up Sigma " +
                std::string(model::quantityInfo(model::Quantity::Sigma).startText);
        else
            outcome = runSample(sample, dat, static_cast<bool>(out.logLine), out.electrokinetic,
                                out.salt, out.zetaModel);
        if (!outcome.notice.empty() && out.notice)
            out.notice("row " + std::to_string(summary.rows) + ": " + outcome.notice);
        UncertaintyOutcome uncertainty;
        if (layout.uncertainty && outcome.ok()) {
            uncertainty = analyseSample(*outcome.row, sample, out.monteCarlo);
            if (!uncertainty.notice.empty() && out.notice)
                out.notice("row " + std::to_string(summary.rows) + ": " + uncertainty.notice);
            // A refused uncertainty fails the row as a refused value does.
            if (!uncertainty.error.empty())
                outcome = Outcome{{}, uncertainty.error, {}, {}, {}, {}};
        }
        SequenceCharge::RowTexts charges;
        if (out.sequence) {
            charges = out.sequence->row(record.fields[*phField], dialect, outcome);
            if (!charges.error.empty())
                outcome = Outcome{{}, charges.error, {}, {}, {}, {}};
        }
        if (!outcome.ok())
            ++summary.failedRows;
        // The results the file held are compared, never taken.
        for (std::size_t i = 0; i < layout.headers.size() && out.notice; ++i) {
            const series::Header& h = layout.headers[i];
            if (h.role != series::HeaderRole::Result)
                continue;
            const std::string said = platform::programNumber(trimmed(record.fields[i]), dialect);
            const std::string& now = outcome.texts[h.result];
            if (said != now)
                out.notice("line " + std::to_string(record.line) + ": " +
                           kResultColumns[h.result].name() + ": the file says " +
                           quotedForMessage(record.fields[i]) +
                           "; calculated: " + (now.empty() ? std::string("none") : now));
        }

        row.assign(1, sample.label);
        for (std::size_t i : layout.passed)
            row.push_back(record.fields[i]);
        for (const std::string& text : outcome.texts)
            row.push_back(platform::dialectNumber(text, dialect));
        if (layout.uncertainty)
            for (const std::string& text : uncertainty.texts)
                row.push_back(platform::dialectNumber(text, dialect));
        if (out.sequence)
            row.insert(row.end(), charges.texts.begin(), charges.texts.end());
        row.push_back(outcome.error);
        emit(out, row, &outcome, dialect);
        if (out.logLine)
            for (const std::string& line : outcome.lastEntry)
                out.logLine(line);
    }
    if (out.notice) {
        std::string taken;
        // The run's model not linear in z takes no salt ion radius.
        const bool pointIons = !model::electrokineticModelInfo(out.electrokinetic).henry;
        for (model::Quantity q : layout.startUp)
            if (!(pointIons && q == model::Quantity::SaltIonRadius))
                taken += (taken.empty() ? "" : ", ") + series::startUpText({q}) + " (no column)";
        for (int i = 0; i < model::kQuantityCount; ++i)
            if (const std::size_t n = emptyRows[static_cast<std::size_t>(i)]) {
                const auto q = static_cast<model::Quantity>(i);
                if (std::find(model::kValenceChain.begin(), model::kValenceChain.end(), q) !=
                    model::kValenceChain.end())
                    continue;  // such a row is refused, not filled
                taken += (taken.empty() ? "" : ", ") + series::startUpText({q}) + " (empty in " +
                         std::to_string(n) + (n == 1 ? " row)" : " rows)");
            }
        if (!taken.empty())
            out.notice("taken from the start-up values: " + taken);
    }
    return summary;
}

}  // namespace batch
