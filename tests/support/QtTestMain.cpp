// SPDX-License-Identifier: GPL-3.0-or-later

// The main of the test programs that run real Qt widgets: offscreen unless
// another platform is asked for. Qt gets the program name only; the rest of
// the command line is Google Test's.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    QApplication qtApp(qtArgc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
