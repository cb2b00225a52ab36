// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <string_view>

namespace platform {

// A piece of the input for a message to the terminal, in double quotes:
// control characters and bytes that are not UTF-8 as escapes ("\x1b",
// "\n"), a backslash doubled, and more than 80 characters cut with "...",
// so that a file cannot send the terminal escape sequences.
std::string quotedForMessage(std::string_view text);

}  // namespace platform
