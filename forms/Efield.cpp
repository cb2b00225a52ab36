// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Efield.h"

#include "forms/DialogLayout.h"
#include "forms/Enternumber.h"
#include "model/Electrostatics.h"
#include "platform/base/NumberText.h"

namespace forms {

using platform::clLime;
using platform::clRed;
using platform::clYellow;
using platform::Control;
using platform::Form;
using platform::FormatFloat;
using platform::Label;
using platform::StaticText;

TEFieldCalculator* EFieldCalculator = nullptr;

namespace {

constexpr int kLabelWidth = 96;
constexpr int kFieldWidth = 92;
constexpr int kUnitWidth = 34;

}  // namespace

TEFieldCalculator::TEFieldCalculator(Form* owner) : Form(owner, "EFieldCalculator") {
    setCaption("Calculate E field");
    // 244 x 238 outside; a fixed dialog frame takes 3 pixels a side and the
    // caption 19.
    setClientSize(238, 213);
    setBorderStyle(platform::BorderStyle::Dialog);
    platform::Font bold = font();
    bold.bold = true;
    setFont(bold);  // the controls take it over

    using model::Quantity;
    const auto start = [](Quantity q) { return model::quantityInfo(q).startText; };
    CurrTxt = addRow(this, "Curr", "CurrLbl", "Current", "mA", start(Quantity::Current), 4, 12,
                     CurrLbl, CurrUnitLbl);
    CondTxt = addRow(this, "Cond", "CondLbl", "Conductance", "mS", start(Quantity::Conductivity), 4,
                     38, CondLbl, CondUnitLbl);
    XTxt = addRow(this, "X", "XLbl", "Cuvette x-section", "cm^2", start(Quantity::XSection), 4, 64,
                  XLbl, XUnitLbl);

    GroupBox1 = add<platform::GroupBox>("GroupBox1", "E field");
    GroupBox1->setBounds(2, 94, 234, 50);
    // The group's left edge is 2, so its rows line up with the ones above.
    // The design placeholder of E is the cross-section's text; showing the
    // calculator replaces it.
    ETxt = addRow(GroupBox1, "E", "CalcEnterTxt", "Calculated", "V/cm", start(Quantity::XSection),
                  2, 20, CalcEnterTxt, EUnitLbl);

    const DialogButtons buttons = addCancelOk(*this, 30, 133, 166);
    BitBtn1 = buttons.cancel;
    BitBtn2 = buttons.ok;

    OnShow = [this](Form& f) { FormShow(f); };
    OnClose = [this](Form& f, platform::CloseAction& a) { FormClose(f, a); };
    CurrTxt->OnClick = [this](Control& c) { CurrTxtClick(c); };
    CondTxt->OnClick = [this](Control& c) { CondTxtClick(c); };
    XTxt->OnClick = [this](Control& c) { XTxtClick(c); };
    ETxt->OnClick = [this](Control& c) { ETxtClick(c); };
}

StaticText* TEFieldCalculator::addRow(Control* parent, const std::string& name,
                                      const std::string& labelName, const std::string& caption,
                                      const std::string& unit, const std::string& text, int left,
                                      int top, Label*& label, Label*& unitLabel) {
    label = addRowLabel(*parent, labelName, caption, left, top, kLabelWidth);
    StaticText* field = addValueField(*parent, name + "Txt", text, left + kLabelWidth + 4, top,
                                      kFieldWidth, caption);

    unitLabel = parent->add<Label>(name + "UnitLbl", unit);
    unitLabel->setBounds(field->bounds().right() + 4, top + 2, kUnitWidth, kRowLabelHeight);
    return field;
}

void TEFieldCalculator::FormShow(Form&) {
    const model::FieldTexts texts = model::fieldTextsOf(*this);
    ETxt->setText(texts.eField);
    CondTxt->setText(texts.conductivity);
    CurrTxt->setText(texts.current);
    XTxt->setText(texts.xSection);
    UpdateE();
}

void TEFieldCalculator::FormClose(Form&, platform::CloseAction&) {
    if (ECalculated)
        UpdateE();
}

double TEFieldCalculator::ComputeE(double current, double conductance, double xSection) const {
    return model::calcEField(current, conductance, xSection);
}

void TEFieldCalculator::UpdateE() {
    if (const std::optional<std::string> e = model::updateE(*this))
        ETxt->setText(*e);
    const platform::Color inputs = ECalculated ? clLime : clRed;
    XTxt->setColor(inputs);
    CondTxt->setColor(inputs);
    CurrTxt->setColor(inputs);
    ETxt->setColor(ECalculated ? clYellow : clLime);
}

bool TEFieldCalculator::enterNumber(StaticText& field, model::Quantity q) {
    const model::QuantityInfo& info = model::quantityInfo(q);
    double value = 0;
    if (!enterNumberInto(this, field, info.low, info.high, value))
        return false;
    model::enterFieldValue(*this, q, value);
    UpdateE();
    return true;
}

void TEFieldCalculator::CurrTxtClick(Control&) {
    enterNumber(*CurrTxt, model::Quantity::Current);
}

void TEFieldCalculator::CondTxtClick(Control&) {
    enterNumber(*CondTxt, model::Quantity::Conductivity);
}

void TEFieldCalculator::XTxtClick(Control&) {
    enterNumber(*XTxt, model::Quantity::XSection);
}

void TEFieldCalculator::ETxtClick(Control&) {
    enterNumber(*ETxt, model::Quantity::EField);
}

bool exchangeFieldGroup(platform::Form* owner, const platform::Control& sender,
                        model::FieldRefs group, model::ValueFields& fields) {
    platform::DialogRef<TEFieldCalculator> calc(EFieldCalculator, owner);
    static_cast<model::FieldValues&>(*calc) = model::fieldValuesOf(group, sender.name() == "ETxt");
    if (calc->ShowModal() != platform::ModalResult::Ok)
        return false;
    model::takeBackField(
        group, fields, *calc,
        {calc->CurrTxt->text(), calc->CondTxt->text(), calc->XTxt->text(), calc->ETxt->text()});
    return true;
}

}  // namespace forms
