// SPDX-License-Identifier: GPL-3.0-or-later

// The RTF writer, and the file helpers that save and open a log (a file that
// is not RTF opens as plain text).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/base/AtomicFile.h"
#include "platform/base/Exception.h"
#include "platform/richtext/Rtf.h"
#include "platform/richtext/Utf8.h"

namespace platform {

namespace {

constexpr int minHalfPoints = 2;
constexpr int maxHalfPoints = 3276;

void appendNumber(std::string& out, int value) {
    char buf[16];
    const auto end = std::to_chars(buf, buf + sizeof buf, value).ptr;
    out.append(buf, end);
}

// Decodes the code point at text[i] and advances i; a malformed sequence
// counts as one byte standing for U+FFFD.
char32_t nextCodePoint(std::string_view text, std::size_t& i) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        extra = 1;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        extra = 2;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        extra = 3;
        cp = c & 0x07;
    }
    if (extra == 0 || i + extra >= text.size()) {
        ++i;
        return 0xFFFD;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto cc = static_cast<unsigned char>(text[i + k]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    constexpr char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += extra + 1;
    return cp;
}

// The Windows-1252 byte of a character, or 0 when that code page lacks it.
unsigned char windows1252Byte(char32_t cp) {
    if (cp >= 0xA0 && cp <= 0xFF)
        return static_cast<unsigned char>(cp);
    if (cp < 0x152 || cp > 0x2122)  // outside the range of the bytes 0x80 to 0x9F
        return 0;
    for (int b = 0x80; b < 0xA0; ++b)
        if (windows1252ToUnicode(static_cast<unsigned char>(b)) == cp)
            return static_cast<unsigned char>(b);
    return 0;
}

void appendUnicodeUnit(std::string& out, char32_t unit, unsigned char fallback) {
    static constexpr char hex[] = "0123456789abcdef";
    out += "\\u";
    appendNumber(out, unit > 0x7FFF ? static_cast<int>(unit) - 65536 : static_cast<int>(unit));
    if (fallback == 0) {
        out += '?';
    } else {
        out += "\\'";
        out += hex[fallback >> 4];
        out += hex[fallback & 0xF];
    }
}

bool isPlainByte(unsigned char c) {
    return c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}';
}

void appendEscaped(std::string& out, std::string_view text, bool inFontTable) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t from = i;
        while (i < text.size() && isPlainByte(static_cast<unsigned char>(text[i])) &&
               !(inFontTable && text[i] == ';'))
            ++i;
        out.append(text.substr(from, i - from));
        if (i >= text.size())
            break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c == '\t' && !inFontTable) {
            out += "\\tab ";
            ++i;
        } else if (c < 0x80) {
            ++i;  // other control characters, and ';' in a face name
        } else {
            const char32_t cp = nextCodePoint(text, i);
            if (cp > 0xFFFF) {
                appendUnicodeUnit(out, 0xD800 + ((cp - 0x10000) >> 10), 0);
                appendUnicodeUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF), 0);
            } else {
                appendUnicodeUnit(out, cp, windows1252Byte(cp));
            }
        }
    }
}

struct RunKey {
    int font = 0;
    int color = 0;
};

// The formatting state of the RTF reader at a point of the output, as \plain
// leaves it.
struct Written {
    int font = 0;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int color = 0;
};

void appendFormat(std::string& out, Written& now, const CharFormat& f, RunKey key) {
    const std::size_t before = out.size();
    if (now.font != key.font) {
        out += "\\f";
        appendNumber(out, key.font);
        now.font = key.font;
    }
    const int halfPoints = std::clamp(f.halfPoints, minHalfPoints, maxHalfPoints);
    if (now.halfPoints != halfPoints) {
        out += "\\fs";
        appendNumber(out, halfPoints);
        now.halfPoints = halfPoints;
    }
    const auto toggle = [&](bool& state, bool want, const char* on, const char* off) {
        if (state == want)
            return;
        out += want ? on : off;
        state = want;
    };
    toggle(now.bold, f.bold, "\\b", "\\b0");
    toggle(now.italic, f.italic, "\\i", "\\i0");
    toggle(now.underline, f.underline, "\\ul", "\\ulnone");
    toggle(now.strikeOut, f.strikeOut, "\\strike", "\\strike0");
    if (now.color != key.color) {
        out += "\\cf";
        appendNumber(out, key.color);
        now.color = key.color;
    }
    if (out.size() != before)
        out += ' ';
}

std::uint32_t colorKey(Color c) {
    return (std::uint32_t{c.r} << 16) | (c.g << 8) | c.b;
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t at = i;
        if (static_cast<unsigned char>(text[i]) < 0x80)
            ++i;
        else if (nextCodePoint(text, i) == 0xFFFD && i == at + 1)
            return false;
    }
    return true;
}

