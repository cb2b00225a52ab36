// SPDX-License-Identifier: GPL-3.0-or-later

#include "series/Series.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <fstream>
#include <limits>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

#include "model/Evaluation.h"
#include "model/InputRule.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"

namespace series {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A record's cells of the setting columns: the first data row holds the
// values; a later row that holds one is refused, as it would be lost.
void readSettings(const CsvRecord& record,
                  const std::vector<std::pair<std::size_t, std::string>>& columns, bool first,
                  Settings& settings) {
    for (const auto& [at, key] : columns) {
        const std::string& value = record.fields.at(at);
        if (first)
            settings.set(key, value);
        else if (!value.empty())
            throw InputError("line " + std::to_string(record.line) + ", column " +
                             std::to_string(at + 1) + ": the setting " + key +
                             " holds its value in the first row only");
    }
}

// Fewer rows than this each are evaluated on the calling thread.
constexpr std::size_t kRowsPerThread = 2000;

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<analysis::Input> inputOf(model::Quantity q) {
    for (int i = 0; i < analysis::kInputCount; ++i)
        if (analysis::quantityOf(static_cast<analysis::Input>(i)) == q)
            return static_cast<analysis::Input>(i);
    return std::nullopt;
}

// A column as a header names it; a result, an uncertainty result and Error
// are read as text (the caller refuses them where they cannot stand).
SeriesColumn columnOf(const std::string& text, const Header& h) {
    SeriesColumn col{text, ColumnKind::Text, {}};
    switch (h.role) {
        case HeaderRole::Input:
            col.kind = ColumnKind::Input;
            break;
        case HeaderRole::SD:
            col.kind = ColumnKind::SD;
            break;
        case HeaderRole::Dist:
            col.kind = ColumnKind::Dist;
            break;
        case HeaderRole::Solvent:
            col.kind = ColumnKind::Solvent;
            return col;
        case HeaderRole::Model:
            col.kind = ColumnKind::Model;
            return col;
        case HeaderRole::ZetaModel:
            col.kind = ColumnKind::ZetaModel;
            return col;
        case HeaderRole::Salt:
            col.kind = ColumnKind::Salt;
            return col;
        default:
            return col;
    }
    col.quantity = h.quantity;
    if (h.converted()) {
        col.unit = h.unit;
        col.multiply = h.multiply;
        col.divide = h.divide;
    }
    return col;
}

std::optional<double> number(const std::string& text, const Dialect& dialect) {
    try {
        return platform::StrToFloat(programNumber(trimmed(text), dialect));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace

Series::Series() = default;

std::string_view Series::Texts::operator[](std::size_t i) const {
    std::size_t from = 0;
    for (; i > 0; --i)
        from = m_packed.find('\0', from) + 1;
    return std::string_view(m_packed).substr(from, m_packed.find('\0', from) - from);
}

void Series::Texts::set(std::size_t i, std::string_view text) {
    if (i >= m_count)
        throw std::out_of_range("Series::Texts::set");
    std::size_t from = 0;
    for (std::size_t k = i; k > 0; --k)
        from = m_packed.find('\0', from) + 1;
    m_packed.replace(from, m_packed.find('\0', from) - from, text);
}

// ------------------------------------------------------------ the table

std::string Series::headerText(std::size_t c) const {
    const SeriesColumn& col = m_columns.at(c);
    if (col.kind != ColumnKind::Input && col.kind != ColumnKind::SD)
        return col.header;
    const model::QuantityInfo& info = model::quantityInfo(col.quantity);
    std::string text = std::string(info.name) + (col.kind == ColumnKind::SD ? "SD" : "");
    const std::string unit = col.unit.empty() ? info.unit : col.unit;
    return unit.empty() ? text : text + " (" + unit + ")";
}

const std::string& Series::cellText(std::size_t row, std::size_t c) const {
    return m_rows.at(row).cells.at(c).text;
}

namespace {
const std::string kNoText;
}  // namespace

const std::string& Series::Cell::error() const {
    return refusal ? *refusal : kNoText;
}

const std::string& Series::cellError(std::size_t row, std::size_t c) const {
    const Cell& cell = m_rows.at(row).cells.at(c);
    return pending(row) ? kNoText : cell.error();
}

const std::string& Series::rowError(std::size_t row) const {
    return pending(row) ? kNoText : m_rows.at(row).error;
}

const std::string& Series::rowNotice(std::size_t row) const {
    return pending(row) ? kNoText : m_rows.at(row).notice;
}

bool Series::pending(std::size_t row) const {
    return m_rows.at(row).pending.value.load(std::memory_order_acquire);
}

bool Series::hasUncertainty() const {
    return std::any_of(m_columns.begin(), m_columns.end(),
                       [](const SeriesColumn& c) { return c.kind == ColumnKind::SD; });
}

std::vector<std::string> Series::resultNames() const {
    std::vector<std::string> names;
    for (const ResultColumn& r : kResultColumns)
        names.push_back(r.name());
    if (hasUncertainty())
        names.insert(names.end(), std::begin(kSeriesUncertaintyNames),
                     std::end(kSeriesUncertaintyNames));
    return names;
}

std::string Series::resultText(std::size_t row, std::size_t result) const {
    const Row& r = m_rows.at(row);
    if (pending(row))
        return {};
    return result < r.results.size() ? std::string(r.results[result]) : std::string();
}

void Series::setMonteCarlo(std::optional<analysis::MonteCarloOptions> options) {
    m_monteCarlo = options;
    if (hasUncertainty())
        evaluateAll();
}

double Series::numberOf(const std::string& text) const {
    return number(text, m_dialect).value_or(std::numeric_limits<double>::quiet_NaN());
}

const Series::Numbers& Series::numbers(std::size_t c) const {
    if (m_numbers.size() != m_columns.size())
        m_numbers.assign(m_columns.size(), std::nullopt);
    std::optional<Numbers>& cached = m_numbers[c];
    if (!cached) {
        cached.emplace();
        cached->values.reserve(m_rows.size());
        for (const Row& row : m_rows) {
            cached->values.push_back(numberOf(row.cells[c].text));
            cached->words +=
                std::isnan(cached->values.back()) && !trimmed(row.cells[c].text).empty();
        }
    }
    return *cached;
}

bool Series::numericColumn(std::size_t c) const {
    const SeriesColumn& col = m_columns.at(c);
    // A text column is numeric only when every cell is a number or empty.
    return col.kind == ColumnKind::Input || (col.kind == ColumnKind::Text && numbers(c).words == 0);
}

std::optional<Series::Values> Series::xValues(std::size_t c) const {
    if (!numericColumn(c))
        return std::nullopt;
    const Numbers& n = numbers(c);
    Values values(m_rows.size());
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        const Row& row = m_rows[r];
        if (!std::isnan(n.values[r]) &&
            (row.pending.value.load(std::memory_order_acquire) || row.cells[c].error().empty()))
            values[r] = n.values[r];
    }
    return values;
}

std::optional<Series::Values> Series::yValues(const std::string& resultName) const {
    const std::vector<std::string> names = resultNames();
    const auto at = std::find(names.begin(), names.end(), resultName);
    if (at == names.end())
        return std::nullopt;
    const auto result = static_cast<std::size_t>(at - names.begin());
    Values values(m_rows.size());
    // Rows being evaluated write their results meanwhile: nothing is kept.
    if (m_pending.load() > 0) {
        for (std::size_t r = 0; r < m_rows.size(); ++r)
            if (!m_rows[r].pending.value.load(std::memory_order_acquire))
                if (const double v = resultNumber(m_rows[r], result); !std::isnan(v))
                    values[r] = v;
        return values;
    }
    if (m_resultNumbers.size() <= result)
        m_resultNumbers.resize(result + 1);
    if (!m_resultNumbers[result]) {
        std::vector<double>& kept = m_resultNumbers[result].emplace(m_rows.size());
        for (std::size_t r = 0; r < m_rows.size(); ++r)
            kept[r] = resultNumber(m_rows[r], result);
    }
    const std::vector<double>& kept = *m_resultNumbers[result];
    for (std::size_t r = 0; r < m_rows.size(); ++r)
        if (!std::isnan(kept[r]))
            values[r] = kept[r];
    return values;
}

// The results are the program's own number texts.
double Series::resultNumber(const Row& row, std::size_t result) {
    if (result < row.results.size())
        if (const std::string_view text = row.results[result]; !text.empty()) {
            try {
                return platform::StrToFloat(text);
            } catch (const std::exception&) {
            }
        }
    return std::numeric_limits<double>::quiet_NaN();
}

bool Series::isWord(const std::string& text) const {
    return std::isnan(numberOf(text)) && !trimmed(text).empty();
}

void Series::insertNumbers(std::size_t at, const Row& row) {
    for (std::size_t c = 0; c < m_numbers.size(); ++c)
        if (std::optional<Numbers>& n = m_numbers[c]) {
            n->values.insert(n->values.begin() + static_cast<std::ptrdiff_t>(at),
                             numberOf(row.cells[c].text));
            n->words += isWord(row.cells[c].text);
        }
    for (std::size_t i = 0; i < m_resultNumbers.size(); ++i)
        if (std::optional<std::vector<double>>& kept = m_resultNumbers[i])
            kept->insert(kept->begin() + static_cast<std::ptrdiff_t>(at), resultNumber(row, i));
}

void Series::eraseNumbers(std::size_t at, const Row& row) {
    for (std::size_t c = 0; c < m_numbers.size(); ++c)
        if (std::optional<Numbers>& n = m_numbers[c]) {
            n->values.erase(n->values.begin() + static_cast<std::ptrdiff_t>(at));
            n->words -= isWord(row.cells[c].text);
        }
    for (std::optional<std::vector<double>>& kept : m_resultNumbers)
        if (kept)
            kept->erase(kept->begin() + static_cast<std::ptrdiff_t>(at));
}

void Series::renumber(std::size_t row) {
    for (std::size_t i = 0; i < m_resultNumbers.size(); ++i)
        if (m_resultNumbers[i])
            (*m_resultNumbers[i])[row] = resultNumber(m_rows[row], i);
}

Series::RowEntries Series::rowEntries(std::size_t row) const {
    const Row& r = m_rows.at(row);
    RowEntries out;
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        const std::string text = trimmed(r.cells[c].text);
        if (text.empty())
            continue;
        if (m_columns[c].kind == ColumnKind::Input)
            out.entries.push_back({m_columns[c].quantity, programText(r, c)});
        else if (m_columns[c].kind == ColumnKind::Solvent)
            out.water = sameName(text, "water");
        else if (m_columns[c].kind == ColumnKind::Model)
            out.model = model::electrokineticModelByName(text).value_or(out.model);
        else if (std::string name;
                 m_columns[c].kind == ColumnKind::Salt && !saltRefusal(text, &name))
            out.salt = name;
    }
    return out;
}

// ------------------------------------------------------------ evaluation

SeriesColumn Series::classify(const std::string& header, std::size_t except) const {
    const HeaderReading read = readHeader(header);
    SeriesColumn col = columnOf(header, read.header);
    if (!read.refusal.empty())
        col = SeriesColumn{header, ColumnKind::Text, {}};
    // A second column of the same input is kept as text: one value per row.
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        if (c != except && col.kind != ColumnKind::Text && m_columns[c].kind == col.kind &&
            m_columns[c].quantity == col.quantity)
            col.kind = ColumnKind::Text;
    return col;
}

SeriesColumn Series::checkedColumn(const std::string& header, std::size_t except) const {
    const HeaderReading read = readHeader(header);
    if (!read.refusal.empty())
        throw InputError("The column " + read.refusal);
    const HeaderRole role = read.header.role;
    if (role == HeaderRole::Result || role == HeaderRole::Uncertainty || role == HeaderRole::Error)
        throw InputError("The column " + quotedForMessage(trimmed(header)) +
                         " is the name of a result, which the series calculates");
    SeriesColumn col = classify(header, except);
    // The series keeps a Salt column as text.
    if (col.kind == ColumnKind::Text && role != HeaderRole::Text && role != HeaderRole::Sample &&
        role != HeaderRole::Salt)
        throw InputError("The column " + quotedForMessage(trimmed(header)) +
                         " is there already: a row holds one value of each input");
    return col;
}

std::string Series::programText(const Row& row, std::size_t c) const {
    const SeriesColumn& col = m_columns[c];
    const std::string text = programNumber(trimmed(row.cells[c].text), m_dialect);
    if (col.multiply == 1 && col.divide == 1)
        return text;
    Header h;
    h.multiply = col.multiply;
    h.divide = col.divide;
    return programUnitText(text, h);
}

std::vector<model::Quantity> Series::startUpConditions() const {
    std::vector<model::Quantity> given;
    bool solvent = false;
    for (const SeriesColumn& c : m_columns) {
        if (c.kind == ColumnKind::Input)
            given.push_back(c.quantity);
        solvent = solvent || c.kind == ColumnKind::Solvent;
    }
    return model::startUpConditions(given, solvent);
}

std::string Series::startUpNotice() const {
    return startUpText(startUpConditions());
}

std::string Series::cellNote(std::size_t row, std::size_t c) const {
    const Row& r = m_rows.at(row);
    const SeriesColumn& col = m_columns.at(c);
    if (col.kind != ColumnKind::Input || pending(row) || r.results.empty() ||
        !trimmed(r.cells[c].text).empty())
        return {};
    return "Empty: the row takes the start-up value " + startUpText({col.quantity});
}

std::string Series::resultNote(std::size_t row, std::size_t result) const {
    return pending(row) ? std::string() : noteOf(m_rows.at(row), result);
}

std::string Series::noteOf(const Row& r, std::size_t result) const {
    if (result >= r.fileResults.size() || r.fileResults[result].empty())
        return {};
    const std::string said = programNumber(trimmed(r.fileResults[result]), m_dialect);
    const std::string now =
        result < r.results.size() ? std::string(r.results[result]) : std::string();
    if (said == now)
        return {};
    return "The file says " + quotedForMessage(r.fileResults[result]) +
           "; calculated: " + (now.empty() ? std::string("none") : now);
}

// The counts the status line shows follow each evaluated row, so that an
// edit of a long series costs its row alone.
bool Series::hasInputs(const Row& row) const {
    for (std::size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].kind == ColumnKind::Input && !trimmed(row.cells[c].text).empty())
            return true;
    return false;
}

