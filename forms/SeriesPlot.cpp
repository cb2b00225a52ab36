// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's plot: a result against a numeric column, with the
// uncertainty of z and z* as error bars where the series has SD columns.
#include <algorithm>
#include <cmath>

#include "forms/Series.h"
#include "model/Quantities.h"

namespace forms {

using model::Quantity;

namespace {

constexpr int kChoiceHeight = 19;

constexpr Quantity kYQuantities[] = {Quantity::Valence, Quantity::EffectiveValence, Quantity::Sigma,
                                     Quantity::Mobility, Quantity::GeMax};

// The result columns of u, U = 2u and the 95 % interval of z and z*.
struct Bars {
    const char* u;
    const char* expanded;
    const char* low;
    const char* high;
};
constexpr Bars kValenceBars{"ValenceGumU", "ValenceExpandedU", "ValenceLow", "ValenceHigh"};
constexpr Bars kEffectiveBars{"EffectiveValenceGumU", "EffectiveValenceExpandedU",
                              "EffectiveValenceLow", "EffectiveValenceHigh"};

std::string axisTitle(Quantity q) {
    const model::QuantityInfo& info = model::quantityInfo(q);
    return *info.unit ? std::string(info.windowCaption) + " (" + info.unit + ")"
                      : std::string(info.windowCaption);
}

// min and max with a margin; on a log axis by factors.
platform::AxisRange rangeOf(const std::vector<double>& v, bool logarithmic) {
    if (v.empty())
        return {logarithmic ? 0.1 : 0.0, logarithmic ? 10.0 : 1.0, logarithmic};
    double lo = *std::min_element(v.begin(), v.end());
    double hi = *std::max_element(v.begin(), v.end());
    if (logarithmic)
        return {lo / 2, hi * 2, true};
    const double margin = hi > lo ? (hi - lo) * 0.08 : std::max(std::fabs(hi) * 0.1, 1.0);
    return {lo - margin, hi + margin, false};
}

}  // namespace

const std::vector<std::string>& TSeriesFrm::yChoices() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> v;
        for (Quantity q : kYQuantities)
            v.push_back(model::quantityInfo(q).windowCaption);
        return v;
    }();
    return names;
}

const std::vector<std::string>& TSeriesFrm::barChoices() {
    static const std::vector<std::string> names = {"none", "u", "U = 2u", "95 %"};
    return names;
}

void TSeriesFrm::buildPlotPanel() {
    PlotPanel = add<platform::Panel>("PlotPanel");
    PlotPanel->setBevels(platform::Bevel::None, platform::Bevel::None);
    PlotPanel->setBounds(clientWidth() - 400, 0, 400, clientHeight() - 20);
    PlotPanel->setAlign(platform::Align::Right);

    platform::Panel* choices = PlotPanel->add<platform::Panel>("ChoicePanel");
    choices->setBevels(platform::Bevel::None, platform::Bevel::None);
    choices->setBounds(0, 0, 400, 2 * (kChoiceHeight + 6) + 8);
    choices->setAlign(platform::Align::Top);
    struct Choice {
        platform::Label** label;
        platform::StaticText** field;
        const char* name;
        const char* caption;
    };
    const Choice fields[] = {
        {&XLbl, &XTxt, "X", "x:"},
        {&ScaleLbl, &ScaleTxt, "Scale", "x axis:"},
        {&YLbl, &YTxt, "Y", "y:"},
        {&BarsLbl, &BarsTxt, "Bars", "Error bars:"},
    };
    for (int k = 0; k < 4; ++k) {
        const int left = (k % 2) * 196 + 8;
        const int top = 6 + (k / 2) * (kChoiceHeight + 6);
        *fields[k].label =
            choices->add<platform::Label>(std::string(fields[k].name) + "Lbl", fields[k].caption);
        (*fields[k].label)->setBounds(left, top + 2, 64, kChoiceHeight - 4);
        platform::StaticText* f =
            choices->add<platform::StaticText>(std::string(fields[k].name) + "Txt");
        f->setColor(platform::clLime);
        f->setTextAlign(platform::TextAlign::Center);
        f->setBounds(left + 66, top, 118, kChoiceHeight);
        const std::string caption = fields[k].caption;
        f->setAccessibleName(caption.substr(0, caption.size() - 1));
        f->setTabStop(true);
        *fields[k].field = f;
    }
    XTxt->OnClick = [this](platform::Control&) {
        const std::vector<std::size_t> columns = xColumns();
        if (columns.empty())
            return;
        const auto at = std::find(columns.begin(), columns.end(), m_xColumn);
        m_xColumn = at == columns.end() || at + 1 == columns.end() ? columns.front() : *(at + 1);
        plotChoiceChanged();
    };
    YTxt->OnClick = [this](platform::Control&) {
        m_y = (m_y + 1) % yChoices().size();
        plotChoiceChanged();
    };
    ScaleTxt->OnClick = [this](platform::Control&) {
        m_logX = !m_logX;
        plotChoiceChanged();
    };
    BarsTxt->OnClick = [this](platform::Control&) {
        m_bars = (m_bars + 1) % barChoices().size();
        plotChoiceChanged();
    };

    Chart1 = PlotPanel->add<platform::LineChart>("Chart1");
    Chart1->setAlign(platform::Align::Client);
    Chart1->setAccessibleName("Graph of the series");
    Chart1Export = std::make_unique<GraphExport>(*this, *Chart1);
}

