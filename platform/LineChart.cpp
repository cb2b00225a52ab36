#include "platform/LineChart.h"

namespace platform {

LineChart::LineChart(Control* parent, std::string name) : Control(parent, std::move(name)) {
    setColor(clWhite);
}

void LineChart::setSeries(std::vector<LineSeries> series) {
    if (series == m_series)
        return;
    m_series = std::move(series);
    notify(Property::Content);
}

}  // namespace platform
