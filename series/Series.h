// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "analysis/Uncertainty.h"
#include "model/Quantities.h"
#include "platform/base/Csv.h"
#include "series/Row.h"
#include "series/Settings.h"

namespace series {

// What a column holds: an input of the table of quantities, its standard
// uncertainty or distribution, the solvent ("water" or empty), or text the
// user keeps beside them (a label, pH, the buffer, notes).
// The electrokinetic model ("dhh", "henry", "ohshima", or empty for dhh),
// and the salt of a model not linear in z (a note under the others).
// The conversion of a Zeta ("smoluchowski", "huckel", "henry").
enum class ColumnKind { Input, SD, Dist, Solvent, Model, Salt, ZetaModel, Text };

struct SeriesColumn {
    std::string header;  // as in the file or as typed
    ColumnKind kind = ColumnKind::Text;
    model::Quantity quantity{};  // for Input, SD and Dist
    // An Input's or SD's unit when it is converted (mM): the cells keep the
    // file's numbers, and enter the row times multiply / divide.
    std::string unit;
    double multiply = 1;
    double divide = 1;
};

// A series of samples: a table of cell texts as typed, with each row
// entered into the main window's start-up sample and evaluated. A cell that
// the window would refuse carries its reason, and its row has no results;
// the other rows go on. Every change is a command that can be undone and
// redone; a change of a cell evaluates its row again, a change of the
// columns every row.
class Series {
  public:
    Series();

    // --- the table
    std::size_t rowCount() const { return m_rows.size(); }
    std::size_t columnCount() const { return m_columns.size(); }
    const SeriesColumn& column(std::size_t c) const { return m_columns.at(c); }
    // "IonicStrength (M)" for an input, the header as typed for the others.
    std::string headerText(std::size_t c) const;
    const std::string& cellText(std::size_t row, std::size_t c) const;
    // Why the cell is refused; empty when it is not.
    const std::string& cellError(std::size_t row, std::size_t c) const;
    // Why the row has no results when no single cell is to blame; empty
    // otherwise.
    const std::string& rowError(std::size_t row) const;
    // What the row's results take on trust: the lower of two valences that
    // give its z*; empty otherwise.
    const std::string& rowNotice(std::size_t row) const;

    // What an empty input cell of a row with results stands for ("empty:
    // the start-up value Temperature 20.0 °C"); empty otherwise.
    std::string cellNote(std::size_t row, std::size_t c) const;
    // The conditions every row takes from the start-up values because the
    // series has no column for them, and the same in words for a status line
    // ("Temperature 20.0 °C, ..."); empty when there are none.
    std::vector<model::Quantity> startUpConditions() const;
    std::string startUpNotice() const;

    // --- the results of the last evaluation
    // The result columns: those of quorvin-batch, and with SD columns the
    // uncertainty of z and z*.
    std::vector<std::string> resultNames() const;
    // Empty for a row without results.
    std::string resultText(std::size_t row, std::size_t result) const;
    // Where a file opened held another text for a result of a row than the
    // one evaluated again: "the file says 15.85; calculated: 15.86"; empty
    // otherwise, and once the row's inputs are edited.
    std::string resultNote(std::size_t row, std::size_t result) const;
    // The number of results that differ so, over the series.
    std::size_t resultDifferences() const { return m_differences.load(); }
    // The rows that give an input but have no results (refused), pending
    // rows aside.
    std::size_t rowsWithoutResults() const { return m_withoutResults.load(); }

