// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Dcalc.h"

#include "forms/DialogLayout.h"
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

namespace {}  // namespace

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
                        {{"(x10"}, {"-7", true}, {" cm"}, {"2", true}, {"/s) at temperature:"}},
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

    const DialogButtons buttons = addCancelOk(*this, 134, 270, 144);
    BitBtn1 = buttons.cancel;
    BitBtn2 = buttons.ok;

    OnShow = [this](Form& f) { FormShow(f); };
    Dtxt->OnClick = [this](Control& c) { DtxtClick(c); };
    Ttxt->OnClick = [this](Control& c) { TtxtClick(c); };
    Vtxt->OnClick = [this](Control& c) { VtxtClick(c); };
    Ftxt->OnClick = [this](Control& c) { FtxtClick(c); };
    Rtxt->OnClick = [this](Control& c) { RtxtClick(c); };
}

StaticText* TDCalculator::addField(const std::string& name, const std::string& accessibleName,
                                   int left, int top, int width) {
    return addValueField(*this, name, "", left, top, width, accessibleName);
}

Label* TDCalculator::addLabel(const std::string& name, std::vector<LabelRun> runs, int left,
                              int top, int width, bool rightAligned) {
    Label* label = add<Label>(name);
    label->setRuns(std::move(runs));
    if (rightAligned)
        label->setTextAlign(platform::TextAlign::Right);
    label->setBounds(left, top + 2, width, kRowLabelHeight);
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

void TDCalculator::UpdateDfRs() {
    const model::DfRsTexts texts = model::updateDfRs(*this);
    const std::pair<StaticText*, const std::optional<std::string>*> shown[] = {
        {Dtxt, &texts.diffusion},
        {Ftxt, &texts.friction},
        {Rtxt, &texts.stokesRadius},
        {Vtxt, &texts.viscosity}};
    for (const auto& [field, text] : shown)
        if (*text)
            field->setText(**text);
    const std::optional<model::Hydrodynamic> entered =
        model::enteredHydrodynamic(DiffusionEntered, StokesRadiusEntered, FrictionEntered);
    Vtxt->setColor(SolventWater ? clYellow : clLime);
    if (!entered)
        return;
    Dtxt->setColor(entered == model::Hydrodynamic::Diffusion ? clLime : clYellow);
    Rtxt->setColor(entered == model::Hydrodynamic::StokesRadius ? clLime : clYellow);
    Ftxt->setColor(entered == model::Hydrodynamic::Friction ? clLime : clYellow);
}

bool TDCalculator::enterNumber(StaticText& field, model::Quantity q, double& target) {
    const model::QuantityInfo& info = model::quantityInfo(q);
    return enterNumberInto(this, field, info.low, info.high, target);
}

void TDCalculator::enterHydrodynamic(StaticText& field, model::Hydrodynamic q, double& target) {
    const model::Quantity quantity =
        q == model::Hydrodynamic::Diffusion  ? model::Quantity::Diffusion
        : q == model::Hydrodynamic::Friction ? model::Quantity::Friction
                                             : model::Quantity::StokesRadius;
    enterNumber(field, quantity, target);
    model::makeEntered(*this, q);
    UpdateDfRs();
}

void TDCalculator::DtxtClick(Control&) {
    enterHydrodynamic(*Dtxt, model::Hydrodynamic::Diffusion, Diffusion);
}

void TDCalculator::TtxtClick(Control&) {
    enterNumber(*Ttxt, model::Quantity::Temperature, Temperature);
    UpdateDfRs();
}

void TDCalculator::VtxtClick(Control&) {
    // A typed viscosity is the solvent's from now on, whatever the temperature.
    if (enterNumber(*Vtxt, model::Quantity::Viscosity, Viscosity))
        SolventWater = false;
    UpdateDfRs();
}

void TDCalculator::FtxtClick(Control&) {
    enterHydrodynamic(*Ftxt, model::Hydrodynamic::Friction, Friction);
}

void TDCalculator::RtxtClick(Control&) {
    enterHydrodynamic(*Rtxt, model::Hydrodynamic::StokesRadius, StokesRadius);
}

std::optional<model::DfRsValues> runDfRsCalculator(platform::Form* owner,
                                                   const model::DfRsValues& values) {
    platform::DialogRef<TDCalculator> calc(DCalculator, owner);
    static_cast<model::DfRsValues&>(*calc) = values;
    if (calc->ShowModal() != platform::ModalResult::Ok)
        return std::nullopt;
    return static_cast<const model::DfRsValues&>(*calc);
}

}  // namespace forms
