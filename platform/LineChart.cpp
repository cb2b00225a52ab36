// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/LineChart.h"

namespace platform {

LineChart::LineChart(Control* parent, std::string name) : Graph(parent, std::move(name)) {
    setColor(clWhite);
}

LineChart::~LineChart() {
    if (m_above)
        m_above->m_below = nullptr;
    if (m_below)
        m_below->m_above = nullptr;
}

void LineChart::setSeries(std::vector<LineSeries> series) {
    if (series == m_series)
        return;
    m_series = std::move(series);
    notify(Property::Content);
}

void LineChart::appearanceChanged() {
    if (m_above)
        bottomAxis = m_above->bottomAxis;
    notify(Property::Layout);
    if (m_below && m_below->bottomAxis != bottomAxis)
        m_below->appearanceChanged();
}

void LineChart::shareBottomAxisWith(LineChart& above) {
    m_above = &above;
    above.m_below = this;
    appearanceChanged();
}

void LineChart::setTitles(const std::string& chartTitle, const std::string& bottom,
                          const std::string& left) {
    Font titleFont;
    titleFont.name = "Arial";
    titleFont.bold = true;
    titleFont.color = clBlue;
    Font axisFont = titleFont;
    axisFont.color = clBlack;
    title = {chartTitle, titleFont};
    bottomAxisTitle = {bottom, axisFont};
    leftAxisTitle = {left, axisFont};
}

}  // namespace platform
