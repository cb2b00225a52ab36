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

using internal::columnOf;
using internal::kNone;
using internal::sameName;

namespace {

// Fewer rows than this each are evaluated on the calling thread.
constexpr std::size_t kRowsPerThread = 2000;

}  // namespace

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

}  // namespace series
