// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Solvent.h"

#include "forms/DialogLayout.h"
#include "forms/Enternumber.h"
#include "model/Quantities.h"
#include "platform/base/NumberText.h"

namespace forms {

using model::Quantity;
using platform::clLime;
using platform::clRed;
using platform::clYellow;
using platform::Control;
using platform::Form;
using platform::Label;
using platform::StaticText;

TSolventDialog* SolventDialog = nullptr;

namespace {

constexpr int kLabelWidth = 124;
constexpr int kFieldLeft = kLabelWidth + 8;
constexpr const char* kEntered = "Entered values";
constexpr const char* kWater = "Water at the temperature";

}  // namespace

TSolventDialog::TSolventDialog(Form* owner) : Form(owner, "SolventDialog") {
    setCaption("Solvent");
    setClientSize(320, 184);
    setBorderStyle(platform::BorderStyle::Dialog);
    platform::Font bold = font();
    bold.bold = true;
    setFont(bold);  // the controls take it over

    ChoiceLbl = add<Label>("ChoiceLbl", "Solvent");
    ChoiceLbl->setTextAlign(platform::TextAlign::Right);
    ChoiceLbl->setBounds(4, 14, kLabelWidth, kRowLabelHeight);
    ChoiceTxt = add<StaticText>("ChoiceTxt", kEntered);
    ChoiceTxt->setColor(clLime);
    ChoiceTxt->setBounds(kFieldLeft, 12, 180, kRowHeight);
    ChoiceTxt->setAccessibleName("Solvent");
    ChoiceTxt->setTabStop(true);

    VTxt = addRow("V", Quantity::Viscosity, "cP", 42, VLbl, &VUnitLbl);
    DTxt = addRow("D", Quantity::Dielectric, "", 66, DLbl, nullptr);
    RTxt = addRow("R", Quantity::RelativeViscosity, "x water", 90, RLbl, &RUnitLbl);

    TLbl = add<Label>("TLbl");
    TLbl->setBounds(kFieldLeft, 118, 180, kRowLabelHeight);

    const DialogButtons buttons = addCancelOk(*this, 70, 175, 148);
    BitBtn1 = buttons.cancel;
    BitBtn2 = buttons.ok;

    OnShow = [this](Form& f) { FormShow(f); };
    ChoiceTxt->OnClick = [this](Control& c) { ChoiceTxtClick(c); };
    VTxt->OnClick = [this](Control& c) { VTxtClick(c); };
    DTxt->OnClick = [this](Control& c) { DTxtClick(c); };
    RTxt->OnClick = [this](Control& c) { RTxtClick(c); };
}

StaticText* TSolventDialog::addRow(const std::string& name, Quantity q, const char* unit, int top,
                                   Label*& label, Label** unitLabel) {
    const model::QuantityInfo& info = model::quantityInfo(q);
    // The short caption where the long one does not fit.
    label = addRowLabel(*this, name + "Lbl",
                        q == Quantity::RelativeViscosity ? info.windowCaption : info.caption, 4,
                        top, kLabelWidth);
    StaticText* field = addValueField(*this, name + "Txt", "", kFieldLeft, top, 72, label->text());
    if (unitLabel) {
        *unitLabel = add<Label>(name + "UnitLbl", unit);
        (*unitLabel)->setBounds(field->bounds().right() + 4, top + 2, 80, kRowLabelHeight);
    }
    return field;
}

void TSolventDialog::FormShow(Form&) {
    // Entered values keep the texts the window shows; water's are computed.
    if (VTxt->text().empty())
        VTxt->setText(platform::FloatToStr(Viscosity));
    if (DTxt->text().empty())
        DTxt->setText(platform::FloatToStr(Dielectric));
    RTxt->setText(platform::FloatToStr(RelativeViscosity));
    TLbl->setRuns({{"at " + platform::FormatFloat("0.0#", Temperature) + " "}, {"o", true}, {"C"}});
    UpdateSolvent();
}

void TSolventDialog::UpdateSolvent() {
    if (const std::optional<model::SolventTexts> texts = model::updateSolvent(*this)) {
        VTxt->setText(texts->viscosity);
        DTxt->setText(texts->dielectric);
    }
    ChoiceTxt->setText(SolventWater ? kWater : kEntered);
    VTxt->setColor(SolventWater ? clYellow : clLime);
    DTxt->setColor(SolventWater ? clYellow : clLime);
    RTxt->setColor(SolventWater ? clLime : clRed);
}

void TSolventDialog::ChoiceTxtClick(Control&) {
    if (SolventWater) {
        // Water's values become the entered ones, as they are shown.
        Viscosity = platform::StrToFloat(VTxt->text());
        Dielectric = platform::StrToFloat(DTxt->text());
    }
    SolventWater = !SolventWater;
    UpdateSolvent();
}

void TSolventDialog::VTxtClick(Control&) {
    enterOwnValue(*VTxt, Quantity::Viscosity, Viscosity);
}

void TSolventDialog::DTxtClick(Control&) {
    enterOwnValue(*DTxt, Quantity::Dielectric, Dielectric);
}

void TSolventDialog::enterOwnValue(StaticText& field, Quantity q, double& target) {
    const model::QuantityInfo& info = model::quantityInfo(q);
    const double viscosity = platform::StrToFloat(VTxt->text());
    const double dielectric = platform::StrToFloat(DTxt->text());
    if (!enterNumberInto(this, field, info.low, info.high, target))
        return;
    // Water's other value stays as it is shown, now as an entered one.
    if (SolventWater) {
        if (q != Quantity::Viscosity)
            Viscosity = viscosity;
        if (q != Quantity::Dielectric)
            Dielectric = dielectric;
    }
    SolventWater = false;
    UpdateSolvent();
}

void TSolventDialog::RTxtClick(Control&) {
    const model::QuantityInfo& info = model::quantityInfo(Quantity::RelativeViscosity);
    if (enterNumberInto(this, *RTxt, info.low, info.high, RelativeViscosity))
        UpdateSolvent();
}

}  // namespace forms
