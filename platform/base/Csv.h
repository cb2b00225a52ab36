// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Input that cannot be read as asked; the message names the line and, where
// there is one, the column.
class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// How a file writes its records: "," with "." decimals, or ";" with ","
// decimals as spreadsheets write them where the comma is the decimal mark.
// The byte order mark and the line end are kept so that a file is written
// back as it came.
struct Dialect {
    char separator = ',';
    char decimal = '.';
    bool bom = false;
    std::string lineEnd = "\r\n";

    static Dialect semicolon() { return {';', ',', false, "\r\n"}; }
    bool operator==(const Dialect&) const = default;
};

struct CsvRecord {
    std::vector<std::string> fields;
    std::size_t line = 0;  // where the record starts, from 1
};

// Reads separated records (RFC 4180) one at a time from a stream: fields in
// double quotes may hold separators, line breaks and doubled quotes; records
// end with CR LF, LF or CR. A UTF-8 byte order mark at the start and blank
// lines are skipped; a protected text loses its quote (csvField). The dialect is told by the first
// line: ";" when it has more semicolons than commas outside quotes, else ",".
class CsvReader {
  public:
    explicit CsvReader(std::istream& in);
    // False at the end of the input. Throws InputError for bad quoting.
    bool next(CsvRecord& record);
    // The line the next record starts on.
    std::size_t line() const { return m_line; }
    // Known once the first record has been read.
    const Dialect& dialect() const { return m_dialect; }

  private:
    int get();
    int peek();
    // After a CR, takes the LF of a CR LF pair.
    void endOfLine(int c);
    void start();

    std::streambuf* m_buf;
    std::string m_ahead;  // the first line, read to tell the dialect
    std::size_t m_aheadAt = 0;
    std::size_t m_line = 1;
    bool m_started = false;
    Dialect m_dialect;
};

// Spreadsheets run a cell that starts with "=", "+", "-", "@", a tab or a
// CR as a formula. Such a text (but not a signed number) is written after a
// single quote, as OWASP recommends, and so is a text that already starts
// with a quote before one of these or another quote; the reader takes that
// quote off again, so that every text reads back as it was.
bool needsProtection(std::string_view text, char separator = ',');
// A field as read: without the quote of a protected text.
std::string unprotected(std::string text);

// One field as written into a record: protected against formulas, and
// quoted when it holds the separator, a quote, a line break or leading or
// trailing spaces.
std::string csvField(std::string_view text, char separator = ',');

// Fields joined into one record with the dialect's line end (CR LF unless
// the file came with another).
std::string csvRecord(const std::vector<std::string>& fields, const Dialect& dialect = {});

// A number as the program reads it: the dialect's decimal mark becomes ".".
std::string programNumber(std::string_view text, const Dialect& dialect);
// A number text of the program as the dialect writes it.
std::string dialectNumber(std::string text, const Dialect& dialect);

// The text without the spaces and tabs around it.
std::string trimmed(std::string_view text);

// A header "IonicStrength (M)": the name and the unit in parentheses or
// brackets at its end (nested parentheses inside: "Mobility (10^-4
// cm^2/(V s))"), both trimmed; no unit when there are none.
struct HeaderName {
    std::string name;
    std::optional<std::string> unit;
};
HeaderName splitHeader(std::string_view header);

}  // namespace platform
