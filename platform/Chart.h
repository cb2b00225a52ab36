// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "platform/Graph.h"

namespace platform {

class Chart;

struct ChartPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const ChartPoint&, const ChartPoint&) = default;
};

// The chart's one point series; x values are kept in ascending order.
class PointSeries {
  public:
    explicit PointSeries(Chart& chart) : m_chart(chart) {}
    void Clear();
    void AddXY(double x, double y);
    const std::vector<ChartPoint>& points() const { return m_points; }
    Color color() const { return m_color; }
    void setColor(Color c) { m_color = c; }

  private:
    Chart& m_chart;
    std::vector<ChartPoint> m_points;
    Color m_color = clRed;
};

class Chart : public Graph {
  public:
    Chart(Control* parent, std::string name);
    std::string className() const override { return "TChart"; }

    bool legendVisible = false;
    bool view3D = false;
    Color backWallColor = clWhite;
    // Set the texts and fonts above, then tell the peer.
    void appearanceChanged() { notify(Property::Layout); }

    PointSeries& series() { return m_series; }
    const PointSeries& series() const { return m_series; }

    // The orientation of the next Print: PrintPortrait or PrintLandscape,
    // then Print, which prints at once on the current printer, the caption
    // under the plot and the whole filling the page.
    void PrintPortrait() { m_landscape = false; }
    void PrintLandscape() { m_landscape = true; }
    bool printsLandscape() const { return m_landscape; }
    void Print();
    // The chart on the clipboard as a vector picture (and a bitmap beside it
    // for programs that take only bitmaps), with its caption.
    void CopyToClipboardMetafile(bool enhanced);

  private:
    friend class PointSeries;
    void seriesChanged() { notify(Property::Content); }
    PointSeries m_series;
    bool m_landscape = false;
};

}  // namespace platform
