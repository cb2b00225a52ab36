// SPDX-License-Identifier: GPL-3.0-or-later

// The number entry dialog on the headless back end: what the user sees in
// the edit while typing, and what the caller reads back after OK or Cancel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <random>

#include "forms/Enternumber.h"
#include "tests/support/HeadlessSession.h"
#include "tests/support/NumberEntryModel.h"

using forms::NumberEntry;
using forms::TNumberEntry;
using platform::DialogRef;
using platform::ModalResult;
using platform::VK_BACK;
using platform::VK_DELETE;
using platform::headless::typeText;

namespace {

struct Range {
    double min = -9999, max = 9999;
    bool integerOnly = false;
};

// What the caller reads back once the dialog has closed.
struct Outcome {
    ModalResult result = ModalResult::None;
    double value = 0;
    std::int32_t whole = 0;
    std::string shown;
};

class NumberEntryDialog : public testing_support::HeadlessSession {
  protected:
    // Opens the dialog on text, lets script act as the user would, and
    // returns what the caller would read.
    Outcome run(const std::string& text, const Range& range,
                std::function<void(TNumberEntry&)> script) {
        backend.expect<TNumberEntry>("TNumberEntry", std::move(script));
        DialogRef<TNumberEntry> dlg(NumberEntry, nullptr);
        dlg->MinValue = range.min;
        dlg->MaxValue = range.max;
        dlg->IntegerOnly = range.integerOnly;
        dlg->EntryText = text;
        Outcome out;
        out.result = dlg->ShowModal();
        out.value = dlg->Result;
        out.whole = dlg->IntResult;
        out.shown = dlg->Value->text();
        return out;
    }
};

TEST_F(NumberEntryDialog, StartsWithTheWholeValenceRangeAndNoBorderIcons) {
    DialogRef<TNumberEntry> dlg(NumberEntry, nullptr);
    const TNumberEntry& d = *dlg;
    EXPECT_EQ(d.caption(), "Enter number");
    EXPECT_EQ(d.borderStyle(), platform::BorderStyle::NoIcons);
    EXPECT_EQ(d.MinValue, -9999.0);
    EXPECT_EQ(d.MaxValue, 9999.0);
    EXPECT_FALSE(d.IntegerOnly);
    EXPECT_FALSE(d.IntOnlyTxt->visible());
    EXPECT_FALSE(d.Value->autoSelect()) << "focus must not select the text";
    // The edit comes first among the controls that take the focus.
    for (const auto& c : d.children()) {
        if (c->tabStop()) {
            EXPECT_EQ(c.get(), d.Value);
            break;
        }
    }
}

TEST_F(NumberEntryDialog, HintLineStatesTheRange) {
    struct Case {
        Range range;
        const char* hint;
    };
    const Case cases[] = {
        {{0, 100}, "Value between: 0 and 100"},
        {{0.001, 10}, "Value between: 0.001 and 10"},
        {{1e-7, 100}, "Value between: 1E-7 and 100"},
        {{0.0001, 6.5}, "Value between: 0.0001 and 6.5"},
        {{}, "Value between: -9999 and 9999"},
        {{-9999, 9999, true}, "Integer between: -9999 and 9999"},
    };
    for (const Case& c : cases) {
        run("12", c.range, [&](TNumberEntry& d) {
            EXPECT_EQ(d.HintTxt->text(), c.hint);
            EXPECT_EQ(d.IntOnlyTxt->visible(), c.range.integerOnly) << c.hint;
            EXPECT_EQ(d.Value->text(), "12") << "the caller's text replaces the placeholder";
            EXPECT_EQ(d.Value->SelStart(), 2) << "caret after the last character";
            EXPECT_EQ(d.Value->SelLength(), 0);
            EXPECT_EQ(d.defaultButton(), d.BitBtn1) << "OK answers Enter";
            EXPECT_EQ(d.cancelButton(), d.BitBtn2) << "Cancel answers Escape";
            d.BitBtn2->userPress();
        });
    }
}

// One key typed into a buffer with the caret (and a selection) in place.
struct KeyCase {
    const char* buffer;
    int caret;  // -1: at the end
    char key;
    const char* expected;
    int selLength = 0;
    bool integerOnly = false;
};

const KeyCase kFilterCases[] = {
    // Digits: empty buffer, leading sign, or a last character that a digit
    // may follow.
    {"", -1, '7', "7"},
    {"-", -1, '5', "-5"},
    {"+", -1, '5', "+5"},
    {"12", -1, '3', "123"},
    {"1.", -1, '5', "1.5"},
    {"1e-", -1, '5', "1e-5"},
    {"1e", -1, '5', "1e5"},
    {"1E", -1, '0', "1E0"},
    {"1x", -1, '5', "1x"},
    {"-x", -1, '5', "-x5"},
    // Point: once, and never in integer mode.
    {"12", -1, '.', "12."},
    {"", -1, '.', "."},
    {"1.2", -1, '.', "1.2"},
    {"1e5", -1, '.', "1e5."},
    {"", -1, '.', "", 0, true},
    // Sign: into an empty buffer or after an exponent letter.
    {"", -1, '-', "-"},
    {"", -1, '+', "+"},
    {"1e", -1, '+', "1e+"},
    {"1E", -1, '-', "1E-"},
    {"1", -1, '+', "1"},
    {"-", -1, '-', "-"},
    {"1e5", -1, '-', "1e5"},
    {"1.", -1, '-', "1."},
    {"", -1, '-', "-", 0, true},
    // Exponent letter: once, either case, never in integer mode.
    {"1", -1, 'e', "1e"},
    {"1", -1, 'E', "1E"},
    {"", -1, 'e', "e"},
    {"1E5", -1, 'e', "1E5"},
    {"1e5", -1, 'E', "1e5"},
    {"1", -1, 'e', "1", 0, true},
    {"1", -1, 'E', "1", 0, true},
    // Everything else.
    {"1", -1, ' ', "1"},
    {"1", -1, ',', "1"},
    {"1", -1, 'x', "1"},
    {"", -1, 'a', ""},
    // Inserted at the caret; only the ends of the buffer are looked at.
    {"-5", 0, '5', "5-5"},
    {"12", 1, '3', "132"},
    {"15", 1, '.', "1.5"},
    {"1e", 0, '-', "-1e"},
    {"1e5", 1, '-', "1e5"},
    {"12", 0, 'e', "e12"},
    // A selection stays: the key goes in before it.
    {"123", 0, '4', "4123", 3},
    {"123", 1, '9', "1923", 2},
};

TEST_F(NumberEntryDialog, FilterAdmitsOnlyCharactersThatKeepANumber) {
    for (const KeyCase& c : kFilterCases) {
        const std::string label = std::string("\"") + c.buffer + "\" + '" + c.key + "'";
        run(c.buffer, {-9999, 9999, c.integerOnly}, [&](TNumberEntry& d) {
            const int caret = c.caret < 0 ? static_cast<int>(d.EntryText.size()) : c.caret;
            d.Value->userSelect(caret, c.selLength);
            d.Value->userKeyPress(c.key);
            EXPECT_EQ(d.EntryText, c.expected) << label;
            EXPECT_EQ(d.Value->text(), c.expected) << label;
            const bool accepted = std::string(c.expected) != c.buffer;
            if (accepted) {
                EXPECT_EQ(d.Value->SelStart(), caret + 1) << label;
                EXPECT_EQ(d.Value->SelLength(), 0) << label;
            } else {
                EXPECT_EQ(d.Value->SelStart(), caret) << label << ": caret stays";
                EXPECT_EQ(d.Value->SelLength(), c.selLength) << label << ": selection stays";
            }
            d.BitBtn2->userPress();
        });
    }
}

TEST_F(NumberEntryDialog, DeleteAndBackspaceRemoveOneCharacter) {
    struct Case {
        const char* buffer;
        int caret, selLength, key;
        const char* expected;
        int expectedCaret;
    };
    const Case cases[] = {
        {"123", 3, 0, VK_BACK, "12", 2},    {"123", 0, 0, VK_BACK, "123", 0},
        {"123", 1, 0, VK_BACK, "23", 0},    {"123", 0, 0, VK_DELETE, "23", 0},
        {"123", 3, 0, VK_DELETE, "123", 3}, {"123", 1, 0, VK_DELETE, "13", 1},
        {"123", 0, 3, VK_DELETE, "23", 0},  {"123", 1, 2, VK_BACK, "23", 0},
        {"", 0, 0, VK_BACK, "", 0},         {"", 0, 0, VK_DELETE, "", 0},
    };
    for (const Case& c : cases) {
        const std::string label = std::string("\"") + c.buffer + "\" caret " +
                                  std::to_string(c.caret) + (c.key == VK_BACK ? " Back" : " Del");
        run(c.buffer, {}, [&](TNumberEntry& d) {
            d.Value->userSelect(c.caret, c.selLength);
            d.Value->userKeyDown(c.key);
            EXPECT_EQ(d.EntryText, c.expected) << label;
            EXPECT_EQ(d.Value->text(), c.expected) << label;
            EXPECT_EQ(d.Value->SelStart(), c.expectedCaret) << label;
            d.BitBtn2->userPress();
        });
    }
}

TEST_F(NumberEntryDialog, TypingAfterDeletingGivesTheTypedNumber) {
    // "1.2", then ".", then "3" gives "1.23"; "1e-5" is typed as it stands.
    const Outcome a = run("", {0, 100}, [](TNumberEntry& d) {
        typeText(*d.Value, "1.2.3");
        EXPECT_EQ(d.Value->text(), "1.23");
        d.BitBtn1->userPress();
    });
    EXPECT_EQ(a.result, ModalResult::Ok);
    EXPECT_EQ(a.value, 1.23);
    const Outcome b = run("17.13", {0, 1}, [](TNumberEntry& d) {
        platform::headless::clearByBackspace(*d.Value);
        typeText(*d.Value, "1e-5");
        d.userDialogKey(platform::VK_RETURN);
    });
    EXPECT_EQ(b.result, ModalResult::Ok);
    EXPECT_EQ(b.value, 0.00001);
    EXPECT_EQ(b.shown, "1e-5");
}

TEST_F(NumberEntryDialog, EditsOfTheControlItselfHaveNoLastingEffect) {
    // Paste, cut, drop and undo arrive as a finished edit of the control.
    run("12", {}, [](TNumberEntry& d) {
        d.Value->userSelect(1, 0);
        d.Value->userEdit("1abc2", 4);
        EXPECT_EQ(d.Value->text(), "12");
        EXPECT_EQ(d.Value->SelStart(), 1) << "the caret goes back where it was";
        d.Value->userSelect(0, 2);
        d.Value->userEdit("", 0);
        EXPECT_EQ(d.Value->text(), "12");
        EXPECT_EQ(d.Value->SelLength(), 2) << "the selection comes back with the text";
        EXPECT_EQ(d.EntryText, "12");
        d.BitBtn2->userPress();
    });
}

TEST_F(NumberEntryDialog, CloseCheckConvertsAndChecksTheRange) {
    struct Case {
        const char* text;
        Range range;
        bool closes;
        bool message;  // a conversion failure is shown
        double value = 0;
        std::int32_t whole = 0;
    };
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const Case cases[] = {
        {"", {}, false, true},
        {"-", {}, false, true},
        {"+", {}, false, true},
        {".", {}, false, true},
        {"1e+", {}, false, true},
        {"1e", {}, false, true},
        {"1e5.", {}, false, true},
        {"5-5", {}, false, true},
        {"1e999", {}, false, true},
        {"-1e999", {}, false, true},
        {"9999", {}, true, false, 9999, 9999},
        {"-9999", {}, true, false, -9999, -9999},
        {"10000", {}, false, false, 10000, 10000},
        {"-10000", {}, false, false, -10000, -10000},
        {"9999.0001", {}, false, false, 9999.0001, 9999},
        {"0.0001", {0.0001, 6.5}, true, false, 0.0001, 0},
        {"0.00009", {0.0001, 6.5}, false, false, 0.00009, 0},
        {"6.5", {0.0001, 6.5}, true, false, 6.5, 6},
        {"12.7", {}, true, false, 12.7, 12},
        {"-12.7", {}, true, false, -12.7, -12},
        {"1e-5", {0, 1}, true, false, 0.00001, 0},
        {"-0", {0, 100}, true, false, 0, 0},
        // Beyond 32 bits the whole number is the nearest limit, not undefined.
        {"1e300", {}, false, false, 1e300, kMax},
        {"-1e300", {}, false, false, -1e300, kMin},
        {"3e9", {-1e10, 1e10}, true, false, 3e9, kMax},
        {"12", {-9999, 9999, true}, true, false, 12, 12},
    };
    for (const Case& c : cases) {
        const std::string label = std::string("\"") + c.text + "\"";
        const Outcome out = run(c.text, c.range, [&](TNumberEntry& d) {
            d.BitBtn1->userPress();
            if (c.closes)
                return;
            const std::vector<std::string> messages = backend.takeMessages();
            if (c.message) {
                std::string expected = "'";
                expected.append(c.text).append("' is not a valid floating point value");
                EXPECT_EQ(messages, std::vector<std::string>{expected}) << label;
            } else {
                EXPECT_TRUE(messages.empty()) << label << ": refused without a message";
                EXPECT_EQ(d.Result, c.value) << label;
                EXPECT_EQ(d.IntResult, c.whole) << label;
            }
            EXPECT_EQ(d.Value->text(), c.text) << label << ": text unchanged";
            EXPECT_EQ(d.modalResult(), ModalResult::None) << label << ": still open";
            d.BitBtn2->userPress();
        });
        EXPECT_EQ(out.result, c.closes ? ModalResult::Ok : ModalResult::Cancel) << label;
        if (c.closes) {
            EXPECT_EQ(out.value, c.value) << label;
            EXPECT_EQ(out.whole, c.whole) << label;
            EXPECT_EQ(out.shown, c.text) << label;
        }
    }
}

TEST_F(NumberEntryDialog, RefusedCloseCanBeMendedAndAccepted) {
    const Outcome out = run("", {0, 100}, [this](TNumberEntry& d) {
        d.BitBtn1->userPress();
        EXPECT_EQ(backend.takeMessages().size(), 1u);
        typeText(*d.Value, "150");
        d.userDialogKey(platform::VK_RETURN);
        EXPECT_EQ(d.modalResult(), ModalResult::None);
        d.Value->userKeyDown(VK_BACK);
        d.Value->userKeyDown(VK_BACK);
        d.userDialogKey(platform::VK_RETURN);
    });
    EXPECT_EQ(out.result, ModalResult::Ok);
    EXPECT_EQ(out.value, 1.0);
    EXPECT_EQ(out.shown, "1");
}

TEST_F(NumberEntryDialog, CancelSetsTheMiddleOfTheRangeWhateverTheText) {
    struct Case {
        const char* text;
        Range range;
        bool escape;
        double value;
        std::int32_t whole;
    };
    const Case cases[] = {
        {"12345", {0, 100}, false, 50, 50}, {"", {0, 100}, true, 50, 50},
        {"1e+", {}, false, 0, 0},           {"3", {0.0001, 6.5}, true, 3.25005, 3},
        {"-", {-7, 0}, false, -3.5, -3},
    };
    for (const Case& c : cases) {
        const Outcome out = run(c.text, c.range, [&](TNumberEntry& d) {
            if (c.escape)
                d.userDialogKey(platform::VK_ESCAPE);
            else
                d.BitBtn2->userPress();
        });
        EXPECT_EQ(out.result, ModalResult::Cancel) << c.text;
        EXPECT_EQ(out.value, c.value) << c.text;
        EXPECT_EQ(out.whole, c.whole) << c.text;
    }
    const Outcome framed = run("oops", {}, [](TNumberEntry& d) { d.userCloseRequest(); });
    EXPECT_EQ(framed.result, ModalResult::Cancel) << "closing by the frame skips the check";
}

// ------------------------------------------------------------------------
// The dialog against a model of its rules written apart from it, over long
// random sequences of what a user can do in the edit.

using testing_support::modelAdmits;
using testing_support::modelConvert;
using testing_support::modelWhole;

TEST_F(NumberEntryDialog, AgreesWithAnIndependentModelOverRandomKeySequences) {
    std::mt19937 rng(20261207);
    const std::string keys = "0123456789012345.+-eE.-+ x,";
    const Range ranges[] = {{}, {0, 100}, {0.0001, 6.5}, {-9999, 9999, true}, {1e-7, 1e300}};
    int accepted = 0, refused = 0, failed = 0;
    for (int sequence = 0; sequence < 400; ++sequence) {
        const Range range = ranges[sequence % std::size(ranges)];
        const std::string start = sequence % 3 == 0 ? "17.13" : "";
        run(start, range, [&](TNumberEntry& d) {
            std::string buffer = start;
            for (int step = 0; step < 80; ++step) {
                const int caret = d.Value->SelStart();
                const int action = static_cast<int>(rng() % 100);
                if (action < 60) {
                    const char k = keys[rng() % keys.size()];
                    const bool admit = modelAdmits(buffer, k, range.integerOnly);
                    if (admit)
                        buffer.insert(static_cast<size_t>(caret), 1, k);
                    d.Value->userKeyPress(k);
                    ASSERT_EQ(d.Value->SelStart(), admit ? caret + 1 : caret);
                } else if (action < 70) {
                    if (caret > 0)
                        buffer.erase(static_cast<size_t>(caret - 1), 1);
                    d.Value->userKeyDown(VK_BACK);
                } else if (action < 76) {
                    if (caret < static_cast<int>(buffer.size()))
                        buffer.erase(static_cast<size_t>(caret), 1);
                    d.Value->userKeyDown(VK_DELETE);
                } else if (action < 86) {
                    const int n = static_cast<int>(buffer.size()) + 1;
                    const int from = static_cast<int>(rng() % n);
                    d.Value->userSelect(from, static_cast<int>(rng() % (n - from)));
                } else if (action < 92) {
                    d.Value->userEdit(buffer.substr(0, caret) + "9e9" + buffer.substr(caret),
                                      caret + 3);
                } else {
                    d.BitBtn1->userPress();
                    const std::optional<double> v = modelConvert(buffer);
                    const auto messages = backend.takeMessages();
                    ASSERT_EQ(messages.size(), v ? 0u : 1u) << "\"" << buffer << "\"";
                    if (v) {
                        ASSERT_EQ(d.Result, *v) << buffer;
                        ASSERT_EQ(d.IntResult, modelWhole(*v)) << buffer;
                    }
                    const bool inRange = v && range.min <= *v && *v <= range.max;
                    ASSERT_EQ(d.modalResult(), inRange ? ModalResult::Ok : ModalResult::None)
                        << "\"" << buffer << "\"";
                    if (inRange) {
                        ++accepted;
                        return;
                    }
                    ++(v ? refused : failed);
                }
                ASSERT_EQ(d.EntryText, buffer);
                ASSERT_EQ(d.Value->text(), buffer);
            }
            d.BitBtn2->userPress();
        });
        if (HasFatalFailure())
            return;
    }
    // The sequences reach every outcome of the close check.
    EXPECT_GT(accepted, 50);
    EXPECT_GT(refused, 20);
    EXPECT_GT(failed, 50);
}

}  // namespace
