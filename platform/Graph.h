// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Control.h"
#include "platform/Menu.h"

namespace platform {

enum class ImageFormat { Png, Svg, Pdf };

// A graph written to a file: at a journal column's width, with the caption
// under the plot; a bitmap at dpi dots per inch.
struct ImageRequest {
    std::string path;
    ImageFormat format = ImageFormat::Png;
    int dpi = 300;
};

struct ChartText {
    std::string text;
    Font font;
};

// The size of a written graph: one column of a journal page.
inline constexpr double kImageWidthCm = 8.5;
inline constexpr double kImageHeightCm = 6.8;  // the plot's, without the caption

// A control that draws a graph, which can be copied, saved as an image and
// printed: each of them with the caption line under the plot.
class Graph : public Control {
  public:
    using Control::Control;

    ChartText title;
    ChartText bottomAxisTitle;
    ChartText leftAxisTitle;

    // The conditions the graph was drawn for, and the program that drew it.
    std::string caption;

    // The menu a right click opens over the graph, made on first use.
    MenuItem* popupMenu() const { return m_popup.get(); }
    MenuItem* createPopupMenu();

    // Throw platform::Exception, naming the file, when it cannot be written;
    // a failed save leaves an existing file as it was.
    void SaveImage(const ImageRequest& request);
    // On the clipboard as SVG, with a PNG beside it.
    void CopyImage();

  private:
    std::unique_ptr<MenuItem> m_popup;
};

// The file format a name's extension asks for, if it names one of ours.
std::optional<ImageFormat> imageFormatOf(const std::string& path);

}  // namespace platform
