// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target for the CSV reader and the series document on it: no
// input may crash or hang them; a file is either read into a series that
// reads back from what it writes with the same table, or refused with a
// message that names the line and shows no control character.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

#include "series/Series.h"

namespace {

void check(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "csv_fuzzer: %s\n", what);
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    series::Series s;
    try {
        s.read(in);
    } catch (const platform::InputError& e) {
        const std::string message = e.what();
        check(message.rfind("line ", 0) == 0, "a message without the line");
        for (char c : message)
            check(static_cast<unsigned char>(c) >= 0x20 || c == '\t',
                  "a control character in the message");
        return 0;
    }
    check(s.rowCount() <= size, "more rows than the input can hold");
    const std::string written = s.text();
    std::istringstream back(written);
    series::Series again;
    again.read(back);
    check(again.rowCount() == s.rowCount(), "a row lost or gained on reading back");
    check(again.columnCount() == s.columnCount(), "a column lost or gained on reading back");
    for (std::size_t r = 0; r < s.rowCount(); ++r)
        for (std::size_t c = 0; c < s.columnCount(); ++c)
            check(again.cellText(r, c) == s.cellText(r, c), "a cell changed on reading back");
    check(again.text() == written, "the file changed on reading back");
    return 0;
}
