// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Henrymodels.h"

#include <cmath>

#include "forms/DialogLayout.h"
#include "platform/base/NumberText.h"

namespace forms {

using analysis::HenryModel;
using analysis::kHenryModelCount;
using platform::StaticText;

THenryModelsFrm* HenryModelsFrm = nullptr;

namespace {

constexpr int kCurvePoints = 361;                  // 40 a decade
constexpr const char* kValencePattern = "###.00";  // as the main window shows z

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
    // A model added to the table after these.
    return {platform::Color{160, 32, 160}, false};
}

platform::Font boldFont() {
    platform::Font f;
    f.bold = true;
    return f;
}

std::string differenceText(const std::optional<double>& d) {
    if (!d)
        return "n/a";
    const std::string text = platform::FormatFloat("0.00", *d);
    return *d > 0 && text != "0.00" ? "+" + text : text;
}

}  // namespace

THenryModelsFrm::THenryModelsFrm(platform::Form* owner) : Form(owner, "HenryModelsFrm") {
    setCaption("Henry's function models");
    setClientSize(560, 500);

    Panel1 = add<platform::Panel>("Panel1");
    Panel1->setBevels(platform::Bevel::None, platform::Bevel::None);
    // The table's rows, the Close button and a margin.
    Panel1->setBounds(0, 0, clientWidth(), 46 + kHenryModelCount * 22 + 40);
    Panel1->setAlign(platform::Align::Bottom);
    // The table whole; the graph gives way down to a small plot.
    setMinClientSize(clientWidth(), Panel1->bounds().height + 160);
    buildTable();

    Chart1 = add<platform::LineChart>("Chart1");
    Chart1Export = std::make_unique<GraphExport>(*this, *Chart1);
    Chart1->setAlign(platform::Align::Client);
    Chart1->setAccessibleName("Graph of Henry's function against Ka");
    Chart1->setTitles("Henry's function H(Ka)", "Ka", "H(Ka)");
    Chart1->bottomAxis = {1e-3, 1e6, true};
    Chart1->leftAxis = {0.95, 1.55, false};
    Chart1->appearanceChanged();
    realign();
}

THenryModelsFrm::~THenryModelsFrm() {
    if (HenryModelsFrm == this)
        HenryModelsFrm = nullptr;
}

void THenryModelsFrm::buildTable() {
    StateLbl = Panel1->add<platform::Label>("StateLbl");
    StateLbl->setFont(boldFont());
    StateLbl->setBounds(8, 6, clientWidth() - 16, kRowLabelHeight);

    const char* headers[] = {"Model", "H(Ka)", "DHH slope", "z", "z vs. this program (%)"};
    const int columns[] = {8, 168, 258, 348, 438};
    const int widths[] = {156, 84, 84, 84, 114};
    for (int c = 0; c < 5; ++c) {
        HeaderLbls[c] = Panel1->add<platform::Label>("HeaderLbl" + std::to_string(c), headers[c]);
        HeaderLbls[c]->setFont(boldFont());
        if (c > 0)
            HeaderLbls[c]->setTextAlign(platform::TextAlign::Center);
        HeaderLbls[c]->setBounds(columns[c], 28, widths[c], kRowLabelHeight);
    }
    for (int r = 0; r < kHenryModelCount; ++r) {
        const std::string model = analysis::henryModelName(static_cast<HenryModel>(r));
        const int top = 46 + r * 22;
        Row& row = Rows[r];
        row.name = Panel1->add<platform::Label>("ModelLbl" + std::to_string(r), model);
        row.name->setFont(boldFont());
        row.name->setBounds(columns[0], top + 2, widths[0], kRowLabelHeight);
        StaticText** cells[] = {&row.henry, &row.slope, &row.valence, &row.difference};
        const char* names[] = {"HenryTxt", "SlopeTxt", "ZTxt", "DiffTxt"};
        for (int c = 0; c < 4; ++c) {
            StaticText* cell = Panel1->add<StaticText>(names[c] + std::to_string(r));
            cell->setFont(boldFont());
            cell->setColor(platform::clYellow);
            cell->setTextAlign(platform::TextAlign::Center);
            cell->setBounds(columns[c + 1], top, widths[c + 1], kRowHeight);
            cell->setAccessibleName(std::string(headers[c + 1]) + ", " + model);
            cell->setTabStop(true);
            *cells[c] = cell;
        }
    }
    CloseBtn = Panel1->add<platform::Button>("CloseBtn");
    CloseBtn->setText("&Close");
    CloseBtn->setCancel(true);
    CloseBtn->setBounds(clientWidth() - 83, 46 + kHenryModelCount * 22 + 4, 75, 25);
    CloseBtn->OnClick = [this](platform::Control&) { Close(); };
}

void THenryModelsFrm::showFor(const model::ModelState& s, const std::string& kaText,
                              const std::string& sigmaText, const std::string& caption) {
    Chart1->caption = caption;
    StateLbl->setRuns({{"At Ka = " + kaText + " and Sigma = " + sigmaText + " cm"},
                       {"-1", true},
                       {std::string("; the main window uses ") +
                        analysis::henryModelName(analysis::henryModelOf(s.Electrokinetic))}});
    const std::vector<analysis::HenryComparison> rows = analysis::compareHenryModels(s);
    for (const analysis::HenryComparison& c : rows) {
        Row& row = Rows[static_cast<int>(c.model)];
        row.henry->setText(platform::FormatFloat("0.00000", c.henry));
        row.slope->setText(platform::FormatFloat("0.00000", c.slope));
        row.valence->setText(platform::FormatFloat(kValencePattern, c.valence));
        row.difference->setText(differenceText(c.difference));
    }

    std::vector<platform::LineSeries> series;
    std::vector<platform::ChartPoint> markers;
    for (int m = 0; m < kHenryModelCount; ++m) {
        const auto model = static_cast<HenryModel>(m);
        const ModelLook look = lookOf(model);
        platform::LineSeries curve{analysis::henryModelName(model), look.color, {}, look.dashed};
        for (const auto& [ka, h] : analysis::henryCurve(model, kCurvePoints))
            curve.points.push_back({ka, h});
        series.push_back(std::move(curve));
        markers.push_back({s.Ka, rows[m].henry});
    }
    series.push_back({"Ka = " + kaText, platform::clBlack, {{s.Ka, 0.95}, {s.Ka, 1.55}}, true});
    series.push_back({"", platform::clBlack, markers, false, true});
    Chart1->setSeries(std::move(series));
}

}  // namespace forms