std::string systemMessage(int error) {
    return std::system_category().message(error);
}

// The font and colour tables and the start of the text.
void appendHeader(std::string& out, const std::vector<std::string>& faces,
                  const std::vector<Color>& colors) {
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (std::size_t i = 0; i < faces.size(); ++i) {
        out += "{\\f";
        appendNumber(out, static_cast<int>(i));
        out += "\\fnil\\fcharset0 ";
        appendEscaped(out, faces[i], true);
        out += ";}";
    }
    out += "}\n{\\colortbl;";
    for (Color c : colors) {
        out += "\\red";
        appendNumber(out, c.r);
        out += "\\green";
        appendNumber(out, c.g);
        out += "\\blue";
        appendNumber(out, c.b);
        out += ';';
    }
    // LibreOffice widens runs of spaces in files that do not name their
    // generator; the log's tables are aligned with spaces.
    out += "}\n{\\*\\generator Quorvin;}\n\\pard\\plain\n";
}

}  // namespace

std::string writeRtf(const RichDocument& doc) {
    std::vector<std::string> faces;
    std::vector<Color> colors;
    std::unordered_map<std::string, int> faceIndex;
    std::unordered_map<std::uint32_t, int> colorIndex;
    std::vector<RunKey> keys;
    std::size_t textBytes = 0;
    const std::string* lastFace = nullptr;
    RunKey last{-1, -1};
    std::uint32_t lastColor = 0;
    for (const Paragraph& p : doc.paragraphs()) {
        for (const TextRun& run : p.runs) {
            textBytes += run.text.size();
            RunKey key = last;
            if (lastFace == nullptr || *lastFace != run.format.face) {
                const auto [it, added] =
                    faceIndex.try_emplace(run.format.face, static_cast<int>(faces.size()));
                if (added)
                    faces.push_back(run.format.face);
                key.font = it->second;
                lastFace = &run.format.face;
            }
            if (key.color < 0 || lastColor != colorKey(run.format.color)) {
                lastColor = colorKey(run.format.color);
                const auto [it, added] =
                    colorIndex.try_emplace(lastColor, static_cast<int>(colors.size()) + 1);
                if (added)
                    colors.push_back(run.format.color);
                key.color = it->second;
            }
            keys.push_back(key);
            last = key;
        }
    }
    if (faces.empty())
        faces.push_back(CharFormat{}.face);

    std::string out;
    out.reserve(textBytes + textBytes / 8 + doc.paragraphs().size() * 8 + 256);
    appendHeader(out, faces, colors);

    Written now;
    std::size_t k = 0;
    for (const Paragraph& p : doc.paragraphs()) {
        for (const TextRun& run : p.runs) {
            appendFormat(out, now, run.format, keys[k++]);
            appendEscaped(out, run.text, false);
        }
        out += "\\par\n";
    }
    out += "}\n";
    return out;
}

std::string RtfLineWriter::begin() {
    std::string out;
    appendHeader(out, {CharFormat{}.face}, {CharFormat{}.color});
    return out;
}

std::string RtfLineWriter::line(std::string_view text) {
    std::string out;
    if (m_first) {
        Written now;
        appendFormat(out, now, CharFormat{}, RunKey{0, 1});
        m_first = false;
    }
    appendEscaped(out, text, false);
    out += "\\par\n";
    return out;
}

std::string RtfLineWriter::end() {
    return "}\n";
}

void saveRtfFile(const std::filesystem::path& path, const RichDocument& doc) {
    replaceFile(path, writeRtf(doc));
}

bool looksLikeRtf(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    const auto start = bytes.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && bytes.substr(start, 5) == "{\\rtf";
}

RichDocument readPlainText(std::string_view text) {
    const bool utf8 = isValidUtf8(text);
    if (utf8 && text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    RichDocument doc;
    std::string line;
    bool lineOpen = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            doc.appendLine(line);
            line.clear();
            lineOpen = false;
            continue;
        }
        lineOpen = true;
        if (c >= 0x80 && !utf8)
            appendUtf8(line, windows1252ToUnicode(c));
        else if (c == '\t' || (c >= 0x20 && c != 0x7F))  // no control characters
            line += static_cast<char>(c);
    }
    if (lineOpen)
        doc.appendLine(line);
    return doc;
}

RichDocument loadRtfFile(const std::filesystem::path& path) {
    const auto fail = [&](const std::string& reason) {
        return Exception("Cannot open \"" + path.string() + "\": " + reason);
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw fail(systemMessage(errno));
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw fail(systemMessage(error));
        }
        if (n == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(n) > maxRtfFileSize) {
            ::close(fd);
            throw fail("the file is larger than " + std::to_string(maxRtfFileSize >> 20) + " MB");
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return looksLikeRtf(bytes) ? readRtf(bytes) : readPlainText(bytes);
}

}  // namespace platform
