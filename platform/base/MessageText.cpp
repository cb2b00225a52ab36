// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/base/MessageText.h"

#include <algorithm>

namespace platform {

namespace {

// The length of the UTF-8 sequence at text[i], 0 when it is not one.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        lo = c == 0xE0 ? 0xA0 : 0x80;
        hi = c == 0xED ? 0x9F : 0xBF;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        lo = c == 0xF0 ? 0x90 : 0x80;
        hi = c == 0xF4 ? 0x8F : 0xBF;
    }
    if (n == 0 || i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto cc = static_cast<unsigned char>(text[i + k]);
        if (cc < (k == 1 ? lo : 0x80) || cc > (k == 1 ? hi : 0xBF))
            return 0;
    }
    return n;
}

void appendEscape(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// The bidirectional controls: U+061C, U+200E, U+200F, U+202A to U+202E and
// U+2066 to U+2069.
bool bidiControl(std::string_view c) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(c[i]); };
    if (c.size() == 2)
        return b(0) == 0xD8 && b(1) == 0x9C;
    if (c.size() != 3 || b(0) != 0xE2)
        return false;
    return (b(1) == 0x80 && (b(2) == 0x8E || b(2) == 0x8F || (b(2) >= 0xAA && b(2) <= 0xAE))) ||
           (b(1) == 0x81 && b(2) >= 0xA6 && b(2) <= 0xA9);
}

void appendCodePoint(std::string& out, std::string_view c) {
    static const char digits[] = "0123456789abcdef";
    unsigned code = c.size() == 2 ? ((static_cast<unsigned char>(c[0]) & 0x1Fu) << 6) |
                                        (static_cast<unsigned char>(c[1]) & 0x3Fu)
                                  : ((static_cast<unsigned char>(c[0]) & 0x0Fu) << 12) |
                                        ((static_cast<unsigned char>(c[1]) & 0x3Fu) << 6) |
                                        (static_cast<unsigned char>(c[2]) & 0x3Fu);
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(code >> shift) & 15];
}

struct EscapeRules {
    bool quoted;  // a piece in quotes: line breaks escaped, backslashes doubled, cut at 80
};

std::string escaped(std::string_view text, EscapeRules rules) {
    constexpr std::size_t kMaxCharacters = 80;
    std::string out;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++characters) {
        if (rules.quoted && characters == kMaxCharacters) {
            out += "...";
            break;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = utf8Length(text, i);
            // C1 controls (U+0080 to U+009F) are escapes to some terminals.
            const bool c1 = n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
            if (n == 0 || c1) {
                for (std::size_t k = 0; k < std::max<std::size_t>(n, 1); ++k)
                    appendEscape(out, static_cast<unsigned char>(text[i + k]));
                i += std::max<std::size_t>(n, 1);
            } else {
                if (bidiControl(text.substr(i, n)))
                    appendCodePoint(out, text.substr(i, n));
                else
                    out.append(text.substr(i, n));
                i += n;
            }
            continue;
        }
        ++i;
        if (!rules.quoted && (c == '\n' || c == '\t' || c == '\\')) {
            out += static_cast<char>(c);
            continue;
        }
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (c < 0x20 || c == 0x7F)
                    appendEscape(out, c);
                else
                    out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

std::string quotedForMessage(std::string_view text) {
    std::string out = "\"";
    out += escaped(text, {true});
    out += '"';
    return out;
}

std::string safeForTerminal(std::string_view text) {
    return escaped(text, {false});
}

}  // namespace platform
