// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/DialogLayout.h"

namespace forms {

DialogButtons addCancelOk(platform::Form& form, int cancelLeft, int okLeft, int top) {
    DialogButtons b;
    b.cancel = form.add<platform::Button>("BitBtn1", platform::ButtonKind::Cancel);
    b.cancel->setBounds(cancelLeft, top, kButtonWidth, kButtonHeight);
    b.ok = form.add<platform::Button>("BitBtn2", platform::ButtonKind::Ok);
    b.ok->setBounds(okLeft, top, kButtonWidth, kButtonHeight);
    return b;
}

platform::Label* addRowLabel(platform::Control& parent, const std::string& name,
                             const std::string& caption, int left, int top, int width,
                             platform::TextAlign align) {
    platform::Label* label = parent.add<platform::Label>(name, caption);
    label->setTextAlign(align);
    label->setBounds(left, top + 2, width, kRowLabelHeight);
    return label;
}

platform::StaticText* addValueField(platform::Control& parent, const std::string& name,
                                    const std::string& text, int left, int top, int width,
                                    const std::string& accessibleName, platform::Color color) {
    platform::StaticText* field = parent.add<platform::StaticText>(name, text);
    field->setColor(color);
    field->setBounds(left, top, width, kRowHeight);
    field->setAccessibleName(accessibleName);
    field->setTabStop(true);
    return field;
}

}  // namespace forms
