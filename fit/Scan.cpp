// SPDX-License-Identifier: GPL-3.0-or-later

#include "fit/Scan.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/base/Exception.h"
#include "platform/base/MessageText.h"
#include "platform/base/NumberText.h"

namespace fit {

namespace {

struct Field {
    std::string_view text;
    std::size_t column;  // from 1
};

class Reader {
  public:
    Reader(std::string_view text, const std::string& name) : m_rest(text), m_name(name) {
        if (m_rest.substr(0, 3) == "\xEF\xBB\xBF")
            m_rest.remove_prefix(3);
    }

    // The next line without its end (LF, CR LF or CR); false at the end.
    bool nextLine(std::string_view& line) {
        if (m_rest.empty())
            return false;
        const std::size_t end = m_rest.find_first_of("\r\n");
        line = m_rest.substr(0, end);
        if (end == std::string_view::npos) {
            m_rest = {};
        } else {
            const bool crlf =
                m_rest[end] == '\r' && end + 1 < m_rest.size() && m_rest[end + 1] == '\n';
            m_rest.remove_prefix(end + (crlf ? 2 : 1));
        }
        ++m_line;
        return true;
    }

    [[noreturn]] void fail(std::size_t column, const std::string& why) const {
        throw ScanError(m_name + ", line " + std::to_string(m_line) + ", column " +
                        std::to_string(column) + ": " + why);
    }

    // The fields of a line up to any "#": runs of spaces and tabs part them,
    // or one comma or semicolon with the blanks around it, one kind in a
    // row: "6.0 0,1" is more likely a decimal comma than three columns. Two
    // separators with nothing between leave an empty field, which is refused.
    std::vector<Field> fields(std::string_view line) const {
        line = line.substr(0, line.find('#'));
        std::vector<Field> out;
        const auto blank = [](char c) { return c == ' ' || c == '\t'; };
        const auto separator = [](char c) { return c == ',' || c == ';'; };
        char kind = 0;  // ' ', ',' or ';' once the row has a separator
        std::size_t i = 0;
        while (i < line.size() && blank(line[i]))
            ++i;
        if (i == line.size())
            return out;
        for (;;) {
            const std::size_t start = i;
            while (i < line.size() && !blank(line[i]) && !separator(line[i]))
                ++i;
            out.push_back({line.substr(start, i - start), out.size() + 1});
            if (out.back().text.empty())
                fail(out.back().column, "an empty field");
            char found = ' ';
            while (i < line.size() && blank(line[i]))
                ++i;
            if (i < line.size() && separator(line[i])) {
                found = line[i++];
                while (i < line.size() && blank(line[i]))
                    ++i;
                if (i == line.size())
                    fail(out.size() + 1, "an empty field after the last separator");
            }
            if (i == line.size())
                return out;
            if (kind != 0 && found != kind)
                fail(out.size() + 1, std::string{'"', found, '"', ' ', 'a', 'f', 't', 'e', 'r', ' ',
                                                 '"', kind, '"'} +
                                         " in one row: numbers take \".\" as the decimal "
                                         "separator, and a row one kind of separator");
            kind = found;
        }
    }

    double number(const Field& f, const char* what) const {
        double value = 0;
        if (!parse(f.text, value))
            fail(f.column, std::string("the ").append(what).append(" ") +
                               platform::quotedForMessage(f.text) + " is not a number");
        return value;
    }

    static bool parse(std::string_view text, double& value) {
        try {
            value = platform::StrToFloat(text);
            return std::isfinite(value);
        } catch (const platform::EConvertError&) {
            return false;
        }
    }

