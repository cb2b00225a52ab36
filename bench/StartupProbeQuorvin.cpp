// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/Startup.h"
#include "bench/FirstPaint.h"

int main(int argc, char** argv) {
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication qtApp(qtArgc, argv);
    FirstPaintSignal signal("OpeningForm");
    qtApp.installEventFilter(&signal);
    return app::runQuorvin();
}
