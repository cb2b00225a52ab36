// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Color.h"

namespace platform {

// Character attributes of a run of text. The defaults are the log window's
// font: regular 8-point "MS Sans Serif" in black.
struct CharFormat {
    std::string face = "MS Sans Serif";
    int halfPoints = 16;  // font size in half points: 17 is 8.5 pt
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    Color color = clBlack;

    double points() const { return halfPoints / 2.0; }
    friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

struct TextRun {
    std::string text;  // UTF-8, never holds CR or LF
    CharFormat format;
    friend bool operator==(const TextRun&, const TextRun&) = default;
};

// One line of the document. It always holds at least one run; only an empty
// line has an empty run, which keeps the format that typing there would get
// (and the height of the line). Adjacent runs differ in format.
struct Paragraph {
    std::vector<TextRun> runs;

    std::string text() const;
    std::size_t size() const;  // bytes of text()
    friend bool operator==(const Paragraph&, const Paragraph&) = default;
};

// A place in the document: a paragraph index and a byte offset into its text.
struct TextPosition {
    std::size_t paragraph = 0;
    std::size_t offset = 0;
    friend bool operator==(TextPosition, TextPosition) = default;
};

// A rich-text document: a sequence of paragraphs (lines) of formatted runs.
//
// Positions address plainText(): UTF-8 bytes, with each line break counted as
// the two characters CR LF, so a std::string::find on plainText() is a valid
// position. A position inside a line break or inside a UTF-8 sequence stands
// for the nearest valid place before it; one past the end stands for the end.
// Text given to the editing operations may hold line breaks (CR LF, LF or CR),
// which split lines.
class RichDocument {
  public:
    const std::vector<Paragraph>& paragraphs() const { return m_paragraphs; }
    bool empty() const { return m_paragraphs.empty(); }
    std::size_t length() const;  // plainText().size()
    std::string plainText() const;

    // O(log n) once the line starts are known; edits invalidate the starts
    // after the edited line, which the next call recomputes.
    TextPosition locate(std::size_t pos) const;
    std::size_t position(TextPosition where) const;

    // The format that text typed at pos gets: that of the character before it
    // on its line, else of the line's first run.
    CharFormat formatAt(std::size_t pos) const;

    // Starts a new line at the end; amortised O(1).
    void appendLine(std::string_view text, const CharFormat& format = {});
    // Appends to the last line (starting one if the document is empty).
    void appendText(std::string_view text, const CharFormat& format = {});

    void insert(std::size_t pos, std::string_view text, const CharFormat& format);
    void insert(std::size_t pos, std::string_view text);  // takes formatAt(pos)
    void erase(std::size_t start, std::size_t count);
    // Replaces the range by text in the format of the range's first character.
    void replace(std::size_t start, std::size_t count, std::string_view text);
    void setFormat(std::size_t start, std::size_t count, const CharFormat& format);
    // Replaces count lines from line first (both clamped) by the given ones,
    // which must each hold at least one run.
    void replaceParagraphs(std::size_t first, std::size_t count, std::vector<Paragraph> with);
    void clear();

    friend bool operator==(const RichDocument& a, const RichDocument& b) {
        return a.m_paragraphs == b.m_paragraphs;
    }

  private:
    std::size_t lineStart(std::size_t paragraph) const;
    void touched(std::size_t paragraph);
    TextPosition snap(TextPosition where) const;
    CharFormat charFormatAfter(TextPosition where) const;

    std::vector<Paragraph> m_paragraphs;
    // Start positions of the first m_starts.size() lines; only a prefix is
    // kept valid so that appending never recomputes anything.
    mutable std::vector<std::size_t> m_starts;
};

}  // namespace platform