Series::Tally Series::tallyOf(const Row& row) const {
    Tally t;
    if (row.pending.value.load(std::memory_order_acquire))
        return t;
    t.withoutResults = row.results.empty() && hasInputs(row);
    for (std::size_t i = 0; i < row.fileResults.size(); ++i)
        t.differences += !noteOf(row, i).empty();
    return t;
}

void Series::count(const Row& row, int sign) {
    const Tally t = tallyOf(row);
    if (sign > 0) {
        m_withoutResults.value += t.withoutResults;
        m_differences.value += t.differences;
    } else {
        m_withoutResults.value -= t.withoutResults;
        m_differences.value -= t.differences;
    }
}

void Series::recount() {
    m_withoutResults.value = 0;
    m_differences.value = 0;
    std::size_t pendingRows = 0;
    for (const Row& row : m_rows) {
        count(row, 1);
        pendingRows += row.pending.value.load();
    }
    m_pending.value = pendingRows;
}

// A row without any text has no results.
bool Series::blank(const Row& row) {
    return std::all_of(row.cells.begin(), row.cells.end(),
                       [](const Cell& c) { return trimmed(c.text).empty(); });
}

void Series::evaluate(Row& row) const {
    row.error.clear();
    row.notice.clear();
    row.results.clear();
    row.draws.reset();
    for (Cell& cell : row.cells)
        cell.refusal.reset();
    if (blank(row))
        return;
    std::vector<model::Entry> entries;
    std::vector<std::size_t> entryColumns;
    bool water = false;
    model::ElectrokineticModel ek = model::ElectrokineticModel::Dhh;
    std::optional<model::ZetaModel> zetaModel;
    std::optional<std::size_t> saltColumn;
    bool refused = false;
    struct UncertaintyTexts {
        const std::string* sd = nullptr;
        const std::string* dist = nullptr;
        std::size_t sdColumn = kNone, distColumn = kNone;
    };
    std::vector<std::string> texts(row.cells.size());
    std::array<UncertaintyTexts, model::kQuantityCount> uncertainty{};
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        const SeriesColumn& col = m_columns[c];
        texts[c] = programText(row, c);
        if (texts[c].empty() || col.kind == ColumnKind::Text)
            continue;
        std::string error;
        UncertaintyTexts& u = uncertainty[static_cast<std::size_t>(col.quantity)];
        switch (col.kind) {
            case ColumnKind::Input:
                if (auto e = valueError(col.quantity, texts[c]))
                    error = *e;
                entries.push_back({col.quantity, texts[c]});
                entryColumns.push_back(c);
                break;
            case ColumnKind::SD:
                u.sd = &texts[c];
                u.sdColumn = c;
                break;
            case ColumnKind::Dist:
                texts[c] = trimmed(row.cells[c].text);
                u.dist = &texts[c];
                u.distColumn = c;
                break;
            case ColumnKind::Solvent:
                water = sameName(trimmed(row.cells[c].text), "water");
                if (!water)
                    error = "Solvent = " + quotedForMessage(trimmed(row.cells[c].text)) +
                            " is not water";
                break;
            case ColumnKind::Model:
                if (const auto m = model::electrokineticModelByName(trimmed(row.cells[c].text)))
                    ek = *m;
                else
                    error = modelRefusal(trimmed(row.cells[c].text));
                break;
            case ColumnKind::ZetaModel:
                zetaModel = model::zetaModelByName(trimmed(row.cells[c].text));
                if (!zetaModel)
                    error = zetaModelRefusal(trimmed(row.cells[c].text));
                break;
            case ColumnKind::Salt:
                saltColumn = c;
                break;
            case ColumnKind::Text:
                break;
        }
        row.cells[c].setError(error);
        refused = refused || !error.empty();
    }
    // The window holds one of the valence chain and one way to E; a row that
    // gives two would silently lose one, and one with a part of the current's
    // three would take the rest from the start-up values.
    std::vector<model::Quantity> given;
    for (const model::Entry& e : entries)
        given.push_back(e.quantity);
    if (const std::optional<model::InputConflict> conflict = model::inputConflict(given)) {
        const auto at = std::find(given.begin(), given.end(), conflict->second);
        const std::string first = model::quantityInfo(conflict->first).name;
        const std::string second = model::quantityInfo(conflict->second).name;
        if (at == given.end())
            row.error =
                "this row gives " + first + " but not " + second + ": " + conflict->reason();
        else if (Cell& cell = row.cells[entryColumns[at - given.begin()]]; !cell.refusal)
            cell.setError(second + " cannot be given with " + first + " in the same row");
        return;
    }
    if (std::none_of(given.begin(), given.end(), [](model::Quantity q) {
            return std::find(model::kValenceChain.begin(), model::kValenceChain.end(), q) !=
                   model::kValenceChain.end();
        })) {
        row.error =
            "the row gives none of Sigma, Mobility, Valence, EffectiveValence and Zeta, "
            "and is not calculated from the start-up Sigma " +
            std::string(model::quantityInfo(model::Quantity::Sigma).startText);
        return;
    }
    const bool withUncertainty = hasUncertainty();
    analysis::Uncertainties u{};
    if (withUncertainty)
        for (int i = 0; i < analysis::kInputCount; ++i) {
            const auto input = static_cast<analysis::Input>(i);
            const model::Quantity q = analysis::quantityOf(input);
            const UncertaintyTexts& t = uncertainty[static_cast<std::size_t>(q)];
            if (auto e = inputUncertainty(input, model::quantityInfo(q).name, t.sd, t.dist,
                                          u[static_cast<std::size_t>(i)])) {
                const bool sd = e->find("SD = ") != std::string::npos;
                row.cells[sd ? t.sdColumn : t.distColumn].setError(*e);
                refused = true;
            }
        }
    // The salt only counts under a model not linear in z; under the others
    // it is a note, as quorvin-batch takes it.
    std::string salt = "NaCl";
    if (saltColumn && !model::electrokineticModelInfo(ek).henry) {
        if (auto e = saltRefusal(trimmed(row.cells[*saltColumn].text), &salt)) {
            row.cells[*saltColumn].setError(*e);
            refused = true;
        }
    }
    if (refused)
        return;
    RowResult result;
    try {
        result = evaluateRow(entries, water, ek, salt, zetaModel);
    } catch (const std::invalid_argument& e) {
        // A model not linear in z refuses conditions it does not hold for
        // (an asymmetric salt under Ohshima's approximation).
        if (model::electrokineticModelInfo(ek).henry)
            throw;
        row.error = e.what();
        return;
    }
    if (!result.ok()) {
        // The window's refusals start with the quantity's name.
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::string name = model::quantityInfo(entries[i].quantity).name;
            if (result.error.rfind(name + " ", 0) == 0) {
                row.cells[entryColumns[i]].setError(result.error);
                return;
            }
        }
        row.error = result.error;
        return;
    }
    if (const model::ModelState& s = *result.measured;
        s.ValenceSolutions == model::Solutions::None) {
        row.error = model::solutionsText(result.sample->state);
        return;
    } else if (s.ValenceSolutions == model::Solutions::TwoLowerTaken) {
        row.notice = model::solutionsText(result.sample->state);
    }
    for (const std::string& t : result.texts)
        row.results.push_back(t);
    if (!withUncertainty)
        return;
    const RowUncertainty ru = rowUncertainty(result, u, m_monteCarlo ? &*m_monteCarlo : nullptr);
    if (!ru.error.empty()) {
        row.results.clear();
        row.error = ru.error;
        return;
    }
    for (const double gumU : {ru.uValence, ru.uEffectiveValence}) {
        row.results.push_back(analysis::significantText(gumU));
        row.results.push_back(analysis::significantText(analysis::kCoverageFactor * gumU));
        row.results.push_back({});
        row.results.push_back({});
    }
    if (ru.draws)
        row.draws = std::make_shared<const RowDraws>(*ru.draws);
    if (ru.monteCarlo)
        putInterval(row, *ru.monteCarlo);
}

