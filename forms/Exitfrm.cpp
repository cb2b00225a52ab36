// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Exitfrm.h"

namespace forms {

TSaveLog* SaveLog = nullptr;

TSaveLog::TSaveLog(platform::Form* owner) : Form(owner, "SaveLog") {
    setCaption("Save log?");
    setBorderStyle(platform::BorderStyle::NoIcons);
    setCentered(true);
    // 373 x 138 outside.
    setClientSize(365, 111);

    StaticText1 = add<platform::StaticText>(
        "StaticText1", "There are data in the log file which have not been saved");
    StaticText1->setSunken(false);
    platform::Font heading;
    heading.bold = true;
    heading.underline = true;
    StaticText1->setFont(heading);
    StaticText1->setTextAlign(platform::TextAlign::Center);
    StaticText1->setBounds(8, 10, 349, 17);
    StaticText1->setTabStop(false);

    StaticText2 = add<platform::StaticText>("StaticText2", "Save Log File?");
    StaticText2->setSunken(false);
    platform::Font question;
    question.name = "Times New Roman";
    question.size = 12;
    question.bold = true;
    StaticText2->setFont(question);
    StaticText2->setTextAlign(platform::TextAlign::Center);
    StaticText2->setBounds(8, 36, 349, 24);
    StaticText2->setTabStop(false);

    BitBtn2 = add<platform::Button>("BitBtn2", platform::ButtonKind::No);
    BitBtn2->setBounds(64, 72, 89, 29);
    BitBtn1 = add<platform::Button>("BitBtn1", platform::ButtonKind::Yes);
    BitBtn1->setBounds(212, 72, 89, 29);
}

}  // namespace forms
