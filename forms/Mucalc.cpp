#include "forms/Mucalc.h"

#include "forms/Dcalc.h"
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

namespace {

constexpr int kRowHeight = 19;
constexpr const char* kMobilityPattern = "##0.0##";

}  // namespace

TMuCalculator::TMuCalculator(Form* owner) : Form(owner, "MuCalculator") {
    setCaption("Mobility calculator");
    // 240 x 366 outside; a fixed dialog frame takes 3 pixels a side and the
    // caption 19.
    setClientSize(234, 341);
    setBorderStyle(platform::BorderStyle::Dialog);
    platform::Font bold = font();
    bold.bold = true;
    setFont(bold);  // the controls take it over

    // Field positions are relative to their group; each label ends 4 pixels
    // before its field. Sigma and the temperature get room for a general
    // number text of 15 digits.
    const std::vector<platform::LabelRun> perCm = {{"cm"}, {"-1", true}};
    const std::vector<platform::LabelRun> mobilityUnit = {
        {"x10"}, {"-4", true}, {" cm"}, {"-2", true}, {"/V-s"}};
    const std::vector<platform::LabelRun> degrees = {{"o", true}, {"C"}};
    const std::vector<platform::LabelRun> squareCm = {{"cm"}, {"2", true}};

    GroupBox1 = add<GroupBox>("GroupBox1", "Mobility or steady state");
    GroupBox1->setBounds(0, 0, clientWidth(), 88);
    SigTxt = addRow(GroupBox1, {"Sig", "Sigma", perCm, "22.00", clLime, 52, 31, 48, 104}, SigLbl,
                    SigUnitLbl);
    MuTxt = addRow(GroupBox1, {"Mu", "Mobility", mobilityUnit, "1.20", clLime, 54, 60, 50, 96},
                   MuLbl, MuUnitLbl);

    GroupBox2 = add<GroupBox>("GroupBox2", "Used in conversions");
    GroupBox2->setBounds(0, 88, clientWidth(), 88);
    RsTxt = addRow(GroupBox2, {"Rs", "Stokes radius", {{"nm"}}, "2.90", clLime, 95, 22, 89, 80},
                   RsLbl, RsUnitLbl);
    TTxt = addRow(GroupBox2, {"T", "Temperature", degrees, "20.0", clLime, 95, 54, 89, 80}, TLbl,
                  TUnitLbl);

    GroupBox3 = add<GroupBox>("GroupBox3", "Field");
    GroupBox3->setBounds(0, 176, clientWidth(), 112);
    CurrTxt = addRow(GroupBox3, {"Curr", "Current", {{"mA"}}, "0.18", clLime, 112, 14, 108, 64},
                     CurrLbl, CurrUnitLbl);
    CondTxt =
        addRow(GroupBox3, {"Cond", "Conductivity", {{"mS/cm"}}, "19.2", clLime, 112, 37, 108, 64},
               CondLbl, CondUnitLbl);
    XTxt = addRow(GroupBox3, {"X", "Cuvette x-section", squareCm, "0.04", clLime, 112, 61, 108, 64},
                  XLbl, XUnitLbl);
    ETxt = addRow(GroupBox3, {"E", "E", {{"V/cm"}}, "0.123", clYellow, 112, 84, 108, 64}, ELbl,
                  EUnitLbl);

    BitBtn1 = add<platform::Button>("BitBtn1", platform::ButtonKind::Cancel);
    BitBtn1->setBounds(22, 308, 75, 25);
    BitBtn2 = add<platform::Button>("BitBtn2", platform::ButtonKind::Ok);
    BitBtn2->setBounds(134, 308, 75, 25);

    OnShow = [this](Form& f) { FormShow(f); };
    SigTxt->OnClick = [this](Control& c) { SigTxtClick(c); };
    MuTxt->OnClick = [this](Control& c) { MuTxtClick(c); };
    RsTxt->OnClick = [this](Control& c) { RsTxtClick(c); };
    TTxt->OnClick = [this](Control& c) { TTxtClick(c); };
    for (StaticText* field : {CurrTxt, CondTxt, XTxt, ETxt})
        field->OnClick = [this](Control& c) { CurrTxtClick(c); };
}

