// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Mainfrm.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "electrokinetics/Salts.h"
#include "forms/ChargeSequence.h"
#include "forms/Dcalc.h"
#include "forms/DialogLayout.h"
#include "forms/Efield.h"
#include "forms/Enternumber.h"
#include "forms/Exitfrm.h"
#include "forms/Henrymodels.h"
#include "forms/Mucalc.h"
#include "forms/Report.h"
#include "forms/Series.h"
#include "forms/SigmaProfile.h"
#include "forms/Solvent.h"
#include "forms/Uncertainty.h"
#include "forms/about.h"
#include "log/LogEntry.h"
#include "model/Electrostatics.h"
#include "model/Evaluation.h"
#include "model/FieldTable.h"
#include "model/GeCurve.h"
#include "model/InputRule.h"
#include "model/Recalculate.h"
#include "platform/Application.h"
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

constexpr int kRowPitch = 23;  // of the results

const char* modelCaption(model::ElectrokineticModel m) {
    return model::electrokineticModelInfo(m).caption;
}

Font boldFont() {
    Font f;
    f.bold = true;
    return f;
}

}  // namespace

TOpeningForm::TOpeningForm(platform::Form* owner) : Form(owner, "OpeningForm") {
    setCaption("Quorvin");
    // 755 x 438 outside, and rows for the model, its salt and zeta; the
    // frame and the menu bar take the rest.
    setClientSize(747, 392 + 3 * kRowPitch);
    buildMenu();
    buildExperimentPanel();
    buildResultsPanel();
    realign();
    OnShow = [this](platform::Form& f) { FormShow(f); };
    OnClose = [this](platform::Form& f, platform::CloseAction& a) { FormClose(f, a); };
    // A series with unsaved changes is not lost with the program.
    OnCloseQuery = [this](platform::Form&, bool& canClose) { canClose = confirmSeriesAtExit(); };
    ZstarTxt->OnClick = [this](platform::Control& c) { ZstarTxtClick(c); };
    ZTxt->OnClick = [this](platform::Control& c) { ZTxtClick(c); };
    ModelTxt->OnClick = [this](platform::Control& c) { ModelTxtClick(c); };
    SaltTxt->OnClick = [this](platform::Control& c) { SaltTxtClick(c); };
    ITxt->OnClick = [this](platform::Control& c) { ITxtClick(c); };
    TTxt->OnClick = [this](platform::Control& c) { TTxtClick(c); };
    RiTxt->OnClick = [this](platform::Control& c) { RiTxtClick(c); };
    DTxt->OnClick = [this](platform::Control& c) { DTxtClick(c); };
    VTxt->OnClick = [this](platform::Control& c) { VTxtClick(c); };
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
    NewSeries1 = File1->add("NewSeries1", "&New series",
                            [this](platform::MenuItem& m) { NewSeries1Click(m); });
    Open1 = File1->add("Open1", "&Open...", [this](platform::MenuItem& m) { Open1Click(m); });
    SaveSample1 = File1->add("SaveSample1", "Save sa&mple as...",
                             [this](platform::MenuItem& m) { SaveSample1Click(m); });
    File1->addSeparator();
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
    Savegraphas1 = File1->add("Savegraphas1", "Save graph &as...",
                              [this](platform::MenuItem&) { Chart1Export->SaveImageAs(); });
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
    HenryModels1 = Analysis1->add("HenryModels1", "&Electrokinetic models...",
                                  [this](platform::MenuItem& m) { HenryModels1Click(m); });
    Uncertainty1 = Analysis1->add("Uncertainty1", "&Uncertainty of z...",
                                  [this](platform::MenuItem& m) { Uncertainty1Click(m); });
    SigmaProfile1 = Analysis1->add("SigmaProfile1", "&Sigma from a profile...",
                                   [this](platform::MenuItem& m) { SigmaProfile1Click(m); });
    ChargeSequence1 = Analysis1->add("ChargeSequence1", "&Charge from sequence...",
                                     [this](platform::MenuItem& m) { ChargeSequence1Click(m); });
    Help1 = menu->add("Help1", "&Help");
    UserGuide1 = Help1->add("UserGuide1", "&User guide",
                            [this](platform::MenuItem& m) { UserGuide1Click(m); });
    About1 = Help1->add("About1", "&About...", [this](platform::MenuItem& m) { About1Click(m); });

    SaveDialog1 = std::make_unique<platform::SaveDialog>(this, "SaveDialog1");
    SaveDialog1->DefaultExt = "DAT";
    PrinterSetupDialog1 =
        std::make_unique<platform::PrinterSetupDialog>(this, "PrinterSetupDialog1");
    OpenSeriesDialog1 = csvOpenDialog(this, "OpenSeriesDialog1", "Open");
    SaveSampleDialog1 = csvSaveDialog(this, "SaveSampleDialog1", "Save sample");
}