    // A row x, signal [, sd] appended to the scan; every row has as many
    // fields as the first.
    void row(const std::vector<Field>& f, Scan& scan) {
        if (f.size() < 2 || f.size() > 3)
            fail(f.size() < 2 ? f.size() + 1 : 4,
                 f.size() < 2 ? "a row needs the position and the signal"
                              : "a row has at most three columns: position, signal and SD");
        if (m_columns == 0)
            m_columns = f.size();
        else if (f.size() != m_columns)
            fail(std::min(f.size(), m_columns) + 1, "this row has " + std::to_string(f.size()) +
                                                        " columns, the first row " +
                                                        std::to_string(m_columns));
        scan.x.push_back(number(f[0], "position"));
        scan.signal.push_back(number(f[1], "signal"));
        if (f.size() == 3) {
            const double sd = number(f[2], "standard deviation");
            if (!(sd > 0))
                fail(3, "the standard deviation must be greater than 0");
            scan.sd.push_back(sd);
        }
    }

    std::size_t line() const { return m_line; }

  private:
    std::string_view m_rest;
    const std::string& m_name;
    std::size_t m_line = 0;
    std::size_t m_columns = 0;
};

// Line 2 of a radial scan: a type letter, then seven numbers, the cell and
// the count whole numbers.
bool isRadialHeader(const std::vector<Field>& f) {
    if (f.size() != 8 || f[0].text.size() != 1 ||
        !std::isalpha(static_cast<unsigned char>(f[0].text[0])))
        return false;
    double value = 0;
    for (std::size_t i = 1; i < f.size(); ++i)
        if (!Reader::parse(f[i].text, value))
            return false;
    return true;
}

// Column names: a row of which no field is a number. A row with a number in
// it is data, and a typing error there is reported, not skipped as a header.
bool isHeader(const std::vector<Field>& f) {
    double value = 0;
    for (const Field& field : f)
        if (Reader::parse(field.text, value))
            return false;
    return true;
}

}  // namespace

Scan readScan(std::string_view text, const std::string& name) {
    Scan scan;
    scan.name = name;
    // One row a line at most: reserved at once, the vectors never hold twice
    // the room they need.
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    scan.x.reserve(lines);
    scan.signal.reserve(lines);
    Reader reader(text, name);
    std::string_view first;
    std::string_view second;
    const bool two = reader.nextLine(first) && reader.nextLine(second);
    std::vector<Field> secondFields;
    bool radial = false;
    if (two) {
        // Line 2 is read as fields only to recognise the layout: a column file
        // may fail on it, but with the column file's message.
        try {
            secondFields = reader.fields(second);
            radial = isRadialHeader(secondFields);
        } catch (const ScanError&) {
            radial = false;
        }
    }

    Reader rows(text, name);
    std::string_view line;
    if (radial) {
        rows.nextLine(line);
        rows.nextLine(line);
        scan.description = std::string(first);
        double value = 0;
        Reader::parse(secondFields[2].text, value);
        scan.temperature = value;
        Reader::parse(secondFields[4].text, value);
        if (value < 0)
            rows.fail(5, "the elapsed time is negative");
        scan.elapsedSeconds = value;
        while (rows.nextLine(line)) {
            const std::vector<Field> f = rows.fields(line);
            if (!f.empty())
                rows.row(f, scan);
        }
    } else {
        bool headerAllowed = true;
        while (rows.nextLine(line)) {
            const std::vector<Field> f = rows.fields(line);
            if (f.empty())
                continue;
            if (headerAllowed && isHeader(f)) {
                headerAllowed = false;  // column names, at most one row of them
                continue;
            }
            headerAllowed = false;
            rows.row(f, scan);
        }
    }
    if (scan.x.empty())
        throw ScanError(name + ", line " + std::to_string(std::max<std::size_t>(rows.line(), 1)) +
                        ", column 1: the file holds no data rows");
    return scan;
}

Scan readScanFile(const std::filesystem::path& path) {
    const std::string name = path.string();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw ScanError("cannot read \"" + name + "\": it is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ScanError("cannot read \"" + name + "\": " + std::strerror(errno));
    try {
        const std::string text((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        if (in.bad())
            throw ScanError("cannot read \"" + name + "\": " + std::strerror(errno));
        return readScan(text, name);
    } catch (const std::bad_alloc&) {
        throw ScanError("cannot read \"" + name +
                        "\" whole: there is not enough memory for its points");
    }
}

}  // namespace fit
