// SPDX-License-Identifier: GPL-3.0-or-later

// The uncertainty window's Monte Carlo run in the background: started when
// the values change, its progress shown once it takes long enough to be
// noticed, stopped by Cancel, a change or the window's closing.
#include <algorithm>

#include "forms/BackgroundRun.h"
#include "forms/Uncertainty.h"

namespace forms {

struct TUncertaintyFrm::Run {
    analysis::MonteCarloControl control;
    RunKey key;
    std::optional<analysis::MonteCarloResult> result;
    std::string error;
    // Last, so that it ends before the rest goes.
    BackgroundRun background{nullptr};
};

void TUncertaintyFrm::startRun() {
    stopRun();
    clearResult("Running...");
    auto run = std::make_shared<Run>();
    run->key = currentKey();
    m_run = run;
    Run* raw = run.get();
    raw->control.progress = [raw, this] { raw->background.report([this] { runProgressed(); }); };
    raw->background.start(1,
                          [raw, m = *m_measurement, u = m_u, options = m_options, this](unsigned) {
                              try {
                                  raw->result = analysis::monteCarlo(m, u, options, &raw->control);
                              } catch (const std::exception& e) {
                                  raw->error = e.what();
                              }
                              raw->background.report([this] { runFinished(); });
                          });
    RunBtn->setEnabled(false);
}

bool TUncertaintyFrm::runningFor(const RunKey& key) const {
    return m_run && m_run->key == key;
}

void TUncertaintyFrm::stopRun() {
    if (!m_run)
        return;
    m_run->control.cancelled = true;
    m_run.reset();  // ends the run, whose thread stops after its current block
    CancelBtn->setVisible(false);
    ProgressPnl->setVisible(false);
    ProgressLbl->setText("");
}

void TUncertaintyFrm::runProgressed() {
    if (m_run->background.quiet())
        return;
    const double done = static_cast<double>(m_run->control.done.load()) /
                        static_cast<double>(m_run->key.options.draws);
    const double fraction = std::clamp(done, 0.0, 1.0);
    CancelBtn->setVisible(true);
    ProgressPnl->setVisible(true);
    ProgressBar->setWidth(static_cast<int>(fraction * (BackgroundRun::kProgressWidth - 2)));
    ProgressLbl->setText(std::to_string(static_cast<int>(fraction * 100)) + " %");
}

void TUncertaintyFrm::runFinished() {
    const std::shared_ptr<Run> run = m_run;
    m_run.reset();
    run->background.end();
    CancelBtn->setVisible(false);
    ProgressPnl->setVisible(false);
    ProgressLbl->setText("");
    if (run->result) {
        m_result = std::move(run->result);
        m_resultKey = run->key;
        showResult();
    } else {
        clearResult(run->error.empty() ? "Cancelled." : "The run failed: " + run->error);
    }
}

}  // namespace forms
