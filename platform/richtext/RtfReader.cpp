// SPDX-License-Identifier: GPL-3.0-or-later

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/richtext/Rtf.h"
#include "platform/richtext/RtfKeywords.h"
#include "platform/richtext/Utf8.h"

namespace platform {

namespace {

using rtf::Word;
using rtf::WordInfo;

constexpr char32_t replacementChar = 0xFFFD;
// Deeper groups are still read, but share the state of the deepest one kept.
constexpr std::size_t maxGroupDepth = 1000;
// Longer than any real face name; bounds the copy that every run carries.
constexpr std::size_t maxFaceBytes = 128;
constexpr std::size_t maxKeywordLetters = 32;
constexpr int rtfDefaultHalfPoints = 24;
constexpr int minHalfPoints = 2;
constexpr int maxHalfPoints = 3276;

// Control characters other than tab have no place in a line of text.
bool isDroppedControl(char32_t c) {
    return (c < 0x20 && c != '\t') || c == 0x7F;
}

enum class Dest : std::uint8_t { Text, Skip, FontTable, ColorTable };

struct State {
    int font = -1;  // -1: the \deff font
    int halfPoints = rtfDefaultHalfPoints;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int color = 0;
    int unicodeSkip = 1;
    Dest dest = Dest::Text;
};

struct ColorEntry {
    Color color;
    bool automatic = true;
};

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Text bytes that can be copied as they are: printable ASCII but \ { }.
constexpr std::array<bool, 256> plainBytes = [] {
    std::array<bool, 256> t{};
    for (int c = 0x20; c < 0x7F; ++c)
        t[c] = c != '\\' && c != '{' && c != '}';
    return t;
}();

// A control word's parameter: absent, or clamped to the range of int.
struct Parameter {
    bool given = false;
    int value = 0;
};

// The reader in layers, each built on the one below: the tables, the
// document that characters go into, the handlers of control words and
// symbols, and on top the dispatcher that reads the input and hands each
// piece to its handler.

// The font and colour tables of the header, as far as they are read.
class Tables {
  protected:
    void commitFont() {
        const auto first = m_fontName.find_first_not_of(' ');
        const auto last = m_fontName.find_last_not_of(' ');
        if (first != std::string::npos)
            m_fonts[m_fontNumber] = m_fontName.substr(first, last - first + 1);
        m_fontName.clear();
    }

    void colorTableWord(Word word, int param) {
        const auto component = static_cast<std::uint8_t>(std::clamp(param, 0, 255));
        switch (word) {
            case Word::Red:
                m_color.color.r = component;
                break;
            case Word::Green:
                m_color.color.g = component;
                break;
            case Word::Blue:
                m_color.color.b = component;
                break;
            default:
                return;
        }
        m_color.automatic = false;
    }

    // The format of text read in the group state s.
    CharFormat formatOf(const State& s) const {
        CharFormat f;
        const auto font = m_fonts.find(s.font < 0 ? m_defaultFont : s.font);
        if (font != m_fonts.end())
            f.face = font->second;
        f.halfPoints = s.halfPoints;
        f.bold = s.bold;
        f.italic = s.italic;
        f.underline = s.underline;
        f.strikeOut = s.strikeOut;
        if (static_cast<std::size_t>(s.color) < m_colors.size() && !m_colors[s.color].automatic)
            f.color = m_colors[s.color].color;
        return f;
    }

    std::map<int, std::string> m_fonts;
    int m_defaultFont = 0;
    int m_fontNumber = 0;
    std::string m_fontName;
    std::vector<ColorEntry> m_colors;
    ColorEntry m_color;
};

// The document that characters go into and the group states that decide
// where they go and in which format.
class Output : protected Tables {
  protected:
    State& state() { return m_stack.back(); }

    // A high surrogate not followed by its low half stands for a lost character.
    void finishSurrogate() {
        if (m_highSurrogate == 0)
            return;
        m_highSurrogate = 0;
        character(replacementChar);
    }

    void character(char32_t c) {
        finishSurrogate();
        switch (state().dest) {
            case Dest::Text:
                if (!isDroppedControl(c))
                    appendUtf8(m_pending, c);
                break;
            case Dest::FontTable:
                if (c == ';')
                    commitFont();
                else if (c >= 0x20 && c != 0x7F &&
                         m_fontName.size() + 4 <= maxFaceBytes)  // no tabs
                    appendUtf8(m_fontName, c);
                break;
            case Dest::ColorTable:
                if (c == ';') {
                    m_colors.push_back(m_color);
                    m_color = ColorEntry{};
                }
                break;
            case Dest::Skip:
                break;
        }
    }

    void paragraphBreak() {
        finishSurrogate();
        flush();
        if (!m_lineOpen)
            m_doc.appendLine({}, format());
        m_lineOpen = false;
    }

    CharFormat format() const { return formatOf(m_stack.back()); }

