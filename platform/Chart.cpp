// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Chart.h"

#include <algorithm>

#include "platform/Dialogs.h"

namespace platform {

void PointSeries::Clear() {
    m_points.clear();
    m_chart.seriesChanged();
}

void PointSeries::AddXY(double x, double y) {
    if (m_points.empty() || !(x < m_points.back().x)) {
        m_points.push_back({x, y});
    } else {
        auto at = std::upper_bound(m_points.begin(), m_points.end(), x,
                                   [](double v, const ChartPoint& p) { return v < p.x; });
        m_points.insert(at, {x, y});
    }
    m_chart.seriesChanged();
}

void Chart::Print() {
    services().printGraph(*this, m_landscape);
}

void Chart::CopyToClipboardMetafile(bool) {
    CopyImage();
}

Chart::Chart(Control* parent, std::string name)
    : Graph(parent, std::move(name)), m_series(*this) {
    setColor(clWhite);
}

}  // namespace platform
