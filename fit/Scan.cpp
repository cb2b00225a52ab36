// SPDX-License-Identifier: GPL-3.0-or-later

#include "fit/Scan.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/base/Csv.h"
#include "platform/base/Exception.h"
#include "platform/base/MessageText.h"
#include "platform/base/NumberText.h"
#include "series/Headers.h"

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

    // Files in the ";" dialect of spreadsheets: ";" alone parts the fields
    // and "," is the decimal mark.
    void setSemicolon(bool on) { m_semicolon = on; }

    // A unit of x in the header: the positions read are converted to cm.
    void setPositionUnit(double multiply, double divide) {
        m_xMultiply = multiply;
        m_xDivide = divide;
    }

    // The fields of a line parted by one separator alone, each without the
    // blanks around it.
    std::vector<Field> split(std::string_view line, char separator) const {
        std::vector<Field> out;
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            return out;
        for (std::size_t start = 0;;) {
            const std::size_t end = line.find(separator, start);
            const std::string_view text = line.substr(start, end - start);
            const std::size_t first = text.find_first_not_of(" \t");
            out.push_back({first == std::string_view::npos
                               ? text.substr(0, 0)
                               : text.substr(first, text.find_last_not_of(" \t") - first + 1),
                           out.size() + 1});
            if (out.back().text.empty())
                fail(out.size(), end == std::string_view::npos
                                     ? "an empty field after the last separator"
                                     : "an empty field");
            if (end == std::string_view::npos)
                return out;
            start = end + 1;
        }
    }

    // A header row's names, up to any "#": parted by ";" in that dialect,
    // else by "," or tabs where the row has them, else by blanks, a unit in
    // brackets after a blank staying with its name ("Position (mm) Signal").
    std::vector<Field> headerFields(std::string_view line) const {
        line = line.substr(0, line.find('#'));
        if (m_semicolon)
            return split(line, ';');
        for (char separator : {',', '\t'})
            if (line.find(separator) != std::string_view::npos)
                return split(line, separator);
        std::vector<Field> out;
        for (std::size_t i = 0;;) {
            i = line.find_first_not_of(" \t", i);
            if (i == std::string_view::npos)
                return out;
            const bool unit = !out.empty() && (line[i] == '(' || line[i] == '[');
            std::size_t end = i;
            for (int depth = 0;
                 end < line.size() && (depth > 0 || (line[end] != ' ' && line[end] != '\t')); ++end)
                depth += line[end] == '(' || line[end] == '['   ? 1
                         : line[end] == ')' || line[end] == ']' ? -1
                                                                : 0;
            if (unit) {
                const char* from = out.back().text.data();
                out.back().text =
                    std::string_view(from, static_cast<std::size_t>(line.data() + end - from));
            } else {
                out.push_back({line.substr(i, end - i), out.size() + 1});
            }
            i = end;
        }
    }

    // The fields of a line up to any "#": runs of spaces and tabs part them,
    // or one comma or semicolon with the blanks around it, one kind in a
    // row: "6.0 0,1" is more likely a decimal comma than three columns. Two
    // separators with nothing between leave an empty field, which is refused.
    std::vector<Field> fields(std::string_view line) const {
        line = line.substr(0, line.find('#'));
        if (m_semicolon)
            return split(line, ';');
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
        if (!parse(f.text, value, m_semicolon))
            fail(f.column, std::string("the ").append(what).append(" ") +
                               platform::quotedForMessage(f.text) + " is not a number");
        return value;
    }

    static bool parse(std::string_view text, double& value, bool decimalComma = false) {
        try {
            value = platform::StrToFloat(
                decimalComma ? platform::programNumber(text, platform::Dialect::semicolon())
                             : text);
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
        if (m_columns == 0) {
            m_columns = f.size();
            if (m_columns == 3)
                scan.sd.reserve(scan.x.capacity());
        } else if (f.size() != m_columns)
            fail(std::min(f.size(), m_columns) + 1, "this row has " + std::to_string(f.size()) +
                                                        " columns, the first row " +
                                                        std::to_string(m_columns));
        scan.x.push_back(number(f[0], "position") * m_xMultiply / m_xDivide);
        scan.signal.push_back(number(f[1], "signal"));
        if (f.size() == 3) {
            const double sd = number(f[2], "standard deviation");
            if (!(sd > 0))
                fail(3, "the standard deviation must be greater than 0");
            scan.sd.push_back(sd);
        }
    }

    std::size_t line() const { return m_line; }

    // Column names: a row of which no field is a number. A row with a number
    // in it is data, and a typing error there is reported, not skipped as a
    // header.
    bool isHeader(const std::vector<Field>& f) const {
        double value = 0;
        for (const Field& field : f)
            if (parse(field.text, value, m_semicolon))
                return false;
        return true;
    }

  private:
    std::string_view m_rest;
    const std::string& m_name;
    std::size_t m_line = 0;
    std::size_t m_columns = 0;
    bool m_semicolon = false;
    double m_xMultiply = 1;
    double m_xDivide = 1;
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

// What a header names: the position, the signal or its SD, in this order.
enum class Role { Position, Signal, SD };
const char* const kRoleNames[] = {"the position x", "the signal", "the SD"};

// The names of the position and of the SD, as headerKey gives them; any
// other name may be the signal's.
std::optional<Role> namedRole(const std::string& key) {
    static const std::pair<const char*, Role> names[] = {
        {"x", Role::Position},
        {"r", Role::Position},
        {"position", Role::Position},
        {"radius", Role::Position},
        {"radialposition", Role::Position},
        {"distance", Role::Position},
        {"sd", Role::SD},
        {"std", Role::SD},
        {"stdev", Role::SD},
        {"stddev", Role::SD},
        {"standarddeviation", Role::SD},
        {"error", Role::SD},
        {"uncertainty", Role::SD},
    };
    for (const auto& [name, role] : names)
        if (key == name)
            return role;
    if (key.size() > 2 && key.ends_with("sd"))  // "AbsorbanceSD"
        return Role::SD;
    // One letter off a name of five or more ("Postion") is a near-miss.
    for (const auto& [name, role] : names)
        if (std::strlen(name) >= 5 && series::editDistance(key, name) <= 1)
            return role;
    return std::nullopt;
}

struct LengthUnit {
    const char* key;  // as unitKey gives it
    double multiply;  // a value in the unit times multiply / divide is in cm
    double divide;
};
constexpr LengthUnit kLengthUnits[] = {{"cm", 1, 1}, {"mm", 1, 10}, {"um", 1, 1e4}, {"m", 100, 1}};

// A header row read for the units of its columns: x in cm, mm, um or m,
// converted to cm; the signal in any unit; the SD in the signal's. A column
// whose name belongs in another place is refused: read by its place, it
// would be taken for what it is not.
void readColumns(const std::vector<Field>& f, Reader& reader) {
    std::optional<std::string> signalUnit;
    for (std::size_t i = 0; i < std::min<std::size_t>(f.size(), 3); ++i) {
        const series::HeaderName header = series::splitHeader(f[i].text);
        const auto expected = static_cast<Role>(i);
        const std::optional<Role> named = namedRole(series::headerKey(header.name));
        if (named && *named != expected)
            reader.fail(f[i].column,
                        "the header " + platform::quotedForMessage(f[i].text) + " reads as " +
                            kRoleNames[static_cast<int>(*named)] + ", but column " +
                            std::to_string(f[i].column) + " holds " + kRoleNames[i] +
                            ": a scan's columns are the position x, the signal and its SD, in "
                            "this order");
        if (!header.unit)
            continue;
        const std::string unit = series::unitKey(*header.unit);
        if (expected == Role::Position) {
            const auto* known = std::find_if(std::begin(kLengthUnits), std::end(kLengthUnits),
                                             [&](const LengthUnit& u) { return unit == u.key; });
            if (known == std::end(kLengthUnits))
                reader.fail(f[i].column, "the position x is read in cm, mm, \u00b5m or m, not " +
                                             platform::quotedForMessage(*header.unit));
            reader.setPositionUnit(known->multiply, known->divide);
        } else if (expected == Role::Signal) {
            signalUnit = unit;
        } else if (!signalUnit) {
            reader.fail(f[i].column, "the SD is in " + platform::quotedForMessage(*header.unit) +
                                         ", but the signal's header gives no unit: the SD must "
                                         "be in the signal's unit, given in both headers");
        } else if (unit != *signalUnit) {
            reader.fail(f[i].column,
                        "the SD is in " + platform::quotedForMessage(*header.unit) +
                            ", the signal in " +
                            platform::quotedForMessage(*series::splitHeader(f[1].text).unit) +
                            ": the SD must be in the signal's unit");
        }
    }
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
            if (headerAllowed) {
                // The first line with fields tells the dialect.
                const std::string_view content = line.substr(0, line.find('#'));
                if (content.find_first_not_of(" \t") == std::string_view::npos)
                    continue;
                rows.setSemicolon(content.find(';') != std::string_view::npos);
                headerAllowed = false;
                if (const std::vector<Field> names = rows.headerFields(line);
                    rows.isHeader(names)) {
                    readColumns(names, rows);  // column names, at most one row of them
                    continue;
                }
            }
            const std::vector<Field> f = rows.fields(line);
            if (!f.empty())
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
        // Read at its size in one go: a string grown as it is read would hold
        // up to three times the file while it moves.
        std::string text;
        const std::uintmax_t size = std::filesystem::file_size(path, ec);
        if (!ec && std::filesystem::is_regular_file(path, ec)) {
            text.resize(static_cast<std::size_t>(size));
            in.read(text.data(), static_cast<std::streamsize>(size));
            text.resize(static_cast<std::size_t>(in.gcount()));
            if (in.gcount() == static_cast<std::streamsize>(size))
                text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        } else {
            text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        if (in.bad())
            throw ScanError("cannot read \"" + name + "\": " + std::strerror(errno));
        return readScan(text, name);
    } catch (const std::bad_alloc&) {
        throw ScanError("cannot read \"" + name +
                        "\" whole: there is not enough memory for its points");
    }
}

}  // namespace fit
