#include "forms/Mainfrm.h"

#include "forms/Dcalc.h"
#include "forms/Efield.h"
#include "forms/Enternumber.h"
#include "forms/Exitfrm.h"
#include "forms/Henrymodels.h"
#include "forms/Uncertainty.h"
#include "forms/Mucalc.h"
#include "forms/Report.h"
#include "forms/about.h"
#include "log/LogEntry.h"
#include "model/Electrostatics.h"
#include "model/FieldTable.h"
#include "model/GeCurve.h"
#include "model/Recalculate.h"
#include "model/Sampling.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/NumberText.h"

namespace forms {

using model::FieldId;
using platform::Align;
using platform::clLime;
using platform::clYellow;
using platform::Font;
using platform::LabelRun;
using platform::StaticText;
using platform::TextAlign;

TOpeningForm* OpeningForm = nullptr;

namespace {

constexpr int kRowHeight = 19;

Font boldFont() {
    Font f;
    f.bold = true;
    return f;
}

}  // namespace

TOpeningForm::TOpeningForm(platform::Form* owner) : Form(owner, "OpeningForm") {
    setCaption("Quorvin");
    // 755 x 438 outside; the frame and the menu bar take the rest.
    setClientSize(747, 392);
    buildMenu();
    buildExperimentPanel();
    buildResultsPanel();
    realign();
    OnShow = [this](platform::Form& f) { FormShow(f); };
    OnClose = [this](platform::Form& f, platform::CloseAction& a) { FormClose(f, a); };
    ZstarTxt->OnClick = [this](platform::Control& c) { ZstarTxtClick(c); };
    ZTxt->OnClick = [this](platform::Control& c) { ZTxtClick(c); };
    ITxt->OnClick = [this](platform::Control& c) { ITxtClick(c); };
    TTxt->OnClick = [this](platform::Control& c) { TTxtClick(c); };
    RiTxt->OnClick = [this](platform::Control& c) { RiTxtClick(c); };
    DTxt->OnClick = [this](platform::Control& c) { DTxtClick(c); };
    for (StaticText* f : {CurrTxt, CondTxt, XTxt, ETxt})
        f->OnClick = [this](platform::Control& c) { CurrTxtClick(c); };
    RsTxt->OnClick = [this](platform::Control& c) { RsTxtClick(c); };
    SigTxt->OnClick = [this](platform::Control& c) { MuTxtClick(c); };
    MuTxt->OnClick = [this](platform::Control& c) { MuTxtClick(c); };
}

TOpeningForm::~TOpeningForm() = default;

void TOpeningForm::buildMenu() {
    platform::MainMenu* menu = createMenu();
    File1 = menu->add("File1", "&File");
    Viewlog1 =
        File1->add("Viewlog1", "&View log...", [this](platform::MenuItem& m) { Viewlog1Click(m); });
    File1->addSeparator();
    CopyGevszvaluestoclipboard1 =
        File1->add("CopyGevszvaluestoclipboard1", "Create .DAT file with z and Ge...",
                   [this](platform::MenuItem& m) { CopyGevszvaluestoclipboard1Click(m); });
    File1->addSeparator();
    Copygraphtoclipboard1 =
        File1->add("Copygraphtoclipboard1", "&Copy graph to clipboard...",
                   [this](platform::MenuItem& m) { Copygraphtoclipboard1Click(m); });
    File1->addSeparator();
    Printersetup1 = File1->add("Printersetup1", "Printer setup...",
                               [this](platform::MenuItem& m) { Printersetup1Click(m); });
    Printgraphlandscape1 =
        File1->add("Printgraphlandscape1", "Print &graph landscape...",
                   [this](platform::MenuItem& m) { Printgraphlandscape1Click(m); });
    Printgraph1 = File1->add("Printgraph1", "&Print graph portrait...",
                             [this](platform::MenuItem& m) { Printgraph1Click(m); });
    File1->addSeparator();
    Exit1 = File1->add("Exit1", "&Exit", [this](platform::MenuItem& m) { Exit1Click(m); });
    Analysis1 = menu->add("Analysis1", "&Analysis");
    HenryModels1 = Analysis1->add("HenryModels1", "&Henry's function models...",
                                  [this](platform::MenuItem& m) { HenryModels1Click(m); });
    Uncertainty1 = Analysis1->add("Uncertainty1", "&Uncertainty of z...",
                                  [this](platform::MenuItem& m) { Uncertainty1Click(m); });
    Help1 = menu->add("Help1", "&Help");
    UserGuide1 = Help1->add("UserGuide1", "&User guide",
                            [this](platform::MenuItem& m) { UserGuide1Click(m); });
    About1 = Help1->add("About1", "&About...", [this](platform::MenuItem& m) { About1Click(m); });

    SaveDialog1 = std::make_unique<platform::SaveDialog>(this, "SaveDialog1");
    SaveDialog1->DefaultExt = "DAT";
    PrinterSetupDialog1 = std::make_unique<platform::PrinterSetupDialog>(this, "PrinterSetupDialog1");
}

StaticText* TOpeningForm::addField(platform::Control* parent, FieldId id,
                                   const std::string& caption, std::vector<LabelRun> unit,
                                   const std::string& text, platform::Color color, int labelLeft,
                                   int labelWidth, int fieldWidth, int unitWidth, int top) {
    const std::string name = model::fieldName(id);
    FieldRow& row = m_rows[static_cast<int>(id)];
    row.label = parent->add<platform::Label>(name.substr(0, name.size() - 3) + "Lbl", caption);
    row.label->setFont(boldFont());
    row.label->setTextAlign(TextAlign::Right);
    row.label->setBounds(labelLeft, top + 2, labelWidth, kRowHeight - 4);

    StaticText* f = parent->add<StaticText>(name, text);
    f->setFont(boldFont());
    f->setColor(color);
    f->setBounds(labelLeft + labelWidth + 4, top, fieldWidth, kRowHeight);
    f->setAccessibleName(caption);
    f->setTabStop(true);
    row.field = f;

    if (!unit.empty()) {
        row.unit = parent->add<platform::Label>(name.substr(0, name.size() - 3) + "UnitLbl");
        row.unit->setFont(boldFont());
        row.unit->setRuns(std::move(unit));
        row.unit->setBounds(f->bounds().right() + 4, top + 2, unitWidth, kRowHeight - 4);
    }
    return f;
}

void TOpeningForm::buildExperimentPanel() {
    Panel1 = add<platform::Panel>("Panel1");
    Panel1->setBounds(0, 0, clientWidth(), 108);
    Panel1->setAlign(Align::Top);

    ExperimentLbl = Panel1->add<platform::Label>("ExperimentLbl", "Experiment");
    ExperimentLbl->setFont(boldFont());
    ExperimentLbl->setBounds(8, 4, 120, 15);

    const std::vector<LabelRun> perCm = {{"cm"}, {"-1", true}};
    const std::vector<LabelRun> mobilityUnit = {
        {"x10"}, {"-4", true}, {" cm"}, {"-2", true}, {"/V-s"}};
    const int rows[] = {24, 45, 66, 87};
    SigTxt =
        addField(Panel1, FieldId::SigTxt, "Sigma", perCm, "22.00", clLime, 4, 96, 56, 100, rows[0]);
    MuTxt = addField(Panel1, FieldId::MuTxt, "Mobility", mobilityUnit, "1.20", clLime, 4, 96, 56,
                     100, rows[1]);
    RsTxt = addField(Panel1, FieldId::RsTxt, "Stokes radius", {{"nm"}}, "2.90", clLime, 4, 96, 56,
                     100, rows[2]);
    RiTxt = addField(Panel1, FieldId::RiTxt, "Salt ion radius", {{"nm"}}, "0.127", clLime, 4, 96,
                     56, 100, rows[3]);
    ITxt = addField(Panel1, FieldId::ITxt, "Ionic strength", {{"M"}}, "0.10", clLime, 270, 96, 56,
                    40, rows[0]);
    TTxt = addField(Panel1, FieldId::TTxt, "Temperature", {{"o", true}, {"C"}}, "20.0", clLime, 270,
                    96, 56, 40, rows[1]);
    DTxt =
        addField(Panel1, FieldId::DTxt, "Dielectric", {}, "78", clLime, 270, 96, 56, 40, rows[2]);

    // Made after the fields on its left, so that Tab reaches them first.
    GroupBox1 = Panel1->add<platform::GroupBox>("GroupBox1", "Field");
    GroupBox1->setFont(boldFont());
    GroupBox1->setBounds(0, 0, 202, 108);
    GroupBox1->setAlign(Align::Right);
    const int groupRows[] = {16, 38, 60, 82};
    CurrTxt = addField(GroupBox1, FieldId::CurrTxt, "Current", {{"mA"}}, "0.18", clLime, 2, 100, 48,
                       42, groupRows[0]);
    CondTxt = addField(GroupBox1, FieldId::CondTxt, "Conductivity", {{"mS/cm"}}, "19.2", clLime, 2,
                       100, 48, 42, groupRows[1]);
    XTxt = addField(GroupBox1, FieldId::XTxt, "Cuvette x-section", {{"cm"}, {"2", true}}, "0.04",
                    clLime, 2, 100, 48, 42, groupRows[2]);
    ETxt = addField(GroupBox1, FieldId::ETxt, "E", {{"V/cm"}}, "0.123", clYellow, 2, 100, 48, 42,
                    groupRows[3]);
}

void TOpeningForm::buildResultsPanel() {
    Panel2 = add<platform::Panel>("Panel2");
    Panel2->setBounds(0, 108, clientWidth(), clientHeight() - 108);
    Panel2->setAlign(Align::Client);

    Chart1 = Panel2->add<platform::Chart>("Chart1");
    Chart1->setBounds(0, 0, 450, 282);
    Chart1->setAlign(Align::Right);
    Font titleFont;
    titleFont.name = "Arial";
    titleFont.bold = true;
    titleFont.color = platform::clBlue;
    Font axisFont = titleFont;
    axisFont.color = platform::clBlack;
    Chart1->title = {"Ge as a function of z", titleFont};
    Chart1->bottomAxisTitle = {"z", axisFont};
    Chart1->leftAxisTitle = {"Ge (kJ/mol)", axisFont};
    Chart1->legendVisible = false;
    Chart1->view3D = false;
    Chart1->backWallColor = platform::clWhite;
    Chart1->appearanceChanged();
    Series1 = &Chart1->series();
    Series1->setColor(platform::clRed);

    Splitter1 = Panel2->add<platform::Splitter>("Splitter1");
    Splitter1->setBounds(0, 0, 3, 282);
    Splitter1->setAlign(Align::Right);
    Splitter1->setResizeTarget(Chart1, 100);

    ResultsLbl = Panel2->add<platform::Label>("ResultsLbl", "Results");
    ResultsLbl->setFont(boldFont());
    ResultsLbl->setBounds(8, 4, 120, 15);

    struct ResultRow {
        FieldId id;
        const char* caption;
        std::vector<LabelRun> unit;
        const char* text;
        StaticText** member;
    };
    // The texts are placeholders until the first recalculation.
    const ResultRow rows[] = {
        {FieldId::ZstarTxt, "z*", {}, "22", &ZstarTxt},
        {FieldId::ZTxt, "z", {}, "10", &ZTxt},
        {FieldId::ATxt, "Rs + Ri (a)", {{"nm"}}, "0", &ATxt},
        {FieldId::KTxt, "Inverse Debye length (K)", {{"cm"}, {"-1", true}}, "0", &KTxt},
        {FieldId::KaTxt, "Ka", {}, "0", &KaTxt},
        {FieldId::HTxt, "Henry's function H(Ka)", {}, "0", &HTxt},
        {FieldId::DHHTxt, "DHH slope", {}, "0", &DHHTxt},
        {FieldId::WTxt, "Ge(max)", {{"kJ/mol"}}, "0", &WTxt},
    };
    int top = 22;
    for (const ResultRow& r : rows) {
        *r.member =
            addField(Panel2, r.id, r.caption, r.unit, r.text, clYellow, 2, 150, 70, 58, top);
        top += 23;
    }

    KeyLbl1 = Panel2->add<platform::Label>("KeyLbl1");
    KeyLbl1->setRuns({{"Key: entered values = "},
                      LabelRun::swatchOf(clLime),
                      {"    calculated values = "},
                      LabelRun::swatchOf(clYellow)});
    KeyLbl1->setBounds(8, top + 10, 284, 16);
    KeyLbl2 = Panel2->add<platform::Label>("KeyLbl2");
    KeyLbl2->setRuns({{"value not used ="}, LabelRun::swatchOf(platform::clRed)});
    KeyLbl2->setBounds(8, top + 32, 284, 16);
}

void TOpeningForm::FormShow(platform::Form&) {
    ReadStartValues();
    Recalculate();
}

void TOpeningForm::ReadStartValues() {
    model::readStartValues(*this, m_fields);
    // The pass computes these again; they are set here so that the state is
    // complete before it runs.
    const model::PhysicalConstants c = model::physicalConstants(*this);
    InverseDebyeLength = model::CalcInverseDebyeLength(Temperature, IonicStrength, Dielectric, c);
    ClosestApproach = model::calcClosestApproach(StokesRadius, SaltIonRadius);
    Ka = model::calcKa(InverseDebyeLength, ClosestApproach);
    HenryFunction = model::CalcHenryFunction(Ka);
    DhhSlope = model::CalcDhhSlope(Ka);
}

void TOpeningForm::Recalculate() {
    model::Recalculate(*this, m_fields, m_series, [this] { WriteLogEntry(); });
    if (m_henryModels && m_henryModels->visible())
        m_henryModels->showFor(*this, KaTxt->text(), SigTxt->text());
    if (m_uncertainty && m_uncertainty->visible())
        m_uncertainty->showFor(*this, ZTxt->text());
}

void TOpeningForm::WriteLogEntry() {
    if (ReportFrm != nullptr) {
        calclog::WriteLogEntry(*this, m_fields, *ReportFrm);
        ReportFrm->entryWritten();
    }
}

bool TOpeningForm::enterNumber(StaticText& field, double minValue, double maxValue,
                               bool wholeNumber, double& target) {
    return enterNumberInto(this, field, minValue, maxValue, target, wholeNumber);
}

// The valences stay below 10000 so that the graph keeps a step of 1.
void TOpeningForm::ZstarTxtClick(platform::Control&) {
    if (!enterNumber(*ZstarTxt, -9999, 9999, true, EffectiveValence))
        return;
    ZCalculated = true;
    ZstarCalculated = false;
    SigmaCalculated = true;
    Recalculate();
}

void TOpeningForm::ZTxtClick(platform::Control&) {
    if (!enterNumber(*ZTxt, -9999, 9999, true, Valence))
        return;
    ZCalculated = false;
    ZstarCalculated = true;
    SigmaCalculated = true;
    Recalculate();
}

void TOpeningForm::ITxtClick(platform::Control&) {
    if (enterNumber(*ITxt, 0.0001, 6.5, false, IonicStrength))
        Recalculate();
}

void TOpeningForm::TTxtClick(platform::Control&) {
    const double oldTemperature = Temperature;
    if (!enterNumber(*TTxt, 0, 100, false, Temperature))
        return;
    // D and f (or Rs) depend on the temperature; a mobility entered earlier
    // is converted with the D of the new one.
    if (Temperature != oldTemperature)
        followTemperature(this, hydrodynamics());
    Recalculate();
}

void TOpeningForm::RiTxtClick(platform::Control&) {
    if (enterNumber(*RiTxt, 0.05, 10, false, SaltIonRadius))
        Recalculate();
}

void TOpeningForm::DTxtClick(platform::Control&) {
    if (enterNumber(*DTxt, 1, 100, false, Dielectric))
        Recalculate();
}

void TOpeningForm::CurrTxtClick(platform::Control& sender) {
    if (exchangeFieldGroup(this, sender, {Current, Conductivity, XSection, EField, ECalculated,
                                          *CurrTxt, *CondTxt, *XTxt, *ETxt}))
        Recalculate();
}

void TOpeningForm::showStokesRadius() {
    // Kept as rounded as it is shown.
    RsTxt->setText(platform::FormatFloat("##0.0#", StokesRadius));
    StokesRadius = platform::StrToFloat(RsTxt->text());
}

Hydrodynamics TOpeningForm::hydrodynamics() {
    return {Temperature,      Viscosity,       Friction,            Diffusion, StokesRadius,
            DiffusionEntered, FrictionEntered, StokesRadiusEntered, *RsTxt};
}

void TOpeningForm::RsTxtClick(platform::Control&) {
    const double oldTemperature = Temperature;
    if (!exchangeHydrodynamics(this, hydrodynamics()))
        return;
    // The field and the log show the temperature the pass uses; a text the
    // user typed stays when the value came back the same.
    if (Temperature != oldTemperature)
        TTxt->setText(platform::FloatToStr(Temperature));
    Recalculate();
}

void TOpeningForm::MuTxtClick(platform::Control&) {
    platform::DialogRef<TMuCalculator> calc(MuCalculator, this);
    calc->Diffusion = Diffusion;
    calc->Viscosity = Viscosity;
    calc->Temperature = Temperature;
    calc->StokesRadius = StokesRadius;
    calc->Friction = Friction;
    calc->EField = EField;
    calc->Sigma = Sigma;
    calc->Mobility = Mobility;
    calc->Conductivity = Conductivity;
    calc->XSection = XSection;
    calc->Current = Current;
    calc->DiffusionEntered = DiffusionEntered;
    calc->StokesRadiusEntered = StokesRadiusEntered;
    calc->FrictionEntered = FrictionEntered;
    calc->MobilityFromSigma = MobilityFromSigma;
    calc->SigmaCalculated = SigmaCalculated;
    calc->SigmaFromMobility = SigmaFromMobility;
    calc->ECalculated = ECalculated;
    if (calc->ShowModal() != platform::ModalResult::Ok)
        return;
    const ModelState before = *this;
    Diffusion = calc->Diffusion;
    Viscosity = calc->Viscosity;
    Temperature = calc->Temperature;
    StokesRadius = calc->StokesRadius;
    Friction = calc->Friction;
    EField = calc->EField;
    Sigma = calc->Sigma;
    // Sigma and the mobility keep their unrounded values.
    SigTxt->setText(platform::FormatFloat("##0.0##", Sigma));
    Mobility = calc->Mobility;
    MuTxt->setText(platform::FormatFloat("##0.0##", Mobility));
    Conductivity = calc->Conductivity;
    XSection = calc->XSection;
    Current = calc->Current;
    DiffusionEntered = calc->DiffusionEntered;
    StokesRadiusEntered = calc->StokesRadiusEntered;
    FrictionEntered = calc->FrictionEntered;
    MobilityFromSigma = calc->MobilityFromSigma;
    SigmaFromMobility = calc->SigmaFromMobility;
    ECalculated = calc->ECalculated;
    ZCalculated = true;
    ZstarCalculated = true;
    SigmaCalculated = calc->SigmaCalculated;
    // The fields and the log show the values the pass uses; a text the user
    // typed stays when its value came back the same.
    if (Temperature != before.Temperature)
        TTxt->setText(platform::FloatToStr(Temperature));
    if (StokesRadius != before.StokesRadius)
        showStokesRadius();
    if (Current != before.Current)
        CurrTxt->setText(calc->CurrTxt->text());
    if (Conductivity != before.Conductivity)
        CondTxt->setText(calc->CondTxt->text());
    if (XSection != before.XSection)
        XTxt->setText(calc->XTxt->text());
    Recalculate();
}

void TOpeningForm::Viewlog1Click(platform::MenuItem&) {
    if (ReportFrm != nullptr)
        ReportFrm->Show();
}

void TOpeningForm::Exit1Click(platform::MenuItem&) {
    Close();
}

void TOpeningForm::FormClose(platform::Form&, platform::CloseAction&) {
    if (ReportFrm == nullptr)
        return;
    // The recovery copy goes when nothing is lost by it: after a save, or
    // when the user chose to discard the log. Yes with the save dialog
    // cancelled keeps it for the next start.
    if (!ReportFrm->LogUnsaved) {
        ReportFrm->discardLog();
        return;
    }
    platform::DialogRef<TSaveLog> prompt(SaveLog, this);
    if (prompt->ShowModal() == platform::ModalResult::Yes)
        ReportFrm->Save1Click(*ReportFrm->Save1);
    else
        ReportFrm->discardLog();
}

void TOpeningForm::UserGuide1Click(platform::MenuItem&) {
    platform::services().showUserGuide();
}

void TOpeningForm::About1Click(platform::MenuItem&) {
    platform::DialogRef<TAboutBox> box(AboutBox, this);
    box->ShowModal();
}

void TOpeningForm::HenryModels1Click(platform::MenuItem&) {
    if (!m_henryModels) {
        m_henryModels = std::make_unique<THenryModelsFrm>(this);
        HenryModelsFrm = m_henryModels.get();
    }
    m_henryModels->showFor(*this, KaTxt->text(), SigTxt->text());
    m_henryModels->Show();
}

void TOpeningForm::Uncertainty1Click(platform::MenuItem&) {
    if (!m_uncertainty) {
        m_uncertainty = std::make_unique<TUncertaintyFrm>(this);
        UncertaintyFrm = m_uncertainty.get();
    }
    m_uncertainty->showFor(*this, ZTxt->text());
    m_uncertainty->Show();
}

void TOpeningForm::CopyGevszvaluestoclipboard1Click(platform::MenuItem&) {
    // The graph's own sampling, so that the file holds exactly its points.
    Memo1.clear();
    const model::PhysicalConstants c = model::physicalConstants(*this);
    for (std::int64_t z : model::geCurveValences(Valence)) {
        const double ge = model::CalcGe(static_cast<double>(z), Dielectric, StokesRadius,
                                        SaltIonRadius, InverseDebyeLength, c);
        Memo1.push_back(std::to_string(z) + " " + platform::FormatFloat("0.000E+00", ge));
    }
    SaveDialog1->Title = "Save Marlix DAT file";
    if (!SaveDialog1->Execute())
        return;
    platform::ForceCurrentDirectory = true;
    std::string data;
    for (const std::string& line : Memo1)
        data += line + "\r\n";
    platform::replaceFile(SaveDialog1->FileName, data);
}

void TOpeningForm::Printersetup1Click(platform::MenuItem&) {
    PrinterSetupDialog1->Execute();
}

void TOpeningForm::Printgraph1Click(platform::MenuItem&) {
    Chart1->PrintPortrait();
    Chart1->Print();
}

void TOpeningForm::Printgraphlandscape1Click(platform::MenuItem&) {
    Chart1->PrintLandscape();
    Chart1->Print();
}

void TOpeningForm::Copygraphtoclipboard1Click(platform::MenuItem&) {
    Chart1->CopyToClipboardMetafile(true);
}

StaticText* TOpeningForm::field(FieldId id) const {
    return m_rows[static_cast<int>(id)].field;
}

platform::Label* TOpeningForm::fieldLabel(FieldId id) const {
    return m_rows[static_cast<int>(id)].label;
}

platform::Label* TOpeningForm::unitLabel(FieldId id) const {
    return m_rows[static_cast<int>(id)].unit;
}

std::string TOpeningForm::Fields::text(FieldId id) const {
    return m_form.field(id)->text();
}

void TOpeningForm::Fields::setText(FieldId id, const std::string& text) {
    m_form.field(id)->setText(text);
}

platform::Color TOpeningForm::Fields::color(FieldId id) const {
    return m_form.field(id)->color();
}

void TOpeningForm::Fields::setColor(FieldId id, platform::Color color) {
    m_form.field(id)->setColor(color);
}

}  // namespace forms
