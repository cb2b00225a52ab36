// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/ChargeSequence.h"

#include <cmath>

#include "analysis/Uncertainty.h"
#include "forms/DialogLayout.h"
#include "forms/Enternumber.h"
#include "forms/WidgetFields.h"
#include "platform/Application.h"
#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"

namespace forms {

using platform::Label;
using platform::StaticText;

namespace {

constexpr int kRowPitch = 22;
constexpr int kLeftWidth = 436;
constexpr int kCurvePoints = 281;  // every 0.05 pH
constexpr int kChoicesTop = 120;

platform::Font boldFont() {
    platform::Font f;
    f.bold = true;
    return f;
}

std::string charge2(double z) {
    return platform::FormatFloat("0.00", z);
}

}  // namespace

TChargeFrm::TChargeFrm(platform::Form* owner) : Form(owner, "ChargeFrm") {
    setCaption("Charge from the sequence");
    setClientSize(900, 540);
    setMinClientSize(900, 540);
    build();
    OnResize = [this](platform::Control&) {
        Chart1->setBounds(kLeftWidth + 8, 8, clientWidth() - kLeftWidth - 16, clientHeight() - 16);
        CloseBtn->setBounds(kLeftWidth - 83, clientHeight() - 33, 75, 25);
    };
    OnResize(*this);
    update();
}

TChargeFrm::~TChargeFrm() = default;

void TChargeFrm::build() {
    OpenBtn = add<platform::Button>("OpenBtn");
    OpenBtn->setText("&Open sequence...");
    OpenBtn->setBounds(8, 8, 130, 25);
    OpenBtn->OnClick = [this](platform::Control& c) { OpenBtnClick(c); };
    PasteBtn = add<platform::Button>("PasteBtn");
    PasteBtn->setText("&Paste sequence");
    PasteBtn->setBounds(146, 8, 130, 25);
    PasteBtn->OnClick = [this](platform::Control& c) { PasteBtnClick(c); };
    NameLbl = add<Label>("NameLbl");
    NameLbl->setFont(boldFont());
    NameLbl->setBounds(8, 42, kLeftWidth - 16, kRowLabelHeight);
    GroupsLbl = add<Label>("GroupsLbl");
    GroupsLbl->setBounds(8, 62, kLeftWidth - 16, kRowLabelHeight);
    NotesLbl = add<Label>("NotesLbl");
    NotesLbl->setWordWrap(true);
    NotesLbl->setBounds(8, 82, kLeftWidth - 16, 2 * (kRowLabelHeight) + 2);

    const auto click = [this](void (TChargeFrm::*handler)(platform::Control&)) {
        return [this, handler](platform::Control& sender) { (this->*handler)(sender); };
    };
    addChoiceFields(
        *this, kChoicesTop,
        {
            {&SetLbl, &SetTxt, "Set", "pKa set:", click(&TChargeFrm::SetTxtClick)},
            {&PhLbl, &PhTxt, "Ph", "pH:", click(&TChargeFrm::PhTxtClick)},
            {&BridgesLbl, &BridgesTxt, "Bridges",
             "S-S bridges:", click(&TChargeFrm::BridgesTxtClick)},
            {&NTermLbl, &NTermTxt, "NTerm", "N-terminus:", click(&TChargeFrm::NTermTxtClick)},
            {&CTermLbl, &CTermTxt, "CTerm", "C-terminus:", click(&TChargeFrm::CTermTxtClick)},
        });
    PhTxt->setText("7.00");
    BridgesTxt->setText("0");
    NTermTxt->setText("free");
    CTermTxt->setText("free");
    CitationLbl = add<Label>("CitationLbl");
    CitationLbl->setWordWrap(true);
    CitationLbl->setBounds(8, kChoicesTop + 3 * kRowPitch + 2, kLeftWidth - 16,
                           2 * (kRowLabelHeight) + 2);

    const int tableTop = kChoicesTop + 3 * kRowPitch + 44;
    const char* headers[] = {"", "Value", "u"};
    const int columns[] = {8, 260, 346};
    for (int c = 0; c < 3; ++c) {
        HeaderLbls[c] = add<Label>("HeaderLbl" + std::to_string(c), headers[c]);
        HeaderLbls[c]->setFont(boldFont());
        HeaderLbls[c]->setTextAlign(platform::TextAlign::Center);
        HeaderLbls[c]->setBounds(columns[c], tableTop, c == 0 ? 248 : 80, kRowLabelHeight);
    }
    const char* rows[kResultRows] = {"Predicted Z (Henderson\u2013Hasselbalch)",
                                     "Screened Z at the conditions",
                                     "Measured z",
                                     "Bound charge z \u2212 Z (screened)",
                                     "Isoelectric point",
                                     "Isoelectric point, screened"};
    for (int r = 0; r < kResultRows; ++r) {
        const int top = tableTop + 18 + r * kRowPitch;
        ResultRow& row = ResultRows[r];
        row.name = add<Label>("ResultLbl" + std::to_string(r), rows[r]);
        row.name->setFont(boldFont());
        row.name->setBounds(columns[0], top + 2, 248, kRowLabelHeight);
        StaticText** cells[] = {&row.value, &row.u};
        for (int c = 0; c < 2; ++c) {
            StaticText* cell = add<StaticText>((c == 0 ? "ValueTxt" : "UTxt") + std::to_string(r));
            cell->setColor(platform::clYellow);
            cell->setTextAlign(platform::TextAlign::Center);
            cell->setBounds(columns[c + 1], top, 80, kRowHeight);
            cell->setAccessibleName(std::string(rows[r]) + ", " + headers[c + 1]);
            cell->setTabStop(true);
            *cells[c] = cell;
        }
    }

    Chart1 = add<platform::LineChart>("Chart1");
    Chart1->setAccessibleName("Graph of the net charge against the pH");
    Chart1->setTitles("Net charge from the sequence", "pH", "Z");
    Chart1->legendAtTop = true;
    Chart1->appearanceChanged();
    Chart1Export = std::make_unique<GraphExport>(*this, *Chart1);
    CloseBtn = add<platform::Button>("CloseBtn");
    CloseBtn->setText("&Close");
    CloseBtn->setCancel(true);
    CloseBtn->OnClick = [this](platform::Control&) { Close(); };

    OpenDialog1 = sequenceOpenDialog(this, "OpenDialog1", "Open sequence");
}

std::unique_ptr<platform::OpenDialog> sequenceOpenDialog(platform::Form* owner,
                                                         const std::string& name,
                                                         const std::string& title) {
    auto d = std::make_unique<platform::OpenDialog>(owner, name);
    d->Title = title;
    d->Filter = "Sequences|*.fasta *.fa *.faa *.txt *.seq|All files|*";
    return d;
}

void TChargeFrm::showFor(const model::ModelState& s, const std::string& zText,
                         std::optional<double> uz, const std::string& caption) {
    m_state = s;
    m_zText = zText;
    m_uz = uz;
    Chart1->caption = caption;
    update();
}

void TChargeFrm::takeSequence(const std::string& text) {
    takeSequence(charge::readSequence(text));
}

void TChargeFrm::takeSequence(charge::ProteinSequence read) {
    m_choice.options = charge::fittedTo(read, m_choice.options);
    m_sequence = std::move(read);
    BridgesTxt->setText(std::to_string(m_choice.options.disulfideBridges));
    update();
}

void TChargeFrm::update() {
    const charge::PkaSet& set = m_choice.pkaSet();
    SetTxt->setText(std::string(set.name));
    CitationLbl->setText(std::string(set.citation));
    for (ResultRow& row : ResultRows) {
        row.value->setText("");
        row.u->setText("");
    }
    if (!m_sequence) {
        NameLbl->setText("No sequence: open a FASTA file or paste the sequence.");
        GroupsLbl->setText("");
        NotesLbl->setText("");
        Chart1->setSeries({});
        return;
    }
    const charge::ProteinSequence& seq = *m_sequence;
    NameLbl->setText(sequenceTitle(seq));
    const charge::IonizableGroups groups = charge::countGroups(seq, m_choice.options);
    GroupsLbl->setText(groupsText(groups));
    std::string notes;
    for (const std::string& n : seq.notes)
        notes += (notes.empty() ? "" : " ") + n;
    NotesLbl->setText(notes);

    const std::vector<charge::Site> sites = charge::titrationSites(groups, set);
    const double predicted = charge::netCharge(sites, m_pH);
    std::optional<double> shift, screened;
    std::string conditions;
    try {
        shift = charge::pkShiftPerCharge(m_state);
        screened = charge::screenedCharge(sites, m_pH, *shift);
    } catch (const platform::Exception& e) {
        conditions = e.what();
    }
    ResultRows[0].value->setText(charge2(predicted));
    if (screened)
        ResultRows[1].value->setText(charge2(*screened));
    else
        ResultRows[1].value->setText("n/a");
    ResultRows[2].value->setText(m_zText);
    if (m_uz)
        ResultRows[2].u->setText(analysis::quotedText(*m_uz, *m_uz));
    if (screened) {
        const charge::BoundCharge bound =
            charge::boundCharge(m_state.Valence, m_uz.value_or(0), *screened);
        ResultRows[3].value->setText(charge2(bound.value));
        if (m_uz)
            ResultRows[3].u->setText(analysis::quotedText(bound.uncertainty, bound.uncertainty));
    }
    const charge::ChargeCurve curve =
        shift ? charge::chargeCurve(sites, m_state, kCurvePoints) : charge::ChargeCurve{};
    const auto pI = [](const std::optional<double>& p) {
        return p ? platform::FormatFloat("0.000", *p) : std::string("none");
    };
    ResultRows[4].value->setText(pI(charge::isoelectricPoint(sites)));
    ResultRows[5].value->setText(shift ? pI(curve.screenedIsoelectricPoint) : "n/a");
    if (!conditions.empty())
        NotesLbl->setText(conditions);

    // Both curves, the isoelectric point and the measured z at its pH.
    platform::LineSeries hh{"Henderson\u2013Hasselbalch", platform::clBlue, {}};
    platform::LineSeries sc{"Screened", platform::clRed, {}, true};
    double lo = std::min(0.0, m_state.Valence), hi = std::max(0.0, m_state.Valence);
    for (int k = 0; k < kCurvePoints; ++k) {
        const double pH = 14.0 * k / (kCurvePoints - 1);
        const double z = charge::netCharge(sites, pH);
        hh.points.push_back({pH, z});
        lo = std::min(lo, z);
        hi = std::max(hi, z);
    }
    for (const charge::ChargePoint& p : curve.points)
        sc.points.push_back({p.pH, p.screened});
    std::vector<platform::LineSeries> series{hh};
    if (!sc.points.empty())
        series.push_back(sc);
    if (const auto p = charge::isoelectricPoint(sites))
        series.push_back({"pI", platform::clBlack, {{*p, 0}}, false, true});
    const double u = m_uz.value_or(0);
    series.push_back(
        {"Measured z", platform::Color{0, 128, 0}, {{m_pH, m_state.Valence}}, false, true});
    if (u > 0)
        series.push_back({"",
                          platform::Color{0, 128, 0},
                          {{m_pH, m_state.Valence - 2 * u}, {m_pH, m_state.Valence + 2 * u}}});
    // Room above the curves and the measured z for the legend.
    const double pad = std::max(1.0, 0.05 * (hi - lo));
    Chart1->bottomAxis = {0, 14, false};
    Chart1->leftAxis = {lo - pad, hi + pad + 0.45 * (hi - lo), false};
    Chart1->appearanceChanged();
    Chart1->setSeries(std::move(series));
}

void TChargeFrm::OpenBtnClick(platform::Control&) {
    if (!OpenDialog1->Execute())
        return;
    takeSequence(charge::readSequenceFile(OpenDialog1->FileName));
}

void TChargeFrm::PasteBtnClick(platform::Control&) {
    takeSequence(platform::services().clipboard().plain);
}

void TChargeFrm::SetTxtClick(platform::Control&) {
    nextPkaSet(m_choice);
    update();
}

void TChargeFrm::BridgesTxtClick(platform::Control&) {
    if (enterBridges(this, *BridgesTxt, m_choice, m_sequence ? &*m_sequence : nullptr))
        update();
}

void TChargeFrm::NTermTxtClick(platform::Control&) {
    toggleTerminus(m_choice.options.nTerminusBlocked, *NTermTxt);
    update();
}

void TChargeFrm::CTermTxtClick(platform::Control&) {
    toggleTerminus(m_choice.options.cTerminusBlocked, *CTermTxt);
    update();
}

void TChargeFrm::PhTxtClick(platform::Control&) {
    if (enterNumberInto(this, *PhTxt, 0, 14, m_pH))
        update();
}

}  // namespace forms
