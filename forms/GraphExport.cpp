// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/GraphExport.h"

#include "model/Caption.h"
#include "platform/Application.h"
#include "platform/base/NumberText.h"

namespace forms {

namespace {

struct ImageKind {
    const char* description;
    const char* extension;
    platform::ImageFormat format;
    int dpi;
};

// In the order of the dialog's list; the first is offered.
constexpr ImageKind kKinds[] = {
    {"PNG image, 300 dpi", "png", platform::ImageFormat::Png, 300},
    {"PNG image, 600 dpi", "png", platform::ImageFormat::Png, 600},
    {"PNG image, 150 dpi", "png", platform::ImageFormat::Png, 150},
    {"SVG drawing", "svg", platform::ImageFormat::Svg, 0},
    {"PDF document", "pdf", platform::ImageFormat::Pdf, 0},
};
constexpr int kKindCount = static_cast<int>(std::size(kKinds));

std::string filterText() {
    std::string filter;
    for (const ImageKind& k : kKinds)
        filter += std::string(filter.empty() ? "" : "|") + k.description + "|*." + k.extension;
    return filter;
}

const char* formatName(platform::ImageFormat f) {
    switch (f) {
        case platform::ImageFormat::Png:
            return "PNG";
        case platform::ImageFormat::Svg:
            return "SVG";
        case platform::ImageFormat::Pdf:
            return "PDF";
    }
    return "";
}

}  // namespace

std::string graphCaption(const model::ModelState& s, const model::ValueFields& fields) {
    return model::conditionsCaption(s, fields) + ". Quorvin " QUORVIN_VERSION;
}

GraphExport::GraphExport(platform::Form& owner, platform::Graph& graph) : m_graph(graph) {
    platform::MenuItem* menu = graph.createPopupMenu();
    CopyImage1 =
        menu->add("CopyImage1", "&Copy image", [this](platform::MenuItem&) { CopyImage(); });
    SaveImageAs1 = menu->add("SaveImageAs1", "&Save image as...",
                             [this](platform::MenuItem&) { SaveImageAs(); });
    SaveDialog1 = std::make_unique<platform::SaveDialog>(&owner, "SaveImageDialog");
    SaveDialog1->Title = "Save image";
    SaveDialog1->Filter = filterText();
}

void GraphExport::SaveImageAs() {
    if (!SaveDialog1->Execute())
        return;
    const int index = SaveDialog1->FilterIndex;
    const ImageKind& chosen = kKinds[index >= 1 && index <= kKindCount ? index - 1 : 0];
    platform::ImageRequest request{SaveDialog1->FileName, chosen.format, 300};
    // The name's own extension wins over the kind in the list, so that
    // "figure.pdf" is a PDF whatever the list showed.
    if (const auto named = platform::imageFormatOf(request.path))
        request.format = *named;
    else
        request.path += std::string(".") + chosen.extension;
    if (request.format == chosen.format && chosen.dpi > 0)
        request.dpi = chosen.dpi;
    m_graph.SaveImage(request);
    std::string what = formatName(request.format);
    if (request.format == platform::ImageFormat::Png)
        what += ", " + std::to_string(request.dpi) + " dpi";
    platform::app().ShowInformation("The graph was saved to \"" + request.path + "\" (" + what +
                                    ", " + platform::FormatFloat("0.0", platform::kImageWidthCm) +
                                    " cm wide).");
}

std::string graphPrintedMessage() {
    const platform::PrinterChoice printer = platform::services().currentPrinter();
    if (!printer.outputFile.empty())
        return "The graph was printed to \"" + printer.outputFile + "\".";
    return "The graph was printed on \"" + printer.name + "\".";
}

}  // namespace forms
