// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Uncertainty.h"

#include <algorithm>
#include <cmath>

#include "forms/BackgroundRun.h"
#include "forms/DialogLayout.h"
#include "forms/Enternumber.h"
#include "forms/Report.h"
#include "forms/WidgetFields.h"
#include "log/UncertaintyBlock.h"
#include "platform/Application.h"
#include "platform/base/NumberText.h"

namespace forms {

using analysis::Input;
using platform::Label;
using platform::StaticText;

namespace {

constexpr int kRowPitch = 22;
constexpr int kTableTop = 46;
constexpr int kFirstRowTop = 64;
constexpr int kGumHeight = 2 * kRowPitch + 34;  // two rows and the coverage line
constexpr int kChartLeft = 424;
constexpr int kClientWidth = 820;
constexpr int kClientHeight = 640;  // room for the largest budget
constexpr double kPi = 3.14159265358979323846;
constexpr const char* kCoverageText =
    "U = k u with k = 2: an interval of about 95 % coverage when the result is normally "
    "distributed.";

platform::Font boldFont() {
    platform::Font f;
    f.bold = true;
    return f;
}

std::string number(double value) {
    return analysis::significantText(value);
}

std::string captionOf(Input input) {
    const analysis::InputInfo& info = analysis::inputInfo(input);
    const std::string unit = info.unit;
    return unit.empty() ? info.caption : std::string(info.caption) + " (" + unit + ")";
}

}  // namespace

TUncertaintyFrm::TUncertaintyFrm(platform::Form* owner, LogTarget log)
    : Form(owner, "UncertaintyFrm"), m_log(std::move(log)) {
    setCaption("Uncertainty of z");
    setClientSize(kClientWidth, kClientHeight);
    setMinClientSize(kClientWidth, kClientHeight);
    buildInputs();
    buildMonteCarlo();
    layOut();
    OnClose = [this](platform::Form&, platform::CloseAction&) { stopRun(); };
    OnResize = [this](platform::Control&) { layOut(); };
}

TUncertaintyFrm::~TUncertaintyFrm() {
    stopRun();
}

void TUncertaintyFrm::buildInputs() {
    StateLbl = add<Label>("StateLbl");
    StateLbl->setFont(boldFont());
    StateLbl->setBounds(8, 6, clientWidth() - 16, kRowLabelHeight);
    ValenceLbl = add<Label>("ValenceLbl");
    ValenceLbl->setBounds(8, 24, clientWidth() - 16, kRowLabelHeight);
    DigitsLbl = add<Label>("DigitsLbl", "Shown:");
    DigitsLbl->setTextAlign(platform::TextAlign::Right);
    DigitsTxt = add<StaticText>("DigitsTxt", "2 significant digits");
    DigitsTxt->setColor(platform::clLime);
    DigitsTxt->setTextAlign(platform::TextAlign::Center);
    DigitsTxt->setAccessibleName("Digits of the uncertainties");
    DigitsTxt->setTabStop(true);
    DigitsTxt->OnClick = [this](platform::Control& c) { DigitsTxtClick(c); };

    const char* headers[] = {"Input", "Value",        "u",        "Distribution",
                             "dz/dx", "u(z) from it", "Share (%)"};
    const int columns[] = {8, 232, 326, 420, 520, 620, 714};
    const int widths[] = {220, 90, 90, 96, 96, 90, 98};
    for (int c = 0; c < 7; ++c) {
        HeaderLbls[c] = add<Label>("HeaderLbl" + std::to_string(c), headers[c]);
        HeaderLbls[c]->setFont(boldFont());
        if (c > 0)
            HeaderLbls[c]->setTextAlign(platform::TextAlign::Center);
        HeaderLbls[c]->setBounds(columns[c], kTableTop, widths[c], kRowLabelHeight);
    }
    for (int r = 0; r < kMaxRows; ++r) {
        const int top = kFirstRowTop + r * kRowPitch;
        const std::string n = std::to_string(r);
        Row& row = Rows[r];
        row.name = add<Label>("InputLbl" + n);
        row.name->setBounds(columns[0], top + 2, widths[0], kRowLabelHeight);
        StaticText** cells[] = {&row.value,        &row.u,    &row.distribution, &row.sensitivity,
                                &row.contribution, &row.share};
        const char* names[] = {"ValueTxt", "UTxt", "DistTxt", "SensTxt", "ContribTxt", "ShareTxt"};
        // The colour key: what the user enters here lime, what is calculated yellow.
        const platform::Color colors[] = {platform::clWhite,  platform::clLime,
                                          platform::clLime,   platform::clYellow,
                                          platform::clYellow, platform::clYellow};
        for (int c = 0; c < 6; ++c) {
            StaticText* cell = add<StaticText>(names[c] + n);
            cell->setColor(colors[c]);
            cell->setTextAlign(platform::TextAlign::Center);
            cell->setBounds(columns[c + 1], top, widths[c + 1], kRowHeight);
            cell->setTabStop(c == 1 || c == 2);
            *cells[c] = cell;
        }
        row.u->OnClick = [this](platform::Control& c) { UTxtClick(c); };
        row.distribution->OnClick = [this](platform::Control& c) { DistTxtClick(c); };
    }

    // The GUM section, placed under the rows that show by layOut.
    const std::size_t first = children().size();
    const char* rowNames[] = {"Gum", "Expanded"};
    const char* rowCaptions[] = {"GUM, combined:", "Expanded, k = 2:"};
    const char* captions[2][3] = {{"u(z)", "u(z*)", "u(Ge(max)), kJ/mol"},
                                  {"U(z)", "U(z*)", "U(Ge(max)), kJ/mol"}};
    Label** rowLbls[] = {&GumLbl, &ExpandedLbl};
    StaticText** txts[] = {GumTxts, ExpandedTxts};
    Label** captionLbls[] = {GumCaptionLbls, ExpandedCaptionLbls};
    const int lefts[] = {176, 366, 646};
    const int captionWidths[] = {40, 48, 130};
    for (int g = 0; g < 2; ++g) {
        const int top = g * kRowPitch;
        const std::string name = rowNames[g];
        *rowLbls[g] = add<Label>(name + "Lbl", rowCaptions[g]);
        (*rowLbls[g])->setFont(boldFont());
        (*rowLbls[g])->setBounds(8, top + 2, 120, kRowLabelHeight);
        for (int k = 0; k < 3; ++k) {
            Label* caption = add<Label>(name + "CaptionLbl" + std::to_string(k), captions[g][k]);
            caption->setTextAlign(platform::TextAlign::Right);
            caption->setBounds(lefts[k] - 4 - captionWidths[k], top + 2, captionWidths[k],
                               kRowLabelHeight);
            captionLbls[g][k] = caption;
            StaticText* txt = add<StaticText>(name + "Txt" + std::to_string(k));
            txt->setColor(platform::clYellow);
            txt->setTextAlign(platform::TextAlign::Center);
            txt->setBounds(lefts[k], top, 90, kRowHeight);
            txt->setAccessibleName(std::string(g == 0 ? "GUM " : "GUM expanded ") + captions[g][k]);
            txt->setTabStop(true);
            txts[g][k] = txt;
        }
    }
    // Or what the budget says of its valences under a model not linear in z.
    CoverageLbl = add<Label>("CoverageLbl", kCoverageText);
    CoverageLbl->setBounds(8, 2 * kRowPitch + 2, kClientWidth - 16, kRowLabelHeight);
    for (std::size_t i = first; i < children().size(); ++i)
        m_gumSection.push_back({children()[i].get(), children()[i]->bounds().top});
}

void TUncertaintyFrm::buildMonteCarlo() {
    // Built at the top of its section; layOut places it.
    const int top = 0;
    const std::size_t first = children().size();
    MonteCarloLbl = add<Label>("MonteCarloLbl", "Monte Carlo");
    MonteCarloLbl->setFont(boldFont());
    MonteCarloLbl->setBounds(8, top, 200, kRowLabelHeight);

    DrawsLbl = add<Label>("DrawsLbl", "Draws:");
    DrawsLbl->setBounds(8, top + 24, 50, kRowLabelHeight);
    DrawsTxt = add<StaticText>("DrawsTxt");
    DrawsTxt->setColor(platform::clLime);
    DrawsTxt->setTextAlign(platform::TextAlign::Center);
    DrawsTxt->setBounds(60, top + 22, 90, kRowHeight);
    DrawsTxt->setAccessibleName("Draws");
    DrawsTxt->setTabStop(true);
    DrawsTxt->OnClick = [this](platform::Control& c) { DrawsTxtClick(c); };
    SeedLbl = add<Label>("SeedLbl", "Seed:");
    SeedLbl->setTextAlign(platform::TextAlign::Right);
    SeedLbl->setBounds(160, top + 24, 50, kRowLabelHeight);
    SeedTxt = add<StaticText>("SeedTxt");
    SeedTxt->setColor(platform::clLime);
    SeedTxt->setTextAlign(platform::TextAlign::Center);
    SeedTxt->setBounds(214, top + 22, 90, kRowHeight);
    SeedTxt->setAccessibleName("Seed");
    SeedTxt->setTabStop(true);
    SeedTxt->OnClick = [this](platform::Control& c) { SeedTxtClick(c); };

    RunBtn = add<platform::Button>("RunBtn");
    RunBtn->setText("&Run");
    RunBtn->setBounds(8, top + 50, 75, 25);
    RunBtn->OnClick = [this](platform::Control& c) { RunBtnClick(c); };
    CancelBtn = add<platform::Button>("CancelBtn");
    CancelBtn->setText("&Cancel");
    CancelBtn->setBounds(90, top + 50, 75, 25);
    CancelBtn->setVisible(false);
    CancelBtn->OnClick = [this](platform::Control& c) { CancelBtnClick(c); };
    ProgressPnl = add<platform::Panel>("ProgressPnl");
    ProgressPnl->setBevels(platform::Bevel::Lowered, platform::Bevel::None);
    ProgressPnl->setBounds(172, top + 53, BackgroundRun::kProgressWidth, kRowHeight);
    ProgressPnl->setAccessibleName("Progress");
    ProgressPnl->setVisible(false);
    ProgressBar = ProgressPnl->add<platform::Shape>("ProgressBar");
    ProgressBar->setColor(platform::Color{0, 0, 128});
    ProgressBar->setBounds(1, 1, 0, kRowHeight - 2);
    ProgressLbl = add<Label>("ProgressLbl");
    ProgressLbl->setBounds(172 + BackgroundRun::kProgressWidth + 6, top + 55, 60, kRowLabelHeight);

    const char* headers[] = {"", "Mean", "u", "95 % from", "95 % to"};
    const int columns[] = {8, 100, 180, 260, 340};
    for (int c = 0; c < 5; ++c) {
        ResultHeaderLbls[c] = add<Label>("ResultHeaderLbl" + std::to_string(c), headers[c]);
        ResultHeaderLbls[c]->setFont(boldFont());
        ResultHeaderLbls[c]->setTextAlign(platform::TextAlign::Center);
        ResultHeaderLbls[c]->setBounds(columns[c], top + 86, c == 0 ? 88 : 76, kRowLabelHeight);
    }
    const char* rows[] = {"z", "z*", "Ge(max), kJ/mol"};
    for (int r = 0; r < 3; ++r) {
        const int rowTop = top + 104 + r * kRowPitch;
        ResultRow& row = ResultRows[r];
        row.name = add<Label>("ResultLbl" + std::to_string(r), rows[r]);
        row.name->setFont(boldFont());
        row.name->setBounds(columns[0], rowTop + 2, 90, kRowLabelHeight);
        for (int c = 0; c < 4; ++c) {
            StaticText* cell = add<StaticText>("ResultTxt" + std::to_string(r) + std::to_string(c));
            cell->setColor(platform::clYellow);
            cell->setTextAlign(platform::TextAlign::Center);
            cell->setBounds(columns[c + 1], rowTop, 76, kRowHeight);
            cell->setAccessibleName(std::string("Monte Carlo ") + headers[c + 1] + ", " + rows[r]);
            cell->setTabStop(true);
            row.cells[c] = cell;
        }
    }
    RejectedLbl = add<Label>("RejectedLbl");
    RejectedLbl->setBounds(8, top + 174, 410, kRowLabelHeight);
    StatusLbl = add<Label>("StatusLbl");
    StatusLbl->setBounds(8, top + 194, 410, kRowLabelHeight);
    ValenceNoteLbl = add<Label>("ValenceNoteLbl");
    ValenceNoteLbl->setWordWrap(true);
    ValenceNoteLbl->setBounds(8, top + 214, 410, 2 * kRowLabelHeight);
    for (std::size_t i = first; i < children().size(); ++i)
        m_monteCarloSection.push_back({children()[i].get(), children()[i]->bounds().top});

    Chart1 = add<platform::LineChart>("Chart1");
    Chart1Export = std::make_unique<GraphExport>(*this, *Chart1);
    Chart1->setAccessibleName("Graph of the Monte Carlo distribution of z");
    Chart1->setTitles("Distribution of z", "z", "Probability density");
    Chart1->legendAtTop = true;
    Chart1->appearanceChanged();

    AddToLogBtn = add<platform::Button>("AddToLogBtn");
    AddToLogBtn->setText("&Add to log");
    AddToLogBtn->OnClick = [this](platform::Control& c) { AddToLogBtnClick(c); };
    KeyLbl = add<platform::Label>("KeyLbl");
    KeyLbl->setRuns(colourKeyRuns());
    CloseBtn = add<platform::Button>("CloseBtn");
    CloseBtn->setText("&Close");
    CloseBtn->setCancel(true);
    CloseBtn->OnClick = [this](platform::Control&) { Close(); };

    DrawsTxt->setText(std::to_string(m_options.draws));
    SeedTxt->setText(std::to_string(m_options.seed));
}

void TUncertaintyFrm::layOut() {
    const int w = clientWidth();
    const int h = clientHeight();
    StateLbl->setWidth(w - 16 - 200);
    ValenceLbl->setWidth(w - 16);
    DigitsTxt->setBounds(w - 8 - 140, 4, 140, kRowHeight);
    DigitsLbl->setBounds(w - 8 - 140 - 56, 6, 52, kRowLabelHeight);
    const int gumTop = kFirstRowTop + m_rowsShown * kRowPitch + 6;
    for (const Placed& p : m_gumSection)
        p.control->setBounds(p.control->bounds().left, gumTop + p.top, p.control->bounds().width,
                             p.control->bounds().height);
    const int monteCarloTop = gumTop + kGumHeight;
    for (const Placed& p : m_monteCarloSection)
        p.control->setBounds(p.control->bounds().left, monteCarloTop + p.top,
                             p.control->bounds().width, p.control->bounds().height);
    Chart1->setBounds(kChartLeft, monteCarloTop - 4, w - kChartLeft - 8, h - monteCarloTop - 40);
    AddToLogBtn->setBounds(w - 190, h - 33, 95, 25);
    KeyLbl->setBounds(8, h - 28, 284, 16);
    CloseBtn->setBounds(w - 83, h - 33, 75, 25);
}

std::string TUncertaintyFrm::uncertaintyText(double u) const {
    return m_allDigits ? number(u) : analysis::quotedText(u, u);
}

std::string TUncertaintyFrm::valueText(double value, double u) const {
    return m_allDigits ? number(value) : analysis::quotedText(value, u);
}

void TUncertaintyFrm::showFor(const model::ModelState& s, const std::string& zText,
                              const std::string& caption) {
    Chart1->caption = caption;
    m_measurement = analysis::measurementOf(s);
    if (!m_measurement) {
        StateLbl->setText(
            "The uncertainty analysis needs a measured Sigma or mobility: "
            "now z or z* is entered.");
        ValenceLbl->setText("");
    } else {
        StateLbl->setText(m_measurement->model.fromMobility ? "z from the measured mobility"
                                                            : "z from the measured Sigma");
        const double z = analysis::evaluate(m_measurement->model, m_measurement->values).valence;
        ValenceLbl->setText("z = " + zText + " as shown; " + number(z) +
                            " at the entered values without display rounding");
    }
    update();
}

bool TUncertaintyFrm::anyUncertainty() const {
    if (!m_measurement)
        return false;
    for (Input input : m_measurement->model.inputs())
        if (m_u[static_cast<int>(input)].u > 0)
            return true;
    return false;
}

TUncertaintyFrm::RunKey TUncertaintyFrm::currentKey() const {
    RunKey key;
    if (m_measurement) {
        key.values = m_measurement->values;
        key.hydrodynamic = m_measurement->model.hydrodynamic;
        key.fieldFromCurrent = m_measurement->model.fieldFromCurrent;
        key.fromMobility = m_measurement->model.fromMobility;
        key.water = m_measurement->model.water;
        key.electrokinetic = m_measurement->model.electrokinetic;
        key.salt = m_measurement->model.salt;
        for (Input input : m_measurement->model.inputs())
            key.u[static_cast<int>(input)] = m_u[static_cast<int>(input)];
    }
    key.options = m_options;
    return key;
}

bool TUncertaintyFrm::resultCurrent() const {
    return m_result && anyUncertainty() && currentKey() == m_resultKey;
}

void TUncertaintyFrm::update() {
    m_gum.reset();
    std::string gumNote;
    if (m_measurement) {
        try {
            m_gum = analysis::gumBudget(*m_measurement, m_u);
            gumNote = analysis::valenceNote(*m_gum);
        } catch (const std::invalid_argument& e) {
            // A model not linear in z that does not hold for the conditions.
            StateLbl->setText(std::string("The model cannot give z here: ") + e.what());
            m_measurement.reset();
        }
    }
    CoverageLbl->setText(gumNote.empty() ? kCoverageText : gumNote);
    const std::vector<Input> inputs =
        m_measurement ? m_measurement->model.inputs() : std::vector<Input>{};
    if (m_rowsShown != static_cast<int>(inputs.size())) {
        m_rowsShown = static_cast<int>(inputs.size());
        layOut();
    }
    for (int r = 0; r < kMaxRows; ++r) {
        Row& row = Rows[r];
        const bool shown = r < static_cast<int>(inputs.size());
        platform::Control* controls[] = {row.name,         row.value,       row.u,
                                         row.distribution, row.sensitivity, row.contribution,
                                         row.share};
        for (platform::Control* c : controls)
            c->setVisible(shown);
        if (!shown)
            continue;
        const Input input = inputs[static_cast<std::size_t>(r)];
        const int i = static_cast<int>(input);
        const analysis::BudgetRow& b = m_gum->rows[static_cast<std::size_t>(r)];
        const std::string caption = captionOf(input);
        row.name->setText(caption);
        row.value->setText(platform::FloatToStr(m_measurement->values[i]));
        // A u that a fit gave is shown as the results' are; a typed one as typed.
        row.u->setText(m_fittedU[i] ? uncertaintyText(m_u[i].u) : platform::FloatToStr(m_u[i].u));
        row.distribution->setText(analysis::distributionName(m_u[i].distribution));
        row.sensitivity->setText(m_allDigits ? number(b.sensitivity)
                                             : analysis::significantText(b.sensitivity, 3));
        row.contribution->setText(uncertaintyText(b.contribution));
        row.share->setText(platform::FormatFloat("0.0", 100 * b.share));
        const char* what[] = {"value", "standard uncertainty", "distribution",
                              "dz/dx", "contribution to u(z)", "share of u(z) squared"};
        StaticText* cells[] = {row.value,        row.u,    row.distribution, row.sensitivity,
                               row.contribution, row.share};
        for (int c = 0; c < 6; ++c)
            cells[c]->setAccessibleName(caption + ", " + what[c]);
    }
    const double gum[] = {m_gum ? m_gum->uValence : 0, m_gum ? m_gum->uEffectiveValence : 0,
                          m_gum ? m_gum->uGeMax : 0};
    for (int k = 0; k < 3; ++k) {
        GumTxts[k]->setText(m_gum ? uncertaintyText(gum[k]) : "");
        ExpandedTxts[k]->setText(m_gum ? uncertaintyText(analysis::kCoverageFactor * gum[k]) : "");
    }

    if (!m_measurement) {
        stopRun();
        clearResult("");
        return;
    }
    if (!anyUncertainty()) {
        stopRun();
        clearResult("Enter a standard uncertainty u for an input: click its u.");
        return;
    }
    if (resultCurrent()) {
        showResult();
        return;
    }
    if (runningFor(currentKey()))
        return;
    startRun();
}

void TUncertaintyFrm::clearResult(const std::string& status) {
    for (ResultRow& row : ResultRows)
        for (StaticText* cell : row.cells)
            cell->setText("");
    RejectedLbl->setText("");
    ValenceNoteLbl->setText("");
    StatusLbl->setText(status);
    Chart1->setSeries({});
    RunBtn->setEnabled(!m_run && anyUncertainty());
    AddToLogBtn->setEnabled(false);
}

void TUncertaintyFrm::showResult() {
    const analysis::Summary* summaries[] = {&m_result->valence, &m_result->effectiveValence,
                                            &m_result->geMax};
    for (int r = 0; r < 3; ++r) {
        const analysis::Summary& s = *summaries[r];
        ResultRows[r].cells[0]->setText(valueText(s.mean, s.sd));
        ResultRows[r].cells[1]->setText(uncertaintyText(s.sd));
        ResultRows[r].cells[2]->setText(valueText(s.low, s.sd));
        ResultRows[r].cells[3]->setText(valueText(s.high, s.sd));
    }
    RejectedLbl->setText("Drawn again outside the limits of their input: " +
                         std::to_string(m_result->rejected) + " values");
    StatusLbl->setText(std::to_string(m_result->draws) + " draws, seed " +
                       std::to_string(m_resultKey.options.seed) + ".");
    ValenceNoteLbl->setText(analysis::valenceNote(*m_result));
    showChart();
    RunBtn->setEnabled(false);
    AddToLogBtn->setEnabled(true);
}

void TUncertaintyFrm::showChart() {
    const analysis::Histogram& h = m_result->valenceHistogram;
    const double n = static_cast<double>(m_result->draws);
    platform::LineSeries bars{"Monte Carlo", platform::clBlue, {}};
    double peak = 0;
    double x = h.from;
    bars.points.push_back({x, 0});
    for (std::int64_t count : h.counts) {
        const double density = static_cast<double>(count) / (n * h.width);
        peak = std::max(peak, density);
        bars.points.push_back({x, density});
        x += h.width;
        bars.points.push_back({x, density});
    }
    bars.points.push_back({x, 0});

    std::vector<platform::LineSeries> series{bars};
    const double mean = m_gum->estimate.valence;
    const double sd = m_gum->uValence;
    if (sd > 0) {
        platform::LineSeries normal{"GUM", platform::clRed, {}, true};
        const double to = h.from + h.width * static_cast<double>(h.counts.size());
        for (int k = 0; k <= 120; ++k) {
            const double z = h.from + (to - h.from) * k / 120;
            const double d =
                std::exp(-0.5 * (z - mean) * (z - mean) / (sd * sd)) / (sd * std::sqrt(2 * kPi));
            peak = std::max(peak, d);
            normal.points.push_back({z, d});
        }
        series.push_back(std::move(normal));
    }
    // Room above the peak for the legend.
    const double top = peak > 0 ? peak * 1.6 : 1;
    const analysis::Summary& z = m_result->valence;
    series.push_back({"95 % interval", platform::clBlack, {{z.low, 0}, {z.low, top}}, true});
    series.push_back({"", platform::clBlack, {{z.high, 0}, {z.high, top}}, true});
    const double span = h.width * static_cast<double>(h.counts.size());
    Chart1->bottomAxis = {h.from - 0.05 * span, h.from + 1.05 * span, false};
    Chart1->leftAxis = {0, top, false};
    Chart1->appearanceChanged();
    Chart1->setSeries(std::move(series));
}

int TUncertaintyFrm::rowOf(const platform::Control& sender) const {
    for (int r = 0; r < kMaxRows; ++r)
        if (&sender == Rows[r].u || &sender == Rows[r].distribution)
            return r;
    return -1;
}

void TUncertaintyFrm::UTxtClick(platform::Control& sender) {
    const int r = rowOf(sender);
    if (!m_measurement || r < 0)
        return;
    const Input input = m_measurement->model.inputs()[static_cast<std::size_t>(r)];
    double& u = m_u[static_cast<int>(input)].u;
    if (enterNumberInto(this, *Rows[r].u, 0, analysis::uncertaintyLimit(input), u)) {
        m_fittedU[static_cast<int>(input)] = false;
        update();
    }
}

void TUncertaintyFrm::setUncertainty(Input input, double u) {
    m_u[static_cast<int>(input)] = {u, analysis::Distribution::Normal};
    m_fittedU[static_cast<int>(input)] = true;
    if (visible())
        update();
}

void TUncertaintyFrm::DigitsTxtClick(platform::Control&) {
    m_allDigits = !m_allDigits;
    DigitsTxt->setText(m_allDigits ? "all digits" : "2 significant digits");
    update();
}

void TUncertaintyFrm::DistTxtClick(platform::Control& sender) {
    const int r = rowOf(sender);
    if (!m_measurement || r < 0)
        return;
    const Input input = m_measurement->model.inputs()[static_cast<std::size_t>(r)];
    analysis::Distribution& d = m_u[static_cast<int>(input)].distribution;
    d = d == analysis::Distribution::Normal ? analysis::Distribution::Rectangular
                                            : analysis::Distribution::Normal;
    update();
}

void TUncertaintyFrm::DrawsTxtClick(platform::Control&) {
    double draws = static_cast<double>(m_options.draws);
    if (!enterNumberInto(this, *DrawsTxt, static_cast<double>(analysis::kMinDraws),
                         static_cast<double>(analysis::kMaxDraws), draws, true))
        return;
    m_options.draws = static_cast<std::int64_t>(draws);
    update();
}

void TUncertaintyFrm::SeedTxtClick(platform::Control&) {
    double seed = static_cast<double>(m_options.seed);
    if (!enterNumberInto(this, *SeedTxt, 0, 999999999, seed, true))
        return;
    m_options.seed = static_cast<std::uint64_t>(seed);
    update();
}

void TUncertaintyFrm::RunBtnClick(platform::Control&) {
    if (!m_run && !resultCurrent() && anyUncertainty())
        startRun();
}

void TUncertaintyFrm::CancelBtnClick(platform::Control&) {
    stopRun();
    clearResult("Cancelled.");
}

void TUncertaintyFrm::AddToLogBtnClick(platform::Control&) {
    model::LogSink* sink = m_log ? m_log() : nullptr;
    if (!resultCurrent() || sink == nullptr)
        return;
    if (m_loggedKey == m_resultKey) {
        TAddAgain ask(this);
        if (ask.ShowModal() != platform::ModalResult::Yes)
            return;
    }
    calclog::WriteUncertaintyBlock(*m_measurement, m_u, m_options, *m_gum, *m_result, *sink);
    m_loggedKey = m_resultKey;
    StatusLbl->setText(std::to_string(m_result->draws) + " draws, seed " +
                       std::to_string(m_resultKey.options.seed) +
                       ". Added to the log: the budget and both results.");
}

TAddAgain::TAddAgain(platform::Form* owner) : Form(owner, "AddAgain") {
    setCaption("Add to log");
    setBorderStyle(platform::BorderStyle::NoIcons);
    setCentered(true);
    const int width = 420;
    setClientSize(width, 90);
    StaticText1 = add<platform::StaticText>("StaticText1",
                                            "This result is in the log already. Add it again?");
    StaticText1->setSunken(false);
    StaticText1->setTextAlign(platform::TextAlign::Center);
    StaticText1->setBounds(8, 16, width - 16, 17);
    StaticText1->setTabStop(false);
    BitBtn2 = add<platform::Button>("BitBtn2", platform::ButtonKind::No);
    BitBtn2->setBounds(width / 2 - 120, 50, 89, 29);
    BitBtn1 = add<platform::Button>("BitBtn1", platform::ButtonKind::Yes);
    BitBtn1->setBounds(width / 2 + 31, 50, 89, 29);
}

}  // namespace forms
