// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/Batch.h"

#include <algorithm>
#include <cctype>

#include "batch/BatchUncertainty.h"
#include "log/LogEntry.h"
#include "model/FieldTable.h"
#include "model/Recalculate.h"
#include "model/Sample.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"

namespace batch {

using series::CsvReader;
using series::CsvRecord;
using series::InputError;
using series::quotedForMessage;
using series::trimmed;

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
    // Per field of a record; none for a column passed through.
    std::vector<std::optional<ColumnRef>> columns;
    // The fields the output copies after Sample: the inputs it does not
    // write as results and the columns it does not know, in file order.
    std::vector<std::size_t> passed;
    std::vector<std::string> passedHeaders;
    bool hasSample = false;
    bool uncertainty = false;  // some SD column
};

bool writtenAsResult(const ColumnRef& c) {
    if (c.role != ColumnRole::Value || c.column == Column::Sample || c.column == Column::Solvent)
        return false;
    const std::optional<model::FieldId> field = model::quantityInfo(quantityOf(c.column)).field;
    return std::any_of(kResultColumns.begin(), kResultColumns.end(),
                       [&](const ResultColumn& r) { return r.field == field; });
}

void checkUnit(const ColumnRef& c, const std::optional<std::string>& unit,
               const std::string& where) {
    if (!unit)
        return;
    if (c.column != Column::Sample && c.column != Column::Solvent && c.role != ColumnRole::Dist) {
        if (auto error = series::unitError(quantityOf(c.column), *unit))
            throw InputError(where + ": the column " + *error);
        return;
    }
    throw InputError(where + ": the column " + columnName(c.column) +
                     (c.role == ColumnRole::Dist ? "Dist" : "") +
                     " has no unit, but the header gives " + quotedForMessage(*unit));
}

Layout readHeader(const CsvRecord& header) {
    Layout layout;
    std::array<std::array<bool, 3>, kColumnCount> seen{};
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
        const series::HeaderName name = series::splitHeader(header.fields[i]);
        const std::string where =
            "line " + std::to_string(header.line) + ", column " + std::to_string(i + 1);
        const std::optional<ColumnRef> c = columnRefByName(name.name);
        layout.columns.push_back(c);
        if (!c || !writtenAsResult(*c)) {
            if (!c || c->column != Column::Sample) {
                layout.passed.push_back(i);
                layout.passedHeaders.push_back(header.fields[i]);
            }
        }
        if (!c)
            continue;  // passed through as it came
        checkUnit(*c, name.unit, where);
        bool& already = seen[static_cast<std::size_t>(c->column)][static_cast<int>(c->role)];
        if (already)
            throw InputError(where + ": the column " + columnName(c->column) +
                             (c->role == ColumnRole::SD     ? "SD"
                              : c->role == ColumnRole::Dist ? "Dist"
                                                            : "") +
                             " appears twice");
        already = true;
        layout.uncertainty = layout.uncertainty || c->role == ColumnRole::SD;
    }
    const auto has = [&](Column c) { return seen[static_cast<std::size_t>(c)][0]; };
    layout.hasSample = has(Column::Sample);

    std::vector<std::string> chain;
    for (Column c : {Column::Sigma, Column::Mobility, Column::Valence, Column::EffectiveValence})
        if (has(c))
            chain.push_back(columnName(c));
    const std::string line = "line " + std::to_string(header.line);
    if (chain.size() > 1)
        throw InputError(line + ": the columns " + chain[0] + " and " + chain[1] +
                         " cannot both be given: use one of Sigma, Mobility, Valence and "
                         "EffectiveValence");
    const int calculated = has(Column::Current) + has(Column::Conductivity) + has(Column::XSection);
    if (has(Column::EField) && calculated > 0)
        throw InputError(line +
                         ": give either EField or Current, Conductivity and XSection, "
                         "not both");
    if (calculated > 0 && calculated < 3)
        throw InputError(line +
                         ": E is calculated from all of Current, Conductivity and "
                         "XSection; give all three columns");
    return layout;
}

bool fileNameCharacter(unsigned char c) {
    return std::isalnum(c) || c == '.' || c == '-' || c == '_' || c >= 0x80;
}

}  // namespace

model::Quantity quantityOf(Column column) {
    // The table lists the columns' quantities first, in the order of Column.
    return model::columnQuantities().at(static_cast<std::size_t>(column) - 1);
}

