// SPDX-License-Identifier: GPL-3.0-or-later

// The series window on the headless back end: typing, pasting, editing and
// undoing in its table, refused cells, the plot, files, the main window
// taking a row, and the prompt for unsaved changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "forms/ChargeOptions.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/Series.h"
#include "forms/SeriesDialogs.h"
#include "platform/base/NumberText.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using forms::TSeriesFrm;
using platform::clRed;
using platform::clYellow;
using testing_support::kSaltSeries;

namespace {

class SeriesWindow : public testing_support::MainWindowSession {
  protected:
    TSeriesFrm& newSeries() {
        OpeningForm->NewSeries1->userClick(OpeningForm);
        return *OpeningForm->seriesWindows().back();
    }
    // The grid's column of a header, a result's name in the file or a
    // caption.
    static int column(TSeriesFrm& w, const std::string& name) {
        if (const int c = w.viewColumnOf(name); c >= 0)
            return c;
        const auto& h = w.Grid1->headers();
        for (std::size_t c = 0; c < h.size(); ++c)
            if (h[c] == name || h[c].rfind(name + " (", 0) == 0)
                return static_cast<int>(c);
        ADD_FAILURE() << "no column " << name;
        return 0;
    }
    static std::string text(TSeriesFrm& w, int row, const std::string& column_) {
        return w.Grid1->cell(row, column(w, column_)).text;
    }
};

// State: a new series. Action: a row typed cell by cell with Tab, a block
// pasted below it, a cell edited, then undone. Expected: each row has its
// z; the undo brings the typed text and its z back.
TEST_F(SeriesWindow, TypedPastedEditedAndUndone) {
    TSeriesFrm& w = newSeries();
    EXPECT_EQ(w.caption(), "Untitled - Series");
    w.Grid1->setCurrent(0, 0);
    for (const char* typed : {"A", "0.010", "25", "3.5"})
        w.Grid1->userType(typed, platform::VK_TAB);
    w.Grid1->userType("1.80", platform::VK_RETURN);
    EXPECT_EQ(w.Grid1->currentRow(), 1);
    backend.setClipboard({"B\t0.050\t25\t3.5\t1.31\nC\t0.100\t25\t3.5\t1.12\n", {}});
    w.Grid1->setCurrent(1, 0);
    w.Grid1->userKeyDown('V', true);
    ASSERT_EQ(w.document().rowCount(), 3u);
    EXPECT_EQ(w.Grid1->rowCount(), 4) << "an empty row to type a new one into";
    const std::string z = text(w, 1, "ValenceResult");
    EXPECT_FALSE(z.empty());
    EXPECT_EQ(w.caption(), "Untitled * - Series");

    w.Grid1->userEdit(1, column(w, "Mobility"), "2.62");
    EXPECT_NE(text(w, 1, "ValenceResult"), z);
    w.Undo1->userClick(&w);
    EXPECT_EQ(text(w, 1, "Mobility"), "1.31");
    EXPECT_EQ(text(w, 1, "ValenceResult"), z);
    w.Redo1->userClick(&w);
    EXPECT_EQ(text(w, 1, "Mobility"), "2.62");
}

// A refused cell is red with its reason as tooltip and in the status line;
// the other rows keep their results, the refused row has none.
TEST_F(SeriesWindow, BadCellIsRedWithItsReason) {
    TSeriesFrm& w = open(std::string(kSaltSeries) + "D,-0.05,25,3.5,1.0\n");
    const int ionic = column(w, "IonicStrength");
    const platform::GridCell bad = w.Grid1->cell(3, ionic);
    EXPECT_EQ(bad.background, clRed);
    EXPECT_NE(bad.tooltip.find("IonicStrength"), std::string::npos) << bad.tooltip;
    EXPECT_TRUE(text(w, 3, "ValenceResult").empty());
    EXPECT_FALSE(text(w, 2, "ValenceResult").empty());
    EXPECT_EQ(w.Grid1->cell(2, column(w, "ValenceResult")).background, clYellow);
    EXPECT_TRUE(w.Grid1->cell(2, column(w, "ValenceResult")).readOnly);
    w.Grid1->userSetCurrent(3, ionic);
    EXPECT_EQ(w.StatusLbl->text(), "Row 4, IonicStrength (M): " + bad.tooltip);
}

// One marker per row at (x, z), named after the sample; with SD columns the
// bars reach u, then U = 2u.
TEST_F(SeriesWindow, PlotShowsRowsWithTheirErrorBars) {
    TSeriesFrm& w = open(
        "Sample,IonicStrength,Temperature,StokesRadius,Mobility,MobilitySD\n"
        "A,0.010,25,3.5,1.80,0.05\n"
        "B,0.050,25,3.5,1.31,0.05\n");
    EXPECT_EQ(w.XTxt->text(), "IonicStrength");
    EXPECT_EQ(w.YTxt->text(), "z");
    ASSERT_EQ(w.Chart1->series().size(), 1u);
    const platform::LineSeries& points = w.Chart1->series()[0];
    ASSERT_EQ(points.points.size(), 2u);
    EXPECT_DOUBLE_EQ(points.points[1].x, 0.05);
    EXPECT_EQ(platform::FloatToStr(points.points[1].y), text(w, 1, "ValenceResult"));
    EXPECT_EQ(points.labels, (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(points.errors.empty()) << "none until chosen";

    w.BarsTxt->userClick();
    EXPECT_EQ(w.BarsTxt->text(), "u");
    const double u = platform::StrToFloat(text(w, 1, "ValenceGumU"));
    EXPECT_DOUBLE_EQ(w.Chart1->series()[0].errors[1].above, u);
    w.BarsTxt->userClick();
    EXPECT_DOUBLE_EQ(w.Chart1->series()[0].errors[1].below,
                     platform::StrToFloat(text(w, 1, "ValenceExpandedU")));
    EXPECT_EQ(w.Chart1->caption, "Temperature = 25 \u00b0C, Stokes radius = 3.5 nm. Quorvin " +
                                     std::string(QUORVIN_VERSION));
}

// Saved and opened again in the dialect it came in, the title without its
// mark once saved.
TEST_F(SeriesWindow, SavesAndOpensBothDialects) {
    const std::string files[] = {
        kSaltSeries,
        "Sample;IonicStrength;Temperature;StokesRadius;Mobility\nA;0,010;25;3,5;1,80\n"
        "B;0,050;25;3,5;1,31\n",
    };
    for (const std::string& file : files) {
        TSeriesFrm& w = open(file, "in.csv");
        const std::string z = text(w, 1, "ValenceResult");
        w.Grid1->userEdit(0, 0, "first");
        EXPECT_EQ(w.caption(), "in.csv * - Series");
        backend.expectDialog<platform::SaveDialog>("TSaveDialog", [this](platform::SaveDialog& d) {
            d.FileName = (dir() / "out.csv").string();
            return true;
        });
        w.SaveAs1->userClick(&w);
        EXPECT_EQ(w.caption(), "out.csv - Series");
        w.Close();
        TSeriesFrm& again = *OpeningForm->OpenFile((dir() / "out.csv").string());
        EXPECT_EQ(text(again, 0, "Sample"), "first");
        EXPECT_EQ(text(again, 1, "ValenceResult"), z);
        EXPECT_EQ(again.document().dialect().separator, file == kSaltSeries ? ',' : ';');
        again.Close();
    }
}

TEST_F(SeriesWindow, FailedOpenChangesNothingAndSaysWhere) {
    TSeriesFrm& w = open(kSaltSeries);
    backend.expectDialog<platform::OpenDialog>("TOpenDialog", [this](platform::OpenDialog& d) {
        d.FileName = write("bad.csv", "Sample,IonicStrength (mg)\nA,1\n");
        return true;
    });
    w.Open1->userClick(&w);
    const std::vector<std::string> messages = backend.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("line 1, column 2"), std::string::npos) << messages[0];
    EXPECT_EQ(w.document().rowCount(), 3u);
    EXPECT_EQ(w.caption(), "s.csv - Series");
}

// The main window takes the row as typed: its fields show the row's
// results, and the log has one entry more.
TEST_F(SeriesWindow, RowOpenedInTheMainWindowShowsTheRowsTexts) {
    TSeriesFrm& w = open(kSaltSeries);
    const std::size_t logLines = forms::ReportFrm->document().paragraphs().size();
    w.Grid1->userSetCurrent(1, 0);
    w.OpenInMain1->userClick(&w);
    EXPECT_EQ(OpeningForm->ZTxt->text(), text(w, 1, "ValenceResult"));
    EXPECT_EQ(OpeningForm->ZstarTxt->text(), text(w, 1, "EffectiveValenceResult"));
    EXPECT_EQ(OpeningForm->KaTxt->text(), text(w, 1, "Ka"));
    EXPECT_EQ(OpeningForm->ITxt->text(), "0.050");
    EXPECT_GT(forms::ReportFrm->document().paragraphs().size(), logLines);
}

TEST_F(SeriesWindow, NegativeMobilityIsNotOpenedInTheMainWindow) {
    TSeriesFrm& w = open(std::string(kSaltSeries) + "D,0.05,25,3.5,-1.2\n");
    const std::string before = OpeningForm->ZTxt->text();
    w.Grid1->userSetCurrent(3, 0);
    w.OpenInMain1->userClick(&w);
    const std::vector<std::string> messages = backend.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Row 4 cannot be opened in the main window: ", 0), 0u);
    EXPECT_EQ(OpeningForm->ZTxt->text(), before);
}

// Closing with unsaved changes asks: Cancel keeps the window, No closes it.
TEST_F(SeriesWindow, UnsavedCloseAsks) {
    TSeriesFrm& w = open(kSaltSeries);
    w.Grid1->userEdit(0, 0, "changed");
    backend.expect<forms::TSaveSeries>("TSaveSeries",
                                       [](forms::TSaveSeries& d) { d.CancelBtn->userPress(); });
    w.Close1->userClick(&w);
    EXPECT_TRUE(w.visible());
    backend.expect<forms::TSaveSeries>("TSaveSeries",
                                       [](forms::TSaveSeries& d) { d.NoBtn->userPress(); });
    w.Close1->userClick(&w);
    EXPECT_FALSE(w.visible());
}

// File > Save sample as... writes the fields as one row; opening it enters
// the same values again.
TEST_F(SeriesWindow, SampleSavedAndOpenedAgain) {
    enter(OpeningForm->ITxt, "0.05");
    const std::string z = OpeningForm->ZTxt->text();
    backend.expectDialog<platform::SaveDialog>("TSaveDialog", [this](platform::SaveDialog& d) {
        d.FileName = (dir() / "sample.csv").string();
        return true;
    });
    OpeningForm->SaveSample1->userClick(OpeningForm);
    backend.takeMessages();
    enter(OpeningForm->ITxt, "0.1");
    EXPECT_EQ(OpeningForm->OpenFile((dir() / "sample.csv").string()), nullptr);
    EXPECT_EQ(OpeningForm->ITxt->text(), "0.05");
    EXPECT_EQ(OpeningForm->ZTxt->text(), z);
}

// State: a pH titration opened. Action: a sequence attached. Expected: each
// row with a pH gets the predicted, screened and bound charge, and z against
// pH draws both predicted curves under the measured points.
TEST_F(SeriesWindow, AttachedSequenceGivesEachRowItsPredictedCharge) {
    TSeriesFrm& w = open(
        "Sample,IonicStrength,Mobility,pH\n"
        "a,0.1,1.2,5.0\n"
        "b,0.1,0.6,6.5\n"
        "c,0.1,-0.4,8.0\n");
    const std::string ubiquitin =
        ">ubiquitin\nMQIFVKTLTGKTITLEVEPSDTIENVKAKIQDKEGIPPDQQRLIFAGKQLEDGRTLSDYNIQKESTLHLVLRLRGG"
        "\n";
    backend.expectDialog<platform::OpenDialog>("TOpenDialog",
                                               [this, ubiquitin](platform::OpenDialog& d) {
                                                   d.FileName = write("ubiquitin.fasta", ubiquitin);
                                                   return true;
                                               });
    backend.expect<forms::TSequenceOptions>(
        "TSequenceOptions", [](forms::TSequenceOptions& d) { d.OkBtn->userPress(); });
    w.AttachSequence1->userClick(&w);
    const double predicted = platform::StrToFloat(text(w, 0, "PredictedZ"));
    const double screened = platform::StrToFloat(text(w, 0, "ScreenedZ"));
    EXPECT_GT(predicted, screened) << "screening flattens a positive charge";
    EXPECT_GT(screened, 0);
    EXPECT_EQ(text(w, 0, "BoundCharge"),
              platform::FormatFloat("0.00",
                                    platform::StrToFloat(text(w, 0, "ValenceResult")) - screened));
    EXPECT_LT(platform::StrToFloat(text(w, 2, "PredictedZ")), 0) << "above the pI";
    // The view stands on them and says so; they follow z and z*.
    EXPECT_EQ(w.Grid1->currentColumn(), column(w, "PredictedZ"));
    EXPECT_NE(w.StatusLbl->text().find("Predicted z"), std::string::npos);
    EXPECT_EQ(column(w, "PredictedZ"), column(w, "EffectiveValenceResult") + 1);

    while (w.XTxt->text() != "pH")
        w.XTxt->userClick();
    ASSERT_EQ(w.Chart1->series().size(), 3u);
    EXPECT_EQ(w.Chart1->series()[1].name, "Screened");
    EXPECT_EQ(w.Chart1->series()[2].points.size(), 3u) << "the measured points last, on top";

    w.DetachSequence1->userClick(&w);
    EXPECT_EQ(w.Chart1->series().size(), 1u);
}

constexpr const char* kWithSd =
    "Sample,IonicStrength,Temperature,StokesRadius,Mobility,MobilitySD\n"
    "A,0.010,25,3.5,1.80,0.05\n"
    "B,0.050,25,3.5,1.31,0.05\n";

// State: a series with SD columns. Action: its Monte Carlo run left to
// finish, then a cell edited. Expected: the intervals are those the
// document computes itself; the edit empties its row's and the new run
// fills them in again.
TEST_F(SeriesWindow, MonteCarloIntervalsFillInAfterTheRun) {
    const analysis::MonteCarloOptions options{analysis::kMinDraws, 7, 0};
    series::Series reference;
    reference.setMonteCarlo(options);
    std::istringstream in(kWithSd);
    reference.read(in);
    TSeriesFrm& w = open(kWithSd);
    const auto expected = [&](const char* name) {
        const std::vector<std::string> names = reference.resultNames();
        return reference.resultText(
            1,
            static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin()));
    };
    w.setMonteCarloOptions(options);
    ASSERT_TRUE(backend.runPostedUntil([&] { return !w.running(); }));
    for (const char* name : {"ValenceLow", "ValenceHigh", "EffectiveValenceHigh"})
        EXPECT_EQ(text(w, 1, name), expected(name)) << name;
    EXPECT_FALSE(w.RunPnl->visible());

    w.Grid1->userEdit(1, column(w, "Mobility"), "2.62");
    EXPECT_TRUE(text(w, 1, "ValenceLow").empty());
    EXPECT_TRUE(w.running());
    ASSERT_TRUE(backend.runPostedUntil([&] { return !w.running(); }));
    EXPECT_FALSE(text(w, 1, "ValenceLow").empty());
    EXPECT_NE(text(w, 1, "ValenceLow"), expected("ValenceLow"));
}

// A long run shows its progress; Cancel stops it and leaves the intervals
// empty, and a change that leaves the results as they are does not start
// it again.
TEST_F(SeriesWindow, CancelledRunLeavesIntervalsEmpty) {
    TSeriesFrm& w = open(kWithSd);
    w.setMonteCarloOptions({analysis::kMaxDraws, 1, 1});
    ASSERT_TRUE(backend.runPostedUntil([&] { return w.RunPnl->visible(); }));
    EXPECT_EQ(w.ProgressLbl->text().back(), '%');
    w.CancelBtn->userPress();
    EXPECT_FALSE(w.running());
    EXPECT_TRUE(text(w, 0, "ValenceLow").empty());
    w.Grid1->userEdit(0, 0, "renamed");  // a text cell: the results stay
    EXPECT_FALSE(w.running());
}

// Undo, Redo and Save are enabled only when they would do something, and a
// disabled item's click does nothing.
TEST_F(SeriesWindow, MenuItemsFollowWhatTheyCanDo) {
    TSeriesFrm& w = open(kSaltSeries);
    EXPECT_FALSE(w.Undo1->enabled());
    EXPECT_FALSE(w.Redo1->enabled());
    EXPECT_FALSE(w.Save1->enabled());
    w.Grid1->userEdit(0, 0, "changed");
    EXPECT_TRUE(w.Undo1->enabled());
    EXPECT_TRUE(w.Save1->enabled());
    w.Undo1->userClick(&w);
    EXPECT_FALSE(w.Undo1->enabled());
    EXPECT_TRUE(w.Redo1->enabled());
    EXPECT_FALSE(w.Save1->enabled()) << "back as saved";
    w.Undo1->setEnabled(true);
    w.Redo1->setEnabled(false);
    w.Redo1->userClick(&w);
    EXPECT_EQ(text(w, 0, "Sample"), "A");
}

}  // namespace

