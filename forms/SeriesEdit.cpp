// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's commands on the selected cells: Cut, Delete and
// Select all. Only the inputs are cleared; the results are calculated from
// them and follow.

#include <algorithm>

#include "forms/Series.h"

namespace forms {

std::optional<platform::GridRange> TSeriesFrm::clearableBlock() const {
    const platform::GridRange& b = Grid1->selection();
    const int rows = static_cast<int>(m_series.rowCount());
    platform::GridRange block{b.top, b.left, std::min(b.bottom, rows - 1),
                              std::min(b.right, inputColumns() - 1)};
    if (block.top > block.bottom || block.left > block.right)
        return std::nullopt;
    for (int r = block.top; r <= block.bottom; ++r)
        for (int c = block.left; c <= block.right; ++c)
            if (!m_series.cellText(std::size_t(r), std::size_t(c)).empty())
                return block;
    return std::nullopt;
}

void TSeriesFrm::updateEditCommands() {
    const bool clearable = clearableBlock().has_value();
    Cut1->setEnabled(clearable);
    Delete1->setEnabled(clearable);
    SelectAll1->setEnabled(m_series.rowCount() > 0);
}

void TSeriesFrm::Delete1Click(platform::MenuItem&) {
    const std::optional<platform::GridRange> block = clearableBlock();
    if (!block)
        return;
    // A block of empty cells pasted over the selection: one command.
    const std::string line(static_cast<std::size_t>(block->right - block->left), '\t');
    std::string empty;
    for (int r = block->top; r <= block->bottom; ++r)
        empty += line + '\n';
    change([&] { m_series.paste(std::size_t(block->top), std::size_t(block->left), empty); });
}

void TSeriesFrm::Cut1Click(platform::MenuItem& item) {
    if (!clearableBlock())
        return;
    Copy1Click(*Copy1);
    Delete1Click(item);
}

void TSeriesFrm::SelectAll1Click(platform::MenuItem&) {
    if (m_series.rowCount() == 0)
        return;
    Grid1->setSelection(
        {0, 0, static_cast<int>(m_series.rowCount()) - 1, Grid1->columnCount() - 1});
}

}  // namespace forms
