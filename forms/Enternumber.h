// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <string>

#include "model/Sampling.h"
#include "platform/Form.h"

namespace forms {

// The one dialog through which every number is typed. The caller sets the
// range and the text to start from; the dialog keeps its own copy of the
// text (EntryText), admits only characters that keep it a plausible decimal
// number, and closes on OK only when the text converts to a value inside the
// range. The edit control only displays that copy.
class TNumberEntry : public platform::Form {
  public:
    explicit TNumberEntry(platform::Form* owner);
    std::string className() const override { return "TNumberEntry"; }

    // Exchange fields.
    double MaxValue = 9999.0;
    double MinValue = -9999.0;
    std::string EntryText;
    double Result = 0;
    std::int32_t IntResult = 0;
    bool IntegerOnly = false;

    platform::StaticText* HintTxt;
    platform::StaticText* IntOnlyTxt;
    platform::Edit* Value;
    platform::Button* BitBtn2;  // Cancel
    platform::Button* BitBtn1;  // OK

    void FormShow(platform::Form& sender);
    void ValueKeyPress(platform::Control& sender, char& key);
    void ValueKeyDown(platform::Control& sender, int& key);
    void ValueChange(platform::Control& sender);
    void FormCloseQuery(platform::Form& sender, bool& canClose);
    void BitBtn2Click(platform::Control& sender);

  private:
    // Whether the filter admits key at the end of, or anywhere in, EntryText.
    bool admits(char key) const;
    void showBuffer(int caret);
};

extern TNumberEntry* NumberEntry;

// Lets the user type a value for field through the dialog: on OK the field
// shows the text as typed and target holds the value, truncated toward zero
// for a whole number. False on Cancel.
bool enterNumberInto(platform::Form* owner, platform::StaticText& field, double minValue,
                     double maxValue, double& target, bool wholeNumber = false);

using model::truncToInt32;

}  // namespace forms
