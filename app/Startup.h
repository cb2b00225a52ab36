// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <string>

namespace app {

// Creates the application object and the windows that live for the whole
// run, keeps the log's recovery copy, offers the copies that ended programs
// left once the main window is shown, and runs the program. A QApplication
// must exist. beforeRun, if given, runs after the windows exist and before
// the main one is shown. A file, if given, opens once the main window is
// up (a sample enters its values, a series opens in its window).
int runQuorvin(const std::function<void()>& beforeRun = {}, const std::string& file = {});

}  // namespace app