    // --- evaluation on other threads
    // A series of at least rows rows leaves them pending when it is read or
    // its columns change: not yet evaluated, with no results, errors or
    // notes, until evaluatePending takes them. A shorter one evaluates them
    // at once, as every series does by default.
    void deferEvaluation(std::size_t rows) { m_deferFrom = rows; }
    std::size_t pendingRows() const { return m_pending.load(); }
    bool pending(std::size_t row) const;
    // Evaluates the pending rows of the chunks that next() hands out
    // (chunk k: the rows from k * chunk on), until stop is set or no chunk
    // is left; the rows evaluated. Threads may run it side by side while
    // the owner only reads the series (a reader sees a row's results once
    // it is no longer pending); the owner changes nothing until they end.
    std::size_t evaluatePending(const std::function<std::size_t()>& next, std::size_t chunk,
                                const std::atomic<bool>& stop);
    // The Monte Carlo run of rows with SD columns; none leaves it out (the
    // GUM's u and U still come).
    void setMonteCarlo(std::optional<analysis::MonteCarloOptions> options);
    // Without a run of its own, the rows whose 95 % interval is missing and
    // what each needs for a run elsewhere (rowMonteCarlo), at this revision.
    struct PendingDraws {
        std::size_t row;
        RowDraws draws;
    };
    std::vector<PendingDraws> pendingMonteCarlo() const;
    // Counts the changes of the rows' results and places: an edit that
    // evaluates a row, rows inserted, deleted or moved, an open.
    std::uint64_t revision() const { return m_revision; }
    // A run's result for a row that pendingMonteCarlo() gave at revision;
    // false, and nothing changed, when the series changed since.
    bool setMonteCarloResult(std::uint64_t revision, std::size_t row,
                             const analysis::MonteCarloResult& result);

    // The row as the main window would take it: its inputs in the
    // program's decimal point and whether its solvent is water.
    struct RowEntries {
        std::vector<model::Entry> entries;
        bool water = false;
        model::ElectrokineticModel model = model::ElectrokineticModel::Dhh;
        std::string salt = "NaCl";
    };
    RowEntries rowEntries(std::size_t row) const;

    // --- values for a graph: one per row, none where a cell holds no number
    using Values = std::vector<std::optional<double>>;
    // A column usable as x: an input, or a text column whose cells are all
    // numbers or empty (in the file's decimal mark or the program's).
    std::optional<Values> xValues(std::size_t c) const;
    // Whether xValues(c) gives values, without them.
    bool numericColumn(std::size_t c) const;
    // A cell as a number (in the file's decimal mark or the program's), NaN
    // where it holds none.
    double cellNumber(std::size_t row, std::size_t c) const { return numbers(c).values.at(row); }
    // A result by name ("Valence").
    std::optional<Values> yValues(const std::string& resultName) const;

    // --- commands
    void setCell(std::size_t row, std::size_t c, const std::string& text);
    void insertRows(std::size_t at, std::size_t count);
    void deleteRows(std::size_t at, std::size_t count);
    void moveRow(std::size_t from, std::size_t to);
    // A header that readHeader refuses, names a result or a second column
    // of the same input throws InputError and changes nothing.
    void addColumn(std::size_t at, const std::string& header);
    void deleteColumn(std::size_t c);
    void moveColumn(std::size_t from, std::size_t to);
    void renameColumn(std::size_t c, const std::string& header);
    // Tab-separated lines (a spreadsheet's copy) from the cell (row, c) on;
    // rows and text columns are added where the block runs past the table.
    void paste(std::size_t row, std::size_t c, const std::string& block);

    // What the series keeps beside its table (Settings); a change is a
    // command, undone and saved as the cells are.
    const Settings& settings() const { return m_settings; }
    void setSettings(const Settings& settings);

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    void undo();
    void redo();

    // What the commands (undo and redo too) changed since the last call,
    // for a copy that follows the series edit by edit: the rows from at
    // on, removed of them as they were, are now inserted rows; the
    // settings; or the whole series (its columns changed, or it was read),
    // which no range of rows describes.
    struct Change {
        bool whole = false;
        bool settings = false;
        std::size_t at = 0;
        std::size_t removed = 0;
        std::size_t inserted = 0;
        bool rows() const { return removed + inserted > 0; }
    };
    Change takeChange();
    // One command: the rows from at on, removed of them, give way to rows,
    // each its cells' texts, one per column. Throws platform::Exception,
    // changing nothing, where they name no row or cell of the series.
    void replaceRows(std::size_t at, std::size_t removed,
                     const std::vector<std::vector<std::string>>& rows);

