// SPDX-License-Identifier: GPL-3.0-or-later

// The uncertainty window's Monte Carlo run in the background: started when
// the values change, its progress shown once it takes long enough to be
// noticed, stopped by Cancel, a change or the window's closing.
#include <algorithm>
#include <chrono>
#include <thread>

#include "forms/Uncertainty.h"
#include "platform/Application.h"

namespace forms {

namespace {

// A run that takes longer than this shows its progress and can be cancelled.
constexpr auto kQuietTime = std::chrono::milliseconds(200);

}  // namespace

struct TUncertaintyFrm::Run {
    analysis::MonteCarloControl control;
    RunKey key;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    std::optional<analysis::MonteCarloResult> result;
    std::string error;
    // Last, so that it is joined before the rest goes.
    std::jthread thread;
};

void TUncertaintyFrm::startRun() {
    stopRun();
    clearResult("Running...");
    auto run = std::make_shared<Run>();
    run->key = currentKey();
    m_run = run;
    // The run reports through the event loop; a report that comes after the
    // run was stopped finds it gone and does nothing.
    platform::Backend* backend = &platform::app().backend();
    const std::weak_ptr<Run> weak = run;
    const auto onUiThread = [backend, weak, this](void (TUncertaintyFrm::*step)()) {
        backend->post([weak, this, step] {
            const std::shared_ptr<Run> current = weak.lock();
            if (current && current == m_run)
                platform::app().dispatch(nullptr, [this, step] { (this->*step)(); });
        });
    };
    run->control.progress = [onUiThread] { onUiThread(&TUncertaintyFrm::runProgressed); };
    Run* raw = run.get();
    run->thread = std::jthread([raw, m = *m_measurement, u = m_u, options = m_options, onUiThread] {
        try {
            raw->result = analysis::monteCarlo(m, u, options, &raw->control);
        } catch (const std::exception& e) {
            raw->error = e.what();
        }
        onUiThread(&TUncertaintyFrm::runFinished);
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
    m_run.reset();  // joins the run's thread, which stops after its current block
    CancelBtn->setVisible(false);
    ProgressPnl->setVisible(false);
    ProgressLbl->setText("");
}

void TUncertaintyFrm::runProgressed() {
    if (std::chrono::steady_clock::now() - m_run->started < kQuietTime)
        return;
    const double done = static_cast<double>(m_run->control.done.load()) /
                        static_cast<double>(m_run->key.options.draws);
    const double fraction = std::clamp(done, 0.0, 1.0);
    CancelBtn->setVisible(true);
    ProgressPnl->setVisible(true);
    ProgressBar->setWidth(static_cast<int>(fraction * (kProgressWidth - 2)));
    ProgressLbl->setText(std::to_string(static_cast<int>(fraction * 100)) + " %");
}

void TUncertaintyFrm::runFinished() {
    const std::shared_ptr<Run> run = m_run;
    m_run.reset();
    run->thread.join();
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
