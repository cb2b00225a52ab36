// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/Csv.h"

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

}  // namespace batch