std::vector<std::size_t> TSeriesFrm::xColumns() const {
    std::vector<std::size_t> columns;
    for (std::size_t c = 0; c < m_series.columnCount(); ++c)
        if (m_series.xValues(c))
            columns.push_back(c);
    return columns;
}

void TSeriesFrm::updatePlot() {
    const std::vector<std::size_t> columns = xColumns();
    if (std::find(columns.begin(), columns.end(), m_xColumn) == columns.end())
        m_xColumn = columns.empty() ? 0 : columns.front();
    const Quantity yq = kYQuantities[m_y];
    XTxt->setText(columns.empty() ? "none" : m_series.column(m_xColumn).header);
    YTxt->setText(yChoices()[m_y]);
    ScaleTxt->setText(m_logX ? "logarithmic" : "linear");
    // Bars only where the series has them: the uncertainty of z and z*.
    const Bars* bars = yq == Quantity::Valence            ? &kValenceBars
                       : yq == Quantity::EffectiveValence ? &kEffectiveBars
                                                          : nullptr;
    const std::optional<series::Series::Values> u = bars ? m_series.yValues(bars->u) : std::nullopt;
    const bool withBars = u && m_bars != 0;
    BarsTxt->setText(u ? barChoices()[m_bars] : "none");

    platform::LineSeries points{"", platform::clBlue, {}, false, true};
    const std::optional<series::Series::Values> y =
        m_series.yValues(series::resultColumnName(*model::quantityInfo(yq).field));
    const std::optional<series::Series::Values> x =
        columns.empty() ? std::nullopt : m_series.xValues(m_xColumn);
    std::optional<series::Series::Values> low, high, expanded;
    if (withBars) {
        expanded = m_series.yValues(bars->expanded);
        low = m_series.yValues(bars->low);
        high = m_series.yValues(bars->high);
    }
    // The sample's name from the first text column, else the row's number.
    std::optional<std::size_t> nameColumn;
    for (std::size_t c = 0; c < m_series.columnCount() && !nameColumn; ++c)
        if (m_series.column(c).kind == series::ColumnKind::Text)
            nameColumn = c;
    std::vector<double> xs, ys;
    for (std::size_t r = 0; x && y && r < m_series.rowCount(); ++r) {
        if (!(*x)[r] || !(*y)[r] || (m_logX && *(*x)[r] <= 0))
            continue;
        const double yv = *(*y)[r];
        points.points.push_back({*(*x)[r], yv});
        std::string name = nameColumn ? m_series.cellText(r, *nameColumn) : std::string();
        points.labels.push_back(name.empty() ? "Row " + std::to_string(r + 1) : name);
        platform::ErrorBar bar;
        if (withBars && m_bars == 1 && (*u)[r])
            bar = {*(*u)[r], *(*u)[r]};
        else if (withBars && m_bars == 2 && (*expanded)[r])
            bar = {*(*expanded)[r], *(*expanded)[r]};
        else if (withBars && m_bars == 3 && (*low)[r] && (*high)[r])
            bar = {yv - *(*low)[r], *(*high)[r] - yv};
        points.errors.push_back(bar);
        xs.push_back(*(*x)[r]);
        ys.push_back(yv - bar.below);
        ys.push_back(yv + bar.above);
    }
    if (!withBars)
        points.errors.clear();
    Chart1->setTitles(axisTitle(yq) + " of the series",
                      columns.empty() ? std::string() : m_series.headerText(m_xColumn),
                      axisTitle(yq));
    Chart1->bottomAxis = rangeOf(xs, m_logX);
    Chart1->leftAxis = rangeOf(ys, false);
    Chart1->caption = plotCaption();
    Chart1->appearanceChanged();
    // z against the pH: the sequence's predicted curves under the points.
    std::vector<platform::LineSeries> drawn;
    if (yq == Quantity::Valence && !columns.empty() && phColumn() == m_xColumn && !xs.empty()) {
        const auto [lo, hi] = std::minmax_element(xs.begin(), xs.end());
        addChargeCurves(drawn, *lo, *hi);
        for (const platform::LineSeries& curve : drawn)
            for (const platform::ChartPoint& p : curve.points)
                ys.push_back(p.y);
        Chart1->leftAxis = rangeOf(ys, false);
        if (!drawn.empty())
            points.name = "Measured z";
    }
    drawn.push_back(std::move(points));
    Chart1->setSeries(std::move(drawn));
}

// The inputs every row gives alike, then the program and its version.
std::string TSeriesFrm::plotCaption() const {
    std::string common;
    for (std::size_t c = 0; c < m_series.columnCount(); ++c) {
        const series::SeriesColumn& col = m_series.column(c);
        if (col.kind != series::ColumnKind::Input && col.kind != series::ColumnKind::Solvent)
            continue;
        std::optional<std::string> value;
        bool same = m_series.rowCount() > 0;
        for (std::size_t r = 0; r < m_series.rowCount() && same; ++r) {
            const std::string& text = m_series.cellText(r, c);
            same = !text.empty() && (!value || *value == text);
            value = text;
        }
        if (!same)
            continue;
        if (!common.empty())
            common += ", ";
        if (col.kind == series::ColumnKind::Solvent) {
            common += "solvent " + *value;
            continue;
        }
        const model::QuantityInfo& info = model::quantityInfo(col.quantity);
        common += std::string(info.caption) + " = " + *value + (*info.unit ? " " : "") + info.unit;
    }
    return (common.empty() ? std::string() : common + ". ") + "Quorvin " QUORVIN_VERSION;
}

}  // namespace forms
