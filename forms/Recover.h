// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <ctime>
#include <string>

#include "platform/Form.h"

namespace forms {

// The question at start-up when a program that ended without saving left
// its log (or a series) behind: Yes recovers it, No asks TDeleteLog.
class TRecoverLog : public platform::Form {
  public:
    TRecoverLog(platform::Form* owner, const std::string& question,
                const std::string& caption = "Recover log?");
    std::string className() const override { return "TRecoverLog"; }

    platform::StaticText* StaticText1;
    platform::Button* BitBtn1;  // Yes
    platform::Button* BitBtn2;  // No
};

// The confirmation before a log left behind is deleted: OK deletes it,
// Cancel keeps it for the next start.
class TDeleteLog : public platform::Form {
  public:
    explicit TDeleteLog(platform::Form* owner, const std::string& caption = "Delete log?",
                        const std::string& text = "The log will be deleted.");
    std::string className() const override { return "TDeleteLog"; }

    platform::StaticText* StaticText1;
    platform::Button* BitBtn1;  // OK
    platform::Button* BitBtn2;  // Cancel
};

extern TRecoverLog* RecoverLog;
extern TDeleteLog* DeleteLog;

// The question for a log of this many entries, last written at that time.
std::string recoveryQuestion(int entries, std::time_t lastChanged);
// The same for a series: its file's name ("Untitled" for none) and rows.
std::string seriesRecoveryQuestion(const std::string& name, std::size_t rows,
                                   std::time_t lastChanged);

}  // namespace forms
