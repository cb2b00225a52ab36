// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "platform/Control.h"
#include "platform/Form.h"

namespace forms {

// The measures every window's rows share: a value field is this high, and
// its label, 4 pixels lower, stands 2 pixels below the field's top.
constexpr int kRowHeight = 19;
constexpr int kRowLabelHeight = kRowHeight - 4;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

// A dialog's Cancel and OK buttons, made in this order (so that Tab reaches
// Cancel first, as in every calculator) at their given places on one line.
struct DialogButtons {
    platform::Button* cancel;
    platform::Button* ok;
};
DialogButtons addCancelOk(platform::Form& form, int cancelLeft, int okLeft, int top);

// A row's caption: right-aligned before its field, or left-aligned.
platform::Label* addRowLabel(platform::Control& parent, const std::string& name,
                             const std::string& caption, int left, int top, int width,
                             platform::TextAlign align = platform::TextAlign::Right);

// A value field the user clicks to change: lime (entered), reached by Tab,
// named for a screen reader.
platform::StaticText* addValueField(platform::Control& parent, const std::string& name,
                                    const std::string& text, int left, int top, int width,
                                    const std::string& accessibleName,
                                    platform::Color color = platform::clLime);

}  // namespace forms
