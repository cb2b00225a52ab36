// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/Calculators.h"
#include "platform/Form.h"

namespace forms {

// Keeps the diffusion coefficient D, the frictional coefficient f and the
// Stokes radius Rs consistent: the user enters one of them, the other two
// follow from the Einstein relation and Stokes' law at the temperature and
// viscosity shown. Derived values are kept as rounded as they are shown.
class TDCalculator : public platform::Form, public model::DfRsValues {
  public:
    explicit TDCalculator(platform::Form* owner);
    std::string className() const override { return "TDCalculator"; }

    // The exchange fields (Diffusion, Viscosity, StokesRadius, Friction,
    // Temperature, the entered flags) are those of model::DfRsValues.

    platform::Label* DiffusionLbl;
    platform::StaticText* Dtxt;
    platform::Label* DUnitLbl;
    platform::StaticText* Ttxt;
    platform::Label* TUnitLbl;
    platform::Label* ViscosityLbl;
    platform::StaticText* Vtxt;
    platform::Label* VUnitLbl;
    platform::Label* FrictionLbl;
    platform::StaticText* Ftxt;
    platform::Label* FUnitLbl;
    platform::Label* RsLbl;
    platform::StaticText* Rtxt;
    platform::Label* RUnitLbl;
    platform::Button* BitBtn1;  // Cancel
    platform::Button* BitBtn2;  // OK

    void FormShow(platform::Form& sender);
    void DtxtClick(platform::Control& sender);
    void TtxtClick(platform::Control& sender);
    void VtxtClick(platform::Control& sender);
    void FtxtClick(platform::Control& sender);
    void RtxtClick(platform::Control& sender);
    void UpdateDfRs();

  private:
    platform::StaticText* addField(const std::string& name, const std::string& accessibleName,
                                   int left, int top, int width);
    platform::Label* addLabel(const std::string& name, std::vector<platform::LabelRun> runs,
                              int left, int top, int width, bool rightAligned);
    bool enterNumber(platform::StaticText& field, model::Quantity q, double& target);
    // A click on D, f or Rs makes it the entered quantity, even when the
    // entry is cancelled.
    void enterHydrodynamic(platform::StaticText& field, model::Hydrodynamic q, double& target);
};

extern TDCalculator* DCalculator;

// Opens the calculator over owner with a window's values; after OK, the
// values to take back with model::takeBackDfRs. Cancel gives none.
std::optional<model::DfRsValues> runDfRsCalculator(platform::Form* owner,
                                                   const model::DfRsValues& values);

}  // namespace forms