    void flush() {
        if (m_pending.empty())
            return;
        if (m_lineOpen) {
            m_doc.appendText(m_pending, format());
        } else {
            m_doc.appendLine(m_pending, format());
            m_lineOpen = true;
        }
        m_pending.clear();
    }

    std::vector<State> m_stack;
    int m_skipChars = 0;
    char32_t m_highSurrogate = 0;

    RichDocument m_doc;
    std::string m_pending;  // text of the current run, not yet in m_doc
    bool m_lineOpen = false;
};

// The handlers of \u, of the control symbols, of the words in the font
// table and of the words that start a destination.
class Handlers : protected Output {
  protected:
    // \uN: a signed 16-bit UTF-16 unit, then \ucN fallback characters to skip.
    void unicode(int param) {
        char32_t unit = replacementChar;
        if (param < 0 && param >= -32768)
            unit = static_cast<char32_t>(param + 65536);
        else if (param >= 0 && param <= 0x10FFFF)
            unit = static_cast<char32_t>(param);
        m_skipChars = state().unicodeSkip;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            finishSurrogate();
            m_highSurrogate = unit;
            return;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (m_highSurrogate == 0) {
                character(replacementChar);
                return;
            }
            const char32_t high = m_highSurrogate;
            m_highSurrogate = 0;
            character(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
            return;
        }
        character(unit);
    }

    void controlSymbol(char c) {
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        switch (c) {
            case '\\':
            case '{':
            case '}':
                character(static_cast<char32_t>(c));
                break;
            case '~':
                character(0x00A0);
                break;
            case '_':
                character(0x2011);
                break;
            case '*':
                state().dest = Dest::Skip;
                break;
            case '\r':
            case '\n':
                paragraphBreak();
                break;
            default:
                break;
        }
    }

    void fontTableWord(Word word, int param) {
        if (word == Word::Font) {
            commitFont();
            m_fontNumber = param;
        } else if (word == Word::Unicode) {
            unicode(param);
        } else if (word == Word::SkipDest) {
            state().dest = Dest::Skip;
        }
    }

    // The default font, the tables and the destinations that are not text.
    void destinationWord(Word word, int param) {
        State& s = state();
        switch (word) {
            case Word::DefaultFont:
                m_defaultFont = param;
                break;
            case Word::FontTable:
                s.dest = Dest::FontTable;
                m_fontNumber = 0;
                m_fontName.clear();
                break;
            case Word::ColorTable:
                s.dest = Dest::ColorTable;
                m_color = ColorEntry{};
                break;
            case Word::SkipDest:
                s.dest = Dest::Skip;
                break;
            default:
                break;
        }
    }
};

// The control words of the text: one handler for each group of words.
class TextWords : protected Handlers {
  protected:
    void textWord(WordInfo info, bool hasParam, int param) {
        // Text read so far keeps the format it was read in.
        if (info.word != Word::Char && info.word != Word::Tab && info.word != Word::Unicode)
            flush();
        if (!contentWord(info, param) && !formatWord(info.word, hasParam, param))
            destinationWord(info.word, param);
    }

    // Line breaks, characters and how \u is read.
    bool contentWord(WordInfo info, int param) {
        switch (info.word) {
            case Word::Par:
                paragraphBreak();
                break;
            case Word::Tab:
                character('\t');
                break;
            case Word::Char:
                character(info.ch);
                break;
            case Word::Unicode:
                unicode(param);
                break;
            case Word::UnicodeSkip:
                state().unicodeSkip = std::clamp(param, 0, 255);
                break;
            default:
                return false;
        }
        return true;
    }

    // The character format of the text that follows.
    bool formatWord(Word word, bool hasParam, int param) {
        State& s = state();
        const bool on = !hasParam || param != 0;
        switch (word) {
            case Word::Plain: {
                const State fresh;
                s.font = fresh.font;
                s.halfPoints = fresh.halfPoints;
                s.bold = s.italic = s.underline = s.strikeOut = false;
                s.color = 0;
                break;
            }
            case Word::Bold:
                s.bold = on;
                break;
            case Word::Italic:
                s.italic = on;
                break;
            case Word::Underline:
                s.underline = on;
                break;
            case Word::UnderlineNone:
                s.underline = false;
                break;
            case Word::Strike:
                s.strikeOut = on;
                break;
            case Word::Font:
                s.font = std::max(param, 0);
                break;
            case Word::FontSize:
                s.halfPoints = hasParam ? std::clamp(param, minHalfPoints, maxHalfPoints)
                                        : rtfDefaultHalfPoints;
                break;
            case Word::ColorIndex:
                s.color = std::max(param, 0);
                break;
            default:
                return false;
        }
        return true;
    }
};

// Reads the control sequences and hands each to its handler.
class ControlReader : protected TextWords {
  protected:
    explicit ControlReader(std::string_view in) : m_in(in) {}

    void controlSequence() {
        if (m_pos >= m_in.size())
            return;
        const char c = m_in[m_pos];
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++m_pos;
        if (c == '\'')
            hexCharacter();
        else
            controlSymbol(c);
    }

