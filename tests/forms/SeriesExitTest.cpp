// SPDX-License-Identifier: GPL-3.0-or-later

// The program's exit with two series windows holding unsaved changes, on
// the headless back end: each is asked about by name, then all close, or
// on Cancel nothing changes.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "forms/Exitfrm.h"
#include "forms/Mainfrm.h"
#include "forms/Series.h"
#include "forms/SeriesDialogs.h"
#include "tests/support/Files.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using forms::TSaveSeries;
using forms::TSeriesFrm;

namespace {

constexpr const char* kSeries =
    "Sample,IonicStrength,Temperature,StokesRadius,Mobility\n"
    "A,0.010,25,3.5,1.80\n"
    "B,0.050,25,3.5,1.31\n";

class SeriesExit : public testing_support::MainWindowSession {
  protected:
    // Two series opened from files, a label changed in each.
    std::vector<TSeriesFrm*> twoModified() {
        std::vector<TSeriesFrm*> windows;
        for (const char* name : {"first.csv", "second.csv"}) {
            std::ofstream(dir() / name, std::ios::binary) << kSeries;
            TSeriesFrm* w = OpeningForm->OpenFile((dir() / name).string());
            EXPECT_NE(w, nullptr);
            w->Grid1->userEdit(0, 0, std::string("changed in ") + name);
            windows.push_back(w);
        }
        return windows;
    }
    // The answer to the next save question, which must name the series.
    void answer(const std::string& name, platform::Button* TSaveSeries::*button) {
        backend.expect<TSaveSeries>("TSaveSeries", [name, button](TSaveSeries& d) {
            EXPECT_EQ(d.StaticText1->text(), "Save the changes to \"" + name + "\"?");
            (d.*button)->userPress();
        });
    }
    std::string file(const char* name) { return testing_support::readFile(dir() / name); }
};

// Each answer: Yes saves that series, No lets it go; both end the program
// with every window closed.
TEST_F(SeriesExit, YesAndNoEndTheProgramWithEveryWindowClosed) {
    const std::vector<TSeriesFrm*> windows = twoModified();
    answer("first.csv", &TSaveSeries::YesBtn);
    answer("second.csv", &TSaveSeries::NoBtn);
    OpeningForm->Exit1->userClick(OpeningForm);
    EXPECT_TRUE(backend.terminated());
    EXPECT_FALSE(OpeningForm->visible());
    for (TSeriesFrm* w : windows)
        EXPECT_FALSE(w->visible());
    EXPECT_NE(file("first.csv").find("changed in first.csv"), std::string::npos);
    EXPECT_EQ(file("second.csv"), kSeries);
}

// Cancel at the second question keeps the program, both windows and their
// changes; the next Exit asks again.
TEST_F(SeriesExit, CancelKeepsEverything) {
    const std::vector<TSeriesFrm*> windows = twoModified();
    answer("first.csv", &TSaveSeries::NoBtn);
    answer("second.csv", &TSaveSeries::CancelBtn);
    OpeningForm->Exit1->userClick(OpeningForm);
    EXPECT_FALSE(backend.terminated());
    EXPECT_TRUE(OpeningForm->visible());
    for (TSeriesFrm* w : windows) {
        EXPECT_TRUE(w->visible());
        EXPECT_TRUE(w->document().dirty());
    }
    answer("first.csv", &TSaveSeries::NoBtn);
    answer("second.csv", &TSaveSeries::NoBtn);
    OpeningForm->Exit1->userClick(OpeningForm);
    EXPECT_TRUE(backend.terminated());
}

// The log's question comes after the series', and a Cancel there leaves
// the log unasked.
TEST_F(SeriesExit, LogIsAskedAboutAfterTheSeries) {
    twoModified();
    enter(OpeningForm->ZTxt, "10");
    answer("first.csv", &TSaveSeries::CancelBtn);
    OpeningForm->Exit1->userClick(OpeningForm);
    EXPECT_TRUE(forms::ReportFrm->LogUnsaved);
    answer("first.csv", &TSaveSeries::NoBtn);
    answer("second.csv", &TSaveSeries::NoBtn);
    backend.expect<forms::TSaveLog>("TSaveLog", [](forms::TSaveLog& d) { d.BitBtn2->userPress(); });
    OpeningForm->Exit1->userClick(OpeningForm);
    EXPECT_TRUE(backend.terminated());
}

}  // namespace
