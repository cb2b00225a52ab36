// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Mucalc.h"

#include "forms/Dcalc.h"
#include "forms/DialogLayout.h"
#include "forms/Efield.h"
#include "forms/Enternumber.h"
#include "model/ValenceConversions.h"
#include "platform/base/NumberText.h"

namespace forms {

using platform::clLime;
using platform::clRed;
using platform::clYellow;
using platform::Control;
using platform::Form;
using platform::FormatFloat;
using platform::GroupBox;
using platform::Label;
using platform::StaticText;

TMuCalculator* MuCalculator = nullptr;

namespace {}  // namespace

TMuCalculator::TMuCalculator(Form* owner) : Form(owner, "MuCalculator") {
    setCaption("Mobility calculator");
    // 240 x 374 outside; a fixed dialog frame takes 3 pixels a side and the
    // caption 19.
    setClientSize(234, 349);
    setBorderStyle(platform::BorderStyle::Dialog);
    platform::Font bold = font();
    bold.bold = true;
    setFont(bold);  // the controls take it over

    // Field positions are relative to their group; each label ends 4 pixels
    // before its field. Sigma and the temperature get room for a general
    // number text of 15 digits.
    using model::Quantity;
    GroupBox1 = add<GroupBox>("GroupBox1", "Mobility or steady state");
    GroupBox1->setBounds(0, 0, clientWidth(), 88);
    SigTxt =
        addRow(GroupBox1, {"Sig", Quantity::Sigma, clLime, 52, 31, 48, 104}, SigLbl, SigUnitLbl);
    MuTxt = addRow(GroupBox1, {"Mu", Quantity::Mobility, clLime, 54, 60, 50, 96}, MuLbl, MuUnitLbl);

    GroupBox2 = add<GroupBox>("GroupBox2", "Used in conversions");
    GroupBox2->setBounds(0, 88, clientWidth(), 96);
    RsTxt =
        addRow(GroupBox2, {"Rs", Quantity::StokesRadius, clLime, 95, 20, 89, 80}, RsLbl, RsUnitLbl);
    VTxt = addRow(GroupBox2, {"V", Quantity::Viscosity, clLime, 95, 44, 89, 80}, VLbl, VUnitLbl);
    TTxt = addRow(GroupBox2, {"T", Quantity::Temperature, clLime, 95, 68, 89, 80}, TLbl, TUnitLbl);

    GroupBox3 = add<GroupBox>("GroupBox3", "Field");
    GroupBox3->setBounds(0, 184, clientWidth(), 112);
    CurrTxt = addRow(GroupBox3, {"Curr", Quantity::Current, clLime, 112, 14, 108, 64}, CurrLbl,
                     CurrUnitLbl);
    CondTxt = addRow(GroupBox3, {"Cond", Quantity::Conductivity, clLime, 112, 37, 108, 64}, CondLbl,
                     CondUnitLbl);
    XTxt = addRow(GroupBox3, {"X", Quantity::XSection, clLime, 112, 61, 108, 64}, XLbl, XUnitLbl);
    ETxt = addRow(GroupBox3, {"E", Quantity::EField, clYellow, 112, 84, 108, 64}, ELbl, EUnitLbl);

    const DialogButtons buttons = addCancelOk(*this, 22, 134, 316);
    BitBtn1 = buttons.cancel;
    BitBtn2 = buttons.ok;

    OnShow = [this](Form& f) { FormShow(f); };
    SigTxt->OnClick = [this](Control& c) { SigTxtClick(c); };
    MuTxt->OnClick = [this](Control& c) { MuTxtClick(c); };
    RsTxt->OnClick = [this](Control& c) { RsTxtClick(c); };
    // The viscosity is edited where D, f and Rs follow it.
    VTxt->OnClick = [this](Control& c) { RsTxtClick(c); };
    TTxt->OnClick = [this](Control& c) { TTxtClick(c); };
    for (StaticText* field : {CurrTxt, CondTxt, XTxt, ETxt})
        field->OnClick = [this](Control& c) { CurrTxtClick(c); };
}

StaticText* TMuCalculator::addRow(GroupBox* group, const Row& row, Label*& label,
                                  Label*& unitLabel) {
    const std::string name = row.name;
    const model::QuantityInfo& info = model::quantityInfo(row.quantity);
    label = addRowLabel(*group, name + "Lbl", info.windowCaption, row.left - 4 - row.labelWidth,
                        row.top, row.labelWidth);
    StaticText* field = addValueField(*group, name + "Txt", info.startText, row.left, row.top,
                                      row.fieldWidth, info.windowCaption, row.color);
    m_fields.bind(*info.field, field);

    unitLabel = group->add<Label>(name + "UnitLbl");
    unitLabel->setRuns(unitRunsOf(row.quantity));
    const int unitLeft = field->bounds().right() + 4;
    unitLabel->setBounds(unitLeft, row.top + 2, group->bounds().width - 2 - unitLeft,
                         kRowLabelHeight);
    return field;
}

void TMuCalculator::FormShow(Form&) {
    const model::FieldTexts field = model::fieldTextsOf({Conductivity, Current, XSection, EField});
    ETxt->setText(field.eField);
    CondTxt->setText(field.conductivity);
    CurrTxt->setText(field.current);
    XTxt->setText(field.xSection);
    TTxt->setText(platform::FloatToStr(Temperature));
    SigTxt->setText(platform::FloatToStr(Sigma));
    MuTxt->setText(FormatFloat(model::quantityInfo(model::Quantity::Mobility).pattern, Mobility));
    RsTxt->setText(platform::FloatToStr(StokesRadius));
    showViscosity();
    UpdateMobility();
}

void TMuCalculator::UpdateMobility() {
    const platform::Color inputs = ECalculated ? clLime : clRed;
    CurrTxt->setColor(inputs);
    CondTxt->setColor(inputs);
    XTxt->setColor(inputs);
    ETxt->setColor(ECalculated ? clYellow : clLime);
    RsTxt->setColor(StokesRadiusEntered ? clLime : clYellow);
    const model::MobilityTexts texts = model::updateMobility(*this);
    if (texts.sigma) {
        SigTxt->setText(*texts.sigma);
        SigTxt->setColor(clYellow);
        MuTxt->setColor(clLime);
    }
    if (texts.mobility) {
        MuTxt->setText(*texts.mobility);
        SigTxt->setColor(clLime);
        MuTxt->setColor(clYellow);
    }
}

bool TMuCalculator::enterNumber(StaticText& field, model::Quantity q, double& target) {
    const model::QuantityInfo& info = model::quantityInfo(q);
    return enterNumberInto(this, field, info.low, info.high, target);
}

void TMuCalculator::SigTxtClick(Control&) {
    double value = 0;
    if (!enterNumber(*SigTxt, model::Quantity::Sigma, value))
        return;
    model::enterMobilityValue(*this, model::Quantity::Sigma, value);
    UpdateMobility();
}

void TMuCalculator::MuTxtClick(Control&) {
    double value = 0;
    if (!enterNumber(*MuTxt, model::Quantity::Mobility, value))
        return;
    model::enterMobilityValue(*this, model::Quantity::Mobility, value);
    UpdateMobility();
}

void TMuCalculator::TTxtClick(Control&) {
    const double oldTemperature = Temperature;
    if (!enterNumber(*TTxt, model::Quantity::Temperature, Temperature))
        return;
    // The conversion uses D, which depends on the temperature.
    if (Temperature != oldTemperature) {
        if (const std::optional<std::string> rs = model::followTemperature(hydrodynamics()))
            RsTxt->setText(*rs);
        showViscosity();
    }
    UpdateMobility();
}

void TMuCalculator::showViscosity() {
    const char* pattern = model::quantityInfo(model::Quantity::Viscosity).pattern;
    VTxt->setText(SolventWater ? FormatFloat(pattern, Viscosity) : platform::FloatToStr(Viscosity));
    VTxt->setColor(SolventWater ? clYellow : clLime);
}

model::HydrodynamicRefs TMuCalculator::hydrodynamics() {
    return {Temperature,  Viscosity,        Friction,        Diffusion,
            StokesRadius, DiffusionEntered, FrictionEntered, StokesRadiusEntered,
            SolventWater, RelativeViscosity};
}

void TMuCalculator::RsTxtClick(Control&) {
    const std::optional<model::DfRsValues> v = runDfRsCalculator(this, *this);
    if (!v)
        return;
    RsTxt->setText(model::takeBackDfRs(hydrodynamics(), *v));
    showViscosity();
    UpdateMobility();
}

void TMuCalculator::CurrTxtClick(Control& sender) {
    if (exchangeFieldGroup(this, sender, {Current, Conductivity, XSection, EField, ECalculated},
                           m_fields))
        UpdateMobility();
}

}  // namespace forms
