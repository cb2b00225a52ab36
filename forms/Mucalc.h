#pragma once

#include <string>
#include <vector>

#include "platform/Form.h"

namespace forms {

struct Hydrodynamics;

// Sigma of steady-state electrophoresis and the electrophoretic mobility,
// one derived from the other through D and E: mobility = Sigma D / E. D is
// reached through the D, f, Rs calculator and E through the E field
// calculator; the caller hands in all related values and flags and takes
// them back after OK.
class TMuCalculator : public platform::Form {
  public:
    explicit TMuCalculator(platform::Form* owner);
    std::string className() const override { return "TMuCalculator"; }

    // Exchange fields, in display units.
    double Mobility = 0;      // 1e-4 cm^2/(V s)
    double Sigma = 0;         // 1/cm
    double EField = 0;        // V/cm
    double Diffusion = 0;     // 1e-7 cm^2/s
    double Viscosity = 0;     // centipoise
    double StokesRadius = 0;  // nm
    double Friction = 0;      // 1e-8 g/s
    double Temperature = 0;   // degrees Celsius
    bool DiffusionEntered = false;
    bool StokesRadiusEntered = false;
    bool FrictionEntered = false;
    double Conductivity = 0;  // mS/cm
    double Current = 0;       // mA
    double XSection = 0;      // cm^2
    bool ECalculated = false;
    bool SigmaFromMobility = false;
    bool MobilityFromSigma = true;
    // Set by an entry of Sigma (false) or of the mobility (true); read only
    // by the caller.
    bool SigmaCalculated = false;

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
    void CalcMobilityFromSigma();
    void CalcSigmaFromMobility();

  private:
    // What the D, f, Rs calculator exchanges with this one.
    Hydrodynamics hydrodynamics();
    struct Row {
        const char* name;  // "Sig": SigLbl, SigTxt, SigUnitLbl
        const char* caption;
        std::vector<platform::LabelRun> unit;
        const char* text;
        platform::Color color;
        int left, top, labelWidth, fieldWidth;
    };
    platform::StaticText* addRow(platform::GroupBox* group, const Row& row, platform::Label*& label,
                                 platform::Label*& unitLabel);
    bool enterNumber(platform::StaticText& field, double minValue, double maxValue, double& target);
};

extern TMuCalculator* MuCalculator;

}  // namespace forms