// State: random samples entered in the main window, E entered or calculated,
// water or not, each quantity of the valence chain. Action: File > Save
// sample as..., the window reset, the file opened. Expected: each column
// once with Sample, and the same texts, colours and choices.
TEST_F(SeriesWindow, SavedSamplesReopenWithTheirTextsColoursAndChoices) {
    using model::Quantity;
    std::mt19937 random(32);
    const auto pick = [&](std::vector<std::string> v) { return v[random() % v.size()]; };
    const std::vector<platform::StaticText*> fields = {
        OpeningForm->SigTxt,   OpeningForm->MuTxt,   OpeningForm->RsTxt, OpeningForm->RiTxt,
        OpeningForm->ITxt,     OpeningForm->TTxt,    OpeningForm->DTxt,  OpeningForm->VTxt,
        OpeningForm->CurrTxt,  OpeningForm->CondTxt, OpeningForm->XTxt,  OpeningForm->ETxt,
        OpeningForm->ZstarTxt, OpeningForm->ZTxt,    OpeningForm->ATxt,  OpeningForm->KTxt,
        OpeningForm->KaTxt,    OpeningForm->HTxt,    OpeningForm->DHHTxt};
    const auto shown = [&] {
        std::vector<std::string> out;
        for (const platform::StaticText* f : fields)
            out.push_back(f->name() + " " + f->text() + " " + std::to_string(f->color().r) +
                          std::to_string(f->color().g));
        const model::ModelState& s = *OpeningForm;
        out.push_back(std::to_string(s.ECalculated) + std::to_string(s.SolventWater) +
                      std::to_string(s.SigmaFromMobility) + std::to_string(s.ZCalculated) +
                      std::to_string(s.ZstarCalculated) +
                      platform::FloatToStr(s.RelativeViscosity));
        return out;
    };
    const std::string path = (dir() / "sample.csv").string();
    for (int i = 0; i < 16; ++i) {
        std::vector<model::Entry> entries = {
            {Quantity::IonicStrength, pick({"0.01", "0.050", "0.15"})},
            {Quantity::Temperature, pick({"20", "25", "37.5"})},
            {Quantity::StokesRadius, pick({"2.1", "3.5"})},
        };
        const bool water = random() % 2;
        if (water && random() % 2)
            entries.push_back({Quantity::RelativeViscosity, "1.1"});
        switch (random() % 3) {
            case 0:
                entries.push_back({Quantity::EField, "0.2"});
                break;
            case 1:
                entries.push_back({Quantity::Current, pick({"0.5", "0.25"})});
                entries.push_back({Quantity::Conductivity, "10"});
                entries.push_back({Quantity::XSection, "0.05"});
                break;
            default:
                break;
        }
        entries.push_back(random() % 4 == 0   ? model::Entry{Quantity::Sigma, "18.5"}
                          : random() % 3 == 0 ? model::Entry{Quantity::Valence, "12"}
                          : random() % 2 == 0 ? model::Entry{Quantity::EffectiveValence, "4"}
                                              : model::Entry{Quantity::Mobility, "1.31"});
        ASSERT_EQ(OpeningForm->EnterRow(entries, water), std::nullopt) << i;
        const std::vector<std::string> before = shown();
        backend.expectDialog<platform::SaveDialog>("TSaveDialog", [&](platform::SaveDialog& d) {
            d.FileName = path;
            return true;
        });
        OpeningForm->SaveSample1->userClick(OpeningForm);
        backend.takeMessages();
        series::Series saved;
        saved.open(path);
        EXPECT_EQ(saved.headerText(0), "Sample");
        for (std::size_t c = 1; c < saved.columnCount(); ++c)
            EXPECT_NE(saved.column(c).kind, series::ColumnKind::Text) << saved.headerText(c);
        ASSERT_EQ(OpeningForm->EnterRow({}, false), std::nullopt);
        EXPECT_EQ(OpeningForm->OpenFile(path), nullptr);
        EXPECT_TRUE(backend.takeMessages().empty()) << i;
        EXPECT_EQ(shown(), before) << i;
    }
}