// The 95 % intervals of z and z* into their columns, after u and U.
void Series::putInterval(Row& row, const analysis::MonteCarloResult& r) {
    const std::size_t valence = kResultColumns.size() + 2;
    const std::size_t effective = valence + std::size(kSeriesUncertaintyNames) / 2;
    row.results.set(valence, analysis::significantText(r.valence.low));
    row.results.set(valence + 1, analysis::significantText(r.valence.high));
    row.results.set(effective, analysis::significantText(r.effectiveValence.low));
    row.results.set(effective + 1, analysis::significantText(r.effectiveValence.high));
}

std::vector<Series::PendingDraws> Series::pendingMonteCarlo() const {
    std::vector<PendingDraws> pending;
    if (m_monteCarlo)
        return pending;
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        const Row& row = m_rows[r];
        if (!Series::pending(r) && row.draws && !row.results.empty() &&
            row.results[kResultColumns.size() + 2].empty())
            pending.push_back({r, *row.draws});
    }
    return pending;
}

bool Series::setMonteCarloResult(std::uint64_t revision, std::size_t row,
                                 const analysis::MonteCarloResult& result) {
    if (revision != m_revision || row >= m_rows.size() || pending(row) || !m_rows[row].draws ||
        m_rows[row].results.empty())
        return false;
    putInterval(m_rows[row], result);
    renumber(row);
    return true;
}