    // --- files
    // Unsaved changes since the last open or save.
    bool dirty() const { return m_undo.size() != m_clean; }
    // Unsaved whatever is undone or redone, until the next save (a series
    // recovered after a crash).
    void markUnsaved() { m_clean = kUnsaved; }
    const Dialect& dialect() const { return m_dialect; }
    // Replaces the series with a file's: its result columns (as Quorvin
    // names them, series/Headers.h) are evaluated again and compared with
    // what the file says (resultNote); a file that cannot be read throws InputError with
    // the line and column, or platform::Exception, and changes nothing.
    void open(const std::filesystem::path& path);
    void read(std::istream& in);
    // The inputs as typed, the text columns, then the results and Error, in
    // the dialect the file came in. Pending rows are evaluated for it, or
    // written without results where they are read again (a recovery copy,
    // whose results are calculated again when it is read).
    enum class PendingRows { Evaluated, WithoutResults };
    std::string text(PendingRows pending = PendingRows::Evaluated) const;
    // Atomically: a failed save throws platform::Exception and leaves the
    // old file whole.
    void save(const std::filesystem::path& path);

  private:
    // A refusal is rare: it is kept apart, so that a long series holds
    // each cell in the room of its text.
    struct Cell {
        std::string text;
        std::unique_ptr<std::string> refusal;
        Cell() = default;
        explicit Cell(std::string t) : text(std::move(t)) {}
        Cell(const Cell& o) : text(o.text) { setError(o.error()); }
        Cell& operator=(const Cell& o) {
            text = o.text;
            setError(o.error());
            return *this;
        }
        Cell(Cell&&) noexcept = default;
        Cell& operator=(Cell&&) noexcept = default;
        const std::string& error() const;
        void setError(const std::string& why) {
            refusal = why.empty() ? nullptr : std::make_unique<std::string>(why);
        }
    };
    // A row's result texts in one string, each ended by a NUL: a long
    // series holds its results in a third of the room separate strings take.
    class Texts {
      public:
        std::size_t size() const { return m_count; }
        bool empty() const { return m_count == 0; }
        void clear() {
            m_packed.clear();
            m_count = 0;
        }
        void push_back(std::string_view text) {
            m_packed.append(text);
            m_packed.push_back('\0');
            ++m_count;
        }
        std::string_view operator[](std::size_t i) const;
        // Throws std::out_of_range past the end.
        void set(std::size_t i, std::string_view text);

      private:
        std::string m_packed;
        std::size_t m_count = 0;
    };
    // A count that threads evaluating rows change side by side; copied as
    // a value with its series.
    struct Count {
        std::atomic<std::size_t> value{0};
        Count() = default;
        Count(const Count& o) noexcept : value(o.value.load()) {}
        Count& operator=(const Count& o) noexcept {
            value.store(o.value.load());
            return *this;
        }
        std::size_t load() const { return value.load(); }
    };
    // Set while the row waits for its evaluation; cleared (release) once its
    // results and errors are written.
    struct PendingFlag {
        std::atomic<bool> value{false};
        PendingFlag() = default;
        PendingFlag(const PendingFlag& o) noexcept : value(o.value.load()) {}
        PendingFlag& operator=(const PendingFlag& o) noexcept {
            value.store(o.value.load());
            return *this;
        }
    };
    struct Row {
        std::vector<Cell> cells;
        PendingFlag pending;
        std::string error;
        std::string notice;
        Texts results;  // empty without results
        // What the file opened said for the results, by index; empty where
        // it had no such column, and after an edit of the inputs.
        std::vector<std::string> fileResults;
        // With SD columns and results; apart, as most rows have none.
        std::shared_ptr<const RowDraws> draws;
    };
    struct SetCell {
        std::size_t row, column;
        std::string text;
    };
    // A block of rows is one edit: the rows after it move once.
    struct InsertRows {
        std::size_t at;
        std::vector<Row> rows;
    };
    struct DeleteRows {
        std::size_t at, count;
    };
    struct MoveRow {
        std::size_t from, to;
    };
    struct InsertColumn {
        std::size_t at;
        SeriesColumn column;
        std::vector<std::string> cells;
    };
    struct DeleteColumn {
        std::size_t at;
    };
    struct MoveColumn {
        std::size_t from, to;
    };
    struct RenameColumn {
        std::size_t column;
        std::string header;
    };
    struct ReplaceSettings {
        Settings settings;
    };
    using Edit = std::variant<SetCell, InsertRows, DeleteRows, MoveRow, InsertColumn, DeleteColumn,
                              MoveColumn, RenameColumn, ReplaceSettings>;
    using Command = std::vector<Edit>;  // the inverses of what a command did

