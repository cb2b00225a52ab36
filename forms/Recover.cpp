// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Recover.h"

#include <cstdio>
#include <ctime>

#include "platform/base/NumberText.h"

namespace forms {

TRecoverLog* RecoverLog = nullptr;
TDeleteLog* DeleteLog = nullptr;

namespace {

platform::StaticText* addText(platform::Form& form, const std::string& text, int width) {
    auto* t = form.add<platform::StaticText>("StaticText1", text);
    t->setSunken(false);
    t->setTextAlign(platform::TextAlign::Center);
    t->setBounds(8, 16, width - 16, 17);
    t->setTabStop(false);
    return t;
}

}  // namespace

TRecoverLog::TRecoverLog(platform::Form* owner, const std::string& question,
                         const std::string& caption)
    : Form(owner, "RecoverLog") {
    setCaption(caption);
    setBorderStyle(platform::BorderStyle::NoIcons);
    setCentered(true);
    // Room for the longest question the counts and the date make.
    const int width = 660;
    setClientSize(width, 90);
    StaticText1 = addText(*this, question, width);
    BitBtn2 = add<platform::Button>("BitBtn2", platform::ButtonKind::No);
    BitBtn2->setBounds(width / 2 - 120, 50, 89, 29);
    BitBtn1 = add<platform::Button>("BitBtn1", platform::ButtonKind::Yes);
    BitBtn1->setBounds(width / 2 + 31, 50, 89, 29);
}

TDeleteLog::TDeleteLog(platform::Form* owner, const std::string& caption, const std::string& text)
    : Form(owner, "DeleteLog") {
    setCaption(caption);
    setBorderStyle(platform::BorderStyle::NoIcons);
    setCentered(true);
    const int width = 300;
    setClientSize(width, 90);
    StaticText1 = addText(*this, text, width);
    BitBtn2 = add<platform::Button>("BitBtn2", platform::ButtonKind::Cancel);
    BitBtn2->setBounds(width / 2 - 120, 50, 89, 29);
    BitBtn1 = add<platform::Button>("BitBtn1", platform::ButtonKind::Ok);
    BitBtn1->setBounds(width / 2 + 31, 50, 89, 29);
}

namespace {

// "last changed 12.03.2025 14:07", in the program's date format.
std::string lastChangedText(std::time_t lastChanged) {
    std::tm local{};
    localtime_r(&lastChanged, &local);
    const platform::DateTime when{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                  local.tm_hour,        local.tm_min,     local.tm_sec};
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d", when.hour, when.minute);
    return "last changed " + platform::DateToStr(when) + " " + time;
}

}  // namespace

std::string recoveryQuestion(int entries, std::time_t lastChanged) {
    return "A calculation log that was not saved was found (" + std::to_string(entries) +
           (entries == 1 ? " entry, " : " entries, ") + lastChangedText(lastChanged) +
           "). Recover it?";
}

std::string seriesRecoveryQuestion(const std::string& name, std::size_t rows,
                                   std::time_t lastChanged) {
    return "A series that was not saved was found (" + name + ", " + std::to_string(rows) +
           (rows == 1 ? " row, " : " rows, ") + lastChangedText(lastChanged) + "). Recover it?";
}

}  // namespace forms
