#include "app/Startup.h"

#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "platform/Application.h"
#include "platform/qt/QtBackend.h"

namespace app {

int runQuorvin(const std::function<void()>& beforeRun) {
    platform::qt::QtBackend backend;
    platform::Application application(backend);
    try {
        application.Initialize();
        application.CreateForm(forms::OpeningForm);
        application.CreateForm(forms::ReportFrm);
        if (beforeRun)
            beforeRun();
        application.Run();
    } catch (const std::exception& e) {
        application.ShowException(e);
    }
    forms::OpeningForm = nullptr;
    forms::ReportFrm = nullptr;
    return 0;
}

}  // namespace app
