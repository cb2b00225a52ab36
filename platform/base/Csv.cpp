// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/base/Csv.h"

#include "platform/base/NumberText.h"

namespace platform {

namespace {

constexpr int kEnd = std::char_traits<char>::eof();

std::string where(std::size_t line, std::size_t column) {
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

CsvReader::CsvReader(std::istream& in) : m_buf(in.rdbuf()) {}

int CsvReader::get() {
    if (m_aheadAt < m_ahead.size())
        return static_cast<unsigned char>(m_ahead[m_aheadAt++]);
    return m_buf ? m_buf->sbumpc() : kEnd;
}

int CsvReader::peek() {
    if (m_aheadAt < m_ahead.size())
        return static_cast<unsigned char>(m_ahead[m_aheadAt]);
    return m_buf ? m_buf->sgetc() : kEnd;
}

void CsvReader::endOfLine(int c) {
    if (c == '\r' && peek() == '\n')
        get();
    ++m_line;
}

// Reads the first lines ahead (quotes respected) to tell the separator and
// the line end; the records are then read from them as from the stream.
void CsvReader::start() {
    m_started = true;
    if (peek() == 0xEF) {
        // Only a whole byte order mark is skipped; anything else is data.
        const std::string bom = "\xEF\xBB\xBF";
        std::string seen;
        while (seen.size() < 3 && peek() == static_cast<unsigned char>(bom[seen.size()]))
            seen += static_cast<char>(get());
        if (seen != bom)
            throw InputError("line 1: the file starts with bytes that are not text");
        m_dialect.bom = true;
    }
    if (!m_buf)
        return;
    bool lineEndSeen = false;
    // A header of one column tells nothing; the next line may.
    for (int lines = 0; lines < 2; ++lines) {
        std::size_t commas = 0, semicolons = 0;
        bool quoted = false;
        bool content = false;
        for (int c; (c = m_buf->sbumpc()) != kEnd;) {
            m_ahead += static_cast<char>(c);
            content = content || (c != '\r' && c != '\n');
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && c == ',')
                ++commas;
            else if (!quoted && c == ';')
                ++semicolons;
            else if (!quoted && (c == '\r' || c == '\n')) {
                if (c == '\r' && m_buf->sgetc() == '\n')
                    m_ahead += static_cast<char>(m_buf->sbumpc());
                if (!lineEndSeen)
                    m_dialect.lineEnd = m_ahead.back() == '\n' && c == '\r' ? "\r\n"
                                        : c == '\r'                         ? "\r"
                                                                            : "\n";
                lineEndSeen = true;
                if (content)
                    break;  // blank lines tell nothing
            }
        }
        if (commas + semicolons > 0) {
            if (semicolons > commas) {
                m_dialect.separator = ';';
                m_dialect.decimal = ',';
            }
            return;
        }
        if (m_buf->sgetc() == kEnd)
            return;
    }
}

bool CsvReader::next(CsvRecord& record) {
    if (!m_started)
        start();
    const int separator = m_dialect.separator;
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
                if (c != separator && c != '\r' && c != '\n' && c != kEnd)
                    throw InputError(where(m_line, column) + ": text after the closing quote");
            } else {
                while (c != separator && c != '\r' && c != '\n' && c != kEnd) {
                    if (c == '"')
                        throw InputError(where(m_line, column) +
                                         ": a quote inside a field that does not start with one");
                    field += static_cast<char>(c);
                    c = get();
                }
            }
            record.fields.push_back(unprotected(std::move(field)));
            field.clear();
            if (c == separator)
                continue;
            if (c != kEnd)
                endOfLine(c);
            return true;
        }
    }
}

std::string csvField(std::string_view given, char separator) {
    const std::string protectedText =
        needsProtection(given, separator) ? "'" + std::string(given) : std::string();
    const std::string_view text = protectedText.empty() ? given : protectedText;
    const bool quote = text.find_first_of("\"\r\n") != std::string_view::npos ||
                       text.find(separator) != std::string_view::npos ||
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

std::string csvRecord(const std::vector<std::string>& fields, const Dialect& dialect) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += dialect.separator;
        out += csvField(fields[i], dialect.separator);
    }
    out += dialect.lineEnd;
    return out;
}

std::string programNumber(std::string_view text, const Dialect& dialect) {
    std::string out(text);
    if (dialect.decimal != '.')
        for (char& c : out)
            if (c == dialect.decimal)
                c = '.';
    return out;
}

std::string dialectNumber(std::string text, const Dialect& dialect) {
    if (dialect.decimal != '.')
        for (char& c : text)
            if (c == '.')
                c = dialect.decimal;
    return text;
}

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

HeaderName splitHeader(std::string_view header) {
    const std::string text = trimmed(header);
    if (text.empty() || (text.back() != ')' && text.back() != ']'))
        return {text, std::nullopt};
    // The bracket that opens the last one, over any nested inside it:
    // "Mobility (10^-4 cm^2/(V s))".
    const char close = text.back();
    const char open = close == ')' ? '(' : '[';
    int depth = 0;
    for (std::size_t i = text.size(); i-- > 0;) {
        depth += text[i] == close ? 1 : text[i] == open ? -1 : 0;
        if (depth == 0)
            return {trimmed(std::string_view(text).substr(0, i)),
                    trimmed(std::string_view(text).substr(i + 1, text.size() - i - 2))};
    }
    return {text, std::nullopt};
}

namespace {

// A spreadsheet takes a cell that starts with one of these for a formula.
bool formulaStart(char c) {
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

// Text that starts with the quote a protected cell is given.
bool quoteBeforeProtected(std::string_view text) {
    return text.size() > 1 && text[0] == '\'' && (formulaStart(text[1]) || text[1] == '\'');
}

}  // namespace

bool needsProtection(std::string_view text, char separator) {
    if (text.empty() || !(formulaStart(text[0]) || quoteBeforeProtected(text)))
        return false;
    // A signed number stays a number.
    if (text[0] == '+' || text[0] == '-') {
        try {
            platform::StrToFloat(programNumber(text, {separator, separator == ';' ? ',' : '.'}));
            return false;
        } catch (const std::exception&) {
        }
    }
    return true;
}

std::string unprotected(std::string text) {
    if (quoteBeforeProtected(text))
        text.erase(0, 1);
    return text;
}

}  // namespace platform
