#include "forms/Efield.h"

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

constexpr int kRowHeight = 19;
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

    CurrTxt = addRow(this, "Curr", "CurrLbl", "Current", "mA", "0.18", 4, 12, CurrLbl, CurrUnitLbl);
    CondTxt =
        addRow(this, "Cond", "CondLbl", "Conductance", "mS", "19.2", 4, 38, CondLbl, CondUnitLbl);
    XTxt = addRow(this, "X", "XLbl", "Cuvette x-section", "cm^2", "0.04", 4, 64, XLbl, XUnitLbl);

    GroupBox1 = add<platform::GroupBox>("GroupBox1", "E field");
    GroupBox1->setBounds(2, 94, 234, 50);
    // The group's left edge is 2, so its rows line up with the ones above.
    ETxt = addRow(GroupBox1, "E", "CalcEnterTxt", "Calculated", "V/cm", "0.04", 2, 20, CalcEnterTxt,
                  EUnitLbl);

    BitBtn1 = add<platform::Button>("BitBtn1", platform::ButtonKind::Cancel);
    BitBtn1->setBounds(30, 166, 75, 25);
    BitBtn2 = add<platform::Button>("BitBtn2", platform::ButtonKind::Ok);
    BitBtn2->setBounds(133, 166, 75, 25);

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
    label = parent->add<Label>(labelName, caption);
    label->setTextAlign(platform::TextAlign::Right);
    label->setBounds(left, top + 2, kLabelWidth, kRowHeight - 4);

    StaticText* field = parent->add<StaticText>(name + "Txt", text);
    field->setColor(clLime);
    field->setBounds(left + kLabelWidth + 4, top, kFieldWidth, kRowHeight);
    field->setAccessibleName(caption);
    field->setTabStop(true);

    unitLabel = parent->add<Label>(name + "UnitLbl", unit);
    unitLabel->setBounds(field->bounds().right() + 4, top + 2, kUnitWidth, kRowHeight - 4);
    return field;
}

void TEFieldCalculator::FormShow(Form&) {
    ETxt->setText(FormatFloat("#0.00#", EField));
    CondTxt->setText(FormatFloat("#0.00", Conductance));
    CurrTxt->setText(FormatFloat("##0.00#", Current));
    XTxt->setText(FormatFloat("0.0#", XSection));
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
    if (ECalculated) {
        EField = ComputeE(Current, Conductance, XSection);
        ETxt->setText(FormatFloat("#0.00#", EField));
        ETxt->setColor(clYellow);
        XTxt->setColor(clLime);
        CondTxt->setColor(clLime);
        CurrTxt->setColor(clLime);
    } else {
        XTxt->setColor(clRed);
        CondTxt->setColor(clRed);
        CurrTxt->setColor(clRed);
        ETxt->setColor(clLime);
    }
}

bool TEFieldCalculator::enterNumber(StaticText& field, double minValue, double maxValue,
                                    double& target) {
    return enterNumberInto(this, field, minValue, maxValue, target);
}

void TEFieldCalculator::CurrTxtClick(Control&) {
    if (!enterNumber(*CurrTxt, 1e-7, 100, Current))
        return;
    ECalculated = true;
    UpdateE();
}

void TEFieldCalculator::CondTxtClick(Control&) {
    if (!enterNumber(*CondTxt, 1e-6, 500, Conductance))
        return;
    ECalculated = true;
    UpdateE();
}

void TEFieldCalculator::XTxtClick(Control&) {
    if (!enterNumber(*XTxt, 0.01, 1, XSection))
        return;
    ECalculated = true;
    UpdateE();
}

void TEFieldCalculator::ETxtClick(Control&) {
    if (!enterNumber(*ETxt, 1e-5, 100, EField))
        return;
    ECalculated = false;
    UpdateE();
}

bool exchangeFieldGroup(platform::Form* owner, const platform::Control& sender, FieldGroup g) {
    platform::DialogRef<TEFieldCalculator> calc(EFieldCalculator, owner);
    calc->Current = g.Current;
    calc->Conductance = g.Conductivity;
    calc->XSection = g.XSection;
    calc->EField = g.EField;
    if (sender.name() == "ETxt")
        calc->ECalculated = false;
    if (calc->ShowModal() != platform::ModalResult::Ok)
        return false;
    if (calc->ECalculated) {
        g.Current = calc->Current;
        g.Conductivity = calc->Conductance;
        g.XSection = calc->XSection;
        g.CurrTxt.setText(calc->CurrTxt->text());
        g.CondTxt.setText(calc->CondTxt->text());
        g.XTxt.setText(calc->XTxt->text());
        g.ECalculated = true;
    } else {
        g.ECalculated = false;
    }
    g.EField = calc->EField;
    g.ETxt.setText(calc->ETxt->text());
    return true;
}

}  // namespace forms