StaticText* TMuCalculator::addRow(GroupBox* group, const Row& row, Label*& label,
                                  Label*& unitLabel) {
    const std::string name = row.name;
    label = group->add<Label>(name + "Lbl", row.caption);
    label->setTextAlign(platform::TextAlign::Right);
    label->setBounds(row.left - 4 - row.labelWidth, row.top + 2, row.labelWidth, kRowHeight - 4);

    StaticText* field = group->add<StaticText>(name + "Txt", row.text);
    field->setColor(row.color);
    field->setBounds(row.left, row.top, row.fieldWidth, kRowHeight);
    field->setAccessibleName(row.caption);
    field->setTabStop(true);

    unitLabel = group->add<Label>(name + "UnitLbl");
    unitLabel->setRuns(row.unit);
    const int unitLeft = field->bounds().right() + 4;
    unitLabel->setBounds(unitLeft, row.top + 2, group->bounds().width - 2 - unitLeft,
                         kRowHeight - 4);
    return field;
}

void TMuCalculator::FormShow(Form&) {
    ETxt->setText(FormatFloat("#0.00#", EField));
    CondTxt->setText(FormatFloat("#0.00", Conductivity));
    CurrTxt->setText(FormatFloat("##0.00#", Current));
    XTxt->setText(FormatFloat("0.0#", XSection));
    TTxt->setText(platform::FloatToStr(Temperature));
    SigTxt->setText(platform::FloatToStr(Sigma));
    MuTxt->setText(FormatFloat(kMobilityPattern, Mobility));
    RsTxt->setText(platform::FloatToStr(StokesRadius));
    UpdateMobility();
}

// Both relations keep the value as rounded as it is shown.

void TMuCalculator::CalcMobilityFromSigma() {
    Mobility = model::mobilityFromSigma(Sigma, EField, Diffusion);
    const std::string text = FormatFloat(kMobilityPattern, Mobility);
    MuTxt->setText(text);
    Mobility = platform::StrToFloat(text);
}

void TMuCalculator::CalcSigmaFromMobility() {
    Sigma = model::sigmaFromMobility(Mobility, EField, Diffusion);
    const std::string text = FormatFloat(kMobilityPattern, Sigma);
    SigTxt->setText(text);
    Sigma = platform::StrToFloat(text);
}

void TMuCalculator::UpdateMobility() {
    const platform::Color inputs = ECalculated ? clLime : clRed;
    CurrTxt->setColor(inputs);
    CondTxt->setColor(inputs);
    XTxt->setColor(inputs);
    ETxt->setColor(ECalculated ? clYellow : clLime);
    RsTxt->setColor(StokesRadiusEntered ? clLime : clYellow);
    if (SigmaFromMobility) {
        CalcSigmaFromMobility();
        SigTxt->setColor(clYellow);
        MuTxt->setColor(clLime);
    }
    if (MobilityFromSigma) {
        CalcMobilityFromSigma();
        SigTxt->setColor(clLime);
        MuTxt->setColor(clYellow);
    }
}

bool TMuCalculator::enterNumber(StaticText& field, double minValue, double maxValue,
                                double& target) {
    return enterNumberInto(this, field, minValue, maxValue, target);
}

void TMuCalculator::SigTxtClick(Control&) {
    if (!enterNumber(*SigTxt, 0, 300, Sigma))
        return;
    SigmaFromMobility = false;
    MobilityFromSigma = true;
    SigmaCalculated = false;
    UpdateMobility();
}

void TMuCalculator::MuTxtClick(Control&) {
    if (!enterNumber(*MuTxt, 0.0001, 100, Mobility))
        return;
    SigmaFromMobility = true;
    MobilityFromSigma = false;
    SigmaCalculated = true;
    UpdateMobility();
}

void TMuCalculator::TTxtClick(Control&) {
    const double oldTemperature = Temperature;
    if (!enterNumber(*TTxt, 0, 100, Temperature))
        return;
    // The conversion uses D, which depends on the temperature.
    if (Temperature != oldTemperature)
        followTemperature(this, hydrodynamics());
    UpdateMobility();
}

Hydrodynamics TMuCalculator::hydrodynamics() {
    return {Temperature,      Viscosity,       Friction,            Diffusion, StokesRadius,
            DiffusionEntered, FrictionEntered, StokesRadiusEntered, *RsTxt};
}

void TMuCalculator::RsTxtClick(Control&) {
    if (exchangeHydrodynamics(this, hydrodynamics()))
        UpdateMobility();
}

void TMuCalculator::CurrTxtClick(Control& sender) {
    if (exchangeFieldGroup(this, sender, {Current, Conductivity, XSection, EField, ECalculated,
                                          *CurrTxt, *CondTxt, *XTxt, *ETxt}))
        UpdateMobility();
}

}  // namespace forms
