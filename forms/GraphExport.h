// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <string>

#include "model/ModelState.h"
#include "model/Outputs.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/Graph.h"

namespace forms {

// The line under a graph of the program in a figure: the conditions it was
// drawn for, then the program and its version.
std::string graphCaption(const model::ModelState& s, const model::ValueFields& fields);

// What a graph of a window offers besides the window: its right-click menu
// (Copy image, Save image as...) and the save that a window's menu command
// runs too.
class GraphExport {
  public:
    GraphExport(platform::Form& owner, platform::Graph& graph);

    // Asks for the file and its kind (PNG at 300, 600 or 150 dpi, SVG or
    // PDF), writes the graph there and says what it wrote where.
    void SaveImageAs();
    void CopyImage() { m_graph.CopyImage(); }

    platform::MenuItem* CopyImage1;
    platform::MenuItem* SaveImageAs1;
    std::unique_ptr<platform::SaveDialog> SaveDialog1;

  private:
    platform::Graph& m_graph;
};

// The message after a print of a graph: where it went.
std::string graphPrintedMessage();

}  // namespace forms
