// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target for the RTF reader: no input may crash it, hang it or make
// it allocate beyond a small multiple of the input, and whatever it reads must
// save and read back unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "platform/richtext/Rtf.h"

namespace {

void check(bool ok, const char* what) {
    if (ok)
        return;
    std::fprintf(stderr, "rtf_fuzzer: %s\n", what);
    __builtin_trap();
}

void checkDocument(std::string_view input, const platform::RichDocument& doc) {
    check(doc.plainText().size() <= 3 * input.size(),
          "text larger than three bytes per input byte");
    check(doc.length() == doc.plainText().size(), "length() differs from plainText()");
    check(platform::readRtf(platform::writeRtf(doc)) == doc, "saved document reads back changed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    checkDocument(input, platform::readRtf(input));
    checkDocument(input, platform::readPlainText(input));
    return 0;
}
