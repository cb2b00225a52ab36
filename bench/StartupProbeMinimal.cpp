// SPDX-License-Identifier: GPL-3.0-or-later

#include <QMainWindow>

#include "bench/FirstPaint.h"

// The yardstick: one empty main window.
int main(int argc, char** argv) {
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication qtApp(qtArgc, argv);
    FirstPaintSignal signal("Minimal");
    qtApp.installEventFilter(&signal);
    QMainWindow window;
    window.setObjectName("Minimal");
    window.resize(755, 438);
    window.show();
    return QApplication::exec();
}
