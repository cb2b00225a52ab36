// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Grid.h"

#include <algorithm>

#include "platform/Application.h"

namespace platform {

Grid::Grid(Control* parent, std::string name) : Control(parent, std::move(name)) {
    setColor(clWhite);
    setTabStop(true);
}

void Grid::setShape(std::vector<std::string> headers, int rows) {
    m_headers = std::move(headers);
    m_rows = std::max(rows, 0);
    const int row = std::clamp(m_row, 0, std::max(m_rows - 1, 0));
    const int column = std::clamp(m_column, 0, std::max(columnCount() - 1, 0));
    m_row = row;
    m_column = column;
    m_selection = {row, column, row, column};
    notify(Property::Layout);
}

void Grid::setHeaderTooltips(std::vector<std::string> tooltips) {
    if (tooltips == m_headerTooltips)
        return;
    m_headerTooltips = std::move(tooltips);
    notify(Property::Content);
}

std::string Grid::headerTooltip(int column) const {
    return column >= 0 && static_cast<std::size_t>(column) < m_headerTooltips.size()
               ? m_headerTooltips[static_cast<std::size_t>(column)]
               : std::string();
}

GridCell Grid::cell(int row, int column) const {
    if (!OnGetCell || row < 0 || row >= m_rows || column < 0 || column >= columnCount())
        return {};
    return OnGetCell(row, column);
}

void Grid::setCurrent(int row, int column) {
    row = std::clamp(row, 0, std::max(m_rows - 1, 0));
    column = std::clamp(column, 0, std::max(columnCount() - 1, 0));
    const bool moved = row != m_row || column != m_column;
    m_row = row;
    m_column = column;
    m_selection = {row, column, row, column};
    notify(Property::Selection);
    if (moved && OnCurrentChanged)
        OnCurrentChanged(*this);
    if (OnSelectionChanged)
        OnSelectionChanged(*this);
}

void Grid::setSelection(const GridRange& block) {
    GridRange b{std::min(block.top, block.bottom), std::min(block.left, block.right),
                std::max(block.top, block.bottom), std::max(block.left, block.right)};
    b.top = std::clamp(b.top, 0, std::max(m_rows - 1, 0));
    b.bottom = std::clamp(b.bottom, 0, std::max(m_rows - 1, 0));
    b.left = std::clamp(b.left, 0, std::max(columnCount() - 1, 0));
    b.right = std::clamp(b.right, 0, std::max(columnCount() - 1, 0));
    m_selection = b;
    notify(Property::Selection);
    if (OnSelectionChanged)
        OnSelectionChanged(*this);
}

void Grid::run(const std::function<void()>& action) {
    Application::current().dispatch(form(), action);
}

bool Grid::userEdit(int row, int column, const std::string& text) {
    if (!enabled() || row < 0 || row >= m_rows || column < 0 || column >= columnCount() ||
        cell(row, column).readOnly)
        return false;
    run([&] {
        setCurrent(row, column);
        if (OnCellEdited)
            OnCellEdited(*this, row, column, text);
    });
    return true;
}

void Grid::userSetCurrent(int row, int column) {
    run([&] { setCurrent(row, column); });
}

void Grid::userSelect(const GridRange& block) {
    run([&] {
        setCurrent(block.bottom, block.right);
        setSelection(block);
    });
}

bool Grid::userKeyDown(int key, bool ctrl, bool shift) {
    if (!enabled())
        return false;
    if (ctrl) {
        NotifyEvent* command = key == 'C' ? &OnCopy : key == 'V' ? &OnPaste : nullptr;
        if (!command)
            return false;
        run([&] {
            if (*command)
                (*command)(*this);
        });
        return true;
    }
    int row = m_row, column = m_column;
    switch (key) {
        case VK_UP:
            --row;
            break;
        case VK_DOWN:
        case VK_RETURN:
            ++row;
            break;
        case VK_LEFT:
            --column;
            break;
        case VK_RIGHT:
            ++column;
            break;
        case VK_HOME:
            column = 0;
            break;
        case VK_END:
            column = columnCount() - 1;
            break;
        case VK_TAB:
            // On to the next row's first cell after the last one, and back.
            column += shift ? -1 : 1;
            if (column >= columnCount() && row + 1 < m_rows) {
                column = 0;
                ++row;
            } else if (column < 0 && row > 0) {
                column = columnCount() - 1;
                --row;
            }
            break;
        default:
            return false;
    }
    userSetCurrent(row, column);
    return true;
}

bool Grid::userType(const std::string& text, int endKey) {
    if (!userEdit(m_row, m_column, text))
        return false;
    userKeyDown(endKey);
    return true;
}

}  // namespace platform
