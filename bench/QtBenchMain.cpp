// SPDX-License-Identifier: GPL-3.0-or-later

// The main of the benchmarks that run the real windows: a Qt application,
// offscreen unless another platform is asked for, around the benchmarks.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    QApplication qtApp(qtArgc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
