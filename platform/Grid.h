// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Control.h"

namespace platform {

// What a grid shows in one cell.
struct GridCell {
    std::string text;
    std::optional<Color> background{};  // none: the view's own
    std::string tooltip{};
    bool readOnly = false;
};

// A block of cells, corners included.
struct GridRange {
    int top = 0, left = 0, bottom = 0, right = 0;
    friend bool operator==(const GridRange&, const GridRange&) = default;
};

// A table of virtual rows: the grid holds no cells, it asks its owner for
// those it shows (OnGetCell), so that a table of any length costs only what
// is on the screen. The owner calls invalidate() when cells changed.
// The keys: Tab and Enter move on after an edit, F2 or a double click edits
// the current cell, typing replaces it; Ctrl+C and Ctrl+V run the owner's
// copy and paste.
class Grid : public Control {
  public:
    Grid(Control* parent, std::string name);
    std::string className() const override { return "TGrid"; }

    int rowCount() const { return m_rows; }
    int columnCount() const { return static_cast<int>(m_headers.size()); }
    const std::vector<std::string>& headers() const { return m_headers; }
    // The column headers (which set the column count) and the row count;
    // the current cell and the selection stay inside.
    void setShape(std::vector<std::string> headers, int rows);
    // What a column header says when the pointer rests on it; empty for
    // nothing. Set after setShape, one per column (missing ones are empty).
    void setHeaderTooltips(std::vector<std::string> tooltips);
    std::string headerTooltip(int column) const;
    // Cells changed: the peer asks again for those it shows.
    void invalidate() { notify(Property::Content); }

    // The cell as the owner answers; empty where it does not.
    GridCell cell(int row, int column) const;
    std::function<GridCell(int row, int column)> OnGetCell;

    int currentRow() const { return m_row; }
    int currentColumn() const { return m_column; }
    void setCurrent(int row, int column);
    // The selected block; the current cell alone when nothing more is.
    const GridRange& selection() const { return m_selection; }
    void setSelection(const GridRange& block);

    // An edit the user finished: (row, column, text).
    std::function<void(Grid& sender, int row, int column, const std::string& text)> OnCellEdited;
    NotifyEvent OnCurrentChanged;
    // The selection set again (setCurrent, setSelection), by the user or
    // the owner: commands on the selected cells follow it.
    NotifyEvent OnSelectionChanged;
    NotifyEvent OnCopy;
    NotifyEvent OnPaste;

    // The user's actions. An edit of a read-only cell or one outside is
    // refused (false).
    bool userEdit(int row, int column, const std::string& text);
    // The current cell, as a click or an arrow key moves it.
    void userSetCurrent(int row, int column);
    // A block dragged or Shift-extended: the current cell is its corner.
    void userSelect(const GridRange& block);
    // A key press: arrows, Home, End, Tab (Shift: back), Enter, Ctrl+C,
    // Ctrl+V. True when the grid handled it.
    bool userKeyDown(int key, bool ctrl = false, bool shift = false);
    // Typed text ending with Tab or Enter: the current cell takes the text
    // and the key moves on, as in a spreadsheet.
    bool userType(const std::string& text, int endKey);

  private:
    void run(const std::function<void()>& action);
    std::vector<std::string> m_headers;
    std::vector<std::string> m_headerTooltips;
    int m_rows = 0;
    int m_row = 0;
    int m_column = 0;
    GridRange m_selection;
};

}  // namespace platform
