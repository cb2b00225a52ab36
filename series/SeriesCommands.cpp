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

using internal::kNone;

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
                    const double value = numberOf(e.text);
                    n.words = n.words - isWord(old, n.values[e.row]) + isWord(e.text, value);
                    n.values[e.row] = value;
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
            } else if constexpr (std::is_same_v<T, InsertRows>) {
                const std::size_t n = e.rows.size();
                touched(e.at, m_rows.size() - std::min(e.at, m_rows.size()));
                ++m_revision;  // the rows after them move
                for (const Row& row : e.rows) {
                    count(row, 1);
                    m_pending.value += row.pending.value.load();
                }
                insertNumbers(e.at, e.rows.data(), n);
                m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(e.at),
                              std::make_move_iterator(e.rows.begin()),
                              std::make_move_iterator(e.rows.end()));
                return DeleteRows{e.at, n};
            } else if constexpr (std::is_same_v<T, DeleteRows>) {
                ++m_revision;
                const auto from = m_rows.begin() + static_cast<std::ptrdiff_t>(e.at);
                const auto to = from + static_cast<std::ptrdiff_t>(e.count);
                touched(e.at, m_rows.size() - e.at - e.count);
                std::vector<Row> rows(std::make_move_iterator(from), std::make_move_iterator(to));
                eraseNumbers(e.at, rows.data(), rows.size());
                m_rows.erase(from, to);
                for (const Row& row : rows) {
                    count(row, -1);
                    m_pending.value -= row.pending.value.load();
                }
                return InsertRows{e.at, std::move(rows)};
            } else if constexpr (std::is_same_v<T, MoveRow>) {
                ++m_revision;
                Row row = std::move(m_rows.at(e.from));
                touched(std::min(e.from, e.to), m_rows.size() - std::max(e.from, e.to) - 1);
                eraseNumbers(e.from, &row, 1);
                m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(e.from));
                insertNumbers(e.to, &row, 1);
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
        return std::holds_alternative<InsertRows>(e) || std::holds_alternative<DeleteRows>(e) ||
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
    if (count > 0)
        run({InsertRows{std::min(at, m_rows.size()), std::vector<Row>(count, emptyRow())}});
}

void Series::deleteRows(std::size_t at, std::size_t count) {
    if (at < m_rows.size() && count > 0)
        run({DeleteRows{at, std::min(count, m_rows.size() - at)}});
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
    // The rows come evaluated, as each cell set into an empty row would
    // leave them: one block in, one block out.
    std::vector<Row> block;
    block.reserve(rows.size());
    for (const auto& cells : rows) {
        Row& row = block.emplace_back(emptyRow());
        for (std::size_t c = 0; c < cells.size(); ++c)
            row.cells[c].text = cells[c];
        if (!blank(row))
            evaluate(row);
    }
    Command edits;
    if (removed > 0)
        edits.push_back(DeleteRows{at, removed});
    if (!block.empty())
        edits.push_back(InsertRows{at, std::move(block)});
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
    if (m_rows.size() < row + cells.size()) {
        Row empty;
        empty.cells.resize(std::max(m_columns.size(), c + width));
        edits.push_back(
            InsertRows{m_rows.size(), std::vector<Row>(row + cells.size() - m_rows.size(), empty)});
    }
    for (std::size_t i = 0; i < cells.size(); ++i)
        for (std::size_t k = 0; k < cells[i].size(); ++k)
            edits.push_back(SetCell{row + i, c + k, cells[i][k]});
    run(std::move(edits));
}

}  // namespace series
