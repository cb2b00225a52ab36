#pragma once

#include <string>

#include "platform/Form.h"

namespace forms {

// The field strength E across the cuvette: computed from the current, the
// conductivity of the solution and the cross-section, or entered directly.
// The caller hands in the four values (and clears ECalculated for direct
// entry) and after OK takes back E and, in calculate mode, the three inputs
// with their captions.
class TEFieldCalculator : public platform::Form {
  public:
    explicit TEFieldCalculator(platform::Form* owner);
    std::string className() const override { return "TEFieldCalculator"; }

    // Exchange fields.
    double Conductance = 0;  // mS/cm
    double Current = 0;      // mA
    double XSection = 0;     // cm^2
    double EField = 0;       // V/cm
    bool ECalculated = true;

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
    // True when the user accepted a value in [minValue, maxValue]; the field
    // then shows the text as typed and target holds the value.
    bool enterNumber(platform::StaticText& field, double minValue, double maxValue, double& target);
};

extern TEFieldCalculator* EFieldCalculator;

// A window's "Field" group as the E field calculator exchanges it: the four
// quantities, the mode and the four value fields.
struct FieldGroup {
    double& Current;
    double& Conductivity;
    double& XSection;
    double& EField;
    bool& ECalculated;
    platform::StaticText& CurrTxt;
    platform::StaticText& CondTxt;
    platform::StaticText& XTxt;
    platform::StaticText& ETxt;
};

// Opens the calculator from a field of the group, over owner: the E field
// itself for direct entry, the other three in calculate mode whatever the
// mode was. On OK the group takes back E with its caption and, in calculate
// mode, the three inputs with theirs; then it returns true. Cancel changes
// nothing.
bool exchangeFieldGroup(platform::Form* owner, const platform::Control& sender, FieldGroup group);

}  // namespace forms