// State: series with and without SD columns, in both dialects. Action:
// opened, the intermediate results hidden and shown again. Expected: z (with
// its u), z*, Sigma and the mobility follow the inputs under their captions
// and units, the others after them or left out, every number in the file's
// decimal mark.
TEST_F(SeriesWindow, ResultsFollowTheInputsUnderTheirCaptions) {
    struct Case {
        const char* file;
        std::vector<std::string> after;  // the headers after the inputs
        char decimal;
    };
    const Case cases[] = {
        {kSaltSeries, {"z", "z*", "Sigma (cm\u207b\u00b9)"}, '.'},
        {"Sample;IonicStrength;Temperature;StokesRadius;Mobility\n"
         "A;0,010;25;3,5;1,80\nB;0,050;25;3,5;1,31\n",
         {"z", "z*"},
         ','},
        {"Sample,IonicStrength,IonicStrengthSD,StokesRadius,Mobility\n"
         "A,0.01,0.001,3.5,1.8\nB,0.05,0.001,3.5,1.3\n",
         {"z", "u(z)", "U(z) = 2u", "z 95 % low", "z 95 % high", "z*", "u(z*)"},
         '.'},
    };
    for (const Case& c : cases) {
        TSeriesFrm& w = open(c.file);
        const auto& h = w.Grid1->headers();
        const std::size_t inputs = w.document().columnCount();
        ASSERT_GE(h.size(), inputs + c.after.size());
        for (std::size_t k = 0; k < c.after.size(); ++k)
            EXPECT_EQ(h[inputs + k], c.after[k]) << c.file;
        for (const char* caption : {"Rs + Ri (a) (nm)", "Ge(max) (kJ/mol)", "E (V/cm)"})
            EXPECT_GE(column(w, caption), int(inputs)) << caption;
        const std::string z = text(w, 0, "ValenceResult");
        EXPECT_NE(z.find(c.decimal), std::string::npos) << z;
        EXPECT_EQ(text(w, 0, "Ka").find(c.decimal == ',' ? '.' : ','), std::string::npos);

        w.HideIntermediate1->userClick(&w);
        EXPECT_EQ(w.viewColumnOf("Ka"), -1);
        EXPECT_EQ(text(w, 0, "ValenceResult"), z);
        EXPECT_GE(w.viewColumnOf("MobilityResult"), 0);
        EXPECT_FALSE(w.HideIntermediate1->enabled());
        w.ShowIntermediate1->userClick(&w);
        EXPECT_GE(w.viewColumnOf("Ka"), int(inputs));
    }
}

