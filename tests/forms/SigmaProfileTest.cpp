// SPDX-License-Identifier: GPL-3.0-or-later

// The fit of Sigma to measured profiles in its window: scans opened
// together, the global fit and each scan alone, a file that is no scan,
// Sigma with its u handed to the main and uncertainty windows, and a long
// fit in the background with its progress and Cancel.
#include <gtest/gtest.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "forms/BackgroundRun.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/SigmaProfile.h"
#include "forms/Uncertainty.h"
#include "platform/base/NumberText.h"
#include "tests/support/Files.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using forms::TSigmaProfileFrm;

namespace {

std::string scan(const char* name) {
    return std::string(QUORVIN_TEST_DATA) + "/scans/" + name;
}

class SigmaProfileWindow : public testing_support::MainWindowSession {
  protected:
    TSigmaProfileFrm& open(std::vector<std::string> files) {
        OpeningForm->SigmaProfile1->userClick(OpeningForm);
        TSigmaProfileFrm& w = *forms::OpeningForm->sigmaProfileWindow();
        backend.expectDialog<platform::OpenDialog>("TOpenDialog", [files](platform::OpenDialog& d) {
            EXPECT_TRUE(d.AllowMultiSelect);
            d.FileName = files.front();
            d.Files = files;
            return true;
        });
        w.OpenBtn->userPress();
        settle(w);
        return w;
    }
    // The reading and fitting done and shown.
    void settle(const TSigmaProfileFrm& w) {
        ASSERT_TRUE(backend.runPostedUntil([&w] { return !w.running(); }));
    }
    // A long scan: its run goes on until the test lets its reports in.
    std::string longScan(const char* name) {
        std::string text = "x (cm)\tsignal\n";
        const int n = 20000;
        char line[64];
        for (int i = 0; i < n; ++i) {
            const double x = 6.8 + 0.4 * i / n;
            const double noise = 0.01 * (static_cast<int>((i * 7919LL) % 13) - 6) / 6.0;
            char* end = std::to_chars(line, line + 30, x, std::chars_format::fixed, 7).ptr;
            *end++ = '\t';
            end = std::to_chars(end, line + 62, 0.1 + 0.5 * std::exp(3 * (x - 7)) + noise,
                                std::chars_format::fixed, 6)
                      .ptr;
            *end++ = '\n';
            text.append(line, end);
        }
        return write(name, text);
    }
    // The quiet time over: the progress of a run still going shows.
    void pastQuietTime() {
        std::this_thread::sleep_for(forms::BackgroundRun::kQuietTime +
                                    std::chrono::milliseconds(50));
        backend.fireTimers();
    }
};

// State: start-up. Action: two radial scans of Sigma 2.5 opened, the fit
// used. Expected: one Sigma near 2.5 with each scan's alone in time order;
// the main window takes it as a typed Sigma with its log entry, and the
// uncertainty window its SE.
TEST_F(SigmaProfileWindow, FitsScansTogetherAndHandsSigmaOn) {
    TSigmaProfileFrm& w = open({scan("radial-2.txt"), scan("radial-1.txt")});
    ASSERT_TRUE(w.result());
    EXPECT_NEAR(w.result()->sigma, 2.5, 3 * w.result()->sigmaSE);
    EXPECT_EQ(w.ScansLbl->text(), "2 scans: radial-2.txt, radial-1.txt");
    EXPECT_EQ(w.ParameterRows[0].cells[0]->text(), w.sigmaText());
    EXPECT_EQ(w.ScanLbls[0]->text().rfind("radial-1.txt: Sigma = ", 0), 0u) << "earlier first";
    EXPECT_NE(w.ScanLbls[1]->text().find(" at 10800 s"), std::string::npos);
    EXPECT_EQ(w.Chart1->series().size(), 4u) << "points and curve of each scan";
    EXPECT_TRUE(w.UseBtn->enabled());

    forms::ReportFrm->LogUnsaved = false;
    OpeningForm->Uncertainty1->userClick(OpeningForm);
    w.UseBtn->userPress();
    // As the mobility calculator takes a typed Sigma: its value whole, its
    // field rounded.
    EXPECT_EQ(OpeningForm->Sigma, platform::StrToFloat(w.sigmaText()));
    EXPECT_TRUE(forms::ReportFrm->LogUnsaved);
    EXPECT_NE(forms::ReportFrm->RichEdit1->Text().find(
                  "Z and Z* calculated from Sigma: " + OpeningForm->SigTxt->text() + " cm^-1"),
              std::string::npos);
    // u(Sigma) to two significant digits like the results, in its own row;
    // the log says where Sigma came from.
    const std::string u = analysis::quotedText(w.result()->sigmaSE, w.result()->sigmaSE);
    EXPECT_EQ(OpeningForm->uncertaintyWindow()->Rows[6].u->text(), u);
    EXPECT_EQ(OpeningForm->uncertaintyWindow()->Rows[6].u->accessibleName(),
              OpeningForm->uncertaintyWindow()->Rows[6].name->text() + ", standard uncertainty");
    EXPECT_EQ(OpeningForm->uncertaintyWindow()->Rows[6].name->text().rfind("Sigma", 0), 0u);
    EXPECT_NE(forms::ReportFrm->RichEdit1->Text().find("Sigma from a fit of " +
                                                       std::to_string(w.result()->scans.size())),
              std::string::npos);
    EXPECT_NE(forms::ReportFrm->RichEdit1->Text().find("Sigma = " + w.sigmaText() + " +- " + u +
                                                       " cm-1 (SE), signal = A exp("),
              std::string::npos);

    // Held at zero, the baseline leaves the table and the fit changes.
    const double withBaseline = w.result()->sigma;
    w.BaselineTxt->userClick();
    settle(w);
    EXPECT_EQ(w.ParameterRows[2].cells[0]->text(), "held at 0");
    EXPECT_NE(w.result()->sigma, withBaseline);
}

// State: start-up. Action: a scan whose fit is not credible opened, or one
// no fit can use. Expected: the notes say why (the file named without its
// folder), and "Use this Sigma" does not enter such a Sigma but says why.
TEST_F(SigmaProfileWindow, SaysWhyAFitIsNotCredibleAndRefusesToUseIt) {
    std::string flat, two, negative, tightSds, noise;
    for (int i = 0; i < 40; ++i) {
        const std::string x = "6." + std::to_string(10 + i) + " ";
        const std::string wobble = "0.5" + std::to_string(i * 7919 % 13);
        flat += x + "0.5\n";
        two += std::string(i % 2 ? "6.1 " : "6.2 ") + "0." + std::to_string(10 + i) + "\n";
        negative += x + "-0." + std::to_string(10 + i) + "\n";
        tightSds += x + wobble + " 0.00001\n";
        noise += x + wobble + "\n";
    }
    struct Case {
        const std::string& text;
        const char* fitLabel;  // its start
        const char* note;      // its start
    };
    const Case cases[] = {
        {tightSds, "\u03c7\u00b2/\u03bd = 8804000",
         "Not credible: the reduced chi-square 8800000 is far from 1 although the SDs are given"},
        {noise, "\u03c7\u00b2/\u03bd = ", "Not credible: SigmaSE 296 is larger than Sigma -142"},
        {flat, "No fit:", "scan.txt: the signal is the same at every point in the range used"},
        {two, "No fit:", "scan.txt: 2 distinct positions in the range used"},
        {negative, "No fit:", "scan.txt: every signal in the range used is zero or negative"},
    };
    const testing_support::TempFolder folder("sigma-profile");
    const std::string path = (folder.path() / "scan.txt").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.text;
        TSigmaProfileFrm& w = open({path});
        EXPECT_EQ(w.FitLbl->text().rfind(c.fitLabel, 0), 0u) << w.FitLbl->text();
        EXPECT_EQ(w.NoteLbl->text().rfind(c.note, 0), 0u) << w.NoteLbl->text();
        const double before = OpeningForm->Sigma;
        w.UseBtn->userPress();
        EXPECT_EQ(OpeningForm->Sigma, before);
        const std::vector<std::string> said = backend.takeMessages();
        if (w.result()) {
            ASSERT_EQ(said.size(), 1u);
            EXPECT_EQ(
                said[0].rfind(
                    "Sigma was not entered: the fit is not credible: " + w.result()->problem, 0),
                0u)
                << said[0];
        } else {
            EXPECT_FALSE(w.UseBtn->enabled());
        }
    }
}