StaticText* TOpeningForm::addField(platform::Control* parent, model::Quantity q,
                                   platform::Color color, int labelLeft, int labelWidth,
                                   int fieldWidth, int unitWidth, int top) {
    const model::QuantityInfo& info = model::quantityInfo(q);
    const FieldId id = *info.field;
    const std::string name = model::fieldName(id);
    FieldRow& row = m_rows[static_cast<int>(id)];
    row.label =
        parent->add<platform::Label>(name.substr(0, name.size() - 3) + "Lbl", info.windowCaption);
    row.label->setFont(boldFont());
    row.label->setTextAlign(TextAlign::Right);
    row.label->setBounds(labelLeft, top + 2, labelWidth, kRowLabelHeight);

    StaticText* f = parent->add<StaticText>(name, info.startText);
    f->setFont(boldFont());
    f->setColor(color);
    f->setBounds(labelLeft + labelWidth + 4, top, fieldWidth, kRowHeight);
    f->setAccessibleName(info.windowCaption);
    f->setTabStop(true);
    row.field = f;
    m_fields.bind(id, f);

    std::vector<LabelRun> unit = unitRunsOf(q);
    if (!unit.empty()) {
        row.unit = parent->add<platform::Label>(name.substr(0, name.size() - 3) + "UnitLbl");
        row.unit->setFont(boldFont());
        row.unit->setRuns(std::move(unit));
        row.unit->setBounds(f->bounds().right() + 4, top + 2, unitWidth, kRowLabelHeight);
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

    using model::Quantity;
    const int rows[] = {24, 45, 66, 87};
    SigTxt = addField(Panel1, Quantity::Sigma, clLime, 4, 96, 56, 100, rows[0]);
    MuTxt = addField(Panel1, Quantity::Mobility, clLime, 4, 96, 56, 100, rows[1]);
    RsTxt = addField(Panel1, Quantity::StokesRadius, clLime, 4, 96, 56, 100, rows[2]);
    RiTxt = addField(Panel1, Quantity::SaltIonRadius, clLime, 4, 96, 56, 100, rows[3]);
    ITxt = addField(Panel1, Quantity::IonicStrength, clLime, 270, 96, 56, 40, rows[0]);
    TTxt = addField(Panel1, Quantity::Temperature, clLime, 270, 96, 56, 40, rows[1]);
    DTxt = addField(Panel1, Quantity::Dielectric, clLime, 270, 96, 56, 40, rows[2]);
    VTxt = addField(Panel1, Quantity::Viscosity, clLime, 270, 96, 56, 40, rows[3]);

    // Made after the fields on its left, so that Tab reaches them first.
    GroupBox1 = Panel1->add<platform::GroupBox>("GroupBox1", "Field");
    GroupBox1->setFont(boldFont());
    GroupBox1->setBounds(0, 0, 202, 108);
    GroupBox1->setAlign(Align::Right);
    const int groupRows[] = {16, 38, 60, 82};
    CurrTxt = addField(GroupBox1, Quantity::Current, clLime, 2, 100, 48, 42, groupRows[0]);
    CondTxt = addField(GroupBox1, Quantity::Conductivity, clLime, 2, 100, 48, 42, groupRows[1]);
    XTxt = addField(GroupBox1, Quantity::XSection, clLime, 2, 100, 48, 42, groupRows[2]);
    ETxt = addField(GroupBox1, Quantity::EField, clYellow, 2, 100, 48, 42, groupRows[3]);

    SaltIonNotUsedTxt = Panel1->add<StaticText>("SaltIonNotUsedTxt", "not used");
    SaltIonNotUsedTxt->setFont(boldFont());
    SaltIonNotUsedTxt->setColor(platform::clRed);
    SaltIonNotUsedTxt->setBounds(RiTxt->bounds());
    SaltIonNotUsedTxt->setAccessibleName("Salt ion radius not used");
    SaltIonNotUsedTxt->setVisible(false);
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
    Chart1Export = std::make_unique<GraphExport>(*this, *Chart1);
    Series1 = &Chart1->series();
    Series1->setColor(platform::clRed);

    Splitter1 = Panel2->add<platform::Splitter>("Splitter1");
    Splitter1->setBounds(0, 0, 3, 282);
    Splitter1->setAlign(Align::Right);
    Splitter1->setResizeTarget(Chart1, 100);
    // Room the window gains goes to the graph; the results keep their width.
    m_panelWidth = Panel2->bounds().width;
    Panel2->OnResize = [this](platform::Control& panel) {
        const int gained = panel.bounds().width - m_panelWidth;
        m_panelWidth = panel.bounds().width;
        Chart1->setWidth(std::max(100, Chart1->bounds().width + gained));
    };

    ResultsLbl = Panel2->add<platform::Label>("ResultsLbl", "Results");
    ResultsLbl->setFont(boldFont());
    ResultsLbl->setBounds(8, 4, 120, 15);

    using model::Quantity;
    const std::pair<Quantity, StaticText**> rows[] = {
        {Quantity::EffectiveValence, &ZstarTxt},
        {Quantity::Valence, &ZTxt},
        {Quantity::ClosestApproach, &ATxt},
        {Quantity::InverseDebyeLength, &KTxt},
        {Quantity::Ka, &KaTxt},
        {Quantity::HenryFunction, &HTxt},
        {Quantity::DhhSlope, &DHHTxt},
        {Quantity::GeMax, &WTxt},
        {Quantity::Zeta, &ZetaTxt},
    };
    int top = 22;
    for (const auto& [quantity, member] : rows) {
        *member = addField(Panel2, quantity, clYellow, 2, 150, 70, 58, top);
        top += kRowPitch;
    }
    ModelLbl = Panel2->add<platform::Label>("ModelLbl", "Electrokinetic model");
    ModelLbl->setFont(boldFont());
    ModelLbl->setTextAlign(TextAlign::Right);
    ModelLbl->setBounds(2, top + 2, 150, kRowLabelHeight);
    ModelTxt = Panel2->add<StaticText>("ModelTxt", modelCaption(model::ElectrokineticModel::Dhh));
    ModelTxt->setFont(boldFont());
    ModelTxt->setColor(clLime);
    ModelTxt->setBounds(156, top, 132, kRowHeight);
    ModelTxt->setAccessibleName("Electrokinetic model");
    ModelTxt->setTabStop(true);
    top += kRowPitch;
    SaltLbl = Panel2->add<platform::Label>("SaltLbl", "Salt");
    SaltLbl->setFont(boldFont());
    SaltLbl->setTextAlign(TextAlign::Right);
    SaltLbl->setBounds(2, top + 2, 150, kRowLabelHeight);
    SaltTxt = Panel2->add<StaticText>("SaltTxt", Salt);
    SaltTxt->setFont(boldFont());
    SaltTxt->setColor(clLime);
    SaltTxt->setBounds(156, top, 132, kRowHeight);
    SaltTxt->setAccessibleName("Salt");
    SaltTxt->setTabStop(true);
    top += kRowPitch;

    KeyLbl1 = Panel2->add<platform::Label>("KeyLbl1");
    KeyLbl1->setRuns(colourKeyRuns());
    KeyLbl1->setBounds(8, top + 10, 284, 16);
    KeyLbl2 = Panel2->add<platform::Label>("KeyLbl2");
    KeyLbl2->setRuns({{"value not used ="}, LabelRun::swatchOf(platform::clRed)});
    KeyLbl2->setBounds(8, top + 32, 284, 16);
    SolutionsLbl = Panel2->add<platform::Label>("SolutionsLbl");
    SolutionsLbl->setWordWrap(true);
    SolutionsLbl->setBounds(8, top + 50, 284, Panel2->bounds().height - top - 50);
    showModelChoice();
}

void TOpeningForm::FormShow(platform::Form&) {
    ReadStartValues();
    Recalculate();
}

void TOpeningForm::ReadStartValues() {
    model::readStartValues(sample());
}

void TOpeningForm::showModelChoice() {
    ModelTxt->setText(modelCaption(Electrokinetic));
    const bool pointIons = !model::electrokineticModelInfo(Electrokinetic).henry;
    SaltTxt->setText(Salt);
    SaltLbl->setVisible(pointIons);
    SaltTxt->setVisible(pointIons);
    RiTxt->setVisible(!pointIons);
    SaltIonNotUsedTxt->setVisible(pointIons);
    if (platform::Label* unit = unitLabel(FieldId::RiTxt))
        unit->setVisible(!pointIons);
}

void TOpeningForm::Recalculate() {
    showModelChoice();
    SolutionsLbl->setText({});
    try {
        model::Recalculate(*this, m_fields, m_series, [this] { WriteLogEntry(); });
    } catch (const std::invalid_argument& e) {
        // A model not linear in z that does not hold for the conditions (an
        // asymmetric salt under Ohshima's approximation) gives no valence:
        // said, with nothing derived left standing from before.
        if (model::electrokineticModelInfo(Electrokinetic).henry)
            throw;
        showNoValence(e.what());
        Chart1->caption = graphCaption(*this, m_fields);
        return;
    }
    SolutionsLbl->setText(solutionsNote());
    Chart1->caption = graphCaption(*this, m_fields);
    if (m_henryModels && m_henryModels->visible())
        m_henryModels->showFor(*this, KaTxt->text(), SigTxt->text(), Chart1->caption);
    if (m_uncertainty && m_uncertainty->visible())
        m_uncertainty->showFor(*this, ZTxt->text(), Chart1->caption);
    if (m_charge && m_charge->visible())
        showCharge();
}

std::string TOpeningForm::solutionsNote() const {
    if (ValenceSolutions == model::Solutions::None)
        return "No valence gives this z*: it is above the largest the model gives.";
    if (ValenceSolutions == model::Solutions::TwoLowerTaken)
        return "Two valences give this z*: z = " + platform::FormatFloat("0.00", Valence) +
               " and z = " + platform::FormatFloat("0.00", OtherValence) + "; the lower is taken.";
    return {};
}

void TOpeningForm::showNoValence(const std::string& reason) {
    const model::ValenceModes modes = model::valenceModes(*this);
    std::vector<FieldId> derived = {FieldId::WTxt};
    if (!modes.fromZ) {
        Valence = std::numeric_limits<double>::quiet_NaN();
        derived.push_back(FieldId::ZTxt);
    }
    if (!modes.fromZstar)
        derived.push_back(FieldId::ZstarTxt);
    if (!modes.fromSigma) {
        derived.push_back(FieldId::SigTxt);
        if (MobilityFromSigma)
            derived.push_back(FieldId::MuTxt);
    }
    for (const FieldId id : derived)
        m_fields.setText(id, "none");
    m_series.clear();
    ValenceSolutions = model::Solutions::None;
    SolutionsLbl->setText(reason);
}

void TOpeningForm::showCharge() {
    const std::optional<double> uz = m_uncertainty && m_uncertainty->visible()
                                         ? m_uncertainty->valenceUncertainty()
                                         : std::nullopt;
    m_charge->showFor(*this, ZTxt->text(), uz, Chart1->caption);
}

void TOpeningForm::WriteLogEntry() {
    if (ReportFrm != nullptr) {
        calclog::WriteLogEntry(*this, m_fields, *ReportFrm);
        ReportFrm->entryWritten();
    }
}

bool TOpeningForm::enterNumber(model::Quantity q) {
    const model::QuantityInfo& info = model::quantityInfo(q);
    StaticText& f = *field(*info.field);
    double value = 0;
    if (!enterNumberInto(this, f, info.low, info.high, value))
        return false;
    model::enterInMainWindow(sample(), q, f.text(), value);
    return true;
}

// The valences stay below 10000 so that the graph keeps a step of 1.
void TOpeningForm::ZstarTxtClick(platform::Control&) {
    if (enterNumber(model::Quantity::EffectiveValence))
        Recalculate();
}

void TOpeningForm::ZTxtClick(platform::Control&) {
    if (enterNumber(model::Quantity::Valence))
        Recalculate();
}

void TOpeningForm::SaltTxtClick(platform::Control&) {
    const std::vector<electrokinetics::Salt>& salts = electrokinetics::salts();
    const auto at = std::find_if(salts.begin(), salts.end(),
                                 [this](const electrokinetics::Salt& s) { return s.name == Salt; });
    Salt = at == salts.end() || at + 1 == salts.end() ? salts.front().name : (at + 1)->name;
    Recalculate();
}

void TOpeningForm::ModelTxtClick(platform::Control&) {
    Electrokinetic = model::nextElectrokineticModel(Electrokinetic);
    Recalculate();
}

void TOpeningForm::ITxtClick(platform::Control&) {
    if (enterNumber(model::Quantity::IonicStrength))
        Recalculate();
}

void TOpeningForm::TTxtClick(platform::Control&) {
    if (enterNumber(model::Quantity::Temperature))
        Recalculate();
}

void TOpeningForm::RiTxtClick(platform::Control&) {
    if (enterNumber(model::Quantity::SaltIonRadius))
        Recalculate();
}

void TOpeningForm::DTxtClick(platform::Control&) {
    platform::DialogRef<TSolventDialog> dialog(SolventDialog, this);
    static_cast<model::SolventValues&>(*dialog) = model::solventValuesOf(*this);
    dialog->VTxt->setText(VTxt->text());
    dialog->DTxt->setText(DTxt->text());
    if (dialog->ShowModal() != platform::ModalResult::Ok)
        return;
    model::takeBackSolvent(sample(), *dialog, {dialog->VTxt->text(), dialog->DTxt->text()});
    Recalculate();
}

void TOpeningForm::VTxtClick(platform::Control& sender) {
    DTxtClick(sender);
}

void TOpeningForm::CurrTxtClick(platform::Control& sender) {
    if (exchangeFieldGroup(this, sender, model::fieldGroupOf(*this), m_fields))
        Recalculate();
}

void TOpeningForm::RsTxtClick(platform::Control&) {
    const std::optional<model::DfRsValues> v =
        runDfRsCalculator(this, model::dfRsValuesOf(model::hydrodynamicsOf(*this)));
    if (!v)
        return;
    model::takeBackDfRs(sample(), *v);
    Recalculate();
}

void TOpeningForm::MuTxtClick(platform::Control&) {
    platform::DialogRef<TMuCalculator> calc(MuCalculator, this);
    static_cast<model::MobilityValues&>(*calc) = model::mobilityValuesOf(*this);
    if (calc->ShowModal() != platform::ModalResult::Ok)
        return;
    model::takeBackMobility(sample(), *calc, calc->fields());
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
    offerLogSave();
    // Only once the log is settled: a failed save keeps every window as it was.
    closeSeriesWindows();
}

void TOpeningForm::offerLogSave() {
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
    }
    m_henryModels->showFor(*this, KaTxt->text(), SigTxt->text(), Chart1->caption);
    m_henryModels->Show();
}

