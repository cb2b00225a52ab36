// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/LineChart.h"

namespace platform {

LineChart::LineChart(Control* parent, std::string name) : Graph(parent, std::move(name)) {
    setColor(clWhite);
}

void LineChart::setSeries(std::vector<LineSeries> series) {
    if (series == m_series)
        return;
    m_series = std::move(series);
    notify(Property::Content);
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
