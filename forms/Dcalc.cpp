#include "forms/Dcalc.h"

#include "forms/Enternumber.h"
#include "model/Electrostatics.h"
#include "platform/base/NumberText.h"

namespace forms {

using platform::clLime;
using platform::clYellow;
using platform::Control;
using platform::Form;
using platform::Label;
using platform::LabelRun;
using platform::StaticText;

TDCalculator* DCalculator = nullptr;

namespace {

constexpr int kRowHeight = 19;

}  // namespace

TDCalculator::TDCalculator(Form* owner) : Form(owner, "DCalculator") {
    setCaption("Determine or enter D, f, Rs");
    // 488 x 207 outside; a fixed dialog frame takes 3 pixels a side and the
    // caption 19.
    setClientSize(482, 182);
    setBorderStyle(platform::BorderStyle::Dialog);
    platform::Font bold = font();
    bold.bold = true;
    setFont(bold);  // the controls take it over

    // The first line reads "Diffusion coefficient: [D] (x10-7 cm-2/s) at
    // temperature: [T] oC." with the fields standing in it.
    DiffusionLbl = addLabel("DiffusionLbl", {{"Diffusion coefficient:"}}, 30, 13, 119, false);
    Dtxt = addField("Dtxt", "Diffusion coefficient", 153, 13, 64);
    DUnitLbl = addLabel("DUnitLbl",
                        {{"(x10"}, {"-7", true}, {" cm"}, {"-2", true}, {"/s) at temperature:"}},
                        221, 13, 160, false);
    Ttxt = addField("Ttxt", "Temperature", 384, 13, 48);
    TUnitLbl = addLabel("TUnitLbl", {{"o", true}, {"C."}}, 436, 13, 40, false);

    ViscosityLbl = addLabel("ViscosityLbl", {{"Viscosity: "}}, 100, 39, 124, true);
    Vtxt = addField("Vtxt", "Viscosity", 228, 39, 56);
    VUnitLbl = addLabel("VUnitLbl", {{"centipoise"}}, 288, 39, 80, false);

    FrictionLbl = addLabel("FrictionLbl", {{"Frictional coefficient: "}}, 60, 71, 160, true);
    Ftxt = addField("Ftxt", "Frictional coefficient", 224, 71, 64);
    FUnitLbl = addLabel("FUnitLbl", {{"(x10"}, {"-8", true}, {" g/s)"}}, 292, 71, 80, false);

    RsLbl = addLabel("RsLbl", {{"Rs:"}}, 60, 103, 160, true);
    Rtxt = addField("Rtxt", "Stokes radius", 224, 103, 64);
    RUnitLbl = addLabel("RUnitLbl", {{"nm"}}, 292, 103, 40, false);

    BitBtn1 = add<platform::Button>("BitBtn1", platform::ButtonKind::Cancel);
    BitBtn1->setBounds(134, 144, 75, 25);
    BitBtn2 = add<platform::Button>("BitBtn2", platform::ButtonKind::Ok);
    BitBtn2->setBounds(270, 144, 75, 25);

    OnShow = [this](Form& f) { FormShow(f); };
    Dtxt->OnClick = [this](Control& c) { DtxtClick(c); };
    Ttxt->OnClick = [this](Control& c) { TtxtClick(c); };
    Vtxt->OnClick = [this](Control& c) { VtxtClick(c); };
    Ftxt->OnClick = [this](Control& c) { FtxtClick(c); };
    Rtxt->OnClick = [this](Control& c) { RtxtClick(c); };
}

StaticText* TDCalculator::addField(const std::string& name, const std::string& accessibleName,
                                   int left, int top, int width) {
    StaticText* field = add<StaticText>(name);
    field->setColor(clLime);
    field->setBounds(left, top, width, kRowHeight);
    field->setAccessibleName(accessibleName);
    field->setTabStop(true);
    return field;
}

Label* TDCalculator::addLabel(const std::string& name, std::vector<LabelRun> runs, int left,
                              int top, int width, bool rightAligned) {
    Label* label = add<Label>(name);
    label->setRuns(std::move(runs));
    if (rightAligned)
        label->setTextAlign(platform::TextAlign::Right);
    label->setBounds(left, top + 2, width, kRowHeight - 4);
    return label;
}

void TDCalculator::FormShow(Form&) {
    Ttxt->setText(platform::FloatToStr(Temperature));
    Dtxt->setText(platform::FloatToStr(Diffusion));
    Ftxt->setText(platform::FloatToStr(Friction));
    Vtxt->setText(platform::FloatToStr(Viscosity));
    Rtxt->setText(platform::FloatToStr(StokesRadius));
    UpdateDfRs();
}

double TDCalculator::showDerived(StaticText& field, double value) {
    const std::string text = platform::FormatFloat("##.0##", value);
    field.setText(text);
    return platform::StrToFloat(text);
}

// Each relation is evaluated in cgs units first and then scaled into the
// display unit, in this order, so that its digits are reproducible.

void TDCalculator::CalcFrictionFromDiffusion() {
    Friction = model::calcFrictionFromDiffusion(Temperature, Diffusion, Boltzmann);
    Friction = showDerived(*Ftxt, Friction);
}

void TDCalculator::CalcStokesRadiusFromDiffusion() {
    StokesRadius =
        model::calcStokesRadiusFromDiffusion(Temperature, Viscosity, Diffusion, Boltzmann, Pi);
    StokesRadius = showDerived(*Rtxt, StokesRadius);
}

void TDCalculator::CalcFrictionFromStokesRadius() {
    Friction = model::calcFrictionFromStokesRadius(Viscosity, StokesRadius, Pi);
    Friction = showDerived(*Ftxt, Friction);
}

void TDCalculator::CalcDiffusionFromStokesRadius() {
    Diffusion =
        model::calcDiffusionFromStokesRadius(Temperature, Viscosity, StokesRadius, Boltzmann, Pi);
    Diffusion = showDerived(*Dtxt, Diffusion);
}

void TDCalculator::CalcStokesRadiusFromFriction() {
    StokesRadius = model::calcStokesRadiusFromFriction(Viscosity, Friction, Pi);
    StokesRadius = showDerived(*Rtxt, StokesRadius);
}

void TDCalculator::CalcDiffusionFromFriction() {
    Diffusion = model::calcDiffusionFromFriction(Temperature, Friction, Boltzmann);
    Diffusion = showDerived(*Dtxt, Diffusion);
}

void TDCalculator::UpdateDfRs() {
    if (DiffusionEntered) {
        CalcFrictionFromDiffusion();
        CalcStokesRadiusFromDiffusion();
        Dtxt->setColor(clLime);
        Rtxt->setColor(clYellow);
        Ftxt->setColor(clYellow);
    }
    if (StokesRadiusEntered) {
        CalcFrictionFromStokesRadius();
        CalcDiffusionFromStokesRadius();
        Dtxt->setColor(clYellow);
        Rtxt->setColor(clLime);
        Ftxt->setColor(clYellow);
    }
    if (FrictionEntered) {
        CalcStokesRadiusFromFriction();
        CalcDiffusionFromFriction();
        Dtxt->setColor(clYellow);
        Rtxt->setColor(clYellow);
        Ftxt->setColor(clLime);
    }
}

bool TDCalculator::enterNumber(StaticText& field, double minValue, double maxValue,
                               double& target) {
    return enterNumberInto(this, field, minValue, maxValue, target);
}

void TDCalculator::makeEntered(Quantity q, double value) {
    // Even a cancelled entry makes the clicked quantity the entered one, but
    // not one whose shown value rounded to zero: the others would follow
    // from a division by zero.
    if (!(value > 0))
        return;
    DiffusionEntered = q == Quantity::Diffusion;
    StokesRadiusEntered = q == Quantity::StokesRadius;
    FrictionEntered = q == Quantity::Friction;
}

void TDCalculator::DtxtClick(Control&) {
    enterNumber(*Dtxt, 0.001, 100, Diffusion);
    makeEntered(Quantity::Diffusion, Diffusion);
    UpdateDfRs();
}

void TDCalculator::TtxtClick(Control&) {
    enterNumber(*Ttxt, 0, 100, Temperature);
    UpdateDfRs();
}

void TDCalculator::VtxtClick(Control&) {
    enterNumber(*Vtxt, 0.001, 10, Viscosity);
    UpdateDfRs();
}

void TDCalculator::FtxtClick(Control&) {
    enterNumber(*Ftxt, 0.1, 1000, Friction);
    makeEntered(Quantity::Friction, Friction);
    UpdateDfRs();
}

void TDCalculator::RtxtClick(Control&) {
    enterNumber(*Rtxt, 0.1, 1000, StokesRadius);
    makeEntered(Quantity::StokesRadius, StokesRadius);
    UpdateDfRs();
}

namespace {

void copyIn(TDCalculator& calc, const Hydrodynamics& h) {
    calc.Temperature = h.Temperature;
    calc.Viscosity = h.Viscosity;
    calc.Friction = h.Friction;
    calc.Diffusion = h.Diffusion;
    calc.StokesRadius = h.StokesRadius;
    calc.DiffusionEntered = h.DiffusionEntered;
    calc.FrictionEntered = h.FrictionEntered;
    calc.StokesRadiusEntered = h.StokesRadiusEntered;
}

void showStokesRadius(Hydrodynamics& h, double stokesRadius) {
    h.RsTxt.setText(platform::FormatFloat("##0.0#", stokesRadius));
    h.StokesRadius = platform::StrToFloat(h.RsTxt.text());
}

}  // namespace

bool exchangeHydrodynamics(platform::Form* owner, Hydrodynamics h) {
    platform::DialogRef<TDCalculator> calc(DCalculator, owner);
    copyIn(*calc, h);
    if (calc->ShowModal() != platform::ModalResult::Ok)
        return false;
    h.Temperature = calc->Temperature;
    h.Viscosity = calc->Viscosity;
    h.Friction = calc->Friction;
    h.Diffusion = calc->Diffusion;
    showStokesRadius(h, calc->StokesRadius);
    h.DiffusionEntered = calc->DiffusionEntered;
    h.FrictionEntered = calc->FrictionEntered;
    h.StokesRadiusEntered = calc->StokesRadiusEntered;
    return true;
}

void followTemperature(platform::Form* owner, Hydrodynamics h) {
    platform::DialogRef<TDCalculator> calc(DCalculator, owner);
    copyIn(*calc, h);
    calc->UpdateDfRs();
    h.Friction = calc->Friction;
    h.Diffusion = calc->Diffusion;
    const double shown = platform::StrToFloat(platform::FormatFloat("##0.0#", calc->StokesRadius));
    if (shown != h.StokesRadius)
        showStokesRadius(h, calc->StokesRadius);
}

}  // namespace forms
