// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>

namespace app {

// Creates the application object and the windows that live for the whole
// run, keeps the log's recovery copy, offers the copies that ended programs
// left once the main window is shown, and runs the program. A QApplication
// must exist. beforeRun, if given, runs after the windows exist and before
// the main one is shown.
int runQuorvin(const std::function<void()>& beforeRun = {});

}  // namespace app
