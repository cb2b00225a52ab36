// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "forms/WidgetFields.h"
#include "model/Calculators.h"
#include "model/Quantities.h"
#include "platform/Form.h"

namespace forms {

// Sigma of steady-state electrophoresis and the electrophoretic mobility,
// one derived from the other through D and E: mobility = Sigma D / E. D is
// reached through the D, f, Rs calculator and E through the E field
// calculator; the caller hands in all related values and flags and takes
// them back after OK.
class TMuCalculator : public platform::Form, public model::MobilityValues {
  public:
    explicit TMuCalculator(platform::Form* owner);
    std::string className() const override { return "TMuCalculator"; }

    // The exchange fields (Mobility, Sigma, EField, the hydrodynamic
    // quantities and flags, the E group and the choice of Sigma or the
    // mobility) are those of model::MobilityValues.

    platform::GroupBox* GroupBox1;
    platform::Label* SigLbl;
    platform::StaticText* SigTxt;
    platform::Label* SigUnitLbl;
    platform::Label* MuLbl;
    platform::StaticText* MuTxt;
    platform::Label* MuUnitLbl;
    platform::GroupBox* GroupBox2;
    platform::Label* RsLbl;
    platform::StaticText* RsTxt;
    platform::Label* RsUnitLbl;
    platform::Label* VLbl;
    platform::StaticText* VTxt;
    platform::Label* VUnitLbl;
    platform::Label* TLbl;
    platform::StaticText* TTxt;
    platform::Label* TUnitLbl;
    platform::GroupBox* GroupBox3;
    platform::Label* CurrLbl;
    platform::StaticText* CurrTxt;
    platform::Label* CurrUnitLbl;
    platform::Label* CondLbl;
    platform::StaticText* CondTxt;
    platform::Label* CondUnitLbl;
    platform::Label* XLbl;
    platform::StaticText* XTxt;
    platform::Label* XUnitLbl;
    platform::Label* ELbl;
    platform::StaticText* ETxt;
    platform::Label* EUnitLbl;
    platform::Button* BitBtn1;  // Cancel
    platform::Button* BitBtn2;  // OK

    void FormShow(platform::Form& sender);
    void SigTxtClick(platform::Control& sender);
    void MuTxtClick(platform::Control& sender);
    void TTxtClick(platform::Control& sender);
    void RsTxtClick(platform::Control& sender);
    // Shared by ETxt, CurrTxt, CondTxt and XTxt; ETxt opens for direct entry.
    void CurrTxtClick(platform::Control& sender);
    void UpdateMobility();

    // The calculator's value fields as the model sees them.
    const model::ValueFields& fields() const { return m_fields; }

  private:
    // What the D, f, Rs calculator exchanges with this one.
    model::HydrodynamicRefs hydrodynamics();
    // The viscosity as entered, or water's at the temperature.
    void showViscosity();
    struct Row {
        const char* name;  // "Sig": SigLbl, SigTxt, SigUnitLbl
        model::Quantity quantity;
        platform::Color color;
        int left, top, labelWidth, fieldWidth;
    };
    platform::StaticText* addRow(platform::GroupBox* group, const Row& row, platform::Label*& label,
                                 platform::Label*& unitLabel);
    bool enterNumber(platform::StaticText& field, model::Quantity q, double& target);

    WidgetFields m_fields;
};

extern TMuCalculator* MuCalculator;

}  // namespace forms