// State: a titration at three ionic strengths with SD columns, a sequence
// attached. Action: z against the pH with u bars. Expected: the points
// grouped by ionic strength (chosen by default), each group with its own
// symbol, colour and legend entry; one predicted curve and a screened one
// per group at its own conditions; every point with its bar and every
// curve inside the axes; the title left out until one is given.
TEST_F(SeriesWindow, AColumnInAUnitOfItsOwnIsPlottedAndNamedInIt) {
    // The cells keep the file's millimoles; the axis, the legend and the
    // caption say so rather than the program's molar.
    TSeriesFrm& w = open(
        "Sample,IonicStrength (mM),Mobility,pH\ns,10,1.6,5\ns,10,1.2,7\ns,50,1.4,5\n"
        "s,50,1.0,7\n");
    for (int i = 0; i < 8 && w.XTxt->text() != "IonicStrength (mM)"; ++i)
        w.XTxt->userClick();
    EXPECT_EQ(w.Chart1->bottomAxisTitle.text, "Ionic strength (mM)");
    for (int i = 0; i < 8 && w.XTxt->text() != "pH"; ++i)
        w.XTxt->userClick();
    ASSERT_EQ(w.Chart1->bottomAxisTitle.text, "pH");
    std::vector<std::string> names;
    for (const platform::LineSeries& s : w.Chart1->series())
        if (s.markers)
            names.push_back(s.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"Ionic strength = 10 mM", "Ionic strength = 50 mM"}));
}

