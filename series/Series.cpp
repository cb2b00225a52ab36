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
#include "series/SeriesInternal.h"

namespace series {

namespace internal {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

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

}  // namespace internal

using internal::sameName;

namespace {

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
    return isWord(text, numberOf(text));
}

bool Series::isWord(const std::string& text, double number) {
    return std::isnan(number) && !trimmed(text).empty();
}

void Series::insertNumbers(std::size_t at, const Row* rows, std::size_t count) {
    const auto where = static_cast<std::ptrdiff_t>(at);
    std::vector<double> block(count);
    for (std::size_t c = 0; c < m_numbers.size(); ++c)
        if (std::optional<Numbers>& n = m_numbers[c]) {
            for (std::size_t r = 0; r < count; ++r) {
                const std::string& text = rows[r].cells[c].text;
                block[r] = numberOf(text);
                n->words += isWord(text, block[r]);
            }
            n->values.insert(n->values.begin() + where, block.begin(), block.end());
        }
    for (std::size_t i = 0; i < m_resultNumbers.size(); ++i)
        if (std::optional<std::vector<double>>& kept = m_resultNumbers[i]) {
            for (std::size_t r = 0; r < count; ++r)
                block[r] = resultNumber(rows[r], i);
            kept->insert(kept->begin() + where, block.begin(), block.end());
        }
}

void Series::eraseNumbers(std::size_t at, const Row* rows, std::size_t count) {
    const auto from = static_cast<std::ptrdiff_t>(at);
    const auto to = static_cast<std::ptrdiff_t>(at + count);
    for (std::size_t c = 0; c < m_numbers.size(); ++c)
        if (std::optional<Numbers>& n = m_numbers[c]) {
            for (std::size_t r = 0; r < count; ++r)
                n->words -= isWord(rows[r].cells[c].text, n->values[at + r]);
            n->values.erase(n->values.begin() + from, n->values.begin() + to);
        }
    for (std::optional<std::vector<double>>& kept : m_resultNumbers)
        if (kept)
            kept->erase(kept->begin() + from, kept->begin() + to);
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

}  // namespace series
