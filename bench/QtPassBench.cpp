// SPDX-License-Identifier: GPL-3.0-or-later

// The same pass on the Qt back end, offscreen, until the chart has been
// replotted with the new points.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "platform/Application.h"
#include "platform/qt/QtBackend.h"

namespace {

void QtFullPass(benchmark::State& state) {
    platform::qt::QtBackend backend;
    platform::Application application(backend);
    application.CreateForm(forms::OpeningForm);
    application.CreateForm(forms::ReportFrm);
    forms::TOpeningForm& form = *forms::OpeningForm;
    form.Show();
    QApplication::processEvents();
    form.ZTxt->setText("9999");
    form.Valence = 9999;
    form.ZCalculated = false;
    form.ZstarCalculated = true;
    form.SigmaCalculated = true;
    for (auto _ : state) {
        form.Recalculate();
        // The chart's queued redraw.
        QApplication::processEvents();
    }
    form.Hide();
    forms::OpeningForm = nullptr;
    forms::ReportFrm = nullptr;
}
BENCHMARK(QtFullPass)->Unit(benchmark::kMicrosecond);

}  // namespace