const char* columnName(Column column) {
    if (column == Column::Sample)
        return "Sample";
    if (column == Column::Solvent)
        return "Solvent";
    return model::quantityInfo(quantityOf(column)).name;
}

std::optional<Column> columnByName(std::string_view name) {
    for (std::size_t i = 0; i < kColumnCount; ++i) {
        const std::string_view known = columnName(static_cast<Column>(i));
        if (known.size() == name.size() &&
            std::equal(known.begin(), known.end(), name.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            }))
            return static_cast<Column>(i);
    }
    return std::nullopt;
}

Outcome runSample(const Sample& sample, const std::filesystem::path& datFile, bool withLog) {
    Outcome outcome;
    std::vector<model::Entry> entries;
    for (std::size_t i = 1; i < kColumnCount; ++i)
        if (sample.values[i] && static_cast<Column>(i) != Column::Solvent)
            entries.push_back({quantityOf(static_cast<Column>(i)), *sample.values[i]});
    bool water = false;
    if (const std::optional<std::string>& solvent = sample[Column::Solvent]) {
        std::string lower = *solvent;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower != "water") {
            outcome.error = "Solvent = " + quotedForMessage(*solvent) + " is not water";
            return outcome;
        }
        water = true;
    }
    series::RowResult row = series::evaluateRow(entries, water);
    if (!row.ok()) {
        outcome.error = std::move(row.error);
        return outcome;
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
    const series::Dialect dialect{reader.dialect().separator, reader.dialect().decimal};
    const Layout layout = readHeader(record);

    std::vector<std::string> header{"Sample"};
    header.insert(header.end(), layout.passedHeaders.begin(), layout.passedHeaders.end());
    for (const ResultColumn& r : kResultColumns)
        header.push_back(r.name());
    if (layout.uncertainty)
        header.insert(header.end(), kUncertaintyColumns.begin(), kUncertaintyColumns.end());
    header.push_back("Error");
    out.write(csvRecord(header, dialect));

    BatchSummary summary;
    std::vector<std::string> row;
    while (reader.next(record)) {
        if (record.fields.size() != layout.columns.size())
            throw InputError("line " + std::to_string(record.line) + ": " +
                             std::to_string(record.fields.size()) + " fields, but the header has " +
                             std::to_string(layout.columns.size()));
        Sample sample;
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
            if (text.empty())
                continue;  // keeps the start-up value; no uncertainty
            const auto at = static_cast<std::size_t>(c);
            if (c == Column::Solvent) {
                sample[c] = std::move(text);  // a word, not a number
                continue;
            }
            if (role == ColumnRole::Dist) {
                sample.dist[at] = std::move(text);
                continue;
            }
            std::string number = series::programNumber(text, dialect);
            try {
                platform::StrToFloat(number);
            } catch (const platform::EConvertError&) {
                throw InputError("line " + std::to_string(record.line) + ", column " +
                                 std::to_string(i + 1) + " (" + columnName(c) +
                                 (role == ColumnRole::SD ? "SD" : "") +
                                 "): " + quotedForMessage(text) + " is not a number");
            }
            (role == ColumnRole::SD ? sample.sd[at] : sample[c]) = std::move(number);
        }
        ++summary.rows;
        const std::filesystem::path dat =
            out.datPath          ? out.datPath(summary.rows, sample.label)
            : out.datDir.empty() ? std::filesystem::path()
                                 : out.datDir / datFileName(summary.rows, sample.label);
        Outcome outcome = runSample(sample, dat, static_cast<bool>(out.logLine));
        UncertaintyOutcome uncertainty;
        if (layout.uncertainty && outcome.ok()) {
            uncertainty = analyseSample(*outcome.row, sample, out.monteCarlo);
            // A refused uncertainty fails the row as a refused value does.
            if (!uncertainty.error.empty())
                outcome = Outcome{{}, uncertainty.error, {}, {}, {}};
        }
        if (!outcome.ok())
            ++summary.failedRows;

        row.assign(1, sample.label);
        for (std::size_t i : layout.passed)
            row.push_back(record.fields[i]);
        for (const std::string& text : outcome.texts)
            row.push_back(series::dialectNumber(text, dialect));
        if (layout.uncertainty)
            for (const std::string& text : uncertainty.texts)
                row.push_back(series::dialectNumber(text, dialect));
        row.push_back(outcome.error);
        out.write(csvRecord(row, dialect));
        if (out.logLine)
            for (const std::string& line : outcome.lastEntry)
                out.logLine(line);
    }
    return summary;
}

}  // namespace batch
