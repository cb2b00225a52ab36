// SPDX-License-Identifier: GPL-3.0-or-later

// One recalculation pass of the main window at the largest valences, beside
// the bare Ge evaluations that it cannot avoid.
#include <benchmark/benchmark.h>

#include <string>

#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "model/Electrostatics.h"
#include "model/GeCurve.h"
#include "platform/Application.h"
#include "platform/headless/Headless.h"

namespace {

void BareCalcGeLoop(benchmark::State& state) {
    const model::ModelState s;
    const model::PhysicalConstants c = model::physicalConstants(s);
    const double k = model::CalcInverseDebyeLength(20.0, 0.10, 78, c);
    for (auto _ : state) {
        for (int z = -9999; z <= 9999; ++z) {
            benchmark::DoNotOptimize(model::CalcGe(z, 78, 2.90, 0.127, k, c));
        }
    }
}
BENCHMARK(BareCalcGeLoop);

// The windows on the headless back end, z entered as the given text.
void FullPass(benchmark::State& state, const std::string& zText, double z) {
    platform::headless::HeadlessBackend backend;
    platform::Application application(backend);
    application.CreateForm(forms::OpeningForm);
    application.CreateForm(forms::ReportFrm);
    application.Run();
    forms::TOpeningForm& form = *forms::OpeningForm;
    form.ZTxt->setText(zText);
    form.Valence = z;
    form.ZCalculated = false;
    form.ZstarCalculated = true;
    form.SigmaCalculated = true;
    for (auto _ : state) {
        form.Recalculate();
    }
    state.counters["points"] = static_cast<double>(form.Series1->points().size());
    forms::OpeningForm = nullptr;
    forms::ReportFrm = nullptr;
}
BENCHMARK_CAPTURE(FullPass, z9999, std::string("9999"), 9999.0);
BENCHMARK_CAPTURE(FullPass, z1e14, std::string("1E14"), 1e14);

}  // namespace
