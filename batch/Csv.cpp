// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/Csv.h"

#include <algorithm>

namespace batch {

namespace {

constexpr int kEnd = std::char_traits<char>::eof();

std::string where(std::size_t line, std::size_t column) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

CsvReader::CsvReader(std::istream& in) : m_buf(in.rdbuf()) {}

int CsvReader::get() {
    return m_buf ? m_buf->sbumpc() : kEnd;
}

int CsvReader::peek() {
    return m_buf ? m_buf->sgetc() : kEnd;
}

void CsvReader::endOfLine(int c) {
    if (c == '\r' && peek() == '\n')
        get();
    ++m_line;
}

bool CsvReader::next(CsvRecord& record) {
    if (!m_started) {
        m_started = true;
        if (peek() == 0xEF) {
            // Only a whole byte order mark is skipped; anything else is data.
            const std::string bom = "\xEF\xBB\xBF";
            std::string seen;
            while (seen.size() < 3 && peek() == static_cast<unsigned char>(bom[seen.size()]))
                seen += static_cast<char>(get());
            if (seen != bom)
                throw InputError("line 1: the file starts with bytes that are not text");
        }
    }
    for (;;) {
        record.fields.clear();
        record.line = m_line;
        int c = peek();
        if (c == kEnd)
            return false;
        if (c == '\r' || c == '\n') {  // a blank line
            endOfLine(get());
            continue;
        }
        std::string field;
        for (;;) {
            c = get();
            const std::size_t column = record.fields.size() + 1;
            if (c == '"' && field.empty()) {
                const std::size_t opened = m_line;
                for (;;) {
                    c = get();
                    if (c == kEnd)
                        throw InputError(
                            where(opened, column) +
                            ": the quoted field is not closed before the end of the input");
                    if (c == '"') {
                        if (peek() != '"')
                            break;
                        get();
                    } else if (c == '\r' || c == '\n') {
                        endOfLine(c);
                        c = '\n';  // a line break in a field, whatever the file uses
                    }
                    field += static_cast<char>(c);
                }
                c = get();
                if (c != ',' && c != '\r' && c != '\n' && c != kEnd)
                    throw InputError(where(m_line, column) + ": text after the closing quote");
            } else {
                while (c != ',' && c != '\r' && c != '\n' && c != kEnd) {
                    if (c == '"')
                        throw InputError(where(m_line, column) +
                                         ": a quote inside a field that does not start with one");
                    field += static_cast<char>(c);
                    c = get();
                }
            }
            record.fields.push_back(std::move(field));
            field.clear();
            if (c == ',')
                continue;
            if (c != kEnd)
                endOfLine(c);
            return true;
        }
    }
}

std::string csvField(std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string csvRecord(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        out += csvField(fields[i]);
    }
    out += "\r\n";
    return out;
}

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

}  // namespace

std::string quotedForMessage(std::string_view text) {
    constexpr std::size_t kMaxCharacters = 80;
    std::string out = "\"";
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++characters) {
        if (characters == kMaxCharacters) {
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
                out.append(text.substr(i, n));
                i += n;
            }
            continue;
        }
        ++i;
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
    return out + "\"";
}

}  // namespace batch