void Series::evaluateAll() {
    ++m_revision;
    m_resultNumbers.clear();
    // A long series waits for evaluatePending, on threads that leave the
    // window in the user's hands; a Monte Carlo run per row is never left.
    if (!m_monteCarlo && m_rows.size() >= m_deferFrom) {
        for (Row& row : m_rows) {
            row.error.clear();
            row.results.clear();
            row.draws.reset();
            for (Cell& cell : row.cells)
                cell.refusal.reset();
            row.pending.value = true;
        }
        recount();
        return;
    }
    for (Row& row : m_rows)
        row.pending.value = false;
    evaluateRows();
    recount();
}

std::size_t Series::evaluatePending(const std::function<std::size_t()>& next, std::size_t chunk,
                                    const std::atomic<bool>& stop) {
    std::size_t done = 0;
    for (std::size_t k = next(); k * chunk < m_rows.size() && !stop; k = next()) {
        // The counts shared with the other threads, once a chunk.
        Tally chunkTally;
        std::size_t evaluated = 0;
        for (std::size_t r = k * chunk; r < std::min(m_rows.size(), (k + 1) * chunk) && !stop;
             ++r) {
            Row& row = m_rows[r];
            if (!row.pending.value.load(std::memory_order_acquire))
                continue;
            evaluate(row);
            row.pending.value.store(false, std::memory_order_release);
            const Tally t = tallyOf(row);
            chunkTally.withoutResults += t.withoutResults;
            chunkTally.differences += t.differences;
            ++evaluated;
        }
        m_withoutResults.value += chunkTally.withoutResults;
        m_differences.value += chunkTally.differences;
        m_pending.value -= evaluated;
        done += evaluated;
    }
    return done;
}

