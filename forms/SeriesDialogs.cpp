// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/SeriesDialogs.h"

namespace forms {

TSaveSeries::TSaveSeries(platform::Form* owner, const std::string& name)
    : Form(owner, "SaveSeries") {
    setCaption("Save series?");
    setBorderStyle(platform::BorderStyle::Dialog);
    setCentered(true);
    setClientSize(365, 92);
    StaticText1 = add<platform::StaticText>("StaticText1", "Save the changes to \"" + name + "\"?");
    StaticText1->setSunken(false);
    platform::Font bold;
    bold.bold = true;
    StaticText1->setFont(bold);
    StaticText1->setTextAlign(platform::TextAlign::Center);
    StaticText1->setBounds(8, 14, 349, 17);
    YesBtn = add<platform::Button>("YesBtn", platform::ButtonKind::Yes);
    YesBtn->setModalResult(platform::ModalResult::Yes);
    YesBtn->setDefault(true);
    YesBtn->setBounds(24, 52, 89, 29);
    NoBtn = add<platform::Button>("NoBtn", platform::ButtonKind::No);
    NoBtn->setModalResult(platform::ModalResult::No);
    NoBtn->setBounds(138, 52, 89, 29);
    CancelBtn = add<platform::Button>("CancelBtn", platform::ButtonKind::Cancel);
    CancelBtn->setModalResult(platform::ModalResult::Cancel);
    CancelBtn->setCancel(true);
    CancelBtn->setBounds(252, 52, 89, 29);
}

TColumnName::TColumnName(platform::Form* owner, const std::string& caption, const std::string& name)
    : Form(owner, "ColumnName") {
    setCaption(caption);
    setBorderStyle(platform::BorderStyle::Dialog);
    setCentered(true);
    setClientSize(300, 92);
    Label1 = add<platform::Label>("Label1", "Column header (a unit may follow in brackets):");
    Label1->setBounds(8, 8, 284, 15);
    NameEdit = add<platform::Edit>("NameEdit");
    NameEdit->setBounds(8, 28, 284, 21);
    NameEdit->setText(name);
    NameEdit->setTabStop(true);
    OkBtn = add<platform::Button>("OkBtn", platform::ButtonKind::Ok);
    OkBtn->setModalResult(platform::ModalResult::Ok);
    OkBtn->setDefault(true);
    OkBtn->setBounds(120, 58, 80, 27);
    CancelBtn = add<platform::Button>("CancelBtn", platform::ButtonKind::Cancel);
    CancelBtn->setModalResult(platform::ModalResult::Cancel);
    CancelBtn->setCancel(true);
    CancelBtn->setBounds(212, 58, 80, 27);
}

}  // namespace forms
