// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Startup.h"

#include <memory>

#include "electrokinetics/ModelChoice.h"
#include "forms/LogJournal.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/SeriesRecovery.h"
#include "journal/Journal.h"
#include "platform/Application.h"
#include "platform/Timer.h"
#include "platform/qt/QtBackend.h"

namespace app {

int runQuorvin(const std::function<void()>& beforeRun, const std::string& file) {
    platform::qt::QtBackend backend;
    platform::Application application(backend);
    std::unique_ptr<forms::LogJournal> journal;
    platform::Timer recovery;
    // The models not linear in z join the model choice; their tables are
    // built when first used, not here.
    electrokinetics::registerModels();
    try {
        application.Initialize();
        application.CreateForm(forms::OpeningForm);
        application.CreateForm(forms::ReportFrm);
        journal = std::make_unique<forms::LogJournal>(*forms::ReportFrm, journal::stateFolder());
        // Once the main window is up, so that the questions have their owner.
        recovery.OnTimer = [&journal, &file] {
            forms::offerRecovery(*forms::OpeningForm, *forms::ReportFrm, *journal);
            forms::offerSeriesRecovery(*forms::OpeningForm, journal->stateFolder());
            if (!file.empty())
                forms::OpeningForm->OpenFile(file);
        };
        recovery.start(0);
        if (beforeRun)
            beforeRun();
        application.Run();
    } catch (const std::exception& e) {
        application.ShowException(e);
    }
    recovery.stop();
    journal.reset();
    forms::OpeningForm = nullptr;
    forms::ReportFrm = nullptr;
    return 0;
}

}  // namespace app
