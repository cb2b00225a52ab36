// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Enternumber.h"

#include <algorithm>

#include "model/Sampling.h"
#include "platform/base/NumberText.h"

namespace forms {

using platform::Control;
using platform::Edit;
using platform::Form;

TNumberEntry* NumberEntry = nullptr;

TNumberEntry::TNumberEntry(Form* owner) : Form(owner, "NumberEntry") {
    setCaption("Enter number");
    // 222 x 136 outside; a fixed dialog frame takes 3 pixels a side and the
    // caption 19.
    setClientSize(216, 111);
    setBorderStyle(platform::BorderStyle::NoIcons);

    HintTxt = add<platform::StaticText>("HintTxt", "HintTxt");
    platform::Font arial = font();
    arial.name = "Arial";
    HintTxt->setFont(arial);
    HintTxt->setBounds(0, 0, clientWidth(), 18);
    HintTxt->setAlign(platform::Align::Top);

    IntOnlyTxt = add<platform::StaticText>("IntOnlyTxt", "Integer value required");
    platform::Font underlined = font();
    underlined.underline = true;
    IntOnlyTxt->setFont(underlined);
    IntOnlyTxt->setSunken(false);
    IntOnlyTxt->setBounds(53, 24, 110, 14);
    IntOnlyTxt->setVisible(false);

    // First in the tab order, so it has the focus when the dialog opens;
    // the caret goes after the text instead of selecting it.
    Value = add<Edit>("Value");
    Value->setText("0000");
    Value->setBounds(88, 43, 38, 21);
    Value->setAutoSelect(false);
    Value->setAccessibleName("Number");

    BitBtn2 = add<platform::Button>("BitBtn2", platform::ButtonKind::Cancel);
    BitBtn2->setBounds(25, 75, 75, 25);
    BitBtn1 = add<platform::Button>("BitBtn1", platform::ButtonKind::Ok);
    BitBtn1->setBounds(114, 75, 75, 25);

    OnShow = [this](Form& f) { FormShow(f); };
    OnCloseQuery = [this](Form& f, bool& canClose) { FormCloseQuery(f, canClose); };
    Value->OnKeyPress = [this](Control& c, char& key) { ValueKeyPress(c, key); };
    Value->OnKeyDown = [this](Control& c, int& key) { ValueKeyDown(c, key); };
    Value->OnChange = [this](Control& c) { ValueChange(c); };
    BitBtn2->OnClick = [this](Control& c) { BitBtn2Click(c); };
}

void TNumberEntry::FormShow(Form&) {
    Value->setText(EntryText);
    Value->SetSelStart(static_cast<int>(EntryText.size()));
    HintTxt->setText(std::string(IntegerOnly ? "Integer " : "Value ") + "between: " +
                     platform::FloatToStr(MinValue) + " and " + platform::FloatToStr(MaxValue));
    IntOnlyTxt->setVisible(IntegerOnly);
}

bool TNumberEntry::admits(char key) const {
    return platform::numberEntryAdmits(EntryText, key, IntegerOnly);
}

void TNumberEntry::showBuffer(int caret) {
    Value->setText(EntryText);
    Value->SetSelStart(caret);
}

void TNumberEntry::ValueKeyPress(Control& sender, char& key) {
    if (sender.className() != "TEdit")
        return;
    const char typed = key;
    // The buffer decides what the edit shows; the edit itself inserts nothing.
    key = 0;
    if (!admits(typed))
        return;
    // Inserted at the caret; a selection stays in the buffer.
    const int at = std::min(Value->SelStart(), static_cast<int>(EntryText.size()));
    EntryText.insert(static_cast<size_t>(at), 1, typed);
    showBuffer(at + 1);
}

void TNumberEntry::ValueKeyDown(Control& sender, int& key) {
    if (sender.className() != "TEdit" || (key != platform::VK_DELETE && key != platform::VK_BACK))
        return;
    const bool back = key == platform::VK_BACK;
    // One character at most, whatever is selected.
    key = 0;
    const int caret = std::min(Value->SelStart(), static_cast<int>(EntryText.size()));
    if (back && caret > 0) {
        EntryText.erase(static_cast<size_t>(caret - 1), 1);
        showBuffer(caret - 1);
    } else if (!back && caret < static_cast<int>(EntryText.size())) {
        EntryText.erase(static_cast<size_t>(caret), 1);
        showBuffer(caret);
    }
}

void TNumberEntry::ValueChange(Control&) {
    // Pasting, cutting, dropping or undoing in the edit has no lasting effect.
    if (Value->text() != EntryText)
        Value->setText(EntryText);
}

void TNumberEntry::FormCloseQuery(Form&, bool& canClose) {
    // Cancel, Escape and the frame close without the check.
    if (modalResult() != platform::ModalResult::Ok)
        return;
    // A text that does not convert throws: the application shows the error
    // and the dialog stays open.
    Result = platform::StrToFloat(EntryText);
    IntResult = truncToInt32(Result);
    // Out of range: refused without a message, the hint line gives the range.
    canClose = MinValue <= Result && Result <= MaxValue;
}

void TNumberEntry::BitBtn2Click(Control&) {
    Result = (MinValue + MaxValue) * 0.5;
    IntResult = truncToInt32(Result);
    setModalResult(platform::ModalResult::Cancel);
}

bool enterNumberInto(platform::Form* owner, platform::StaticText& field, double minValue,
                     double maxValue, double& target, bool wholeNumber) {
    platform::DialogRef<TNumberEntry> entry(NumberEntry, owner);
    entry->MinValue = minValue;
    entry->MaxValue = maxValue;
    entry->IntegerOnly = false;
    entry->EntryText = field.text();
    if (entry->ShowModal() != platform::ModalResult::Ok)
        return false;
    field.setText(entry->Value->text());
    target = wholeNumber ? static_cast<double>(entry->IntResult) : entry->Result;
    return true;
}

}  // namespace forms
