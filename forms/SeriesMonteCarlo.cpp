// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's Monte Carlo run: the 95 % intervals of the rows with
// SD columns, computed on a thread of their own with copies of the rows'
// inputs, so that the table stays in the user's hands meanwhile.

#include <algorithm>
#include <atomic>

#include "forms/BackgroundRun.h"
#include "forms/Series.h"

namespace forms {

namespace {

constexpr int kRunHeight = 30;
constexpr int kProgressWidth = BackgroundRun::kProgressWidth;
constexpr int kBarHeight = 16;

}  // namespace

struct TSeriesFrm::Run {
    analysis::MonteCarloControl control;
    std::uint64_t revision = 0;
    std::vector<series::Series::PendingDraws> rows;
    std::int64_t draws = 0;
    std::atomic<std::size_t> finished{0};  // rows with their result
    std::vector<std::optional<analysis::MonteCarloResult>> results;
    // The first row's that failed, or that left draws out or took the lower
    // of two valences (a model not linear in z), with its number.
    std::string error;
    std::string note;
    // Last, so that it ends before the rest goes.
    BackgroundRun background;
    explicit Run(TSeriesFrm* window) : background(window) {}
};

void TSeriesFrm::buildRunPanel() {
    RunPnl = add<platform::Panel>("RunPnl");
    RunPnl->setBevels(platform::Bevel::None, platform::Bevel::None);
    RunPnl->setBounds(0, clientHeight() - 20 - kRunHeight, clientWidth(), kRunHeight);
    RunPnl->setAlign(platform::Align::Bottom);
    RunPnl->setVisible(false);
    RunLbl = RunPnl->add<platform::Label>("RunLbl", "Monte Carlo 95 % intervals:");
    RunLbl->setBounds(8, 8, 170, kBarHeight);
    ProgressPnl = RunPnl->add<platform::Panel>("ProgressPnl");
    ProgressPnl->setBevels(platform::Bevel::Lowered, platform::Bevel::None);
    ProgressPnl->setBounds(180, 6, kProgressWidth, kBarHeight + 2);
    ProgressPnl->setAccessibleName("Progress");
    ProgressBar = ProgressPnl->add<platform::Shape>("ProgressBar");
    ProgressBar->setColor(platform::Color{0, 0, 128});
    ProgressBar->setBounds(1, 1, 0, kBarHeight);
    ProgressLbl = RunPnl->add<platform::Label>("ProgressLbl");
    ProgressLbl->setBounds(180 + kProgressWidth + 6, 8, 40, kBarHeight);
    CancelBtn = RunPnl->add<platform::Button>("CancelBtn");
    CancelBtn->setText("&Cancel");
    CancelBtn->setBounds(180 + kProgressWidth + 50, 3, 75, 25);
    CancelBtn->OnClick = [this](platform::Control& c) { CancelBtnClick(c); };
}

void TSeriesFrm::setMonteCarloOptions(const analysis::MonteCarloOptions& options) {
    m_runOptions = options;
    startRun();
}

void TSeriesFrm::followRun() {
    // The rows' draws come with their evaluation.
    if (m_series.pendingRows() > 0)
        return;
    const bool current = m_run && m_run->revision == m_series.revision();
    if (!current && m_cancelledAt != m_series.revision())
        startRun();
}

void TSeriesFrm::startRun() {
    stopRun();
    std::vector<series::Series::PendingDraws> rows = m_series.pendingMonteCarlo();
    if (rows.empty())
        return;
    auto run = std::make_shared<Run>(this);
    run->revision = m_series.revision();
    run->rows = std::move(rows);
    run->results.resize(run->rows.size());
    run->draws = m_runOptions.draws;
    m_run = run;
    Run* raw = run.get();
    raw->control.progress = [raw, this] { raw->background.report([this] { runProgressed(); }); };
    raw->background.start(1, [raw, options = m_runOptions, this](unsigned) {
        for (std::size_t i = 0; i < raw->rows.size() && !raw->control.cancelled; ++i) {
            raw->control.done = 0;
            const std::string row = "row " + std::to_string(raw->rows[i].row + 1) + ": ";
            // A row whose draws fail leaves its interval empty; the others go on.
            try {
                raw->results[i] = series::rowMonteCarlo(raw->rows[i].draws, options, &raw->control);
            } catch (const std::exception& e) {
                if (raw->error.empty())
                    raw->error = row + e.what();
                raw->finished = i + 1;
                continue;
            }
            if (!raw->results[i])
                break;
            if (const std::string note = analysis::valenceNote(*raw->results[i]);
                !note.empty() && raw->note.empty())
                raw->note = "Monte Carlo, " + row + note;
            raw->finished = i + 1;
        }
        raw->background.report([this] { runFinished(); });
    });
}

void TSeriesFrm::stopRun() {
    if (!m_run)
        return;
    m_run->control.cancelled = true;
    m_run.reset();  // ends the run, whose thread stops after its current block
    RunPnl->setVisible(false);
}

void TSeriesFrm::runProgressed() {
    if (m_run->background.quiet())
        return;
    const double total = static_cast<double>(m_run->draws) * m_run->rows.size();
    const double done = static_cast<double>(m_run->draws) * m_run->finished.load() +
                        static_cast<double>(m_run->control.done.load());
    const double fraction = std::clamp(done / total, 0.0, 1.0);
    RunLbl->setText("Monte Carlo 95 % intervals:");
    RunPnl->setVisible(true);
    ProgressBar->setWidth(static_cast<int>(fraction * (kProgressWidth - 2)));
    ProgressLbl->setText(std::to_string(static_cast<int>(fraction * 100)) + " %");
}

void TSeriesFrm::runFinished() {
    const std::shared_ptr<Run> run = m_run;
    run->background.end();
    stopRun();
    bool any = false;
    for (std::size_t i = 0; i < run->rows.size(); ++i)
        if (run->results[i])
            any = m_series.setMonteCarloResult(run->revision, run->rows[i].row, *run->results[i]) ||
                  any;
    if (any) {
        Grid1->invalidate();
        updatePlot();
        updateCopy();
    }
    if (!run->error.empty())
        StatusLbl->setText("The Monte Carlo run failed: " + run->error);
    else if (!run->note.empty())
        StatusLbl->setText(run->note);
}

void TSeriesFrm::CancelBtnClick(platform::Control&) {
    if (m_evaluation) {
        cancelEvaluation();
        return;
    }
    if (!m_run)
        return;
    // The rows done keep their intervals; the others stay empty until the
    // next change.
    m_run->control.cancelled = true;
    m_cancelledAt = m_run->revision;
    runFinished();
}

}  // namespace forms
