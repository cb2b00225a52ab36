// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <vector>

#include "platform/Chart.h"
#include "platform/Graph.h"

namespace platform {

// An error bar's reach below and above its point.
struct ErrorBar {
    double below = 0;
    double above = 0;
    friend bool operator==(const ErrorBar&, const ErrorBar&) = default;
};

// The symbol of a series' points.
enum class Marker { Circle, Square, Triangle, Diamond, InvertedTriangle, Cross, Plus, Star };

// One curve of a line chart, drawn through its points in order, or its
// points alone as markers.
struct LineSeries {
    std::string name;  // as the legend shows it
    Color color = clBlack;
    std::vector<ChartPoint> points;
    bool dashed = false;
    bool markers = false;
    // Optional, one per point: an error bar, and a name shown when the
    // pointer rests on the point.
    std::vector<ErrorBar> errors{};
    std::vector<std::string> labels{};
    Marker marker = Marker::Circle;
    bool joined = false;  // markers with a line through them, in order
    friend bool operator==(const LineSeries&, const LineSeries&) = default;
};

struct AxisRange {
    double min = 0;
    double max = 1;
    bool logarithmic = false;
    friend bool operator==(const AxisRange&, const AxisRange&) = default;
};

// A chart of several curves over fixed axes, with a legend.
class LineChart : public Graph {
  public:
    LineChart(Control* parent, std::string name);
    ~LineChart() override;
    std::string className() const override { return "TLineChart"; }

    AxisRange bottomAxis;
    AxisRange leftAxis;
    // Where the legend sits inside the plot; at the top over curves that
    // leave room there.
    bool legendAtTop = false;
    // A corner of the plot for the legend, or beside the plot (Outside);
    // Default follows legendAtTop at the right.
    enum class LegendPlace { Default, TopLeft, TopRight, BottomLeft, BottomRight, Outside };
    LegendPlace legendPlace = LegendPlace::Default;
    // The three titles in the charts' own fonts: the title bold blue, the
    // axis titles bold black, both Arial.
    void setTitles(const std::string& chartTitle, const std::string& bottom,
                   const std::string& left);
    // Set the texts and axes above, then tell the peer.
    void appearanceChanged();

    // A graph under another one with the same x axis: its bottom axis
    // follows above's range, and both plots' left and right edges line up,
    // each giving room to the wider of the two axes' labels.
    void shareBottomAxisWith(LineChart& above);
    // The other graph of the pair, if any.
    LineChart* axisPartner() const { return m_above ? m_above : m_below; }

    const std::vector<LineSeries>& series() const { return m_series; }
    void setSeries(std::vector<LineSeries> series);

  private:
    std::vector<LineSeries> m_series;
    LineChart* m_above = nullptr;
    LineChart* m_below = nullptr;
};

}  // namespace platform
