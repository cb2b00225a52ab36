// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "model/ModelState.h"
#include "model/Outputs.h"

namespace model {

// Value fields held in memory: a text and a colour per field, for programs
// and checks that run the model without a window.
class FieldTable : public ValueFields {
  public:
    // Every text empty, every colour black.
    FieldTable() = default;

    // The texts and colours the main window is designed with, before the
    // first recalculation: the inputs lime, E and the results yellow.
    static FieldTable mainWindowDesign();

    std::string text(FieldId id) const override;
    void setText(FieldId id, const std::string& text) override;
    platform::Color color(FieldId id) const override;
    void setColor(FieldId id, platform::Color color) override;

  private:
    std::array<std::string, kFieldCount> m_texts;
    std::array<platform::Color, kFieldCount> m_colors{};
};

// A point series held in memory, in the order the points were added.
class PointList : public PointSeries {
  public:
    void clear() override { m_points.clear(); }
    void addPoint(double x, double y) override { m_points.emplace_back(x, y); }
    const std::vector<std::pair<double, double>>& points() const { return m_points; }

  private:
    std::vector<std::pair<double, double>> m_points;
};

// Log lines held in memory, in the order they were added.
class LineList : public LogSink {
  public:
    void AddLogLine(std::string line) override { m_lines.push_back(std::move(line)); }
    const std::vector<std::string>& lines() const& { return m_lines; }
    std::vector<std::string> lines() && { return std::move(m_lines); }
    void clear() { m_lines.clear(); }

  private:
    std::vector<std::string> m_lines;
};

// Reads the inputs from the texts of the value fields, as the main window does
// when it is first shown, and derives the frictional and diffusion
// coefficients from the Stokes radius. z* is not read. Throws
// platform::EConvertError for a text that is not a number.
void readStartValues(ModelState& s, const ValueFields& fields);

}  // namespace model
