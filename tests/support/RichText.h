// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <ostream>
#include <string>

#include "platform/richtext/RichText.h"

// Readable failures: one line per paragraph, each run as
// [text|face size flags colour].
namespace platform {
void PrintTo(const RichDocument& doc, std::ostream* os);
}

namespace testing_support {

// A character format written short: its face, its size in half points, its
// flags ("b" bold, "i" italic, "u" underlined, "s" struck out) and colour.
inline platform::CharFormat format(const std::string& face, int halfPoints,
                                   const std::string& flags = "",
                                   platform::Color color = platform::clBlack) {
    platform::CharFormat f;
    f.face = face;
    f.halfPoints = halfPoints;
    f.bold = flags.find('b') != std::string::npos;
    f.italic = flags.find('i') != std::string::npos;
    f.underline = flags.find('u') != std::string::npos;
    f.strikeOut = flags.find('s') != std::string::npos;
    f.color = color;
    return f;
}

}  // namespace testing_support
