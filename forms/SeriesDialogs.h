// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "platform/Form.h"

namespace forms {

// The prompt before a series with unsaved changes goes: Yes saves, No
// discards, Cancel (or the frame) keeps the window.
class TSaveSeries : public platform::Form {
  public:
    TSaveSeries(platform::Form* owner, const std::string& name);
    std::string className() const override { return "TSaveSeries"; }

    platform::StaticText* StaticText1;
    platform::Button* YesBtn;
    platform::Button* NoBtn;
    platform::Button* CancelBtn;
};

// The name of a column to add or rename.
class TColumnName : public platform::Form {
  public:
    TColumnName(platform::Form* owner, const std::string& caption, const std::string& name);
    std::string className() const override { return "TColumnName"; }

    platform::Label* Label1;
    platform::Edit* NameEdit;
    platform::Button* OkBtn;
    platform::Button* CancelBtn;
};

}  // namespace forms
