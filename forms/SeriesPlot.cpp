// SPDX-License-Identifier: GPL-3.0-or-later

// The series window's plot: a result against a numeric column, with the
// uncertainty of z and z* as error bars where the series has SD columns,
// the points grouped by a condition, each group with its own symbol and
// colour, and the sequence's curves at each group's conditions.
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <unordered_set>
#include <utility>

#include "forms/Series.h"
#include "forms/SeriesDialogs.h"
#include "model/InputRule.h"
#include "model/Quantities.h"
#include "platform/base/NumberText.h"

namespace forms {

using model::Quantity;

namespace {

constexpr int kChoiceHeight = 19;
constexpr int kChoiceRows = 4;
constexpr int kMinPlotWidth = 400;

// Colours that readers with any common colour vision deficiency tell
// apart (Okabe and Ito), and symbols that differ in shape as well.
constexpr platform::Color kGroupColors[] = {
    {0, 114, 178}, {213, 94, 0},   {0, 158, 115}, {204, 121, 167},
    {230, 159, 0}, {86, 180, 233}, {0, 0, 0},     {240, 228, 66},
};
constexpr platform::Marker kGroupMarkers[] = {
    platform::Marker::Circle,
    platform::Marker::Square,
    platform::Marker::Triangle,
    platform::Marker::Diamond,
    platform::Marker::InvertedTriangle,
    platform::Marker::Cross,
    platform::Marker::Plus,
    platform::Marker::Star,
};
constexpr std::size_t kStyles = std::size(kGroupColors);

// Beyond this many points the plot leaves out the names shown under the
// pointer, which would cost more than the points themselves.
constexpr std::size_t kLabelledPoints = 20000;

// The spots across each axis where a long series' markers are told apart:
// finer than a screen's pixels, so that a marker left out lies under one
// drawn.
constexpr double kSpots = 4096;

long spotOf(double v, const platform::AxisRange& axis) {
    const auto at = [&axis](double a) { return axis.logarithmic ? std::log10(a) : a; };
    const double span = at(axis.max) - at(axis.min);
    return span > 0 ? std::lround((at(v) - at(axis.min)) / span * kSpots) : 0;
}

struct SpotHash {
    std::size_t operator()(const std::array<long, 4>& k) const {
        std::size_t h = 0;
        for (const long v : k)
            h = h * 1000003u ^ std::hash<long>()(v);
        return h;
    }
};

// Leaves out a group's markers that fall on the spot of one drawn, with
// the same error bar; along a line through them, only those on the spot
// of the one before, so that the line keeps every turn. A long series
// draws what every marker would show at the cost of what it shows.
void thinOut(platform::LineSeries& g, const platform::AxisRange& x, const platform::AxisRange& y) {
    std::unordered_set<std::array<long, 4>, SpotHash> taken;
    std::array<long, 4> last{};
    std::vector<platform::ChartPoint> points;
    std::vector<platform::ErrorBar> errors;
    for (std::size_t i = 0; i < g.points.size(); ++i) {
        const platform::ChartPoint& p = g.points[i];
        const platform::ErrorBar bar = g.errors.empty() ? platform::ErrorBar{} : g.errors[i];
        const std::array<long, 4> spot{spotOf(p.x, x), spotOf(p.y, y), spotOf(p.y - bar.below, y),
                                       spotOf(p.y + bar.above, y)};
        const bool drawn = g.joined ? i > 0 && spot == last : !taken.insert(spot).second;
        last = spot;
        if (drawn)
            continue;
        points.push_back(p);
        if (!g.errors.empty())
            errors.push_back(bar);
    }
    g.points = std::move(points);
    g.errors = std::move(errors);
}

// The measured quantities: they differ from row to row by nature and
// would make a group of every row.
bool measured(model::Quantity q) {
    return std::find(model::kValenceChain.begin(), model::kValenceChain.end(), q) !=
           model::kValenceChain.end();
}

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

std::string axisTitle(Quantity q, const std::string& unit) {
    const model::QuantityInfo& info = model::quantityInfo(q);
    return unit.empty() ? std::string(info.windowCaption)
                        : std::string(info.windowCaption) + " (" + unit + ")";
}

std::string axisTitle(Quantity q) {
    return axisTitle(q, model::quantityInfo(q).unit);
}

// The unit of a column's numbers: the file's where the cells keep them in
// it (mM), else the program's.
std::string unitOf(const series::SeriesColumn& col) {
    return col.unit.empty() ? std::string(model::quantityInfo(col.quantity).unit) : col.unit;
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

const std::vector<std::string>& TSeriesFrm::legendChoices() {
    static const std::vector<std::string> names = {"automatic",   "top left",     "top right",
                                                   "bottom left", "bottom right", "outside"};
    return names;
}

void TSeriesFrm::buildPlotPanel() {
    PlotPanel = add<platform::Panel>("PlotPanel");
    PlotPanel->setBevels(platform::Bevel::None, platform::Bevel::None);
    PlotPanel->setBounds(clientWidth() - kMinPlotWidth, 0, kMinPlotWidth, clientHeight() - 20);
    PlotPanel->setAlign(platform::Align::Right);
    // The plot takes half of a larger window.
    OnResize = [this](platform::Control&) {
        const int width = std::max(kMinPlotWidth, clientWidth() / 2);
        if (width != PlotPanel->bounds().width)
            PlotPanel->setWidth(width);
    };

    platform::Panel* choices = PlotPanel->add<platform::Panel>("ChoicePanel");
    choices->setBevels(platform::Bevel::None, platform::Bevel::None);
    choices->setBounds(0, 0, kMinPlotWidth, kChoiceRows * (kChoiceHeight + 6) + 8);
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
        {&GroupLbl, &GroupTxt, "Group", "Groups:"},
        {&LinesLbl, &LinesTxt, "Lines", "Lines:"},
        {&LegendLbl, &LegendTxt, "Legend", "Legend:"},
        {&TitleLbl, &TitleTxt, "Title", "Title:"},
    };
    for (int k = 0; k < 2 * kChoiceRows; ++k) {
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
        const auto at = std::find(columns.begin(), columns.end(), m_plot.xColumn);
        m_plot.xColumn =
            at == columns.end() || at + 1 == columns.end() ? columns.front() : *(at + 1);
        plotChoiceChanged();
    };
    YTxt->OnClick = [this](platform::Control&) {
        m_plot.y = (m_plot.y + 1) % yChoices().size();
        plotChoiceChanged();
    };
    ScaleTxt->OnClick = [this](platform::Control&) {
        m_plot.logX = !m_plot.logX;
        plotChoiceChanged();
    };
    BarsTxt->OnClick = [this](platform::Control&) {
        m_plot.bars = (m_plot.bars + 1) % barChoices().size();
        plotChoiceChanged();
    };
    // Automatic, then every column but x in turn, then none.
    GroupTxt->OnClick = [this](platform::Control&) {
        using G = SeriesPlotSettings::Grouping;
        std::size_t next = m_plot.grouping == G::Column ? m_plot.groupColumn + 1 : 0;
        if (m_plot.grouping == G::None) {
            m_plot.grouping = G::Automatic;
        } else {
            while (next < m_series.columnCount() && next == m_plot.xColumn)
                ++next;
            m_plot.grouping = next < m_series.columnCount() ? G::Column : G::None;
            m_plot.groupColumn = next;
        }
        plotChoiceChanged();
    };
    LinesTxt->OnClick = [this](platform::Control&) {
        m_plot.joinGroups = !m_plot.joinGroups;
        plotChoiceChanged();
    };
    LegendTxt->OnClick = [this](platform::Control&) {
        m_plot.legend = static_cast<platform::LineChart::LegendPlace>(
            (static_cast<int>(m_plot.legend) + 1) % legendChoices().size());
        plotChoiceChanged();
    };
    TitleTxt->OnClick = [this](platform::Control& c) { TitleTxtClick(c); };

    Chart1 = PlotPanel->add<platform::LineChart>("Chart1");
    Chart1->setAlign(platform::Align::Client);
    Chart1->setAccessibleName("Graph of the series");
    Chart1Export = std::make_unique<GraphExport>(*this, *Chart1);
}

void TSeriesFrm::TitleTxtClick(platform::Control&) {
    TColumnName prompt(this, "Plot title", m_plot.title);
    prompt.Label1->setText("Title above the plot (none when empty):");
    if (prompt.ShowModal() != platform::ModalResult::Ok)
        return;
    m_plot.title = prompt.NameEdit->text();
    plotChoiceChanged();
}

void TSeriesFrm::setPlotSettings(const SeriesPlotSettings& settings) {
    m_plot = settings;
    m_plot.y %= yChoices().size();
    m_plot.bars %= barChoices().size();
    plotChoiceChanged();
}

std::vector<std::size_t> TSeriesFrm::xColumns() const {
    std::vector<std::size_t> columns;
    for (std::size_t c = 0; c < m_series.columnCount(); ++c)
        if (m_series.numericColumn(c))
            columns.push_back(c);
    return columns;
}

namespace {

// A cell's group: numbers by value (0.05 and 0.050 alike), text as typed.
struct GroupKey {
    bool number = false;
    double value = 0;
    std::string text;
    bool operator<(const GroupKey& o) const {
        if (number != o.number)
            return number;
        return number ? value < o.value : text < o.text;
    }
};

GroupKey keyOf(const std::string& cell, const platform::Dialect& dialect) {
    const std::string text = platform::trimmed(cell);
    try {
        return {true, platform::StrToFloat(platform::programNumber(text, dialect)), text};
    } catch (const std::exception&) {
        return {false, 0, text};
    }
}

}  // namespace

std::optional<std::size_t> TSeriesFrm::groupColumn() const {
    using G = SeriesPlotSettings::Grouping;
    if (m_plot.grouping == G::None || m_series.rowCount() == 0)
        return std::nullopt;
    if (m_plot.grouping == G::Column)
        return m_plot.groupColumn < m_series.columnCount() && m_plot.groupColumn != m_plot.xColumn
                   ? std::optional(m_plot.groupColumn)
                   : std::nullopt;
    // The condition other than x that varies least, and does vary, with
    // groups of more than one row on average.
    std::optional<std::size_t> best;
    std::size_t fewest = 0;
    for (std::size_t c = 0; c < m_series.columnCount(); ++c) {
        const series::SeriesColumn& col = m_series.column(c);
        const bool condition = (col.kind == series::ColumnKind::Input && !measured(col.quantity)) ||
                               col.kind == series::ColumnKind::Solvent ||
                               (col.kind == series::ColumnKind::Text && m_series.numericColumn(c));
        if (c == m_plot.xColumn || !condition)
            continue;
        std::map<GroupKey, bool> keys;
        std::size_t given = 0;
        for (std::size_t r = 0; r < m_series.rowCount() && keys.size() <= kStyles; ++r) {
            // A number by the series' reading of it: a long series is read once.
            if (const double v = m_series.cellNumber(r, c); !std::isnan(v)) {
                keys[GroupKey{true, v, {}}] = true;
                ++given;
            } else if (!platform::trimmed(m_series.cellText(r, c)).empty()) {
                keys[keyOf(m_series.cellText(r, c), m_series.dialect())] = true;
                ++given;
            }
        }
        if (keys.size() < 2 || keys.size() > kStyles || keys.size() * 2 > given)
            continue;
        if (!best || keys.size() < fewest) {
            best = c;
            fewest = keys.size();
        }
    }
    return best;
}

void TSeriesFrm::updatePlot() {
    // The points come once every row is calculated.
    if (m_series.pendingRows() > 0) {
        Chart1->setSeries({});
        Chart1->caption = "The points follow once the rows are calculated.";
        Chart1->appearanceChanged();
        return;
    }
    const std::vector<std::size_t> columns = xColumns();
    if (std::find(columns.begin(), columns.end(), m_plot.xColumn) == columns.end())
        m_plot.xColumn = columns.empty() ? 0 : columns.front();
    const Quantity yq = kYQuantities[m_plot.y];
    XTxt->setText(columns.empty() ? "none" : m_series.column(m_plot.xColumn).header);
    YTxt->setText(yChoices()[m_plot.y]);
    ScaleTxt->setText(m_plot.logX ? "logarithmic" : "linear");
    // Bars only where the series has them: the uncertainty of z and z*.
    const Bars* bars = yq == Quantity::Valence            ? &kValenceBars
                       : yq == Quantity::EffectiveValence ? &kEffectiveBars
                                                          : nullptr;
    const std::optional<series::Series::Values> u = bars ? m_series.yValues(bars->u) : std::nullopt;
    const bool withBars = u && m_plot.bars != 0;
    BarsTxt->setText(u ? barChoices()[m_plot.bars] : "none");
    const std::optional<std::size_t> grouping = columns.empty() ? std::nullopt : groupColumn();
    const bool grouped = grouping.has_value();
    const std::size_t gc = grouping.value_or(0);
    GroupTxt->setText(grouped ? m_series.column(gc).header : "none");
    LinesTxt->setText(m_plot.joinGroups ? "through points" : "none");
    LegendTxt->setText(legendChoices()[static_cast<std::size_t>(m_plot.legend)]);
    TitleTxt->setText(m_plot.title.empty() ? "none" : m_plot.title);

    const std::optional<series::Series::Values> y =
        m_series.yValues(series::resultColumnName(*model::quantityInfo(yq).field));
    const std::optional<series::Series::Values> x =
        columns.empty() ? std::nullopt : m_series.xValues(m_plot.xColumn);
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

    // The groups in the order of their values, each a series of markers.
    std::map<GroupKey, std::size_t> groupOf;
    if (grouped)
        for (std::size_t r = 0; r < m_series.rowCount(); ++r)
            groupOf.emplace(keyOf(m_series.cellText(r, gc), m_series.dialect()), 0);
    std::vector<platform::LineSeries> groups;
    for (auto& [key, index] : groupOf) {
        index = groups.size();
        const std::size_t style = index % kStyles;
        platform::LineSeries g{"", kGroupColors[style], {}, false, true};
        g.marker = kGroupMarkers[(style + index / kStyles) % kStyles];
        g.joined = m_plot.joinGroups;
        const series::SeriesColumn& col = m_series.column(gc);
        const std::string value = key.text.empty()
                                      ? std::string("not given")
                                      : platform::programNumber(key.text, m_series.dialect());
        if (col.kind == series::ColumnKind::Input) {
            const model::QuantityInfo& info = model::quantityInfo(col.quantity);
            const std::string unit = unitOf(col);
            g.name = std::string(info.windowCaption) + " = " + value +
                     (!unit.empty() && !key.text.empty() ? " " + unit : "");
        } else {
            g.name = platform::splitHeader(col.header).name + " = " + value;
        }
        groups.push_back(std::move(g));
    }
    if (groups.empty()) {
        groups.push_back({"", platform::clBlue, {}, false, true});
        groups.back().joined = m_plot.joinGroups;
    }
    std::vector<std::optional<double>> shifts(groups.size());
    std::vector<std::vector<std::size_t>> rowsOf(groups.size());
    const bool labelled = m_series.rowCount() <= kLabelledPoints;
    std::vector<double> xs, ys;
    for (std::size_t r = 0; x && y && r < m_series.rowCount(); ++r) {
        if (!(*x)[r] || !(*y)[r] || (m_plot.logX && *(*x)[r] <= 0))
            continue;
        const std::size_t gi =
            grouped ? groupOf.at(keyOf(m_series.cellText(r, gc), m_series.dialect())) : 0;
        rowsOf[gi].push_back(r);
        if (!shifts[gi])
            shifts[gi] = rowShift(r);
        xs.push_back(*(*x)[r]);
    }
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        platform::LineSeries& points = groups[gi];
        std::vector<std::size_t>& rows = rowsOf[gi];
        // In order along x, for the line through them.
        if (m_plot.joinGroups)
            std::stable_sort(rows.begin(), rows.end(),
                             [&](std::size_t a, std::size_t b) { return *(*x)[a] < *(*x)[b]; });
        for (const std::size_t r : rows) {
            const double yv = *(*y)[r];
            points.points.push_back({*(*x)[r], yv});
            if (labelled) {
                std::string name = nameColumn ? m_series.cellText(r, *nameColumn) : std::string();
                points.labels.push_back(name.empty() ? "Row " + std::to_string(r + 1) : name);
            }
            platform::ErrorBar bar;
            if (withBars && m_plot.bars == 1 && (*u)[r])
                bar = {*(*u)[r], *(*u)[r]};
            else if (withBars && m_plot.bars == 2 && (*expanded)[r])
                bar = {*(*expanded)[r], *(*expanded)[r]};
            else if (withBars && m_plot.bars == 3 && (*low)[r] && (*high)[r])
                bar = {yv - *(*low)[r], *(*high)[r] - yv};
            if (withBars)
                points.errors.push_back(bar);
            ys.push_back(yv - bar.below);
            ys.push_back(yv + bar.above);
        }
    }
    Chart1->setTitles(m_plot.title, columns.empty() ? std::string() : xAxisTitle(m_plot.xColumn),
                      axisTitle(yq));
    Chart1->bottomAxis = rangeOf(xs, m_plot.logX);
    Chart1->caption = plotCaption();
    // z against the pH: the sequence's predicted curves under the points,
    // the screened one at each group's conditions.
    std::vector<platform::LineSeries> drawn;
    if (yq == Quantity::Valence && !columns.empty() && phColumn() == m_plot.xColumn &&
        !xs.empty()) {
        const auto [lo, hi] = std::minmax_element(xs.begin(), xs.end());
        std::vector<CurveGroup> curves;
        for (std::size_t gi = 0; gi < groups.size(); ++gi)
            if (shifts[gi])
                curves.push_back({*shifts[gi], grouped ? groups[gi].color : platform::clRed});
        addChargeCurves(drawn, *lo, *hi, curves);
        for (const platform::LineSeries& curve : drawn)
            for (const platform::ChartPoint& p : curve.points)
                ys.push_back(p.y);
        if (!drawn.empty() && !grouped)
            groups.front().name = "Measured z";
    }
    Chart1->leftAxis = rangeOf(ys, false);
    // Beyond the labelled points, the markers on one spot are drawn once,
    // and the plot says how many are.
    std::size_t points = 0, shown = 0;
    for (platform::LineSeries& g : groups) {
        points += g.points.size();
        if (!labelled)
            thinOut(g, Chart1->bottomAxis, Chart1->leftAxis);
        shown += g.points.size();
    }
    if (shown < points)
        Chart1->caption = std::to_string(shown) + " of " + std::to_string(points) +
                          " points drawn: the others lie under them. " + Chart1->caption;
    const std::pair<std::size_t, std::size_t> drawnNow{shown, points};
    if (std::exchange(m_plotDrawn, drawnNow) != drawnNow)
        updateStatus();
    for (platform::LineSeries& g : groups)
        if (!g.points.empty() || !grouped)
            drawn.push_back(std::move(g));
    Chart1->legendPlace = m_plot.legend == platform::LineChart::LegendPlace::Default
                              ? freeLegendPlace(drawn)
                              : m_plot.legend;
    Chart1->appearanceChanged();
    Chart1->setSeries(std::move(drawn));
}

std::string TSeriesFrm::xAxisTitle(std::size_t column) const {
    const series::SeriesColumn& col = m_series.column(column);
    return col.kind == series::ColumnKind::Input ? axisTitle(col.quantity, unitOf(col))
                                                 : m_series.headerText(column);
}

// The corner whose share of the plot that the legend takes holds no point
// or curve; beside the plot when every corner does.
platform::LineChart::LegendPlace TSeriesFrm::freeLegendPlace(
    const std::vector<platform::LineSeries>& drawn) const {
    using Place = platform::LineChart::LegendPlace;
    std::size_t entries = 0, longest = 0;
    for (const platform::LineSeries& s : drawn)
        if (!s.name.empty()) {
            ++entries;
            longest = std::max(longest, s.name.size());
        }
    if (entries == 0)
        return Place::BottomRight;
    // The legend's size as a share of the axes, from the font's usual
    // measures and the room the axes leave inside the chart.
    const double plotWidth = std::max(100, Chart1->bounds().width - 80);
    const double plotHeight = std::max(100, Chart1->bounds().height - 90);
    const double w = std::min(1.0, (30.0 + 6.5 * double(longest)) / plotWidth);
    const double h = std::min(1.0, (8.0 + 16.0 * double(entries)) / plotHeight);
    const auto share = [](double v, const platform::AxisRange& a) {
        if (a.logarithmic)
            return v > 0 ? (std::log(v) - std::log(a.min)) / (std::log(a.max) - std::log(a.min))
                         : -1.0;
        return (v - a.min) / (a.max - a.min);
    };
    const Place corners[] = {Place::BottomRight, Place::TopRight, Place::TopLeft,
                             Place::BottomLeft};
    for (const Place corner : corners) {
        const bool right = corner == Place::BottomRight || corner == Place::TopRight;
        const bool top = corner == Place::TopRight || corner == Place::TopLeft;
        bool free = true;
        for (std::size_t i = 0; i < drawn.size() && free; ++i)
            for (std::size_t k = 0; k < drawn[i].points.size() && free; ++k) {
                const platform::ChartPoint& p = drawn[i].points[k];
                const double sx = share(p.x, Chart1->bottomAxis);
                const platform::ErrorBar bar =
                    k < drawn[i].errors.size() ? drawn[i].errors[k] : platform::ErrorBar{};
                // The point with its bar, as a span of y.
                const double lo = share(p.y - bar.below, Chart1->leftAxis);
                const double hi = share(p.y + bar.above, Chart1->leftAxis);
                const bool inX = right ? sx >= 1 - w - 0.02 : sx <= w + 0.02;
                const bool inY = top ? hi >= 1 - h - 0.02 : lo <= h + 0.02;
                free = !(inX && inY);
            }
        if (free)
            return corner;
    }
    return Place::Outside;
}

// The inputs every row gives alike, then the program and its version.
std::string TSeriesFrm::plotCaption() const {
    std::string common;
    for (std::size_t c = 0; c < m_series.columnCount(); ++c) {
        const series::SeriesColumn& col = m_series.column(c);
        if (col.kind != series::ColumnKind::Input && col.kind != series::ColumnKind::Solvent)
            continue;
        const std::string* value = nullptr;
        bool same = m_series.rowCount() > 0;
        for (std::size_t r = 0; r < m_series.rowCount() && same; ++r) {
            const std::string& text = m_series.cellText(r, c);
            same = !text.empty() && (!value || *value == text);
            value = &text;
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
        const std::string unit = unitOf(col);
        common += std::string(info.caption) + " = " + *value + (unit.empty() ? "" : " ") + unit;
    }
    return (common.empty() ? std::string() : common + ". ") + "Quorvin " QUORVIN_VERSION;
}

}  // namespace forms
