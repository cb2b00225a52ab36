// SPDX-License-Identifier: GPL-3.0-or-later

// The grid on the headless back end: cells asked of the owner, edits,
// the keys that move on, and copy and paste handed to the owner.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "platform/Form.h"
#include "platform/Grid.h"
#include "tests/support/HeadlessSession.h"

using namespace platform;

namespace {

class TestForm : public Form {
  public:
    TestForm() : Form(nullptr, "Form1") {}
    std::string className() const override { return "TTestForm"; }
};

class GridControl : public testing_support::HeadlessSession {
  protected:
    GridControl() {
        grid = form.add<Grid>("Grid1");
        grid->OnGetCell = [this](int r, int c) {
            GridCell cell;
            cell.text = texts[{r, c}];
            cell.readOnly = c == 2;
            return cell;
        };
        grid->OnCellEdited = [this](Grid&, int r, int c, const std::string& text) {
            texts[{r, c}] = text;
            edits.push_back({r, c});
        };
        grid->setShape({"A", "B", "Result"}, 3);
    }
    TestForm form;
    Grid* grid;
    std::map<std::pair<int, int>, std::string> texts;
    std::vector<std::pair<int, int>> edits;
};

TEST_F(GridControl, EditGoesToTheOwnerAndReadOnlyCellsRefuseIt) {
    EXPECT_TRUE(grid->userEdit(1, 1, "2.5"));
    EXPECT_EQ(grid->cell(1, 1).text, "2.5");
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_FALSE(grid->userEdit(1, 2, "9"));
    EXPECT_FALSE(grid->userEdit(3, 0, "9")) << "past the last row";
    EXPECT_EQ(edits.size(), 1u);
}

// Tab runs across the row and on to the next; Enter goes down.
TEST_F(GridControl, TypingWithTabAndEnterMovesOn) {
    grid->userType("25", VK_TAB);
    grid->userType("0.05", VK_TAB);
    EXPECT_EQ(std::make_pair(grid->currentRow(), grid->currentColumn()), std::make_pair(0, 2));
    grid->userKeyDown(VK_TAB);
    EXPECT_EQ(std::make_pair(grid->currentRow(), grid->currentColumn()), std::make_pair(1, 0));
    grid->userType("30", VK_RETURN);
    EXPECT_EQ(std::make_pair(grid->currentRow(), grid->currentColumn()), std::make_pair(2, 0));
    EXPECT_EQ((texts[{0, 1}]), "0.05");
    EXPECT_EQ((texts[{1, 0}]), "30");
    grid->userKeyDown(VK_TAB, false, true);
    EXPECT_EQ(std::make_pair(grid->currentRow(), grid->currentColumn()), std::make_pair(1, 2));
}

TEST_F(GridControl, CopyAndPasteKeysRunTheOwnersCommands) {
    int copies = 0, pastes = 0;
    grid->OnCopy = [&](Control&) { ++copies; };
    grid->OnPaste = [&](Control&) { ++pastes; };
    EXPECT_TRUE(grid->userKeyDown('C', true));
    EXPECT_TRUE(grid->userKeyDown('V', true));
    EXPECT_FALSE(grid->userKeyDown('X', true));
    EXPECT_EQ(std::make_pair(copies, pastes), std::make_pair(1, 1));
}

TEST_F(GridControl, SelectionIsABlockWithTheCurrentCellAtItsCorner) {
    grid->userSelect({2, 1, 0, 0});
    EXPECT_EQ(grid->selection(), (GridRange{0, 0, 2, 1}));
    EXPECT_EQ(std::make_pair(grid->currentRow(), grid->currentColumn()), std::make_pair(0, 0));
    grid->setShape({"A"}, 1);
    EXPECT_EQ(grid->selection(), (GridRange{0, 0, 0, 0})) << "inside the smaller grid";
}

}  // namespace