    // Applies one edit and returns its inverse.
    Edit apply(Edit edit);
    void run(Command edits);
    void replay(std::vector<Command>& from, std::vector<Command>& to);
    static bool blank(const Row& row);
    void evaluate(Row& row) const;
    static void putInterval(Row& row, const analysis::MonteCarloResult& r);
    void evaluateAll();
    void evaluateRows();
    // The row's share of rowsWithoutResults and resultDifferences.
    struct Tally {
        std::size_t withoutResults = 0;
        std::size_t differences = 0;
    };
    Tally tallyOf(const Row& row) const;
    void count(const Row& row, int sign);
    void recount();
    bool hasInputs(const Row& row) const;
    std::string noteOf(const Row& row, std::size_t result) const;
    // A column's cells as numbers (NaN where none), kept while only cells
    // change, so that a plot of a long series costs one pass per edit.
    struct Numbers {
        std::vector<double> values;
        std::size_t words = 0;  // cells neither empty nor a number
    };
    const Numbers& numbers(std::size_t c) const;
    double numberOf(const std::string& text) const;
    // The row as evaluated, where it is still pending (for the file).
    const Row& evaluated(const Row& row, Row& scratch) const;
    const Row& withoutResults(const Row& row, Row& scratch) const;
    SeriesColumn classify(const std::string& header, std::size_t except) const;
    // What a column that header names would be, or why it is refused.
    SeriesColumn checkedColumn(const std::string& header, std::size_t except) const;
    std::string programText(const Row& row, std::size_t c) const;
    bool hasUncertainty() const;
    Row emptyRow() const;

    std::vector<SeriesColumn> m_columns;
    std::vector<Row> m_rows;
    Settings m_settings;
    Dialect m_dialect;
    std::optional<analysis::MonteCarloOptions> m_monteCarlo;
    std::vector<Command> m_undo;
    std::vector<Command> m_redo;
    static constexpr std::size_t kUnsaved = static_cast<std::size_t>(-1);
    std::size_t m_clean = 0;  // the undo depth that matches the file; kUnsaved: none
    std::uint64_t m_revision = 0;
    std::size_t m_deferFrom = static_cast<std::size_t>(-1);
    Count m_pending;
    Count m_withoutResults;
    Count m_differences;
    mutable std::vector<std::optional<Numbers>> m_numbers;  // by column, once asked
    // The same for the results, by index, while no row is pending.
    mutable std::vector<std::optional<std::vector<double>>> m_resultNumbers;
    static double resultNumber(const Row& row, std::size_t result);
    // The rows an edit changes, from row from on, with unchangedAfter rows
    // after it kept as they were (takeChange).
    void touched(std::size_t from, std::size_t unchangedAfter);
    static constexpr std::size_t kAllKept = static_cast<std::size_t>(-1);
    bool m_changedWhole = true;
    bool m_changedSettings = false;
    std::size_t m_changeBase = 0;            // the rows at the last takeChange
    std::size_t m_unchangedHead = kAllKept;  // rows kept from the start
    std::size_t m_unchangedTail = kAllKept;  // and from the end
    // After the row's results changed.
    void renumber(std::size_t row);
    // A cell neither empty nor a number.
    bool isWord(const std::string& text) const;
    // The same for a text whose number is known, without reading it again.
    static bool isWord(const std::string& text, double number);
    // The numbers kept, as the row goes in at at or out of it.
    void insertNumbers(std::size_t at, const Row* rows, std::size_t count);
    void eraseNumbers(std::size_t at, const Row* rows, std::size_t count);
    void forgetNumbersFor(const Command& edits);
};

}  // namespace series
