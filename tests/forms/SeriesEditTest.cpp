// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's Cut, Delete and Select all, by their desktop keys:
// which cells they clear, what they copy, when they are greyed out, and
// that one Undo brings everything back.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "forms/Mainfrm.h"
#include "forms/Series.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using forms::TSeriesFrm;
using platform::GridRange;
using platform::StandardKey;

namespace {

constexpr const char* kSalt =
    "Sample,IonicStrength,Temperature,StokesRadius,Mobility\n"
    "A,0.010,25,3.5,1.80\n"
    "B,0.050,25,3.5,1.31\n"
    "C,0.100,25,3.5,1.12\n";

class SeriesEdit : public testing_support::MainWindowSession {
  protected:
    TSeriesFrm& open() {
        const auto path = dir() / "salt.csv";
        std::ofstream(path, std::ios::binary) << kSalt;
        TSeriesFrm* w = OpeningForm->OpenFile(path.string());
        EXPECT_NE(w, nullptr);
        return *w;
    }
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

// State: the salt series, a block selected (results from column 5 on).
// Action: the command's key, then Ctrl+Z. Expected: the inputs after it,
// the clipboard after a Cut; Undo brings back the series as it was.
TEST_F(SeriesEdit, CommandsClearTheSelectedInputsAndUndoInOneStep) {
    struct Case {
        const char* what;
        GridRange selection;
        StandardKey key;
        const char* after;
        const char* clipboard;  // after a Cut
    };
    const Case cases[] = {
        {"one cell",
         {0, 1, 0, 1},
         StandardKey::Delete,
         "A,,25,3.5,1.80\nB,0.050,25,3.5,1.31\nC,0.100,25,3.5,1.12\n",
         nullptr},
        {"a block",
         {0, 1, 1, 2},
         StandardKey::Delete,
         "A,,,3.5,1.80\nB,,,3.5,1.31\nC,0.100,25,3.5,1.12\n",
         nullptr},
        {"inputs and results: the inputs",
         {2, 3, 3, 7},
         StandardKey::Delete,
         "A,0.010,25,3.5,1.80\nB,0.050,25,3.5,1.31\nC,0.100,25,,\n",
         nullptr},
        {"cut",
         {1, 0, 2, 1},
         StandardKey::Cut,
         "A,0.010,25,3.5,1.80\n,,25,3.5,1.31\n,,25,3.5,1.12\n",
         "B\t0.050\nC\t0.100\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TSeriesFrm& w = open();
        const std::string saved = w.document().text();
        backend.setClipboard({"before", {}});
        w.Grid1->userSelect(c.selection);
        EXPECT_TRUE(w.userStandardKey(c.key));
        EXPECT_EQ(inputs(w), c.after);
        EXPECT_EQ(w.document().rowCount(), 3u) << "the rows stay";
        EXPECT_EQ(backend.clipboard().plain, c.clipboard ? c.clipboard : "before");
        EXPECT_TRUE(w.userStandardKey(StandardKey::Undo));
        EXPECT_EQ(w.document().text(), saved);
        EXPECT_FALSE(w.document().canUndo()) << "one step";
        w.closeWithoutAsking();
    }
}

// Cut and Delete are greyed out, and their keys do nothing, where the
// selection holds no input to clear: results only, the empty row, cells
// already empty.
TEST_F(SeriesEdit, NothingToClearGreysCutAndDeleteOut) {
    TSeriesFrm& w = open();
    w.Grid1->userEdit(1, 4, "");
    const std::string before = w.document().text();
    for (const GridRange& block :
         {GridRange{0, 5, 2, 7}, GridRange{3, 0, 3, 4}, GridRange{1, 4, 1, 4}}) {
        w.Grid1->userSelect(block);
        EXPECT_FALSE(w.Cut1->enabled());
        EXPECT_FALSE(w.Delete1->enabled());
        EXPECT_FALSE(w.userStandardKey(StandardKey::Delete));
        EXPECT_FALSE(w.userStandardKey(StandardKey::Cut));
        EXPECT_EQ(w.document().text(), before);
    }
    w.Grid1->userSetCurrent(0, 0);
    EXPECT_TRUE(w.Cut1->enabled());
    EXPECT_TRUE(w.Delete1->enabled());
}

// Select all takes the table's rows and columns without the empty row
// below; Copy then gives every row, Delete clears every input.
TEST_F(SeriesEdit, SelectAllCopiesAndClearsTheWholeTable) {
    TSeriesFrm& w = open();
    EXPECT_TRUE(w.userStandardKey(StandardKey::SelectAll));
    EXPECT_EQ(w.Grid1->selection(), (GridRange{0, 0, 2, w.Grid1->columnCount() - 1}));
    EXPECT_TRUE(w.userStandardKey(StandardKey::Copy));
    const std::string copied = backend.clipboard().plain;
    EXPECT_EQ(copied.substr(0, copied.find('\t')), "A");
    EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 3);
    EXPECT_TRUE(w.userStandardKey(StandardKey::Delete));
    EXPECT_EQ(inputs(w), ",,,,\n,,,,\n,,,,\n");
    EXPECT_FALSE(w.Delete1->enabled());
    w.Undo1->userClick(&w);
    EXPECT_EQ(inputs(w), std::string(kSalt).substr(std::string(kSalt).find('\n') + 1));

    OpeningForm->NewSeries1->userClick(OpeningForm);
    TSeriesFrm& empty = *OpeningForm->seriesWindows().back();
    EXPECT_FALSE(empty.SelectAll1->enabled()) << "no rows to select";
}

}  // namespace
