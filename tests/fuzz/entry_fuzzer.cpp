// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target for the number entry dialog: the input is a sequence of
// user actions (keys, deleting keys, caret moves, selections, pastes, OK) on
// the headless back end. After every action the edit must show the buffer,
// the buffer must be what an independent model of the filter predicts, and
// OK must convert, refuse or close as that model says. Nothing may crash or
// hit undefined behaviour on the way (the build carries the sanitizers).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "forms/Enternumber.h"
#include "platform/Application.h"
#include "platform/headless/Headless.h"
#include "tests/support/NumberEntryModel.h"

namespace {

using forms::TNumberEntry;
using testing_support::modelAdmits;
using testing_support::modelConvert;
using testing_support::modelWhole;

void check(bool ok, const char* what, const std::string& buffer) {
    if (ok)
        return;
    std::fprintf(stderr, "entry_fuzzer: %s (buffer \"%s\")\n", what, buffer.c_str());
    __builtin_trap();
}

struct Range {
    double min, max;
    bool integerOnly;
};

constexpr Range kRanges[] = {
    {-9999, 9999, false}, {0, 100, false},     {0.0001, 6.5, false},
    {1, 100, false},      {-9999, 9999, true}, {-1e308, 1e308, false},
};

// Plays the actions on the open dialog; false when OK closed it.
bool play(TNumberEntry& d, const Range& range, const std::uint8_t* data, std::size_t size,
          platform::headless::HeadlessBackend& backend) {
    std::string buffer = d.EntryText;
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t op = data[i++];
        const std::uint8_t arg = i < size ? data[i] : 0;
        const int caret = d.Value->SelStart();
        switch (op % 8) {
            case 0:
            case 1:
            case 2: {  // a typed character, any byte
                ++i;
                const char k = static_cast<char>(arg);
                const bool printable = arg >= 32;
                const bool admit = printable && modelAdmits(buffer, k, range.integerOnly);
                if (admit)
                    buffer.insert(static_cast<std::size_t>(caret), 1, k);
                d.Value->userKeyPress(k);
                if (printable)
                    check(d.Value->SelStart() == (admit ? caret + 1 : caret), "caret", buffer);
                break;
            }
            case 3:
                if (caret > 0)
                    buffer.erase(static_cast<std::size_t>(caret - 1), 1);
                d.Value->userKeyDown(platform::VK_BACK);
                break;
            case 4:
                if (caret < static_cast<int>(buffer.size()))
                    buffer.erase(static_cast<std::size_t>(caret), 1);
                d.Value->userKeyDown(platform::VK_DELETE);
                break;
            case 5: {  // caret keys and selections
                ++i;
                const int keys[] = {platform::VK_LEFT, platform::VK_RIGHT, platform::VK_HOME,
                                    platform::VK_END};
                if (arg < 128)
                    d.Value->userKeyDown(keys[arg % 4]);
                else
                    d.Value->userSelect(arg % 16, (arg / 16) % 8);
                break;
            }
            case 6: {  // paste, cut or drop of the next few bytes
                ++i;
                const std::size_t n = std::min<std::size_t>(arg % 8, size - std::min(i, size));
                std::string edited = d.Value->text();
                edited.insert(static_cast<std::size_t>(caret),
                              reinterpret_cast<const char*>(data + i), n);
                i += n;
                d.Value->userEdit(arg & 8 ? std::string() : edited, caret + static_cast<int>(n));
                break;
            }
            default: {
                d.BitBtn1->userPress();
                const auto v = modelConvert(buffer);
                check(backend.takeMessages().size() == (v ? 0u : 1u), "conversion message", buffer);
                if (v) {
                    check(d.Result == *v, "Result", buffer);
                    check(d.IntResult == modelWhole(*v), "IntResult", buffer);
                }
                const bool inRange = v && range.min <= *v && *v <= range.max;
                check((d.modalResult() == platform::ModalResult::Ok) == inRange, "close check",
                      buffer);
                if (inRange)
                    return false;
                break;
            }
        }
        check(d.EntryText == buffer, "buffer differs from the model", buffer);
        check(d.Value->text() == buffer, "edit shows other than the buffer", buffer);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    platform::headless::HeadlessBackend backend;
    platform::Application application(backend);
    const Range range = kRanges[data[0] % std::size(kRanges)];
    const bool startWithText = data[1] & 1;
    backend.expect<TNumberEntry>("TNumberEntry", [&](TNumberEntry& d) {
        if (play(d, range, data + 2, size - 2, backend))
            d.BitBtn2->userPress();
    });
    platform::DialogRef<TNumberEntry> dlg(forms::NumberEntry, nullptr);
    dlg->MinValue = range.min;
    dlg->MaxValue = range.max;
    dlg->IntegerOnly = range.integerOnly;
    dlg->EntryText = startWithText ? "17.13" : "";
    dlg->ShowModal();
    return 0;
}
