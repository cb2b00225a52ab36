// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "platform/Form.h"

namespace forms {

// The prompt at exit when the log holds entries that were not saved.
class TSaveLog : public platform::Form {
  public:
    explicit TSaveLog(platform::Form* owner);
    std::string className() const override { return "TSaveLog"; }

    platform::StaticText* StaticText1;
    platform::StaticText* StaticText2;
    platform::Button* BitBtn1;  // Yes
    platform::Button* BitBtn2;  // No
};

extern TSaveLog* SaveLog;

}  // namespace forms