TEST_F(SeriesWindow, PlotGroupsByConditionWithCurvesAtEachGroupsConditions) {
    std::string file = "Sample,IonicStrength,Mobility,MobilitySD,pH\n";
    const char* strengths[] = {"0.010", "0.050", "0.150"};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 4; ++k)
            file += std::string("s,") + strengths[i] + "," +
                    std::to_string(1.6 - 0.7 * k - 0.2 * i) + ",0.05," +
                    std::to_string(4.5 + 1.5 * k) + "\n";
    TSeriesFrm& w = open(file);
    backend.expectDialog<platform::OpenDialog>("TOpenDialog", [this](platform::OpenDialog& d) {
        d.FileName = write(
            "u.fasta", ">u\nMQIFVKTLTGKTITLEVEPSDTIENVKAKIQDKEGIPPDQQRLIFAGKQLEDGRTLSDYNIQKE\n");
        return true;
    });
    backend.expect<forms::TSequenceOptions>(
        "TSequenceOptions", [](forms::TSequenceOptions& d) { d.OkBtn->userPress(); });
    w.AttachSequence1->userClick(&w);
    while (w.XTxt->text() != "pH")
        w.XTxt->userClick();
    w.BarsTxt->userClick();
    EXPECT_EQ(w.BarsTxt->text(), "u");
    EXPECT_EQ(w.groupColumn(), std::optional<std::size_t>(1));
    EXPECT_TRUE(w.Chart1->title.text.empty());
    EXPECT_EQ(w.Chart1->bottomAxisTitle.text, "pH");
    EXPECT_EQ(w.Chart1->leftAxisTitle.text, "z");

    std::vector<const platform::LineSeries*> groups, screened;
    int predicted = 0;
    for (const platform::LineSeries& s : w.Chart1->series()) {
        if (s.markers)
            groups.push_back(&s);
        else if (s.name == "Predicted")
            ++predicted;
        else if (s.dashed && !s.points.empty())
            screened.push_back(&s);
        const auto& x = w.Chart1->bottomAxis;
        const auto& y = w.Chart1->leftAxis;
        for (std::size_t k = 0; k < s.points.size(); ++k) {
            const platform::ErrorBar bar = k < s.errors.size() ? s.errors[k] : platform::ErrorBar{};
            EXPECT_GE(s.points[k].x, x.min) << s.name;
            EXPECT_LE(s.points[k].x, x.max) << s.name;
            EXPECT_GE(s.points[k].y - bar.below, y.min) << s.name;
            EXPECT_LE(s.points[k].y + bar.above, y.max) << s.name;
        }
    }
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0]->name, "Ionic strength = 0.010 M");
    EXPECT_EQ(groups[2]->name, "Ionic strength = 0.150 M");
    EXPECT_EQ(predicted, 1);
    ASSERT_EQ(screened.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(groups[i]->points.size(), 4u);
        EXPECT_EQ(groups[i]->errors.size(), 4u);
        EXPECT_EQ(screened[i]->color, groups[i]->color);
        EXPECT_DOUBLE_EQ(screened[i]->points.front().x, 4.5);
        EXPECT_DOUBLE_EQ(screened[i]->points.back().x, 9.0);
        for (std::size_t j = 0; j < i; ++j) {
            EXPECT_NE(groups[i]->color, groups[j]->color);
            EXPECT_NE(groups[i]->marker, groups[j]->marker);
        }
    }
    // More salt screens more: the screened charge lies nearer the predicted.
    EXPECT_GT(screened[2]->points.front().y, screened[0]->points.front().y);

    // Groups by hand, and none; a title given.
    w.GroupTxt->userClick();
    EXPECT_EQ(w.groupColumn(), std::optional<std::size_t>(0));
    backend.expect<forms::TColumnName>("TColumnName", [](forms::TColumnName& d) {
        d.NameEdit->setText("BSA titration");
        d.OkBtn->userPress();
    });
    w.TitleTxt->userClick();
    EXPECT_EQ(w.Chart1->title.text, "BSA titration");
    forms::SeriesPlotSettings none = w.plotSettings();
    none.grouping = forms::SeriesPlotSettings::Grouping::None;
    w.setPlotSettings(none);
    EXPECT_EQ(w.GroupTxt->text(), "none");
}

