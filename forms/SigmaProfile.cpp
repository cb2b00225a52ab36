// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/SigmaProfile.h"

#include <algorithm>
#include <cmath>

#include "analysis/Uncertainty.h"
#include "forms/BackgroundRun.h"
#include "forms/DialogLayout.h"
#include "forms/Enternumber.h"
#include "forms/WidgetFields.h"
#include "platform/Application.h"
#include "platform/base/NumberText.h"

namespace forms {

using platform::Label;
using platform::StaticText;

namespace {

constexpr int kRowPitch = 22;
constexpr int kLeftWidth = 436;  // the table's side; the graphs take the rest
constexpr double kNoLimit = 0;   // a signal limit of 0 leaves every point in

// The scans' colours, in turn; the fitted curves are red.
const platform::Color kScanColours[] = {platform::clBlue, platform::Color{0, 128, 0},
                                        platform::Color{128, 0, 128}, platform::Color{0, 128, 128},
                                        platform::clBlack};

platform::Font boldFont() {
    platform::Font f;
    f.bold = true;
    return f;
}

std::string general(double value) {
    return analysis::significantText(value, 4);
}

// Room around the values so that markers show whole; on a logarithmic axis
// only what is above zero.
platform::AxisRange rangeOf(std::vector<double> values, bool logarithmic) {
    if (logarithmic)
        std::erase_if(values, [](double v) { return !(v > 0); });
    if (values.empty())
        return {logarithmic ? 0.1 : 0, 1, logarithmic};
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    if (logarithmic)
        return {*lo / 1.2, *hi * 1.2, true};
    const double pad = *hi > *lo ? 0.05 * (*hi - *lo) : std::max(1e-3, std::abs(*hi) * 0.05);
    return {*lo - pad, *hi + pad, false};
}

// The smallest and largest of values given one at a time.
struct Extent {
    double lo = 0, hi = 0;
    bool any = false;
    void add(double v) {
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    }
    std::vector<double> values() const { return any ? std::vector{lo, hi} : std::vector<double>(); }
};

}  // namespace

TSigmaProfileFrm::TSigmaProfileFrm(platform::Form* owner, SigmaUse use)
    : Form(owner, "SigmaProfileFrm"), m_use(std::move(use)) {
    setCaption("Sigma from a profile");
    setClientSize(900, 560);
    setMinClientSize(900, 560);
    m_options.draws = 1000;
    build();
    OnResize = [this](platform::Control&) {
        const int w = clientWidth(), h = clientHeight();
        const int chartWidth = w - kLeftWidth - 16;
        const int dataHeight = (h - 16) * 2 / 3;
        Chart1->setBounds(kLeftWidth + 8, 8, chartWidth, dataHeight);
        Chart2->setBounds(kLeftWidth + 8, 8 + dataHeight, chartWidth, h - 16 - dataHeight);
        RunLbl->setBounds(8, h - 62, 130, kRowLabelHeight);
        ProgressPnl->setBounds(140, h - 64, BackgroundRun::kProgressWidth, 18);
        ProgressLbl->setBounds(140 + BackgroundRun::kProgressWidth + 6, h - 62, 40,
                               kRowLabelHeight);
        CancelBtn->setBounds(kLeftWidth - 83, h - 68, 75, 25);
        UseBtn->setBounds(8, h - 33, 120, 25);
        CloseBtn->setBounds(kLeftWidth - 83, h - 33, 75, 25);
    };
    OnResize(*this);
    // A window closed while it reads or fits stops as by its Cancel.
    OnClose = [this](platform::Form&, platform::CloseAction&) {
        if (m_run)
            CancelBtnClick(*CancelBtn);
    };
    clearFit("Open one or more scans: files of x (cm) and signal, with an SD column or not.");
}

TSigmaProfileFrm::~TSigmaProfileFrm() {
    stopRun();
    m_stopped.clear();  // waits for each thread's step under way
}

void TSigmaProfileFrm::build() {
    OpenBtn = add<platform::Button>("OpenBtn");
    OpenBtn->setText("&Open scans...");
    OpenBtn->setBounds(8, 8, 110, 25);
    OpenBtn->OnClick = [this](platform::Control& c) { OpenBtnClick(c); };
    ScansLbl = add<Label>("ScansLbl");
    ScansLbl->setBounds(126, 13, kLeftWidth - 126, kRowLabelHeight);

    // The fit's choices, two to a row: a click on a value changes it.
    const auto click = [this](void (TSigmaProfileFrm::*handler)(platform::Control&)) {
        return [this, handler](platform::Control& sender) { (this->*handler)(sender); };
    };
    addChoiceFields(
        *this, 44,
        {
            {&FromLbl, &FromTxt, "From", "From (cm):", click(&TSigmaProfileFrm::FromTxtClick)},
            {&ToLbl, &ToTxt, "To", "To (cm):", click(&TSigmaProfileFrm::ToTxtClick)},
            {&MaxLbl, &MaxTxt, "Max", "Signal limit:", click(&TSigmaProfileFrm::MaxTxtClick)},
            {&BaselineLbl, &BaselineTxt, "Baseline",
             "Baseline:", click(&TSigmaProfileFrm::BaselineTxtClick)},
            {&AxisLbl, &AxisTxt, "Axis", "Signal axis:", click(&TSigmaProfileFrm::AxisTxtClick)},
        });
    MaxTxt->setText("none");
    BaselineTxt->setText("fitted");
    AxisTxt->setText("linear");

    const int tableTop = 44 + 3 * kRowPitch + 10;
    const char* headers[] = {"", "Value", "SE", "95 % from", "95 % to"};
    const int columns[] = {8, 116, 196, 276, 356};
    for (int c = 0; c < 5; ++c) {
        HeaderLbls[c] = add<Label>("HeaderLbl" + std::to_string(c), headers[c]);
        HeaderLbls[c]->setFont(boldFont());
        HeaderLbls[c]->setTextAlign(platform::TextAlign::Center);
        HeaderLbls[c]->setBounds(columns[c], tableTop, c == 0 ? 104 : 76, kRowLabelHeight);
    }
    const char* rows[] = {"Sigma (cm\u207b\u00b9)", "Amplitude", "Baseline"};
    for (int r = 0; r < 3; ++r) {
        const int top = tableTop + 18 + r * kRowPitch;
        ParameterRow& row = ParameterRows[r];
        row.name = add<Label>("ParameterLbl" + std::to_string(r), rows[r]);
        row.name->setFont(boldFont());
        row.name->setBounds(columns[0], top + 2, 104, kRowLabelHeight);
        for (int c = 0; c < 4; ++c) {
            StaticText* cell =
                add<StaticText>("ParameterTxt" + std::to_string(r) + std::to_string(c));
            cell->setColor(platform::clYellow);
            cell->setTextAlign(platform::TextAlign::Center);
            cell->setBounds(columns[c + 1], top, 76, kRowHeight);
            cell->setAccessibleName(std::string(rows[r]) + ", " + headers[c + 1]);
            cell->setTabStop(true);
            row.cells[c] = cell;
        }
    }
    const int notesTop = tableTop + 18 + 3 * kRowPitch + 6;
    FitLbl = add<Label>("FitLbl");
    FitLbl->setBounds(8, notesTop, kLeftWidth - 16, kRowLabelHeight);
    NoteLbl = add<Label>("NoteLbl");
    NoteLbl->setWordWrap(true);
    NoteLbl->setBounds(8, notesTop + 20, kLeftWidth - 16, 2 * (kRowLabelHeight) + 2);
    ScanHeaderLbl = add<Label>("ScanHeaderLbl", "Each scan alone, in time order:");
    ScanHeaderLbl->setFont(boldFont());
    ScanHeaderLbl->setBounds(8, notesTop + 62, kLeftWidth - 16, kRowLabelHeight);
    for (int r = 0; r < kMaxScanRows; ++r) {
        ScanLbls[r] = add<Label>("ScanLbl" + std::to_string(r));
        ScanLbls[r]->setBounds(8, notesTop + 82 + r * 20, kLeftWidth - 16, kRowLabelHeight);
    }

    Chart1 = add<platform::LineChart>("Chart1");
    Chart1->setAccessibleName("Graph of the scans and the fitted curves");
    Chart1->setTitles("Concentration profile", "x (cm)", "Signal");
    Chart1->appearanceChanged();
    Chart1Export = std::make_unique<GraphExport>(*this, *Chart1);
    Chart2 = add<platform::LineChart>("Chart2");
    Chart2->setAccessibleName("Graph of the residuals");
    Chart2->setTitles("", "x (cm)", "Residual");
    Chart2->appearanceChanged();
    Chart2Export = std::make_unique<GraphExport>(*this, *Chart2);
    Chart2->shareBottomAxisWith(*Chart1);

    buildRunRow();
    UseBtn = add<platform::Button>("UseBtn");
    UseBtn->setText("&Use this Sigma");
    UseBtn->OnClick = [this](platform::Control& c) { UseBtnClick(c); };
    CloseBtn = add<platform::Button>("CloseBtn");
    CloseBtn->setText("&Close");
    CloseBtn->setCancel(true);
    CloseBtn->OnClick = [this](platform::Control&) { Close(); };

    OpenDialog1 = std::make_unique<platform::OpenDialog>(this, "OpenDialog1");
    OpenDialog1->Title = "Open scans";
    OpenDialog1->Filter = "Scans|*.txt *.csv *.dat *.ra1 *.ip1 *.fi1|All files|*";
    OpenDialog1->AllowMultiSelect = true;
}

void TSigmaProfileFrm::OpenBtnClick(platform::Control&) {
    if (OpenDialog1->Execute())
        openScans(OpenDialog1->Files);
}

void TSigmaProfileFrm::openScans(const std::vector<std::string>& paths) {
    if (!paths.empty())
        startRun(paths);  // a file that is no scan keeps the scans shown
}

// Scans read whole: their x range is the fit's, their names above it.
void TSigmaProfileFrm::takeScans(std::vector<fit::Scan> scans) {
    m_scans = std::move(scans);
    m_fit.reset();
    m_each.clear();
    double lo = m_scans.front().x.front(), hi = lo;
    for (const fit::Scan& s : m_scans)
        for (double x : s.x) {
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
    FromTxt->setText(platform::FloatToStr(lo));
    ToTxt->setText(platform::FloatToStr(hi));
    std::string names;
    for (const fit::Scan& s : m_scans) {
        const std::string file = s.name.substr(s.name.find_last_of('/') + 1);
        names += (names.empty() ? "" : ", ") + file;
    }
    ScansLbl->setText(std::to_string(m_scans.size()) +
                      (m_scans.size() == 1 ? " scan: " : " scans: ") + names);
}

void TSigmaProfileFrm::refit() {
    if (!m_scans.empty())
        startRun({});
}

// A message with the scans' paths cut to their file names, as the window
// names them, so that the reason fits its box.
std::string TSigmaProfileFrm::shortNames(std::string message) const {
    for (const fit::Scan& s : m_scans)
        for (std::size_t at = message.find(s.name); at != std::string::npos;
             at = message.find(s.name, at + 1))
            message.replace(at, s.name.size(), s.name.substr(s.name.find_last_of('/') + 1));
    return message;
}

void TSigmaProfileFrm::clearFit(const std::string& why, const std::string& reason) {
    m_fit.reset();
    m_each.clear();
    for (ParameterRow& row : ParameterRows)
        for (StaticText* cell : row.cells)
            cell->setText("");
    FitLbl->setText(why);
    NoteLbl->setText(reason);
    for (Label* l : ScanLbls)
        l->setText("");
    Chart1->setSeries({});
    Chart2->setSeries({});
    UseBtn->setEnabled(false);
}

std::string TSigmaProfileFrm::sigmaText() const {
    return m_fit ? analysis::quotedText(m_fit->sigma, m_fit->sigmaSE) : "";
}

void TSigmaProfileFrm::showFit() {
    const fit::SigmaFit& f = *m_fit;
    const fit::ScanPart& first = f.scans.front();
    const bool global = f.scans.size() > 1;
    const auto u = [](double se) { return analysis::quotedText(se, se); };
    StaticText* const* sigma = ParameterRows[0].cells;
    sigma[0]->setText(sigmaText());
    sigma[1]->setText(u(f.sigmaSE));
    sigma[2]->setText(f.low95 ? analysis::quotedText(*f.low95, f.sigmaSE) : "");
    sigma[3]->setText(f.high95 ? analysis::quotedText(*f.high95, f.sigmaSE) : "");
    // A global fit has an amplitude and a baseline per scan: the first
    // scan's stand here, the others in the notes' place below.
    ParameterRows[1].cells[0]->setText(analysis::quotedText(first.amplitude, first.amplitudeSE));
    ParameterRows[1].cells[1]->setText(u(first.amplitudeSE));
    ParameterRows[2].cells[0]->setText(
        m_options.baseline ? analysis::quotedText(first.baseline, first.baselineSE) : "held at 0");
    ParameterRows[2].cells[1]->setText(m_options.baseline ? u(first.baselineSE) : "");
    for (int r = 1; r < 3; ++r)
        for (int c = 2; c < 4; ++c)
            ParameterRows[r].cells[c]->setText("");
    ParameterRows[1].name->setText(global ? "Amplitude (1st)" : "Amplitude");
    ParameterRows[2].name->setText(global ? "Baseline (1st)" : "Baseline");

    std::size_t aboveMax = 0;
    for (const fit::ScanPart& p : f.scans)
        aboveMax += p.aboveMax;
    FitLbl->setText(
        "\u03c7\u00b2/\u03bd = " + general(f.reducedChiSquare) + ", " + std::to_string(f.points) +
        " points used" +
        (aboveMax ? ", " + std::to_string(aboveMax) + " above the limit left out" : "") +
        (f.runsZ ? ", runs test z = " + platform::FormatFloat("0.00", *f.runsZ) : ""));
    std::string note = f.warning();
    const auto add = [&note](const std::string& s) { note += (note.empty() ? "" : " ") + s; };
    if (f.seScaled)
        add("No SDs given: the SEs are scaled by \u03c7\u00b2/\u03bd.");
    if (f.sigmaBaselineCorrelation)
        add("Correlation of Sigma with the baseline: " +
            platform::FormatFloat("0.00", *f.sigmaBaselineCorrelation) + ".");
    if (f.failedDraws > 0)
        add(std::to_string(f.failedDraws) + " Monte Carlo refits failed and were left out.");
    // Numbers not to be trusted say why, alone: the other notes matter
    // little for a Sigma that is not to be used.
    NoteLbl->setText(f.problem.empty() ? note : "Not credible: " + f.problem + ".");

    // Each scan alone, in the order of its time, so that a steady state
    // shows as the last values agreeing.
    std::vector<std::size_t> order(m_each.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
        return m_scans[a].elapsedSeconds.value_or(0) < m_scans[b].elapsedSeconds.value_or(0);
    });
    ScanHeaderLbl->setVisible(!m_each.empty());
    for (int r = 0; r < kMaxScanRows; ++r) {
        std::string text;
        if (static_cast<std::size_t>(r) < order.size()) {
            const std::size_t i = order[static_cast<std::size_t>(r)];
            const fit::Scan& s = m_scans[i];
            text = s.name.substr(s.name.find_last_of('/') + 1) + ": ";
            if (const auto& alone = m_each[i])
                text += "Sigma = " + analysis::quotedText(alone->sigma, alone->sigmaSE) +
                        " \u00b1 " + u(alone->sigmaSE) + " cm\u207b\u00b9" +
                        (alone->problem.empty() ? "" : " (not credible)");
            else
                text += "no fit";
            if (s.elapsedSeconds)
                text += " at " + platform::FloatToStr(*s.elapsedSeconds) + " s";
        }
        ScanLbls[r]->setText(text);
    }
    showCharts();
    UseBtn->setEnabled(true);
}

void TSigmaProfileFrm::showCharts() {
    const fit::SigmaFit& f = *m_fit;
    std::vector<platform::LineSeries> data, residuals;
    // The extremes of what is drawn, for the axes: a scan of a million
    // points is not copied again to find them.
    Extent xs, ys, rs;
    const double from = m_options.from.value_or(-1e300), to = m_options.to.value_or(1e300);
    for (std::size_t k = 0; k < m_scans.size(); ++k) {
        const fit::Scan& s = m_scans[k];
        const fit::ScanPart& p = f.scans[k];
        const platform::Color colour = kScanColours[k % std::size(kScanColours)];
        const std::string file = s.name.substr(s.name.find_last_of('/') + 1);
        platform::LineSeries points{file, colour, {}, false, true};
        platform::LineSeries misses{"", colour, {}, false, true};
        platform::LineSeries curve{k == 0 ? "Fit" : "", platform::clRed, {}};
        points.points.reserve(s.x.size());
        misses.points.reserve(s.x.size());
        const auto model = [&](double x) {
            return p.amplitude * std::exp(f.sigma * (x - p.xRef)) + p.baseline;
        };
        double lo = 1e300, hi = -1e300;
        for (std::size_t i = 0; i < s.x.size(); ++i) {
            const double x = s.x[i], y = s.signal[i];
            const bool used = x >= from && x <= to &&
                              !(m_options.maxSignal && *m_options.maxSignal > kNoLimit &&
                                y > *m_options.maxSignal);
            if (!used || (m_logAxis && !(y > 0)))
                continue;
            const double miss = y - model(x);
            points.points.push_back({x, y});
            misses.points.push_back({x, miss});
            xs.add(x);
            ys.add(y);
            rs.add(miss);
            lo = std::min(lo, x);
            hi = std::max(hi, x);
        }
        for (int i = 0; i <= 100 && lo <= hi; ++i) {
            const double x = lo + (hi - lo) * i / 100;
            if (!m_logAxis || model(x) > 0)
                curve.points.push_back({x, model(x)});
        }
        data.push_back(std::move(points));
        data.push_back(std::move(curve));
        residuals.push_back(std::move(misses));
    }
    const platform::AxisRange xRange = rangeOf(xs.values(), false);
    residuals.push_back({"", platform::clBlack, {{xRange.min, 0}, {xRange.max, 0}}, true});
    rs.add(0);
    Chart1->bottomAxis = xRange;
    Chart1->leftAxis = rangeOf(ys.values(), m_logAxis);
    Chart1->legendAtTop = f.sigma < 0;
    Chart1->appearanceChanged();
    Chart1->setSeries(std::move(data));
    Chart2->bottomAxis = xRange;
    Chart2->leftAxis = rangeOf(rs.values(), false);
    Chart2->appearanceChanged();
    Chart2->setSeries(std::move(residuals));
}

void TSigmaProfileFrm::FromTxtClick(platform::Control&) {
    double from = m_options.from.value_or(0);
    if (!m_scans.empty() &&
        enterNumberInto(this, *FromTxt, -1000, m_options.to.value_or(1000), from)) {
        m_options.from = from;
        refit();
    }
}

void TSigmaProfileFrm::ToTxtClick(platform::Control&) {
    double to = m_options.to.value_or(0);
    if (!m_scans.empty() &&
        enterNumberInto(this, *ToTxt, m_options.from.value_or(-1000), 1000, to)) {
        m_options.to = to;
        refit();
    }
}

void TSigmaProfileFrm::MaxTxtClick(platform::Control&) {
    double limit = m_options.maxSignal.value_or(kNoLimit);
    if (!enterNumberInto(this, *MaxTxt, kNoLimit, 1e9, limit))
        return;
    if (limit > kNoLimit) {
        m_options.maxSignal = limit;
    } else {
        m_options.maxSignal.reset();
        MaxTxt->setText("none");
    }
    refit();
}

void TSigmaProfileFrm::BaselineTxtClick(platform::Control&) {
    m_options.baseline = !m_options.baseline;
    BaselineTxt->setText(m_options.baseline ? "fitted" : "held at 0");
    refit();
}

void TSigmaProfileFrm::AxisTxtClick(platform::Control&) {
    m_logAxis = !m_logAxis;
    AxisTxt->setText(m_logAxis ? "logarithmic" : "linear");
    if (m_fit)
        showCharts();
}

void TSigmaProfileFrm::UseBtnClick(platform::Control&) {
    if (!m_fit || !m_use.enter)
        return;
    if (!m_fit->problem.empty()) {
        platform::app().ShowMessage(
            "Sigma was not entered: the fit is not credible: " + m_fit->problem + ".");
        return;
    }
    if (const auto refusal = m_use.enter(sigmaText(), m_fit->sigmaSE)) {
        platform::app().ShowMessage("Sigma was not entered: " + *refusal);
        return;
    }
    if (m_use.log)
        m_use.log(fitLogLine());
}

// Where the Sigma just entered came from: the scans, the fitted Sigma with
// its standard error and the model that was fitted.
std::string TSigmaProfileFrm::fitLogLine() const {
    std::string scans;
    for (const fit::Scan& scan : m_scans)
        scans += (scans.empty() ? "" : ", ") + scan.name;
    const std::string model = m_options.baseline ? "signal = A exp(Sigma (x - xref)) + delta"
                                                 : "signal = A exp(Sigma (x - xref))";
    return "Sigma from a fit of " + std::to_string(m_scans.size()) +
           (m_scans.size() == 1 ? " scan (" : " scans (") + scans + "): Sigma = " + sigmaText() +
           " +- " + analysis::quotedText(m_fit->sigmaSE, m_fit->sigmaSE) + " cm-1 (SE), " + model +
           (m_scans.size() > 1 ? ", one Sigma for all scans" : "");
}

}  // namespace forms
