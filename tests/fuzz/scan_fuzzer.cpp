// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target for the scan reader: no input may crash or hang it; it
// either gives a scan whose columns agree, with finite numbers and positive
// SDs, or refuses with a message that names the file, line and column.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fit/Scan.h"

namespace {

void check(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "scan_fuzzer: %s\n", what);
    __builtin_trap();
}

bool finite(const std::vector<double>& values) {
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    try {
        const fit::Scan scan = fit::readScan(input, "f");
        check(!scan.x.empty(), "a scan without points");
        check(scan.signal.size() == scan.x.size(), "as many signals as positions");
        check(scan.sd.empty() || scan.sd.size() == scan.x.size(), "an SD for every point or none");
        check(finite(scan.x) && finite(scan.signal) && finite(scan.sd), "a number not finite");
        for (double sd : scan.sd)
            check(sd > 0, "an SD not positive");
        check(scan.x.size() <= size / 3 + 1, "more points than the input can hold");
    } catch (const fit::ScanError& e) {
        const std::string message = e.what();
        check(message.rfind("f, line ", 0) == 0, "a message without the file and line");
        check(message.find(", column ") != std::string::npos, "a message without the column");
        for (char c : message)
            check(static_cast<unsigned char>(c) >= 0x20 || c == '\t',
                  "a control character in the message");
    }
    return 0;
}