namespace {

// A series long enough to be evaluated behind its table, with a refused row.
std::string longSeries(std::size_t rows = TSeriesFrm::kBackgroundRows) {
    std::string csv = "Sample,IonicStrength,Temperature,StokesRadius,Mobility\n";
    for (std::size_t i = 0; i < rows; ++i)
        csv += "s" + std::to_string(i) + (i == 9 ? ",-0.05" : ",0.0" + std::to_string(1 + i % 9)) +
               ",25,3.5,1." + std::to_string(i % 97) + "\n";
    return csv;
}

std::string referenceValence(const series::Series& s, std::size_t row) {
    const std::vector<std::string> names = s.resultNames();
    return s.resultText(
        row, static_cast<std::size_t>(std::find(names.begin(), names.end(), "ValenceResult") -
                                      names.begin()));
}

}  // namespace

// State: a long series opened. Action: a cell typed while its rows are
// being evaluated, then the evaluation left to end. Expected: meanwhile the
// results not yet in say "pending" and the progress shows; afterwards every
// result, the status line and the file are those of the series evaluated at
// once, with the same edit.
TEST_F(SeriesWindow, LongSeriesFillsInBehindItsTable) {
    const std::string csv = longSeries();
    series::Series reference;
    std::istringstream in(csv);
    reference.read(in);
    reference.setCell(5, 4, "2.62");
    TSeriesFrm& w = newSeries();
    w.setEvaluationThreads(0);  // the rows wait, for the test to see them
    ASSERT_TRUE(w.openFile(write("long.csv", csv)));
    EXPECT_TRUE(w.evaluating());
    EXPECT_TRUE(w.RunPnl->visible());
    EXPECT_EQ(w.RunLbl->text(), "Calculating the rows:");
    EXPECT_EQ(w.StatusLbl->text().rfind("20000 rows, 20000 being calculated;", 0), 0u);
    EXPECT_EQ(text(w, 0, "ValenceResult"), "pending");
    EXPECT_TRUE(w.Chart1->series().empty());
    w.Grid1->userEdit(5, column(w, "Mobility"), "2.62");
    EXPECT_EQ(text(w, 5, "ValenceResult"), referenceValence(reference, 5));
    w.setEvaluationThreads(std::nullopt);
    ASSERT_TRUE(backend.runPostedUntil([&] { return !w.evaluating(); }));
    EXPECT_FALSE(w.RunPnl->visible());
    EXPECT_EQ(w.document().text(), reference.text());
    EXPECT_EQ(w.Grid1->cell(9, column(w, "IonicStrength")).background, clRed);
    EXPECT_EQ(w.StatusLbl->text().rfind("20000 rows, 1 without results;", 0), 0u);
    EXPECT_FALSE(w.Chart1->series().empty());
}