void Series::evaluateRows() {
    // Each row on its own, the rows shared out among the cores: a long
    // series opens in a fraction of the time. A Monte Carlo run per row
    // takes every core itself.
    const std::size_t threads =
        m_monteCarlo ? 1
                     : std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()),
                                             m_rows.size() / kRowsPerThread);
    if (threads < 2) {
        for (Row& row : m_rows)
            evaluate(row);
        return;
    }
    std::vector<std::thread> workers;
    std::exception_ptr failure;
    std::mutex failed;
    const std::size_t share = (m_rows.size() + threads - 1) / threads;
    for (std::size_t t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            try {
                const std::size_t end = std::min(m_rows.size(), (t + 1) * share);
                for (std::size_t r = t * share; r < end; ++r)
                    evaluate(m_rows[r]);
            } catch (...) {
                const std::lock_guard lock(failed);
                failure = std::current_exception();
            }
        });
    for (std::thread& w : workers)
        w.join();
    if (failure)
        std::rethrow_exception(failure);
}

Series::Row Series::emptyRow() const {
    Row row;
    row.cells.resize(m_columns.size());
    return row;
}

// ------------------------------------------------------------ commands

Series::Edit Series::apply(Edit edit) {
    // The columns change: the numbers are read again when asked. Rows
    // inserted, deleted or moved take theirs along.
    if (std::holds_alternative<InsertColumn>(edit) || std::holds_alternative<DeleteColumn>(edit) ||
        std::holds_alternative<MoveColumn>(edit) || std::holds_alternative<RenameColumn>(edit)) {
        m_numbers.clear();
        m_resultNumbers.clear();
        m_changedWhole = true;
    }
    return std::visit(
        [this](auto& e) -> Edit {
            using T = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<T, SetCell>) {
                Row& row = m_rows.at(e.row);
                touched(e.row, m_rows.size() - e.row - 1);
                const bool wasBlank = blank(row);
                count(row, -1);
                std::string old = std::exchange(row.cells.at(e.column).text, e.text);
                if (e.column < m_numbers.size() && m_numbers[e.column]) {
                    Numbers& n = *m_numbers[e.column];
                    n.words = n.words - isWord(old) + isWord(e.text);
                    n.values[e.row] = numberOf(e.text);
                }
                // A text cell counts only for whether the row is blank.
                if (m_columns[e.column].kind != ColumnKind::Text || wasBlank != blank(row)) {
                    row.fileResults.clear();  // they held the row before the edit
                    evaluate(row);
                    if (row.pending.value.exchange(false))
                        --m_pending.value;
                    renumber(e.row);
                    ++m_revision;
                }
                count(row, 1);
                return SetCell{e.row, e.column, std::move(old)};
            } else if constexpr (std::is_same_v<T, InsertRow>) {
                touched(e.at, m_rows.size() - std::min(e.at, m_rows.size()));
                ++m_revision;  // the rows after it move
                count(e.row, 1);
                m_pending.value += e.row.pending.value.load();
                insertNumbers(e.at, e.row);
                m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(e.at), std::move(e.row));
                return DeleteRow{e.at};
            } else if constexpr (std::is_same_v<T, DeleteRow>) {
                ++m_revision;
                Row row = std::move(m_rows.at(e.at));
                touched(e.at, m_rows.size() - e.at - 1);
                eraseNumbers(e.at, row);
                m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(e.at));
                count(row, -1);
                m_pending.value -= row.pending.value.load();
                return InsertRow{e.at, std::move(row)};
            } else if constexpr (std::is_same_v<T, MoveRow>) {
                ++m_revision;
                Row row = std::move(m_rows.at(e.from));
                touched(std::min(e.from, e.to), m_rows.size() - std::max(e.from, e.to) - 1);
                eraseNumbers(e.from, row);
                m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(e.from));
                insertNumbers(e.to, row);
                m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(e.to), std::move(row));
                return MoveRow{e.to, e.from};
            } else if constexpr (std::is_same_v<T, InsertColumn>) {
                m_columns.insert(m_columns.begin() + static_cast<std::ptrdiff_t>(e.at), e.column);
                for (std::size_t r = 0; r < m_rows.size(); ++r)
                    m_rows[r].cells.insert(
                        m_rows[r].cells.begin() + static_cast<std::ptrdiff_t>(e.at),
                        Cell(r < e.cells.size() ? e.cells[r] : std::string()));
                if (e.column.kind != ColumnKind::Text)
                    evaluateAll();
                return DeleteColumn{e.at};
            } else if constexpr (std::is_same_v<T, DeleteColumn>) {
                InsertColumn inverse{e.at, m_columns.at(e.at), {}};
                m_columns.erase(m_columns.begin() + static_cast<std::ptrdiff_t>(e.at));
                for (Row& row : m_rows) {
                    inverse.cells.push_back(std::move(row.cells[e.at].text));
                    row.cells.erase(row.cells.begin() + static_cast<std::ptrdiff_t>(e.at));
                }
                if (inverse.column.kind != ColumnKind::Text)
                    evaluateAll();
                return inverse;
            } else if constexpr (std::is_same_v<T, MoveColumn>) {
                const auto move = [&e](auto& v) {
                    auto item = std::move(v.at(e.from));
                    v.erase(v.begin() + static_cast<std::ptrdiff_t>(e.from));
                    v.insert(v.begin() + static_cast<std::ptrdiff_t>(e.to), std::move(item));
                };
                move(m_columns);
                for (Row& row : m_rows)
                    move(row.cells);
                return MoveColumn{e.to, e.from};
            } else if constexpr (std::is_same_v<T, ReplaceSettings>) {
                m_changedSettings = true;
                return ReplaceSettings{std::exchange(m_settings, std::move(e.settings))};
            } else {
                SeriesColumn& col = m_columns.at(e.column);
                std::string old = col.header;
                const SeriesColumn renamed = classify(e.header, e.column);
                const bool changed = renamed.kind != col.kind || renamed.quantity != col.quantity;
                col = renamed;
                if (changed)
                    evaluateAll();
                return RenameColumn{e.column, std::move(old)};
            }
        },
        edit);
}

