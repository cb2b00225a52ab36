// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string_view>

// The control words that the RTF reader acts on.
namespace platform::rtf {

// What a control word does; one entry for each group of synonyms.
enum class Word : std::uint8_t {
    Unknown,
    Par,
    Tab,
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Font,
    FontSize,
    ColorIndex,
    Unicode,
    UnicodeSkip,
    Bin,
    DefaultFont,
    FontTable,
    ColorTable,
    Red,
    Green,
    Blue,
    SkipDest,
    Char
};

struct WordInfo {
    Word word;
    char32_t ch = 0;  // for Word::Char
};

// Word::Unknown for a word the reader passes over.
WordInfo findKeyword(std::string_view name);

}  // namespace platform::rtf
