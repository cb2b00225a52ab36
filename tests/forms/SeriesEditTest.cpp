// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's Cut, Delete and Select all, by their desktop keys:
// which cells they clear, what they copy, when they are greyed out, and
// that one Undo brings everything back.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "forms/Mainfrm.h"
#include "forms/Series.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using forms::TSeriesFrm;
using platform::GridRange;
using platform::StandardKey;

namespace {

class SeriesEdit : public testing_support::MainWindowSession {
  protected:
    TSeriesFrm& open() { return MainWindowSession::open(testing_support::kSaltSeries, "salt.csv"); }
    // The input cells as typed, a line per row.
    static std::string inputs(const TSeriesFrm& w) {
        std::string text;
        for (std::size_t r = 0; r < w.document().rowCount(); ++r) {
            for (std::size_t c = 0; c < w.document().columnCount(); ++c)
                text += (c ? "," : "") + w.document().cellText(r, c);
            text += "\n";
        }
        return text;
    }
};

// State: the salt series, a block selected (results from column 5 on, the
// empty row 3). Action: the keys, then Ctrl+Z. Expected: the inputs after
// them, a Cut's clipboard; keys with nothing to clear refused, and greyed
// out; one Undo brings back the series as it was.
TEST_F(SeriesEdit, KeysClearTheSelectedInputsAndUndoInOneStep) {
    const std::string salt = std::string(testing_support::kSaltSeries)
                                 .substr(std::string(testing_support::kSaltSeries).find('\n') + 1);
    struct Case {
        const char* what;
        GridRange selection;
        std::vector<StandardKey> keys;
        std::string after;      // empty: unchanged, the key refused
        const char* clipboard;  // null: untouched
    };
    const Case cases[] = {
        {"one cell",
         {0, 1, 0, 1},
         {StandardKey::Delete},
         "A,,25,3.5,1.80\nB,0.050,25,3.5,1.31\nC,0.100,25,3.5,1.12\n",
         nullptr},
        {"a block",
         {0, 1, 1, 2},
         {StandardKey::Delete},
         "A,,,3.5,1.80\nB,,,3.5,1.31\nC,0.100,25,3.5,1.12\n",
         nullptr},
        {"inputs and results",
         {2, 3, 3, 7},
         {StandardKey::Delete},
         "A,0.010,25,3.5,1.80\nB,0.050,25,3.5,1.31\nC,0.100,25,,\n",
         nullptr},
        {"cut",
         {1, 0, 2, 1},
         {StandardKey::Cut},
         "A,0.010,25,3.5,1.80\n,,25,3.5,1.31\n,,25,3.5,1.12\n",
         "B\t0.050\nC\t0.100\n"},
        {"select all, delete",
         {1, 1, 1, 1},
         {StandardKey::SelectAll, StandardKey::Delete},
         ",,,,\n,,,,\n,,,,\n",
         nullptr},
        {"results only", {0, 5, 2, 7}, {StandardKey::Delete}, "", nullptr},
        {"the empty row", {3, 0, 3, 4}, {StandardKey::Cut}, "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSeriesFrm& w = open();
        const std::string saved = w.document().text();
        backend.setClipboard({"before", {}});
        w.Grid1->userSelect(c.selection);
        EXPECT_EQ(w.Delete1->enabled(), !c.after.empty());
        EXPECT_EQ(w.Cut1->enabled(), !c.after.empty());
        for (StandardKey key : c.keys)
            EXPECT_EQ(w.userStandardKey(key), !c.after.empty());
        EXPECT_EQ(inputs(w), c.after.empty() ? salt : c.after);
        EXPECT_EQ(backend.clipboard().plain, c.clipboard ? c.clipboard : "before");
        if (!c.after.empty()) {
            EXPECT_TRUE(w.userStandardKey(StandardKey::Undo));
            EXPECT_EQ(w.document().text(), saved);
            EXPECT_FALSE(w.document().canUndo()) << "one step";
        }
        w.closeWithoutAsking();
    }
}

// Select all takes the table's rows and columns, not the empty row below.
TEST_F(SeriesEdit, SelectAllLeavesOutTheEmptyRow) {
    TSeriesFrm& w = open();
    EXPECT_TRUE(w.userStandardKey(StandardKey::SelectAll));
    EXPECT_EQ(w.Grid1->selection(), (GridRange{0, 0, 2, w.Grid1->columnCount() - 1}));
    OpeningForm->NewSeries1->userClick(OpeningForm);
    EXPECT_FALSE(OpeningForm->seriesWindows().back()->SelectAll1->enabled());
}

}  // namespace