    // \'hh: a byte of the code page.
    void hexCharacter() {
        const int hi = m_pos < m_in.size() ? hexValue(m_in[m_pos]) : -1;
        const int lo = m_pos + 1 < m_in.size() ? hexValue(m_in[m_pos + 1]) : -1;
        if (hi < 0 || lo < 0)
            return;
        m_pos += 2;
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        character(windows1252ToUnicode(static_cast<unsigned char>(hi * 16 + lo)));
    }

    void controlWord() {
        const std::size_t start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos]))
            ++m_pos;
        const std::string_view name =
            m_in.substr(start, std::min(m_pos - start, maxKeywordLetters + 1));
        const Parameter param = readParameter();
        const WordInfo info = rtf::findKeyword(name);
        if (info.word == Word::Bin) {
            skipBinary(param.given ? param.value : 0);
            return;
        }
        if (m_skipChars > 0) {
            --m_skipChars;
            return;
        }
        switch (state().dest) {
            case Dest::Skip:
                return;
            case Dest::FontTable:
                fontTableWord(info.word, param.value);
                return;
            case Dest::ColorTable:
                colorTableWord(info.word, param.value);
                return;
            case Dest::Text:
                textWord(info, param.given, param.value);
                return;
        }
    }

    // A control word's parameter, clamped to the range of int.
    Parameter readParameter() {
        bool hasParam = false;
        bool negative = false;
        std::int64_t value = 0;
        if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && isDigit(m_in[m_pos + 1])) {
            negative = true;
            ++m_pos;
        }
        // Digits beyond ten cannot change the clamped value; they are read and
        // dropped, so no digit string can overflow.
        while (m_pos < m_in.size() && isDigit(m_in[m_pos])) {
            hasParam = true;
            if (value < 10'000'000'000)
                value = value * 10 + (m_in[m_pos] - '0');
            ++m_pos;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;
        value = std::clamp<std::int64_t>(negative ? -value : value, INT32_MIN, INT32_MAX);
        return {hasParam, static_cast<int>(value)};
    }

    void skipBinary(int count) {
        const std::size_t n = count > 0 ? static_cast<std::size_t>(count) : 0;
        m_pos += std::min(n, m_in.size() - m_pos);
        if (m_skipChars > 0)
            --m_skipChars;
    }

    std::string_view m_in;
    std::size_t m_pos = 0;
};

// The dispatcher: text, groups and control sequences.
class Reader : ControlReader {
  public:
    explicit Reader(std::string_view in) : ControlReader(in) { m_stack.reserve(64); }

    RichDocument run() {
        m_stack.push_back(State{});
        while (m_pos < m_in.size() && !m_done)
            step();
        finishSurrogate();
        flush();
        return std::move(m_doc);
    }

  private:
    void step() {
        const char c = m_in[m_pos];
        if (c == '{') {
            ++m_pos;
            openGroup();
        } else if (c == '}') {
            ++m_pos;
            closeGroup();
        } else if (c == '\\') {
            ++m_pos;
            controlSequence();
        } else if (c == '\r' || c == '\n') {
            ++m_pos;
        } else if (m_skipChars > 0) {
            ++m_pos;
            --m_skipChars;
        } else if (state().dest == Dest::Text) {
            textRun();
        } else {
            ++m_pos;
            character(static_cast<unsigned char>(c) < 0x80
                          ? static_cast<char32_t>(c)
                          : windows1252ToUnicode(static_cast<unsigned char>(c)));
        }
    }

    void textRun() {
        const std::size_t from = m_pos;
        while (m_pos < m_in.size() && plainBytes[static_cast<unsigned char>(m_in[m_pos])])
            ++m_pos;
        if (m_pos > from) {
            finishSurrogate();
            m_pending.append(m_in.substr(from, m_pos - from));
            return;
        }
        const auto byte = static_cast<unsigned char>(m_in[m_pos++]);
        character(byte < 0x80 ? byte : windows1252ToUnicode(byte));
    }

    void openGroup() {
        flush();
        m_skipChars = 0;
        if (m_stack.size() < maxGroupDepth)
            m_stack.push_back(m_stack.back());
        else
            ++m_excessDepth;
    }

    void closeGroup() {
        flush();
        m_skipChars = 0;
        if (m_excessDepth > 0) {
            --m_excessDepth;
            return;
        }
        if (state().dest == Dest::FontTable)
            commitFont();
        if (m_stack.size() == 1)
            return;  // a stray brace
        m_stack.pop_back();
        // Anything after the brace closing the document is not part of it.
        if (m_stack.size() == 1)
            m_done = true;
    }

    bool m_done = false;
    std::size_t m_excessDepth = 0;
};

}  // namespace

char32_t windows1252ToUnicode(unsigned char byte) {
    static constexpr char16_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    if (byte >= 0x80 && byte < 0xA0)
        return high[byte - 0x80];
    return byte;
}

RichDocument readRtf(std::string_view rtf) {
    return Reader(rtf).run();
}

}  // namespace platform