void Series::forgetNumbersFor(const Command& edits) {
    // Each row taken along moves every column's numbers: past a few rows,
    // reading them again once costs less.
    constexpr std::ptrdiff_t kRowsTakenAlong = 8;
    const auto moving = std::count_if(edits.begin(), edits.end(), [](const Edit& e) {
        return std::holds_alternative<InsertRow>(e) || std::holds_alternative<DeleteRow>(e) ||
               std::holds_alternative<MoveRow>(e);
    });
    if (moving > kRowsTakenAlong) {
        m_numbers.clear();
        m_resultNumbers.clear();
    }
}

void Series::run(Command edits) {
    if (edits.empty())
        return;
    forgetNumbersFor(edits);
    Command inverses;
    for (Edit& e : edits)
        inverses.push_back(apply(std::move(e)));
    std::reverse(inverses.begin(), inverses.end());
    if (m_clean > m_undo.size())
        m_clean = kUnsaved;  // the saved state was undone and is now lost
    m_undo.push_back(std::move(inverses));
    m_redo.clear();
}

// Applies the last command of from and keeps its inverses on to.
void Series::replay(std::vector<Command>& from, std::vector<Command>& to) {
    if (from.empty())
        return;
    forgetNumbersFor(from.back());
    Command inverses;
    for (Edit& e : from.back())
        inverses.push_back(apply(std::move(e)));
    from.pop_back();
    std::reverse(inverses.begin(), inverses.end());
    to.push_back(std::move(inverses));
}

