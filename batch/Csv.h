// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/MessageText.h"

namespace batch {

// Input that cannot be read as asked; the message names the line and, where
// there is one, the column.
class InputError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct CsvRecord {
    std::vector<std::string> fields;
    std::size_t line = 0;  // where the record starts, from 1
};

// Reads comma-separated records (RFC 4180) one at a time from a stream:
// fields in double quotes may hold commas, line breaks and doubled quotes;
// records end with CR LF, LF or CR. A UTF-8 byte order mark at the start and
// blank lines are skipped.
class CsvReader {
  public:
    explicit CsvReader(std::istream& in);
    // False at the end of the input. Throws InputError for bad quoting.
    bool next(CsvRecord& record);
    // The line the next record starts on.
    std::size_t line() const { return m_line; }

  private:
    int get();
    int peek();
    // After a CR, takes the LF of a CR LF pair.
    void endOfLine(int c);

    std::streambuf* m_buf;
    std::size_t m_line = 1;
    bool m_started = false;
};

// One field as written into a record: quoted when it holds a comma, a quote,
// a line break or leading or trailing spaces.
std::string csvField(std::string_view text);

// Fields joined into one record with its CR LF.
std::string csvRecord(const std::vector<std::string>& fields);

// Input quoted for a message to the terminal.
using platform::quotedForMessage;

}  // namespace batch
