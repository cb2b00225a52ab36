// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <string>

#include "analysis/HenryModels.h"
#include "forms/GraphExport.h"
#include "model/ModelState.h"
#include "platform/Form.h"
#include "platform/LineChart.h"

namespace forms {

// A side view of Henry's function: the program's own beside Henry's exact
// function for a sphere, Ohshima's approximation and the two limits, as a
// graph over Ka and as the valence each would give for the current Sigma.
// Modeless; it follows every recalculation while it is shown.
class THenryModelsFrm : public platform::Form {
  public:
    explicit THenryModelsFrm(platform::Form* owner);
    ~THenryModelsFrm() override;
    std::string className() const override { return "THenryModelsFrm"; }

    // Brings the graph's marker and the table to the state; Ka and Sigma are
    // named as the main window shows them.
    // caption: the conditions line under the graph in its images.
    void showFor(const model::ModelState& s, const std::string& kaText,
                 const std::string& sigmaText, const std::string& caption);

    platform::LineChart* Chart1;
    std::unique_ptr<GraphExport> Chart1Export;
    platform::Panel* Panel1;
    platform::Label* StateLbl;
    platform::Label* HeaderLbls[5];
    struct Row {
        platform::Label* name;
        platform::StaticText* henry;
        platform::StaticText* slope;
        platform::StaticText* valence;
        platform::StaticText* difference;
    };
    Row Rows[analysis::kHenryModelCount];
    platform::Button* CloseBtn;

  private:
    void buildTable();
};

extern THenryModelsFrm* HenryModelsFrm;

}  // namespace forms
