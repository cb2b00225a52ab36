// SPDX-License-Identifier: GPL-3.0-or-later

// The uncertainty window: its inputs and budget for the main window's state,
// a Monte Carlo run in the background, cancelling it, and its block in the
// calculation log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/Enternumber.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/Uncertainty.h"
#include "platform/base/NumberText.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using forms::TNumberEntry;
using forms::TUncertaintyFrm;

namespace {

class UncertaintyWindow : public testing_support::MainWindowSession {
  protected:
    TUncertaintyFrm& open() {
        OpeningForm->Uncertainty1->userClick(OpeningForm);
        return *OpeningForm->uncertaintyWindow();
    }
    void waitForRun(const TUncertaintyFrm& w) {
        ASSERT_TRUE(backend.runPostedUntil([&w] { return !w.running(); }));
    }
    static double cell(const platform::StaticText* t) { return platform::StrToFloat(t->text()); }
};

// State: start-up, Sigma measured. Action: u for T and Sigma, Sigma
// rectangular, run, add to log. Expected: the GUM and Monte Carlo u agree,
// the log ends with the block and is unsaved, and a pass that changes no
// input does not run again.
TEST_F(UncertaintyWindow, RunsInTheBackgroundAndAddsItsBlockToTheLog) {
    TUncertaintyFrm& w = open();
    EXPECT_EQ(w.StateLbl->text(), "z from the measured Sigma");
    EXPECT_EQ(w.ValenceLbl->text(),
              "z = 17.13 as shown; 17.1308 at the entered values without display rounding");
    const char* inputs[] = {"Temperature (\u00b0C)", "Ionic strength (M)", "Dielectric constant",
                            "Salt ion radius (nm)",  "Stokes radius (nm)", "E (V/cm)",
                            "Sigma (cm\u207b\u00b9)"};
    for (int r = 0; r < TUncertaintyFrm::kMaxRows; ++r) {
        EXPECT_EQ(w.Rows[r].name->visible(), r < 7);
        if (r < 7) {
            EXPECT_EQ(w.Rows[r].name->text(), inputs[r]);
        }
    }
    EXPECT_FALSE(w.running());
    EXPECT_FALSE(w.AddToLogBtn->enabled());
    // The colours keep the main window's key, which the window shows too.
    const std::vector<platform::LabelRun>& key = w.KeyLbl->runs();
    ASSERT_EQ(key.size(), 4u);
    EXPECT_EQ(key[0].text, "Key: entered values = ");
    EXPECT_EQ(key[1].swatch, platform::clLime);
    EXPECT_EQ(key[3].swatch, platform::clYellow);

    enter(w.Rows[0].u, "0.5");
    enter(w.Rows[6].u, "0.4");
    w.Rows[6].distribution->userClick();
    EXPECT_EQ(w.Rows[6].distribution->text(), "rectangular");
    waitForRun(w);
    ASSERT_TRUE(w.resultCurrent());
    const double gumU = cell(w.GumTxts[0]);
    EXPECT_NEAR(cell(w.ResultRows[0].cells[1]), gumU, 0.05 * gumU);
    EXPECT_NEAR(cell(w.Rows[0].share) + cell(w.Rows[6].share), 100, 0.15);
    EXPECT_EQ(w.Chart1->series().size(), 4u);
    // u in two significant digits, U = 2u beside it, the mean and the
    // interval to the decimals of their u; the GUM section right under the
    // last input.
    const std::string u = w.ResultRows[0].cells[1]->text();
    const auto decimals = [](const std::string& t) { return t.size() - t.find('.') - 1; };
    EXPECT_EQ(u.find_first_not_of("0.") + 2, u.size()) << u;
    EXPECT_EQ(decimals(w.ResultRows[0].cells[0]->text()), decimals(u));
    EXPECT_EQ(decimals(w.ResultRows[0].cells[3]->text()), decimals(u));
    EXPECT_NEAR(cell(w.ExpandedTxts[0]), 2 * gumU, 0.05 * gumU);
    EXPECT_EQ(w.GumTxts[0]->bounds().top, w.Rows[6].value->bounds().top + 22 + 6);
    w.DigitsTxt->userClick();
    EXPECT_EQ(w.DigitsTxt->text(), "all digits");
    EXPECT_GT(w.ResultRows[0].cells[1]->text().size(), u.size());

    forms::ReportFrm->LogUnsaved = false;
    w.AddToLogBtn->userPress();
    EXPECT_TRUE(forms::ReportFrm->LogUnsaved);
    const std::string log = forms::ReportFrm->RichEdit1->Text();
    const std::string block = log.substr(log.find("  Uncertainty of Z"));
    EXPECT_EQ(block.substr(0, block.find("  GUM")),
              "  Uncertainty of Z: GUM law of propagation and Monte Carlo (N = 200000, seed 1)\r\n"
              "    Temperature = 20 C, u = 0.5, normal\r\n"
              "    Ionic strength = 0.1 M, u = 0, normal\r\n"
              "    Dielectric constant = 78, u = 0, normal\r\n"
              "    Salt ion radius = 0.127 nm, u = 0, normal\r\n"
              "    Stokes radius = 2.9 nm, u = 0, normal\r\n"
              "    E = 0.123 V/cm, u = 0, normal\r\n"
              "    Sigma = 22 cm^-1, u = 0.4, rectangular\r\n");
    EXPECT_NE(
        block.find("  Monte Carlo: mean Z = " + w.ResultRows[0].cells[0]->text() +
                   ", u(Z) = " + w.ResultRows[0].cells[1]->text() + ", 95 % interval " +
                   w.ResultRows[0].cells[2]->text() + " to " + w.ResultRows[0].cells[3]->text()),
        std::string::npos);

    // It says what it appended; the same result again only after Yes.
    EXPECT_NE(w.StatusLbl->text().find("Added to the log"), std::string::npos);
    const auto blocks = [] {
        const std::string text = forms::ReportFrm->RichEdit1->Text();
        std::size_t n = 0;
        for (std::size_t at = text.find("  Uncertainty of Z"); at != std::string::npos;
             at = text.find("  Uncertainty of Z", at + 1))
            ++n;
        return n;
    };
    for (const auto& [answer, expected] :
         {std::pair{platform::ModalResult::No, 1u}, std::pair{platform::ModalResult::Yes, 2u}}) {
        backend.expect<forms::TAddAgain>("TAddAgain", [answer](forms::TAddAgain& d) {
            (answer == platform::ModalResult::Yes ? d.BitBtn1 : d.BitBtn2)->userPress();
        });
        w.AddToLogBtn->userPress();
        EXPECT_EQ(blocks(), expected);
    }

    enter(OpeningForm->TTxt, "20");  // a pass with the same inputs
    EXPECT_FALSE(w.running());
    EXPECT_TRUE(w.resultCurrent());
    enter(OpeningForm->TTxt, "21");
    EXPECT_TRUE(w.running() || !w.resultCurrent());
    waitForRun(w);
    EXPECT_TRUE(w.resultCurrent());
}

// A long run shows its progress after a moment and stops on Cancel; with z
// entered nothing is measured and the window says so.
TEST_F(UncertaintyWindow, LongRunCancelsAndEnteredZHasNothingToAnalyse) {
    TUncertaintyFrm& w = open();
    enter(w.DrawsTxt, "10000000");
    enter(w.Rows[1].u, "0.002");
    ASSERT_TRUE(w.running());
    ASSERT_TRUE(backend.runPostedUntil([&w] { return w.ProgressPnl->visible(); }));
    EXPECT_TRUE(w.CancelBtn->visible());
    w.CancelBtn->userPress();
    EXPECT_FALSE(w.running());
    EXPECT_EQ(w.StatusLbl->text(), "Cancelled.");
    EXPECT_FALSE(w.CancelBtn->visible());
    EXPECT_TRUE(w.RunBtn->enabled());

    enter(OpeningForm->ZTxt, "10");
    EXPECT_EQ(
        w.StateLbl->text(),
        "The uncertainty analysis needs a measured Sigma or mobility: now z or z* is entered.");
    EXPECT_FALSE(w.Rows[0].name->visible());
    EXPECT_FALSE(w.running());
    EXPECT_FALSE(w.AddToLogBtn->enabled());
}

// A window opened elsewhere writes its block to the log it was given, and
// with no log to write to "Add to log" appends nothing anywhere.
TEST_F(UncertaintyWindow, AddsToTheLogItWasGiven) {
    struct Lines : model::LogSink {
        std::vector<std::string> lines;
        void AddLogLine(std::string line) override { lines.push_back(std::move(line)); }
    };
    for (const bool haveLog : {true, false}) {
        Lines sink;
        TUncertaintyFrm w(OpeningForm,
                          [&]() -> model::LogSink* { return haveLog ? &sink : nullptr; });
        w.showFor(*OpeningForm, OpeningForm->ZTxt->text(), OpeningForm->Chart1->caption);
        w.Show();
        enter(w.Rows[0].u, "0.5");
        waitForRun(w);
        ASSERT_TRUE(w.resultCurrent());
        const std::string before = forms::ReportFrm->RichEdit1->Text();
        w.AddToLogBtn->userPress();
        EXPECT_EQ(forms::ReportFrm->RichEdit1->Text(), before);
        EXPECT_EQ(!sink.lines.empty(), haveLog);
        EXPECT_EQ(w.StatusLbl->text().find("Added to the log") != std::string::npos, haveLog);
    }
}

}  // namespace
