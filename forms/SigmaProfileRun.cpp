// SPDX-License-Identifier: GPL-3.0-or-later

// The Sigma-profile window's reading and fitting in the background: a scan
// of a million points takes seconds to read and fit, so the window stays in
// the user's hands meanwhile, shows the progress once the run takes long
// enough to be noticed and offers a Cancel. A change of the fit's choices
// stops the run and starts another; a result whose choices are no longer
// the window's is refused.

#include <algorithm>
#include <atomic>
#include <exception>

#include "forms/BackgroundRun.h"
#include "forms/SigmaProfile.h"

namespace forms {

using platform::Label;

namespace {

constexpr int kProgressWidth = BackgroundRun::kProgressWidth;
constexpr int kBarHeight = 16;
// The shares of the progress bar: reading, the fit, its refits, each scan
// alone (per mille).
constexpr int kReadEnd = 200;
constexpr int kRefitsFrom = 250;
constexpr int kRefitsEnd = 900;
constexpr int kWhole = 1000;

bool sameChoices(const fit::SigmaFitOptions& a, const fit::SigmaFitOptions& b) {
    return a.from == b.from && a.to == b.to && a.maxSignal == b.maxSignal &&
           a.baseline == b.baseline && a.draws == b.draws;
}

}  // namespace

struct TSigmaProfileFrm::Run {
    std::vector<std::string> paths;  // the files to read; empty for a refit
    std::vector<fit::Scan> scans;
    fit::SigmaFitOptions options;
    std::atomic<bool> stop{false};
    std::atomic<bool> over{false};  // the worker has ended
    std::atomic<int> perMille{0};
    std::exception_ptr readError;
    std::optional<fit::SigmaFit> fit;
    std::string fitError;
    std::vector<std::optional<fit::SigmaFit>> each;
    // Last, so that it ends before the rest goes.
    BackgroundRun background;
    explicit Run(TSigmaProfileFrm* window) : background(window) {}
};

void TSigmaProfileFrm::buildRunRow() {
    RunLbl = add<Label>("RunLbl", "Fitting:");
    ProgressPnl = add<platform::Panel>("ProgressPnl");
    ProgressPnl->setBevels(platform::Bevel::Lowered, platform::Bevel::None);
    ProgressPnl->setAccessibleName("Progress");
    ProgressBar = ProgressPnl->add<platform::Shape>("ProgressBar");
    ProgressBar->setColor(platform::Color{0, 0, 128});
    ProgressBar->setBounds(1, 1, 0, kBarHeight);
    ProgressLbl = add<Label>("ProgressLbl");
    CancelBtn = add<platform::Button>("CancelBtn");
    CancelBtn->setText("C&ancel");
    CancelBtn->OnClick = [this](platform::Control& c) { CancelBtnClick(c); };
    showRunRow(false);
    m_quietTimer.OnTimer = [this] { showProgress(); };
}

void TSigmaProfileFrm::showRunRow(bool visible) {
    RunLbl->setVisible(visible);
    ProgressPnl->setVisible(visible);
    ProgressLbl->setVisible(visible);
    CancelBtn->setVisible(visible);
}

void TSigmaProfileFrm::startRun(std::vector<std::string> paths) {
    stopRun();
    auto run = std::make_shared<Run>(this);
    run->paths = std::move(paths);
    if (run->paths.empty())
        run->scans = m_scans;
    run->options = m_options;
    m_run = run;
    Run* raw = run.get();
    raw->options.cancelled = &raw->stop;
    raw->options.progress = [raw, this](std::int64_t done, std::int64_t of) {
        raw->perMille = kRefitsFrom + static_cast<int>((kRefitsEnd - kRefitsFrom) * done /
                                                       std::max<std::int64_t>(of, 1));
        raw->background.report([this] { showProgress(); });
    };
    raw->background.start(1, [raw, this](unsigned) {
        if (readScans(*raw)) {
            raw->perMille = kReadEnd;
            try {
                raw->fit = fit::fitSigma(raw->scans, raw->options);
            } catch (const fit::FitCancelled&) {
                // Stopped by the window, which no longer waits for a result.
            } catch (const std::exception& e) {
                raw->fitError = e.what();
            }
            // Each scan alone, for the time course: the SEs only.
            fit::SigmaFitOptions alone = raw->options;
            alone.draws = 0;
            alone.progress = nullptr;
            for (std::size_t k = 0;
                 raw->fit && raw->scans.size() > 1 && !raw->stop && k < raw->scans.size(); ++k) {
                raw->perMille =
                    kRefitsEnd + static_cast<int>((kWhole - kRefitsEnd) * k / raw->scans.size());
                raw->background.report([this] { showProgress(); });
                try {
                    raw->each.push_back(fit::fitSigma(std::span(&raw->scans[k], 1), alone));
                } catch (const std::exception&) {
                    raw->each.push_back(std::nullopt);
                }
            }
        }
        raw->background.report([this] { runFinished(); });
        raw->over = true;
    });
    // New scans' choices follow from them: none is offered until they are in.
    enableChoices(raw->paths.empty());
    UseBtn->setEnabled(false);
    // A little after the quiet time, so that the run is no longer quiet.
    m_quietTimer.start(static_cast<int>(BackgroundRun::kQuietTime.count()) + 20);
}

// The worker's reading: all files or none; false when stopped or refused.
bool TSigmaProfileFrm::readScans(Run& run) {
    if (run.paths.empty())
        return !run.stop;
    for (std::size_t k = 0; k < run.paths.size(); ++k) {
        if (run.stop)
            return false;
        try {
            run.scans.push_back(fit::readScanFile(run.paths[k]));
        } catch (...) {
            run.readError = std::current_exception();
            return false;
        }
        run.perMille = static_cast<int>(kReadEnd * (k + 1) / run.paths.size());
    }
    // A new set of scans is fitted over the whole of its x range.
    double lo = run.scans.front().x.front(), hi = lo;
    for (const fit::Scan& s : run.scans)
        for (double x : s.x) {
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
    run.options.from = lo;
    run.options.to = hi;
    return !run.stop;
}

void TSigmaProfileFrm::stopRun() {
    std::erase_if(m_stopped, [](const std::shared_ptr<Run>& r) { return r->over.load(); });
    m_quietTimer.stop();
    if (m_run) {
        // Its reports end here; its thread ends after the file or block it
        // is at, without the window waiting for it.
        m_run->stop = true;
        m_run->background.stop();
        m_stopped.push_back(std::move(m_run));
        m_run.reset();
    }
    showRunRow(false);
    enableChoices(true);
}

void TSigmaProfileFrm::showProgress() {
    if (!m_run || m_run->background.quiet())
        return;
    const double fraction = std::clamp(m_run->perMille.load() / double(kWhole), 0.0, 1.0);
    // A fit of choices no longer shown leaves, so that its numbers are not
    // read as the new ones'; scans being read leave the shown ones.
    if (m_run->paths.empty() && m_fit)
        clearFit("Fitting...");
    RunLbl->setText(m_run->paths.empty() ? "Fitting:" : "Reading and fitting:");
    showRunRow(true);
    ProgressBar->setWidth(static_cast<int>(fraction * (kProgressWidth - 2)));
    ProgressLbl->setText(std::to_string(static_cast<int>(fraction * 100)) + " %");
}

void TSigmaProfileFrm::runFinished() {
    const std::shared_ptr<Run> run = m_run;
    if (!run)
        return;
    m_run.reset();
    run->background.stop();
    m_stopped.push_back(run);  // its thread is on its last step
    stopRun();
    if (run->readError) {
        UseBtn->setEnabled(m_fit.has_value());  // the scans shown stay
        std::rethrow_exception(run->readError);
    }
    if (!run->paths.empty()) {
        takeScans(std::move(run->scans));
        m_options.from = run->options.from;
        m_options.to = run->options.to;
    } else if (!sameChoices(run->options, m_options)) {
        startRun({});  // fitted with choices no longer the window's
        return;
    }
    if (!run->fit) {
        clearFit("No fit:", shortNames(run->fitError));
        return;
    }
    m_fit = std::move(run->fit);
    m_each = std::move(run->each);
    showFit();
}

void TSigmaProfileFrm::CancelBtnClick(platform::Control&) {
    if (!m_run)
        return;
    const bool opening = !m_run->paths.empty();
    stopRun();
    // Scans not yet read leave the shown fit as it was; a refit stopped
    // leaves none for the choices shown.
    if (opening)
        UseBtn->setEnabled(m_fit.has_value());
    else
        clearFit("Cancelled: no fit for these choices.");
}

void TSigmaProfileFrm::enableChoices(bool enabled) {
    for (platform::StaticText* t : {FromTxt, ToTxt, MaxTxt, BaselineTxt})
        t->setEnabled(enabled);
    OpenBtn->setEnabled(true);
}

}  // namespace forms
