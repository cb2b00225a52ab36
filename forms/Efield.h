// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "model/Calculators.h"
#include "model/Sample.h"
#include "platform/Form.h"

namespace forms {

// The field strength E across the cuvette: computed from the current, the
// conductivity of the solution and the cross-section, or entered directly.
// The caller hands in the four values (and clears ECalculated for direct
// entry) and after OK takes back E and, in calculate mode, the three inputs
// with their captions.
class TEFieldCalculator : public platform::Form, public model::FieldValues {
  public:
    explicit TEFieldCalculator(platform::Form* owner);
    std::string className() const override { return "TEFieldCalculator"; }

    // The exchange fields (Conductance, Current, XSection, EField,
    // ECalculated) are those of model::FieldValues.

    platform::Label* CurrLbl;
    platform::StaticText* CurrTxt;
    platform::Label* CurrUnitLbl;
    platform::Label* CondLbl;
    platform::StaticText* CondTxt;
    platform::Label* CondUnitLbl;
    platform::Label* XLbl;
    platform::StaticText* XTxt;
    platform::Label* XUnitLbl;
    platform::GroupBox* GroupBox1;
    platform::Label* CalcEnterTxt;
    platform::StaticText* ETxt;
    platform::Label* EUnitLbl;
    platform::Button* BitBtn1;  // Cancel
    platform::Button* BitBtn2;  // OK

    void FormShow(platform::Form& sender);
    void FormClose(platform::Form& sender, platform::CloseAction& action);
    void CurrTxtClick(platform::Control& sender);
    void CondTxtClick(platform::Control& sender);
    void XTxtClick(platform::Control& sender);
    void ETxtClick(platform::Control& sender);
    void UpdateE();
    double ComputeE(double current, double conductance, double xSection) const;

  private:
    platform::StaticText* addRow(platform::Control* parent, const std::string& name,
                                 const std::string& labelName, const std::string& caption,
                                 const std::string& unit, const std::string& text, int left,
                                 int top, platform::Label*& label, platform::Label*& unitLabel);
    // True when the user accepted a value for q; the field then shows the
    // text as typed, and E follows.
    bool enterNumber(platform::StaticText& field, model::Quantity q);
};

extern TEFieldCalculator* EFieldCalculator;

// Opens the calculator from a field of a window's "Field" group, over owner:
// the E field itself for direct entry, the other three in calculate mode
// whatever the mode was. On OK the group takes back E with its text and, in
// calculate mode, the three inputs with theirs; then it returns true. Cancel
// changes nothing.
bool exchangeFieldGroup(platform::Form* owner, const platform::Control& sender,
                        model::FieldRefs group, model::ValueFields& fields);

}  // namespace forms
