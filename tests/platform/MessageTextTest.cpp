// SPDX-License-Identifier: GPL-3.0-or-later

// Texts from files, options and cells reach the terminal and message boxes
// escaped alike.

#include <gtest/gtest.h>

#include <string>

#include "platform/base/MessageText.h"

namespace {

TEST(MessageText, ControlsAndBidirectionalOverridesAreEscapedAlike) {
    struct Case {
        std::string text, quoted, safe;
    };
    const Case cases[] = {
        {"plain é", "\"plain é\"", "plain é"},
        {"esc\x1b[31m", "\"esc\\x1b[31m\"", "esc\\x1b[31m"},
        {"bell\a back\b cr\r", "\"bell\\x07 back\\x08 cr\\r\"", "bell\\x07 back\\x08 cr\\r"},
        {"a\xE2\x80\xAEtxt.exe", "\"a\\u202etxt.exe\"", "a\\u202etxt.exe"},
        {"\xE2\x81\xA6iso\xE2\x81\xA9 \xE2\x80\x8F \xD8\x9C",
         "\"\\u2066iso\\u2069 \\u200f \\u061c\"", "\\u2066iso\\u2069 \\u200f \\u061c"},
        {"c1 \xC2\x9B", "\"c1 \\xc2\\x9b\"", "c1 \\xc2\\x9b"},
        {"bad \xFF", "\"bad \\xff\"", "bad \\xff"},
        // A message keeps its own lines, tabs and the escapes already made.
        {"line\n\tnext \\x1b", "\"line\\n\\tnext \\\\x1b\"", "line\n\tnext \\x1b"},
        {"\xE2\x80\x94 dash", "\"\xE2\x80\x94 dash\"", "\xE2\x80\x94 dash"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::quotedForMessage(c.text), c.quoted) << c.text;
        EXPECT_EQ(platform::safeForTerminal(c.text), c.safe) << c.text;
        EXPECT_EQ(platform::safeForTerminal(platform::quotedForMessage(c.text)), c.quoted)
            << "a quoted piece passes unchanged";
    }
}

}  // namespace
