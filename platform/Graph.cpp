// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Graph.h"

#include <algorithm>
#include <cctype>

#include "platform/Dialogs.h"

namespace platform {

MenuItem* Graph::createPopupMenu() {
    if (!m_popup)
        m_popup = std::make_unique<MenuItem>(nullptr, "PopupMenu1", "");
    return m_popup.get();
}

void Graph::SaveImage(const ImageRequest& request) {
    services().saveGraphImage(*this, request);
}

void Graph::CopyImage() {
    services().copyGraphImage(*this);
}

std::optional<ImageFormat> imageFormatOf(const std::string& path) {
    const auto dot = path.find_last_of("./");
    if (dot == std::string::npos || path[dot] != '.')
        return std::nullopt;
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == "png")
        return ImageFormat::Png;
    if (ext == "svg")
        return ImageFormat::Svg;
    if (ext == "pdf")
        return ImageFormat::Pdf;
    return std::nullopt;
}

}  // namespace platform
