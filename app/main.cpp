// SPDX-License-Identifier: GPL-3.0-or-later

#include <QApplication>

#include <cstdio>

#include "app/CommandLine.h"
#include "app/Startup.h"

int main(int argc, char** argv) {
    // Help, version and refusals need no display, so they come before Qt.
    const app::CommandLine line = app::parseCommandLine({argv + (argc > 0), argv + argc});
    switch (line.action) {
        case app::CommandLine::Action::Help:
        case app::CommandLine::Action::Version:
            std::fputs(line.text.c_str(), stdout);
            return 0;
        case app::CommandLine::Action::Refuse:
            std::fputs(line.text.c_str(), stderr);
            return 2;
        case app::CommandLine::Action::Run:
            break;
    }
    QApplication qtApp(argc, argv);
    QGuiApplication::setDesktopFileName("org.quorvin.Quorvin");
    return app::runQuorvin({}, line.file);
}
