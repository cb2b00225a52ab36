// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "model/Calculators.h"
#include "platform/Form.h"

namespace forms {

// The solvent: the viscosity and dielectric constant as entered, or those of
// water at the temperature of the measurement (the viscosity times the
// buffer's relative viscosity). It shows the values the choice gives before
// OK; typing a viscosity or dielectric constant returns to entered values.
class TSolventDialog : public platform::Form, public model::SolventValues {
  public:
    explicit TSolventDialog(platform::Form* owner);
    std::string className() const override { return "TSolventDialog"; }

    platform::Label* ChoiceLbl;
    platform::StaticText* ChoiceTxt;
    platform::Label* VLbl;
    platform::StaticText* VTxt;
    platform::Label* VUnitLbl;
    platform::Label* DLbl;
    platform::StaticText* DTxt;
    platform::Label* RLbl;
    platform::StaticText* RTxt;
    platform::Label* RUnitLbl;
    platform::Label* TLbl;
    platform::Button* BitBtn1;  // Cancel
    platform::Button* BitBtn2;  // OK

    void FormShow(platform::Form& sender);
    // Click, Space or Enter switches between entered values and water.
    void ChoiceTxtClick(platform::Control& sender);
    void VTxtClick(platform::Control& sender);
    void DTxtClick(platform::Control& sender);
    void RTxtClick(platform::Control& sender);
    void UpdateSolvent();

  private:
    // A typed viscosity or dielectric constant: the solvent's entered values
    // from now on.
    void enterOwnValue(platform::StaticText& field, model::Quantity q, double& target);
    platform::StaticText* addRow(const std::string& name, model::Quantity q, const char* unit,
                                 int top, platform::Label*& label, platform::Label** unitLabel);
};

extern TSolventDialog* SolventDialog;

}  // namespace forms
