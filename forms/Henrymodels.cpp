// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Henrymodels.h"

#include <algorithm>
#include <cmath>

#include "analysis/HenryModels.h"
#include "forms/DialogLayout.h"
#include "model/Quantities.h"
#include "platform/base/NumberText.h"

namespace forms {

using analysis::HenryModel;
using electrokinetics::Compared;
using electrokinetics::ModelRow;
using platform::StaticText;

// The reduced zeta potentials of the mobility graph and each ready row's
// curve over them.
struct MobilityPlot {
    std::vector<double> zetas;
    std::vector<std::vector<double>> mobilities;  // empty for a row not drawn
};

namespace {

constexpr int kCurvePoints = 361;      // 40 a decade
constexpr int kMobilityPoints = 61;    // the standard model's solver keeps up
constexpr const char* kWorking = "…";  // a row being worked out

struct ModelLook {
    platform::Color color;
    bool dashed;
};

// The program's curve in the red of the main graph.
ModelLook lookOf(HenryModel m) {
    switch (m) {
        case HenryModel::Program:
            return {platform::clRed, false};
        case HenryModel::Exact:
            return {platform::clBlue, false};
        case HenryModel::Ohshima:
            return {platform::Color{0, 128, 0}, true};
        case HenryModel::Huckel:
        case HenryModel::Smoluchowski:
            return {platform::Color{128, 128, 128}, true};
    }
    return {platform::Color{160, 32, 160}, false};
}

ModelLook lookOf(const Compared& m) {
    if (!m.model)
        return lookOf(m.limit == 1.0 ? HenryModel::Huckel : HenryModel::Smoluchowski);
    switch (*m.model) {
        case model::ElectrokineticModel::OhshimaRelaxation:
            return {platform::Color{230, 120, 0}, true};
        case model::ElectrokineticModel::Standard:
            return {platform::Color{160, 32, 160}, false};
        default:
            return lookOf(analysis::henryModelOf(*m.model));
    }
}

// The row's name: the Henry's function models' own names where they have
// one, the model's caption otherwise.
std::string nameOf(const Compared& m) {
    if (!m.model)
        return analysis::henryModelName(m.limit == 1.0 ? HenryModel::Huckel
                                                       : HenryModel::Smoluchowski);
    if (electrokinetics::isLinear(m))
        return analysis::henryModelName(analysis::henryModelOf(*m.model));
    return model::electrokineticModelInfo(*m.model).caption;
}

platform::Font boldFont() {
    platform::Font f;
    f.bold = true;
    return f;
}

std::string signedText(double d) {
    const std::string text = platform::FormatFloat("0.00", d);
    return d > 0 && text != "0.00" ? "+" + text : text;
}

// The values of a row, two of them when two valences give the measurement.
std::string joined(const std::vector<double>& values, std::string (*text)(double)) {
    std::string out;
    for (const double v : values)
        out += (out.empty() ? "" : " / ") + text(v);
    return out;
}

std::string valenceText(double z) {
    return platform::FormatFloat(model::quantityInfo(model::Quantity::Valence).pattern, z);
}

std::string zetaText(double zeta) {
    return platform::FormatFloat(model::quantityInfo(model::Quantity::Zeta).pattern, zeta);
}

// The cells of a row: H, slope, z, z*, zeta, z - chosen, percent.
std::vector<std::string> cellTexts(const std::optional<ModelRow>& row) {
    if (!row)
        return std::vector<std::string>(7, kWorking);
    const ModelRow& r = *row;
    const auto linear = [](const std::optional<double>& v) {
        return v ? platform::FormatFloat("0.00000", *v) : std::string("n/a");
    };
    if (!r.error.empty())
        return {linear(r.henry), linear(r.slope), "error", "", "", "", ""};
    const std::string zstar = platform::FormatFloat(
        model::quantityInfo(model::Quantity::EffectiveValence).pattern, r.effectiveValence);
    const std::string chosen = "chosen";
    if (r.valences.empty())
        return {linear(r.henry),           linear(r.slope),          "none", zstar, "none",
                r.chosen ? chosen : "n/a", r.chosen ? chosen : "n/a"};
    const auto orNa = [](const std::string& s) { return s.empty() ? std::string("n/a") : s; };
    return {linear(r.henry),
            linear(r.slope),
            joined(r.valences, valenceText),
            zstar,
            joined(r.zetas, zetaText),
            r.chosen ? chosen : orNa(joined(r.differences, signedText)),
            r.chosen ? chosen : orNa(joined(r.percents, signedText))};
}

// The chosen model's row, or none before it is known.
const ModelRow* chosenOf(const std::vector<std::optional<ModelRow>>& rows) {
    for (const auto& r : rows)
        if (r && r->chosen)
            return &*r;
    return nullptr;
}

// The curves of the ready rows over zetas that take in all their points.
MobilityPlot plotOf(const model::Conditions& sample,
                    const std::vector<std::optional<ModelRow>>& rows) {
    std::vector<ModelRow> ready;
    for (const auto& r : rows)
        if (r && r->error.empty())
            ready.push_back(*r);
    MobilityPlot plot;
    plot.zetas = electrokinetics::curveZetas(ready, kMobilityPoints);
    for (const auto& r : rows) {
        std::vector<double> curve;
        if (r && r->error.empty()) {
            try {
                curve = electrokinetics::reducedMobilities(sample, *r, plot.zetas);
            } catch (const std::exception&) {
                curve.clear();  // no curve rather than a part of one
            }
        }
        plot.mobilities.push_back(std::move(curve));
    }
    return plot;
}

}  // namespace

THenryModelsFrm::THenryModelsFrm(platform::Form* owner)
    : Form(owner, "HenryModelsFrm"), m_compared(electrokinetics::comparedModels()) {
    setCaption("Electrokinetic models");
    // A smaller screen shrinks the graph, down to the minimum below.
    setClientSize(780, 600);
    const int rows = static_cast<int>(m_compared.size());

    Panel1 = add<platform::Panel>("Panel1");
    Panel1->setBevels(platform::Bevel::None, platform::Bevel::None);
    // The table's rows, the buttons and a margin.
    Panel1->setBounds(0, 0, clientWidth(), 46 + rows * 22 + 40);
    Panel1->setAlign(platform::Align::Bottom);
    // The table whole; the graph gives way down to a small plot.
    setMinClientSize(clientWidth(), Panel1->bounds().height + 160);
    buildTable();

    // One graph at a time, each at the window's width with its legend.
    Chart1 = add<platform::LineChart>("Chart1");
    Chart1Export = std::make_unique<GraphExport>(*this, *Chart1);
    Chart1->setAlign(platform::Align::Client);
    Chart1->setAccessibleName("Graph of Henry's function against Ka");
    Chart1->setTitles("Henry's function H(Ka)", "Ka", "H(Ka)");
    Chart1->bottomAxis = {1e-3, 1e6, true};
    Chart1->leftAxis = {0.95, 1.55, false};
    // Beside the plot: inside, it would cover a limit's line.
    Chart1->legendPlace = platform::LineChart::LegendPlace::Outside;
    Chart1->appearanceChanged();
    Chart1->setVisible(false);

    Chart2 = add<platform::LineChart>("Chart2");
    Chart2Export = std::make_unique<GraphExport>(*this, *Chart2);
    Chart2->setAlign(platform::Align::Client);
    Chart2->setAccessibleName("Graph of the reduced mobility against the reduced zeta potential");
    Chart2->setTitles("Mobility against zeta at the sample's Ka",
                      "Reduced zeta potential e\u03b6/kT",
                      "Reduced mobility 6\u03c0\u03b7e\u03bc/(\u03b5kT)");
    Chart2->legendPlace = platform::LineChart::LegendPlace::Outside;
    Chart2->appearanceChanged();
    realign();
}

void THenryModelsFrm::showGraph(bool henry) {
    Chart1->setVisible(henry);
    Chart2->setVisible(!henry);
    GraphBtn->setText(henry ? "&Mobility against zeta" : "&Henry's function over Ka");
    realign();
}

THenryModelsFrm::~THenryModelsFrm() = default;

void THenryModelsFrm::buildTable() {
    StateLbl = Panel1->add<platform::Label>("StateLbl");
    StateLbl->setFont(boldFont());
    StateLbl->setBounds(8, 6, clientWidth() - 16, kRowLabelHeight);

    const char* headers[kColumns] = {"Model", "H(Ka)",  "DHH slope",  "z",
                                     "z*",    "ζ (mV)", "z − chosen", "z − chosen (%)"};
    const int widths[kColumns] = {132, 62, 62, 104, 62, 100, 100, 110};
    int columns[kColumns] = {8};
    for (int c = 1; c < kColumns; ++c)
        columns[c] = columns[c - 1] + widths[c - 1] + 4;
    for (int c = 0; c < kColumns; ++c) {
        HeaderLbls[c] = Panel1->add<platform::Label>("HeaderLbl" + std::to_string(c), headers[c]);
        HeaderLbls[c]->setFont(boldFont());
        if (c > 0)
            HeaderLbls[c]->setTextAlign(platform::TextAlign::Center);
        HeaderLbls[c]->setBounds(columns[c], 28, widths[c], kRowLabelHeight);
    }
    const char* names[] = {"HenryTxt", "SlopeTxt", "ZTxt",      "ZstarTxt",
                           "ZetaTxt",  "DiffTxt",  "PercentTxt"};
    for (size_t r = 0; r < m_compared.size(); ++r) {
        const std::string model = nameOf(m_compared[r]);
        const int top = 46 + static_cast<int>(r) * 22;
        // Named after the model's place in the table of models, the limits
        // after them: the same names whichever models are offered.
        const Compared& m = m_compared[r];
        const std::string key =
            std::to_string(m.model ? static_cast<int>(*m.model)
                                   : model::kElectrokineticModelCount + (m.limit == 1.0 ? 0 : 1));
        Row row{};
        row.name = Panel1->add<platform::Label>("ModelLbl" + key, model);
        row.name->setFont(boldFont());
        row.name->setBounds(columns[0], top + 2, widths[0], kRowLabelHeight);
        StaticText** cells[] = {&row.henry, &row.slope,      &row.valence, &row.effectiveValence,
                                &row.zeta,  &row.difference, &row.percent};
        for (int c = 0; c < kColumns - 1; ++c) {
            StaticText* cell = Panel1->add<StaticText>(names[c] + key);
            cell->setFont(boldFont());
            cell->setColor(platform::clYellow);
            cell->setTextAlign(platform::TextAlign::Center);
            cell->setBounds(columns[c + 1], top, widths[c + 1], kRowHeight);
            cell->setAccessibleName(std::string(headers[c + 1]) + ", " + model);
            cell->setTabStop(true);
            *cells[c] = cell;
        }
        Rows.push_back(row);
    }
    CloseBtn = Panel1->add<platform::Button>("CloseBtn");
    CloseBtn->setText("&Close");
    CloseBtn->setCancel(true);
    CloseBtn->setBounds(clientWidth() - 83, 46 + static_cast<int>(m_compared.size()) * 22 + 4, 75,
                        25);
    CloseBtn->OnClick = [this](platform::Control&) { Close(); };
    GraphBtn = Panel1->add<platform::Button>("GraphBtn");
    GraphBtn->setText("&Henry's function over Ka");
    GraphBtn->setBounds(8, CloseBtn->bounds().top, 180, 25);
    GraphBtn->OnClick = [this](platform::Control&) { showGraph(Chart2->visible()); };
}

void THenryModelsFrm::showFor(const model::ModelState& s, const std::string& kaText,
                              const std::string& sigmaText, const std::string& caption) {
    Chart1->caption = caption;
    Chart2->caption = caption;
    ++m_generation;
    m_sample = model::conditionsOf(s);
    const Compared chosen{s.Electrokinetic, 0};
    StateLbl->setRuns({{"At Ka = " + kaText + " and Sigma = " + sigmaText + " cm"},
                       {"-1", true},
                       {"; the main window uses " + nameOf(chosen)}});
    m_rows.assign(m_compared.size(), std::nullopt);
    bool pending = false;
    try {
        m_chosen = model::evaluateConditions(m_sample);
        // The chosen model first: the others' differences are from its z.
        for (size_t r = 0; r < m_compared.size(); ++r)
            if (m_compared[r] == chosen)
                m_rows[r] = electrokinetics::compareModel(m_sample, m_chosen, m_compared[r]);
        for (size_t r = 0; r < m_compared.size(); ++r) {
            if (m_rows[r])
                continue;
            if (electrokinetics::isLinear(m_compared[r]))
                m_rows[r] = electrokinetics::compareModel(m_sample, m_chosen, m_compared[r]);
            else
                pending = true;
        }
    } catch (const std::exception& e) {
        // The main window refused the sample too and says why.
        for (auto& r : m_rows)
            r = ModelRow{};
        for (size_t r = 0; r < m_compared.size(); ++r) {
            m_rows[r]->compared = m_compared[r];
            m_rows[r]->error = e.what();
        }
        pending = false;
    }
    if (const ModelRow* c = chosenOf(m_rows))
        for (auto& r : m_rows)
            if (r)
                electrokinetics::setDifferences(*r, *c);
    showRows();
    drawHenry(s, kaText);
    drawMobility(plotOf(m_sample, m_rows));
    if (pending)
        startWork();
}

void THenryModelsFrm::showRows() {
    for (size_t r = 0; r < Rows.size(); ++r) {
        const std::vector<std::string> texts = cellTexts(m_rows[r]);
        StaticText* cells[] = {
            Rows[r].henry, Rows[r].slope,      Rows[r].valence, Rows[r].effectiveValence,
            Rows[r].zeta,  Rows[r].difference, Rows[r].percent};
        for (size_t c = 0; c < texts.size(); ++c)
            cells[c]->setText(texts[c]);
        // Why a model could not be worked out, where a screen reader reads z.
        const bool failed = m_rows[r] && !m_rows[r]->error.empty();
        Rows[r].valence->setAccessibleName("z, " + nameOf(m_compared[r]) +
                                           (failed ? ": " + m_rows[r]->error : ""));
    }
}

// Henry's function of the models linear in z over Ka, their H at the
// sample's Ka marked.
void THenryModelsFrm::drawHenry(const model::ModelState& s, const std::string& kaText) {
    std::vector<platform::LineSeries> series;
    std::vector<platform::ChartPoint> markers;
    double ka = s.Ka;
    for (size_t r = 0; r < m_compared.size(); ++r) {
        if (!electrokinetics::isLinear(m_compared[r]))
            continue;
        const Compared& m = m_compared[r];
        const HenryModel h = m.model
                                 ? analysis::henryModelOf(*m.model)
                                 : (m.limit == 1.0 ? HenryModel::Huckel : HenryModel::Smoluchowski);
        const ModelLook look = lookOf(h);
        platform::LineSeries curve{analysis::henryModelName(h), look.color, {}, look.dashed};
        for (const auto& [x, y] : analysis::henryCurve(h, kCurvePoints))
            curve.points.push_back({x, y});
        series.push_back(std::move(curve));
        if (m_rows[r] && m_rows[r]->henry) {
            ka = m_rows[r]->ka;
            markers.push_back({ka, *m_rows[r]->henry});
        }
    }
    // Under a model not linear in z the main window's Ka is the Stokes
    // sphere's; these curves are at the closest approach.
    const std::string kaLabel = electrokinetics::isLinear({s.Electrokinetic, 0})
                                    ? kaText
                                    : platform::FormatFloat("0.000", ka);
    series.push_back({"Ka = " + kaLabel, platform::clBlack, {{ka, 0.95}, {ka, 1.55}}, true});
    series.push_back({"", platform::clBlack, markers, false, true});
    Chart1->setSeries(std::move(series));
}

void THenryModelsFrm::drawMobility(const MobilityPlot& plot) {
    std::vector<platform::LineSeries> series;
    double top = 0;
    const auto reach = [&](double e) {
        if (std::isfinite(e))
            top = std::max(top, std::abs(e));
    };
    const ModelRow* chosen = chosenOf(m_rows);
    const double ka = chosen ? chosen->ka : 0;
    for (size_t r = 0; r < m_rows.size(); ++r) {
        if (plot.mobilities[r].empty())
            continue;
        const ModelRow& row = *m_rows[r];
        const ModelLook look = lookOf(row.compared);
        std::string name = nameOf(row.compared);
        // The models not linear in z take the Stokes sphere, the others the
        // closest approach: a Ka of their own.
        if (std::abs(row.ka - ka) > 1e-3 * ka)
            name += ", Ka = " + platform::FormatFloat("0.000", row.ka);
        platform::LineSeries curve{name, look.color, {}, look.dashed};
        for (size_t k = 0; k < plot.zetas.size(); ++k) {
            curve.points.push_back({plot.zetas[k], plot.mobilities[r][k]});
            reach(plot.mobilities[r][k]);
        }
        series.push_back(std::move(curve));
    }
    // Each model's own point: where its curve meets the measurement.
    for (const auto& r : m_rows) {
        if (!r || !r->error.empty() || r->zetas.empty())
            continue;
        platform::LineSeries points{"", lookOf(r->compared).color, {}, false, true};
        for (size_t k = 0; k < r->zetas.size(); ++k) {
            points.points.push_back({r->zetas[k] / r->thermalVoltage, r->reducedMobility});
            points.labels.push_back(nameOf(r->compared) + ": z = " + valenceText(r->valences[k]) +
                                    ", ζ = " + zetaText(r->zetas[k]) + " mV");
        }
        reach(r->reducedMobility);
        series.push_back(std::move(points));
    }
    if (chosen && !chosen->zetas.empty()) {
        platform::LineSeries measured{
            "Measured (" + nameOf(chosen->compared) + ")",
            platform::clBlack,
            {{chosen->zetas.front() / chosen->thermalVoltage, chosen->reducedMobility}},
            false,
            true};
        measured.marker = platform::Marker::Star;
        series.push_back(std::move(measured));
    } else if (chosen && chosen->error.empty() && !plot.zetas.empty()) {
        // No zeta of the chosen model gives it: the measured level alone.
        series.push_back({"Measured mobility",
                          platform::clBlack,
                          {{plot.zetas.front(), chosen->reducedMobility},
                           {plot.zetas.back(), chosen->reducedMobility}},
                          true});
        reach(chosen->reducedMobility);
    }
    const double end = plot.zetas.empty() ? 1 : plot.zetas.back();
    Chart2->bottomAxis = {std::min(0.0, end), std::max(0.0, end), false};
    const double span = top > 0 ? top * 1.08 : 1;
    Chart2->leftAxis =
        end < 0 ? platform::AxisRange{-span, 0, false} : platform::AxisRange{0, span, false};
    Chart2->appearanceChanged();
    Chart2->setSeries(std::move(series));
}

void THenryModelsFrm::startWork() {
    if (m_run) {
        m_stale = true;  // a run cannot stop inside the solver: the next one takes the sample
        return;
    }
    m_stale = false;
    m_run = std::make_unique<BackgroundRun>(this);
    BackgroundRun* run = m_run.get();
    m_run->start(1, [this, run, generation = m_generation, sample = m_sample, chosen = m_chosen,
                     rows = m_rows, compared = m_compared](unsigned) mutable {
        for (size_t r = 0; r < rows.size(); ++r)
            if (!rows[r])
                rows[r] = electrokinetics::compareModel(sample, chosen, compared[r]);
        if (const ModelRow* c = chosenOf(rows))
            for (auto& r : rows)
                electrokinetics::setDifferences(*r, *c);
        const MobilityPlot plot = plotOf(sample, rows);
        run->report([this, generation, rows = std::move(rows), plot]() mutable {
            workDone(generation, std::move(rows), plot);
        });
    });
}

void THenryModelsFrm::workDone(int generation, ModelRows rows, const MobilityPlot& plot) {
    m_run.reset();
    if (generation == m_generation) {
        m_rows = std::move(rows);
        showRows();
        drawMobility(plot);
    }
    if (m_stale)
        startWork();
}

}  // namespace forms
