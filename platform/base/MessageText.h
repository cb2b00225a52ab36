// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>

namespace platform {

// Every text that reaches the terminal or a message box from a file name,
// an option or a cell is escaped by these two alike: control characters,
// C1 controls and bytes that are not UTF-8 as "\x1b", and the
// bidirectional controls (U+202E and its kin, which reorder what follows)
// as "\u202e", so that a file can neither send the terminal escape
// sequences nor make a message read backwards.

// A piece of the input for a message, in double quotes: escaped, "\n",
// "\r" and "\t" as such, a backslash doubled, and more than 80 characters
// cut with "...".
std::string quotedForMessage(std::string_view text);

// A whole message as it goes to the terminal or a message box: escaped, but
// its own line breaks and tabs kept and backslashes as they are, so that
// the pieces quotedForMessage made pass unchanged.
std::string safeForTerminal(std::string_view text);

}  // namespace platform