void Series::touched(std::size_t from, std::size_t unchangedAfter) {
    m_unchangedHead = std::min(m_unchangedHead, from);
    m_unchangedTail = std::min(m_unchangedTail, unchangedAfter);
}

Series::Change Series::takeChange() {
    Change change{m_changedWhole, m_changedSettings};
    if (!m_changedWhole && m_unchangedHead != kAllKept) {
        // Each edit keeps head and tail within the rows before and after
        // it, so that they never overlap.
        change.at = m_unchangedHead;
        change.removed = m_changeBase - m_unchangedHead - m_unchangedTail;
        change.inserted = m_rows.size() - m_unchangedHead - m_unchangedTail;
    }
    m_changedWhole = m_changedSettings = false;
    m_changeBase = m_rows.size();
    m_unchangedHead = m_unchangedTail = kAllKept;
    return change;
}

void Series::undo() {
    replay(m_undo, m_redo);
}

void Series::redo() {
    replay(m_redo, m_undo);
}

void Series::setCell(std::size_t row, std::size_t c, const std::string& text) {
    if (cellText(row, c) != text)
        run({SetCell{row, c, text}});
}

void Series::insertRows(std::size_t at, std::size_t count) {
    Command edits;
    for (std::size_t i = 0; i < count; ++i)
        edits.push_back(InsertRow{std::min(at, m_rows.size()) + i, emptyRow()});
    run(std::move(edits));
}

void Series::deleteRows(std::size_t at, std::size_t count) {
    Command edits;
    for (std::size_t i = 0; i < count && at + i < m_rows.size(); ++i)
        edits.push_back(DeleteRow{at});
    run(std::move(edits));
}

void Series::moveRow(std::size_t from, std::size_t to) {
    if (from != to && from < m_rows.size() && to < m_rows.size())
        run({MoveRow{from, to}});
}

void Series::addColumn(std::size_t at, const std::string& header) {
    run({InsertColumn{std::min(at, m_columns.size()), checkedColumn(header, kNone), {}}});
}

void Series::deleteColumn(std::size_t c) {
    if (c < m_columns.size())
        run({DeleteColumn{c}});
}

void Series::moveColumn(std::size_t from, std::size_t to) {
    if (from != to && from < m_columns.size() && to < m_columns.size())
        run({MoveColumn{from, to}});
}

void Series::renameColumn(std::size_t c, const std::string& header) {
    if (m_columns.at(c).header == header)
        return;
    checkedColumn(header, c);
    run({RenameColumn{c, header}});
}

void Series::setSettings(const Settings& settings) {
    if (settings != m_settings)
        run({ReplaceSettings{settings}});
}

void Series::replaceRows(std::size_t at, std::size_t removed,
                         const std::vector<std::vector<std::string>>& rows) {
    if (at > m_rows.size() || removed > m_rows.size() - at)
        throw platform::Exception("rows " + std::to_string(at + 1) + " to " +
                                  std::to_string(at + removed) + " are not in the series");
    for (const auto& cells : rows)
        if (cells.size() != m_columns.size())
            throw platform::Exception("a row of " + std::to_string(cells.size()) +
                                      " cells in a series of " + std::to_string(m_columns.size()) +
                                      " columns");
    Command edits;
    for (std::size_t i = 0; i < removed; ++i)
        edits.push_back(DeleteRow{at});
    for (std::size_t i = 0; i < rows.size(); ++i)
        edits.push_back(InsertRow{at + i, emptyRow()});
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t c = 0; c < rows[i].size(); ++c)
            if (!rows[i][c].empty())
                edits.push_back(SetCell{at + i, c, rows[i][c]});
    run(std::move(edits));
}

void Series::paste(std::size_t row, std::size_t c, const std::string& block) {
    std::vector<std::vector<std::string>> cells;
    std::istringstream lines(block);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string>& fields = cells.emplace_back();
        std::size_t from = 0;
        for (std::size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1)
            fields.push_back(line.substr(from, tab - from));
        fields.push_back(line.substr(from));
    }
    if (cells.empty())
        return;
    row = std::min(row, m_rows.size());
    c = std::min(c, m_columns.size());
    std::size_t width = 0;
    for (const auto& fields : cells)
        width = std::max(width, fields.size());
    // The table grows first; the cells are then set into it.
    Command edits;
    for (std::size_t k = m_columns.size(); k < c + width; ++k)
        edits.push_back(InsertColumn{k, SeriesColumn{}, {}});
    for (std::size_t r = m_rows.size(); r < row + cells.size(); ++r) {
        Row empty;
        empty.cells.resize(std::max(m_columns.size(), c + width));
        edits.push_back(InsertRow{r, std::move(empty)});
    }
    for (std::size_t i = 0; i < cells.size(); ++i)
        for (std::size_t k = 0; k < cells[i].size(); ++k)
            edits.push_back(SetCell{row + i, c + k, cells[i][k]});
    run(std::move(edits));
}

// ------------------------------------------------------------ files

