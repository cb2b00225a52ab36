// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>

#include "platform/base/Color.h"

namespace model {

// The value fields of the main window that the recalculation pass and the
// log entry read and write. The window, the batch program and the tests each
// provide their own set.
enum class FieldId {
    SigTxt,
    MuTxt,
    RsTxt,
    RiTxt,
    ITxt,
    TTxt,
    DTxt,
    CurrTxt,
    CondTxt,
    XTxt,
    ETxt,
    ZstarTxt,
    ZTxt,
    ATxt,
    KTxt,
    KaTxt,
    HTxt,
    DHHTxt,
    WTxt,
    VTxt,
    ZetaTxt,
};
inline constexpr int kFieldCount = static_cast<int>(FieldId::ZetaTxt) + 1;

// The control name of a field ("SigTxt").
const char* fieldName(FieldId id);

class ValueFields {
  public:
    virtual ~ValueFields() = default;
    virtual std::string text(FieldId id) const = 0;
    virtual void setText(FieldId id, const std::string& text) = 0;
    virtual platform::Color color(FieldId id) const = 0;
    virtual void setColor(FieldId id, platform::Color color) = 0;
};

// The graph's one point series.
class PointSeries {
  public:
    virtual ~PointSeries() = default;
    virtual void clear() = 0;
    virtual void addPoint(double x, double y) = 0;
};

// Where the lines of a log entry go (the report window's document).
class LogSink {
  public:
    virtual ~LogSink() = default;
    virtual void AddLogLine(std::string line) = 0;
};

}  // namespace model
