#pragma once

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
};

}  // namespace testing_support