void Series::read(std::istream& in) {
    CsvReader reader(in);
    CsvRecord record;
    if (!reader.next(record))
        throw InputError("line 1: the input is empty; it needs a header row naming the columns");
    Series read;
    read.m_monteCarlo = m_monteCarlo;
    read.m_deferFrom = m_deferFrom;
    // Room for the rows the rest of the input may hold (at 16 bytes or more a
    // line), so that a long file is not moved row by row as it grows; room
    // not used is never touched.
    if (const std::streampos at = in.tellg(); at != std::streampos(-1)) {
        in.seekg(0, std::ios::end);
        const std::streamoff left = in.tellg() - at;
        in.seekg(at);
        if (in && left > 0)
            read.m_rows.reserve(static_cast<std::size_t>(left) / 16);
    }
    // The results a file holds are evaluated again and compared, never
    // taken as inputs.
    const std::vector<Header> headers = readHeaderRow(record);
    std::vector<bool> kept;
    std::vector<std::pair<std::size_t, std::string>> settingColumns;
    for (std::size_t i = 0; i < headers.size(); ++i) {
        const HeaderRole role = headers[i].role;
        if (role == HeaderRole::Setting) {
            std::optional<std::string> key = settingKey(record.fields[i]);
            for (const auto& [at, other] : settingColumns)
                if (other == *key)
                    throw InputError("line " + std::to_string(record.line) + ", column " +
                                     std::to_string(i + 1) + ": the setting " + *key +
                                     " appears twice");
            settingColumns.emplace_back(i, std::move(*key));
        }
        kept.push_back(role != HeaderRole::Result && role != HeaderRole::Uncertainty &&
                       role != HeaderRole::Error && role != HeaderRole::Setting);
        if (kept.back())
            read.m_columns.push_back(columnOf(record.fields[i], headers[i]));
    }
    while (reader.next(record)) {
        if (record.fields.size() != kept.size())
            throw InputError("line " + std::to_string(record.line) + ": " +
                             std::to_string(record.fields.size()) + " fields, but the header has " +
                             std::to_string(kept.size()));
        readSettings(record, settingColumns, read.m_rows.empty(), read.m_settings);
        Row row;
        row.cells.reserve(read.m_columns.size());
        for (std::size_t i = 0; i < kept.size(); ++i) {
            if (kept[i]) {
                row.cells.emplace_back(std::move(record.fields[i]));
            } else if (headers[i].role == HeaderRole::Result) {
                row.fileResults.resize(kResultColumns.size());
                row.fileResults[headers[i].result] = std::move(record.fields[i]);
            }
        }
        read.m_rows.push_back(std::move(row));
    }
    // The row that only carries the settings of a series without rows.
    if (read.m_rows.size() == 1 && blank(read.m_rows[0]) && !read.m_settings.empty())
        read.m_rows.clear();
    read.m_dialect = reader.dialect();
    read.m_revision = m_revision;
    read.evaluateAll();
    read.m_changedWhole = true;
    *this = std::move(read);
}

void Series::open(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path))
        throw platform::Exception("Cannot open \"" + path.string() +
                                  "\": " + (in ? "it is a folder" : std::strerror(errno)));
    try {
        read(in);
    } catch (const InputError& e) {
        throw InputError(path.string() + ", " + e.what());
    }
}

std::string Series::text(PendingRows pending) const {
    std::string out = m_dialect.bom ? "\xEF\xBB\xBF" : "";
    std::vector<std::string> fields;
    for (const SeriesColumn& c : m_columns)
        fields.push_back(c.header);
    const std::vector<std::string> results = resultNames();
    fields.insert(fields.end(), results.begin(), results.end());
    fields.push_back("Error");
    for (const auto& [key, value] : m_settings.entries())
        fields.push_back(settingHeader(key));
    std::string header = csvRecord(fields, m_dialect);
    // A first field that starts like a byte order mark would be read back as
    // a broken one; in quotes it is data.
    if (!m_dialect.bom && header.rfind('\xEF', 0) == 0) {
        const std::string first = csvField(fields[0], m_dialect.separator);
        header.replace(0, first.size(), "\"" + first + "\"");
    }
    out += header;
    Row scratch;
    for (const Row& listed : m_rows) {
        const Row& row = pending == PendingRows::Evaluated ? evaluated(listed, scratch)
                                                           : withoutResults(listed, scratch);
        fields.clear();
        std::string error = row.error.empty() ? row.notice : row.error;
        for (const Cell& cell : row.cells) {
            fields.push_back(cell.text);
            if (cell.refusal)
                error += (error.empty() ? "" : "; ") + *cell.refusal;
        }
        for (std::size_t i = 0; i < results.size(); ++i)
            fields.push_back(dialectNumber(
                i < row.results.size() ? std::string(row.results[i]) : std::string(), m_dialect));
        fields.push_back(error);
        for (const auto& [key, value] : m_settings.entries())
            fields.push_back(&listed == &m_rows.front() ? value : std::string());
        out += csvRecord(fields, m_dialect);
    }
    if (m_rows.empty() && !m_settings.empty()) {
        fields.assign(m_columns.size() + results.size() + 1, std::string());
        for (const auto& [key, value] : m_settings.entries())
            fields.push_back(value);
        out += csvRecord(fields, m_dialect);
    }
    return out;
}

// Only the texts are copied: another thread may be writing the row's
// results and errors meanwhile.
const Series::Row& Series::evaluated(const Row& row, Row& scratch) const {
    if (!row.pending.value.load(std::memory_order_acquire))
        return row;
    scratch = Row{};
    for (const Cell& cell : row.cells)
        scratch.cells.emplace_back(cell.text);
    evaluate(scratch);
    return scratch;
}

const Series::Row& Series::withoutResults(const Row& row, Row& scratch) const {
    if (!row.pending.value.load(std::memory_order_acquire))
        return row;
    scratch = Row{};
    for (const Cell& cell : row.cells)
        scratch.cells.emplace_back(cell.text);
    return scratch;
}

void Series::save(const std::filesystem::path& path) {
    platform::replaceFile(path, text());
    m_clean = m_undo.size();
}

}  // namespace series
