// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "forms/Enternumber.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "tests/support/HeadlessSession.h"

namespace testing_support {

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
};

}  // namespace testing_support
