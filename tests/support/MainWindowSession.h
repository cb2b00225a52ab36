// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <fstream>
#include <string>

#include "forms/Enternumber.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/Series.h"
#include "tests/support/HeadlessSession.h"

namespace testing_support {

// A salt series of bovine serum albumin, as a spreadsheet saves it.
inline constexpr const char* kSaltSeries =
    "Sample,IonicStrength,Temperature,StokesRadius,Mobility\n"
    "A,0.010,25,3.5,1.80\n"
    "B,0.050,25,3.5,1.31\n"
    "C,0.100,25,3.5,1.12\n";

// The program as it starts: the main window after its first pass and the
// hidden report window, on the headless back end.
class MainWindowSession : public HeadlessSession {
  protected:
    void SetUp() override {
        application.Initialize();
        application.CreateForm(forms::OpeningForm);
        application.CreateForm(forms::ReportFrm);
        application.Run();
    }
    void TearDown() override {
        HeadlessSession::TearDown();
        forms::OpeningForm = nullptr;
        forms::ReportFrm = nullptr;
    }

    // A click on the field, its text deleted, the number typed, OK.
    void enter(platform::StaticText* field, const std::string& typed) {
        backend.expect<forms::TNumberEntry>("TNumberEntry", [typed](forms::TNumberEntry& d) {
            platform::headless::clearByBackspace(*d.Value);
            platform::headless::typeText(*d.Value, typed);
            d.BitBtn1->userPress();
        });
        field->userClick();
    }

    // The text as a file in the session's folder; its path.
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir() / name, std::ios::binary) << text;
        return (dir() / name).string();
    }
    // The text as a file, opened from the main window.
    forms::TSeriesFrm& open(const std::string& text, const std::string& name = "s.csv") {
        forms::TSeriesFrm* w = forms::OpeningForm->OpenFile(write(name, text));
        EXPECT_NE(w, nullptr);
        return *w;
    }
};

}  // namespace testing_support
