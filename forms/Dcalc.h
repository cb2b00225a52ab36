#pragma once

#include <string>
#include <vector>

#include "platform/Form.h"

namespace forms {

// Keeps the diffusion coefficient D, the frictional coefficient f and the
// Stokes radius Rs consistent: the user enters one of them, the other two
// follow from the Einstein relation and Stokes' law at the temperature and
// viscosity shown. Derived values are kept as rounded as they are shown.
class TDCalculator : public platform::Form {
  public:
    explicit TDCalculator(platform::Form* owner);
    std::string className() const override { return "TDCalculator"; }

    // Exchange fields, in display units.
    double Diffusion = 0;     // 1e-7 cm^2/s
    double Viscosity = 0;     // centipoise
    double StokesRadius = 0;  // nm
    double Friction = 0;      // 1e-8 g/s
    double Temperature = 0;   // degrees Celsius
    bool DiffusionEntered = false;
    bool StokesRadiusEntered = true;
    bool FrictionEntered = false;
    double Pi = 3.14159265;
    double Boltzmann = 1.38054e-16;  // erg/K

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
    void CalcFrictionFromDiffusion();
    void CalcStokesRadiusFromDiffusion();
    void CalcFrictionFromStokesRadius();
    void CalcDiffusionFromStokesRadius();
    void CalcStokesRadiusFromFriction();
    void CalcDiffusionFromFriction();

  private:
    enum class Quantity { Diffusion, StokesRadius, Friction };
    platform::StaticText* addField(const std::string& name, const std::string& accessibleName,
                                   int left, int top, int width);
    platform::Label* addLabel(const std::string& name, std::vector<platform::LabelRun> runs,
                              int left, int top, int width, bool rightAligned);
    // Shows value in field with three decimals and returns the value shown.
    double showDerived(platform::StaticText& field, double value);
    bool enterNumber(platform::StaticText& field, double minValue, double maxValue, double& target);
    void makeEntered(Quantity q, double value);
};

extern TDCalculator* DCalculator;

// What a window hands the calculator and takes back: the five quantities,
// the three entered flags and the window's Stokes radius field.
struct Hydrodynamics {
    double& Temperature;
    double& Viscosity;
    double& Friction;
    double& Diffusion;
    double& StokesRadius;
    bool& DiffusionEntered;
    bool& FrictionEntered;
    bool& StokesRadiusEntered;
    platform::StaticText& RsTxt;
};

// Opens the calculator over owner with the window's values. On OK the window
// takes them back, RsTxt shows the Stokes radius with two decimals at most
// and the radius is kept as shown; then it returns true. Cancel changes
// nothing.
bool exchangeHydrodynamics(platform::Form* owner, Hydrodynamics h);

// Brings the window's D, f and Rs to its new temperature by the calculator's
// own rule, without showing it: the entered quantity keeps its value and the
// other two follow, as rounded as the calculator shows them. RsTxt is
// rewritten, as after the calculator, only when the Stokes radius changed.
// Call it whenever the temperature changed elsewhere than in the calculator.
void followTemperature(platform::Form* owner, Hydrodynamics h);

}  // namespace forms
