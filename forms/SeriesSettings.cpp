// SPDX-License-Identifier: GPL-3.0-or-later

// What a series window keeps in its series' settings: the attached
// sequence with its options, and the plot's choices.

#include "forms/SeriesSettings.h"

#include <algorithm>
#include <charconv>

#include "forms/Series.h"
#include "platform/base/Exception.h"
#include "platform/base/MessageText.h"

namespace forms {

namespace {

constexpr const char* kSequence = "Sequence";
constexpr const char* kSequenceName = "SequenceName";
constexpr const char* kPkaSet = "PkaSet";
constexpr const char* kBridges = "Bridges";
constexpr const char* kNTerminus = "NTerminus";
constexpr const char* kCTerminus = "CTerminus";
constexpr const char* kPlotX = "PlotX";
constexpr const char* kPlotY = "PlotY";
constexpr const char* kPlotBars = "PlotBars";
constexpr const char* kPlotScale = "PlotScale";
constexpr const char* kPlotGroups = "PlotGroups";
constexpr const char* kPlotLines = "PlotLines";
constexpr const char* kPlotLegend = "PlotLegend";
constexpr const char* kPlotTitle = "PlotTitle";
constexpr const char* kAutomatic = "automatic";
constexpr const char* kNone = "none";
constexpr const char* kYes = "yes";
constexpr const char* kNo = "no";
constexpr const char* kLinear = "linear";
constexpr const char* kLogarithmic = "logarithmic";

// Runs read; its refusal names the setting's column.
template <class F>
decltype(auto) readSetting(const char* key, F read) {
    try {
        return read();
    } catch (const platform::Exception& e) {
        throw platform::Exception(series::settingHeader(key) + ": " + e.what());
    }
}

std::size_t indexIn(const std::vector<std::string>& choices, const std::string& text,
                    const char* key) {
    const auto at = std::find(choices.begin(), choices.end(), text);
    if (at != choices.end())
        return static_cast<std::size_t>(at - choices.begin());
    std::string names;
    for (const std::string& c : choices)
        names += (names.empty() ? "" : ", ") + platform::quotedForMessage(c);
    throw platform::Exception(series::settingHeader(key) + ": " + platform::quotedForMessage(text) +
                              " is none of " + names);
}

}  // namespace

std::optional<AttachedSequence> attachedSequence(const series::Settings& settings) {
    const std::optional<std::string> residues = settings.get(kSequence);
    if (!residues)
        return std::nullopt;
    AttachedSequence a;
    a.sequence = readSetting(kSequence, [&] { return charge::readSequence(*residues); });
    a.sequence.name = settings.get(kSequenceName).value_or("");
    if (const auto set = settings.get(kPkaSet)) {
        const charge::PkaSet& found = readSetting(
            kPkaSet, [&]() -> const charge::PkaSet& { return charge::findPkaSet(*set); });
        a.choice.set = static_cast<std::size_t>(&found - charge::pkaSets().data());
    }
    if (const auto bridges = settings.get(kBridges)) {
        int n = 0;
        const auto [end, error] =
            std::from_chars(bridges->data(), bridges->data() + bridges->size(), n);
        if (error != std::errc() || end != bridges->data() + bridges->size())
            throw platform::Exception(series::settingHeader(kBridges) + ": " +
                                      platform::quotedForMessage(*bridges) +
                                      " is not a whole number");
        a.choice.options.disulfideBridges = n;
    }
    if (const auto n = settings.get(kNTerminus))
        a.choice.options.nTerminusBlocked =
            readSetting(kNTerminus, [&] { return charge::blockedFromText(*n); });
    if (const auto c = settings.get(kCTerminus))
        a.choice.options.cTerminusBlocked =
            readSetting(kCTerminus, [&] { return charge::blockedFromText(*c); });
    readSetting(kBridges, [&] { return charge::countGroups(a.sequence, a.choice.options); });
    return a;
}

void putSequence(series::Settings& settings, const std::optional<AttachedSequence>& attached) {
    for (const char* key : {kSequence, kSequenceName, kPkaSet, kBridges, kNTerminus, kCTerminus})
        settings.erase(key);
    if (!attached)
        return;
    const charge::TitrationOptions& o = attached->choice.options;
    settings.set(kSequence, attached->sequence.residues);
    settings.set(kSequenceName, attached->sequence.name);
    settings.set(kPkaSet, std::string(attached->choice.pkaSet().name));
    settings.set(kBridges, std::to_string(o.disulfideBridges));
    settings.set(kNTerminus, charge::terminusText(o.nTerminusBlocked));
    settings.set(kCTerminus, charge::terminusText(o.cTerminusBlocked));
}

// ------------------------------------------------------------ the window

void TSeriesFrm::checkSettings(const series::Series& s) {
    attachedSequence(s.settings());
    const series::Settings& settings = s.settings();
    if (const auto y = settings.get(kPlotY))
        indexIn(yChoices(), *y, kPlotY);
    if (const auto bars = settings.get(kPlotBars))
        indexIn(barChoices(), *bars, kPlotBars);
    if (const auto scale = settings.get(kPlotScale))
        indexIn({kLinear, kLogarithmic}, *scale, kPlotScale);
    if (const auto lines = settings.get(kPlotLines))
        indexIn({kNo, kYes}, *lines, kPlotLines);
    if (const auto legend = settings.get(kPlotLegend))
        indexIn(legendChoices(), *legend, kPlotLegend);
}

void TSeriesFrm::followSettings() {
    const series::Settings& settings = m_series.settings();
    // Checked when the series was opened; no edit makes it wrong since.
    std::optional<AttachedSequence> attached = attachedSequence(settings);
    if (attached) {
        m_sites = charge::titrationSites(
            charge::countGroups(attached->sequence, attached->choice.options),
            attached->choice.pkaSet());
        m_sequence = std::move(attached->sequence);
        m_choice = attached->choice;
    } else {
        m_sequence.reset();
        m_sites.clear();
    }
    const auto columnNamed = [&](const std::string& header) -> std::optional<std::size_t> {
        for (std::size_t c = 0; c < m_series.columnCount(); ++c)
            if (m_series.column(c).header == header)
                return c;
        return std::nullopt;
    };
    if (const auto x = settings.get(kPlotX))
        if (const auto c = columnNamed(*x))
            m_plot.xColumn = *c;
    if (const auto y = settings.get(kPlotY))
        m_plot.y = indexIn(yChoices(), *y, kPlotY);
    if (const auto bars = settings.get(kPlotBars))
        m_plot.bars = indexIn(barChoices(), *bars, kPlotBars);
    if (const auto scale = settings.get(kPlotScale))
        m_plot.logX = *scale == kLogarithmic;
    using G = SeriesPlotSettings::Grouping;
    if (const auto groups = settings.get(kPlotGroups)) {
        // A column renamed or deleted since: grouped as by default.
        const std::optional<std::size_t> c = columnNamed(*groups);
        m_plot.grouping = *groups == kNone ? G::None : c ? G::Column : G::Automatic;
        m_plot.groupColumn = c.value_or(0);
    }
    if (const auto lines = settings.get(kPlotLines))
        m_plot.joinGroups = *lines == kYes;
    if (const auto legend = settings.get(kPlotLegend))
        m_plot.legend = static_cast<platform::LineChart::LegendPlace>(
            indexIn(legendChoices(), *legend, kPlotLegend));
    if (const auto title = settings.get(kPlotTitle))
        m_plot.title = *title;
}

void TSeriesFrm::plotChoiceChanged() {
    series::Settings settings = m_series.settings();
    if (m_plot.xColumn < m_series.columnCount())
        settings.set(kPlotX, m_series.column(m_plot.xColumn).header);
    settings.set(kPlotY, yChoices()[m_plot.y]);
    settings.set(kPlotBars, barChoices()[m_plot.bars]);
    settings.set(kPlotScale, m_plot.logX ? kLogarithmic : kLinear);
    using G = SeriesPlotSettings::Grouping;
    if (m_plot.grouping == G::Column && m_plot.groupColumn < m_series.columnCount())
        settings.set(kPlotGroups, m_series.column(m_plot.groupColumn).header);
    else
        settings.set(kPlotGroups, m_plot.grouping == G::None ? kNone : kAutomatic);
    settings.set(kPlotLines, m_plot.joinGroups ? kYes : kNo);
    settings.set(kPlotLegend, legendChoices()[static_cast<std::size_t>(m_plot.legend)]);
    if (m_plot.title.empty())
        settings.erase(kPlotTitle);
    else
        settings.set(kPlotTitle, m_plot.title);
    change([&] { m_series.setSettings(settings); });
    // A choice that leaves the settings as they were still redraws.
    updatePlot();
}

void TSeriesFrm::attach(const std::optional<AttachedSequence>& attached) {
    series::Settings settings = m_series.settings();
    putSequence(settings, attached);
    change([&] { m_series.setSettings(settings); });
    if (attached)
        showChargeColumns();
}

}  // namespace forms