// A file that is no scan is refused with where it fails; the scans shown
// stay.
TEST_F(SigmaProfileWindow, AFileThatIsNoScanLeavesTheShownOnes) {
    TSigmaProfileFrm& w = open({scan("columns-sd.txt")});
    const std::string shown = w.sigmaText();
    open({scan("radial-1.txt"), std::string(QUORVIN_TEST_DATA) + "/../data/nist_boxbod.txt"});
    const std::vector<std::string> said = backend.takeMessages();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("nist_boxbod.txt"), std::string::npos) << said[0];
    EXPECT_NE(said[0].find("line"), std::string::npos) << said[0];
    EXPECT_EQ(w.sigmaText(), shown);
    EXPECT_EQ(w.ScansLbl->text(), "1 scan: columns-sd.txt");
    EXPECT_TRUE(w.UseBtn->enabled());
}

// State: a fit shown. Action: a long scan opened, and after the quiet time
// Cancel; then a change of choice during a long refit, and its Cancel.
// Expected: the progress shows with the choices and "Use" off meanwhile;
// the cancelled opening leaves the shown fit, the stopped run's result never
// lands, and a cancelled refit leaves no fit for choices it did not fit.
TEST_F(SigmaProfileWindow, ALongFitRunsInTheBackgroundAndCancels) {
    TSigmaProfileFrm& w = open({scan("columns-sd.txt")});
    const std::string shown = w.sigmaText();
    const std::string big = longScan("long.txt");
    backend.expectDialog<platform::OpenDialog>("TOpenDialog", [big](platform::OpenDialog& d) {
        d.Files = {big};
        return true;
    });
    w.OpenBtn->userPress();
    EXPECT_TRUE(w.running());
    EXPECT_FALSE(w.UseBtn->enabled());
    EXPECT_FALSE(w.FromTxt->enabled()) << "the new scans' range is not known yet";
    pastQuietTime();
    EXPECT_TRUE(w.CancelBtn->showing());
    EXPECT_EQ(w.RunLbl->text(), "Reading and fitting:");
    EXPECT_NE(w.ProgressLbl->text().find(" %"), std::string::npos);
    w.CancelBtn->userPress();
    EXPECT_FALSE(w.running());
    EXPECT_FALSE(w.CancelBtn->showing());
    backend.runPostedUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(w.ScansLbl->text(), "1 scan: columns-sd.txt");
    EXPECT_EQ(w.sigmaText(), shown);
    EXPECT_TRUE(w.UseBtn->enabled());
    EXPECT_TRUE(w.FromTxt->enabled());

    // The long scan in: a change while it refits replaces that refit.
    open({big});
    ASSERT_TRUE(w.result());
    EXPECT_NEAR(w.result()->sigma, 3.0, 0.05);
    const double withBaseline = w.result()->sigma;
    w.BaselineTxt->userClick();
    w.BaselineTxt->userClick();
    settle(w);
    EXPECT_EQ(w.result()->sigma, withBaseline) << "the held-at-0 fit was stopped";
    EXPECT_NE(w.ParameterRows[2].cells[0]->text(), "held at 0");

    w.BaselineTxt->userClick();
    pastQuietTime();
    EXPECT_EQ(w.RunLbl->text(), "Fitting:");
    EXPECT_EQ(w.FitLbl->text(), "Fitting...") << "the fit of the former choices left";
    w.CancelBtn->userPress();
    EXPECT_FALSE(w.result());
    EXPECT_EQ(w.FitLbl->text(), "Cancelled: no fit for these choices.");
    EXPECT_FALSE(w.UseBtn->enabled());
}

}  // namespace
