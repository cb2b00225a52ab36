// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's evaluation of a long series: its rows are evaluated
// in place on one thread per core while the table is already in the
// user's hands, with the progress under the table and a Cancel. A change
// stops the threads first and starts them again after it, on the rows
// still pending.

#include <algorithm>
#include <atomic>
#include <thread>

#include "forms/BackgroundRun.h"
#include "forms/Series.h"

namespace forms {

namespace {

// Rows a thread takes at a time, and the chunks between its reports.
constexpr std::size_t kChunk = 2048;
constexpr std::size_t kChunksPerReport = 8;
constexpr int kProgressWidth = BackgroundRun::kProgressWidth;

}  // namespace

struct TSeriesFrm::Evaluation {
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> nextChunk{0};
    std::atomic<int> working{0};
    std::size_t total = 0;  // the rows pending at the start
    // Last, so that it ends before the rest goes.
    BackgroundRun background;
    explicit Evaluation(TSeriesFrm* window) : background(window) {}
};

void TSeriesFrm::setEvaluationThreads(std::optional<unsigned> threads) {
    m_evaluationThreads = threads;
    if (m_evaluation) {
        stopEvaluation();
        startEvaluation();
    }
}

void TSeriesFrm::followEvaluation() {
    if (!m_evaluation && !m_evaluationCancelled && m_series.pendingRows() > 0)
        startEvaluation();
}

void TSeriesFrm::startEvaluation() {
    auto run = std::make_shared<Evaluation>(this);
    run->total = m_series.pendingRows();
    m_evaluation = run;
    Evaluation* raw = run.get();
    series::Series* document = &m_series;
    const unsigned threads =
        m_evaluationThreads.value_or(std::max(1u, std::thread::hardware_concurrency()));
    raw->working = static_cast<int>(threads);
    raw->background.start(threads, [raw, document, this](unsigned) {
        const auto next = [&] {
            const std::size_t k = raw->nextChunk++;
            if (k > 0 && k % kChunksPerReport == 0)
                raw->background.report([this] { evaluationProgressed(); });
            return k;
        };
        document->evaluatePending(next, kChunk, raw->stop);
        if (--raw->working == 0)
            raw->background.report([this] { evaluationFinished(); });
    });
    evaluationProgressed();
}

void TSeriesFrm::stopEvaluation() {
    if (!m_evaluation)
        return;
    m_evaluation->stop = true;
    m_evaluation.reset();  // ends the run, each thread after its current row
    RunPnl->setVisible(false);
}

void TSeriesFrm::evaluationProgressed() {
    const double total = static_cast<double>(std::max<std::size_t>(m_evaluation->total, 1));
    const double left = static_cast<double>(m_series.pendingRows());
    const double fraction = std::clamp(1 - left / total, 0.0, 1.0);
    RunLbl->setText("Calculating the rows:");
    RunPnl->setVisible(true);
    ProgressBar->setWidth(static_cast<int>(fraction * (kProgressWidth - 2)));
    ProgressLbl->setText(std::to_string(static_cast<int>(fraction * 100)) + " %");
    Grid1->invalidate();  // the rows in view as they come in
    updateStatus();
}

void TSeriesFrm::evaluationFinished() {
    stopEvaluation();
    updateCharges();
    Grid1->invalidate();
    updateStatus();
    updatePlot();
    followRun();
}

void TSeriesFrm::cancelEvaluation() {
    // The rows done keep their results; the others wait for the next change.
    m_evaluationCancelled = true;
    stopEvaluation();
    Grid1->invalidate();
    updateStatus();
    updatePlot();
}

}  // namespace forms
