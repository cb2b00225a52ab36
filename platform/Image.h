// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <string>
#include <utility>

#include "platform/Control.h"

namespace platform {

// A picture drawn from an SVG document, scaled to the control's bounds.
class Image : public Control {
  public:
    Image(Control* parent, std::string name, std::string svg = {})
        : Control(parent, std::move(name)), m_svg(std::move(svg)) {}
    std::string className() const override { return "TImage"; }
    const std::string& svg() const { return m_svg; }

  private:
    std::string m_svg;
};

}  // namespace platform