// Cancel leaves the rows not yet evaluated saying so, and the file still
// holds their results; the next change takes them up again.
TEST_F(SeriesWindow, CancelledEvaluationSaysSoAndSavesEveryResult) {
    const std::string csv = longSeries();
    series::Series reference;
    std::istringstream in(csv);
    reference.read(in);
    TSeriesFrm& w = newSeries();
    w.setEvaluationThreads(0);
    ASSERT_TRUE(w.openFile(write("long.csv", csv)));
    w.CancelBtn->userPress();
    EXPECT_FALSE(w.evaluating());
    EXPECT_EQ(text(w, 0, "ValenceResult"), "not calculated");
    EXPECT_EQ(w.StatusLbl->text().rfind("20000 rows, 20000 not calculated (cancelled);", 0), 0u);
    EXPECT_EQ(w.document().text(), reference.text());
    w.setEvaluationThreads(std::nullopt);
    EXPECT_FALSE(w.evaluating());
    w.Grid1->userEdit(0, 0, "renamed");
    EXPECT_TRUE(w.evaluating());
    ASSERT_TRUE(backend.runPostedUntil([&] { return !w.evaluating(); }));
    EXPECT_EQ(text(w, 1, "ValenceResult"), referenceValence(reference, 1));
}

// State: a long series, evaluated. Action: a cell typed, then a pause.
// Expected: the typed row's results at once, the plot after the pause with
// the new point; of the markers on one spot one is drawn, every spot
// keeps one, and the plot says how many of the points are drawn.
TEST_F(SeriesWindow, LongSeriesPlotFollowsAPauseAndSaysWhatItDraws) {
    TSeriesFrm& w = newSeries();
    ASSERT_TRUE(w.openFile(write("long.csv", longSeries(TSeriesFrm::kBackgroundRows + 1000))));
    ASSERT_TRUE(backend.runPostedUntil([&] { return !w.evaluating(); }));
    const auto drawn = [&w] {
        std::vector<std::pair<double, double>> points;
        for (const platform::LineSeries& g : w.Chart1->series())
            for (const platform::ChartPoint& p : g.points)
                points.emplace_back(p.x, p.y);
        return points;
    };
    const auto before = drawn();
    w.Grid1->userEdit(3, column(w, "Mobility"), "4.5");
    EXPECT_FALSE(text(w, 3, "ValenceResult").empty());
    EXPECT_EQ(drawn(), before) << "after the pause";
    backend.fireTimers();
    const auto points = drawn();
    std::set<std::pair<double, double>> expected;
    const auto x = w.document().xValues(1);
    const auto y = w.document().yValues("ValenceResult");
    for (std::size_t r = 0; r < x->size(); ++r)
        if ((*x)[r] && (*y)[r])
            expected.emplace(*(*x)[r], *(*y)[r]);
    EXPECT_EQ(std::set(points.begin(), points.end()), expected);
    EXPECT_EQ(points.size(), expected.size());
    const std::string n = std::to_string(points.size()) + " of 20999 points";
    EXPECT_EQ(w.Chart1->caption.rfind(n + " drawn: the others lie under them. ", 0), 0u);
    EXPECT_NE(w.StatusLbl->text().find("; the plot draws " + n + ", the others lie under them"),
              std::string::npos);
}