TUncertaintyFrm& TOpeningForm::uncertaintyMade() {
    if (!m_uncertainty) {
        // The log window may come and go; the block goes to the one there
        // is when the user adds it.
        m_uncertainty =
            std::make_unique<TUncertaintyFrm>(this, []() -> model::LogSink* { return ReportFrm; });
    }
    return *m_uncertainty;
}

void TOpeningForm::Uncertainty1Click(platform::MenuItem&) {
    uncertaintyMade().showFor(*this, ZTxt->text(), Chart1->caption);
    m_uncertainty->Show();
}

void TOpeningForm::SigmaProfile1Click(platform::MenuItem&) {
    if (!m_sigmaProfile) {
        SigmaUse use;
        use.enter = [this](const std::string& sigma, double se) -> std::optional<std::string> {
            if (auto refusal = EnterSigma(sigma))
                return refusal;
            setInputUncertainty(analysis::input(model::Quantity::Sigma), se);
            return std::nullopt;
        };
        use.log = [](const std::string& line) {
            if (ReportFrm)
                ReportFrm->AddLogLine(line);
        };
        m_sigmaProfile = std::make_unique<TSigmaProfileFrm>(this, std::move(use));
    }
    m_sigmaProfile->Show();
}

void TOpeningForm::ChargeSequence1Click(platform::MenuItem&) {
    if (!m_charge) {
        m_charge = std::make_unique<TChargeFrm>(this);
    }
    showCharge();
    m_charge->Show();
}

std::optional<std::string> TOpeningForm::EnterSigma(const std::string& text) {
    if (auto refusal = model::enterMeasured(sample(), model::Quantity::Sigma, text))
        return refusal;
    Recalculate();
    return std::nullopt;
}

void TOpeningForm::setInputUncertainty(analysis::Input input, double u) {
    uncertaintyMade().setUncertainty(input, u);
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

}  // namespace forms
