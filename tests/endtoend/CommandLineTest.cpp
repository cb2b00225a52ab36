// SPDX-License-Identifier: GPL-3.0-or-later

// The window program's command line: help and version without a display,
// Qt's options left for Qt, anything else refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

using app::CommandLine;
using Action = CommandLine::Action;

TEST(CommandLine, AnswersRefusesOrLeavesForQt) {
    const char* kVersion =
        "quorvin 1.0\n"
        "License GPL-3.0-or-later: GNU GPL version 3 or later "
        "<https://gnu.org/licenses/gpl.html>\n";
    struct Case {
        std::vector<std::string> args;
        Action action;
        const char* textStart;
    };
    const Case cases[] = {
        {{}, Action::Run, ""},
        {{"-platform", "wayland", "-style=Fusion", "--display", ":1", "-reverse"}, Action::Run, ""},
        {{"--help"}, Action::Help, "Usage: quorvin [OPTION]..."},
        {{"-style", "Fusion", "-h"}, Action::Help, "Usage: quorvin"},
        {{"--version"}, Action::Version, kVersion},
        {{"-v"}, Action::Version, kVersion},
        {{"--frobnicate"},
         Action::Refuse,
         "quorvin: unknown option '--frobnicate'\nTry 'quorvin --help'"},
        {{"a.csv", "b.csv"}, Action::Refuse, "quorvin: unexpected argument 'b.csv'"},
        {{"-platform"}, Action::Refuse, "quorvin: option '-platform' needs a value"},
    };
    for (const Case& c : cases) {
        const CommandLine line = app::parseCommandLine(c.args);
        EXPECT_EQ(line.action, c.action) << testing::PrintToString(c.args);
        EXPECT_EQ(line.text.rfind(c.textStart, 0), 0u) << line.text;
    }
    EXPECT_EQ(app::parseCommandLine({"-style", "Fusion", "salt.csv"}).file, "salt.csv");
}
