// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

namespace app {

// What the window program's command line asks for. Qt's own options are
// accepted and left for Qt; anything else is refused before a display is
// needed.
struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    std::string text;  // for Help and Version on stdout, for Refuse on stderr
    std::string file;  // a series or a sample (.csv) to open at start, for Run
};

CommandLine parseCommandLine(const std::vector<std::string>& args);

}  // namespace app
