// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "electrokinetics/ModelComparison.h"
#include "forms/BackgroundRun.h"
#include "forms/GraphExport.h"
#include "model/ModelState.h"
#include "platform/Form.h"
#include "platform/LineChart.h"

namespace forms {

struct MobilityPlot;

// The electrokinetic models side by side for the main window's sample: what
// each gives for the same measurement (z, z*, zeta, the difference of z from
// the chosen model's), the reduced mobility against the reduced zeta
// potential at the sample's Ka with the measured point, and Henry's
// function over Ka beside Hückel's and Smoluchowski's limits (the graphs
// one at a time, a button between them).
// Modeless; it follows every recalculation while it is shown. The models
// not linear in z are worked out on a thread of their own.
class THenryModelsFrm : public platform::Form {
  public:
    explicit THenryModelsFrm(platform::Form* owner);
    ~THenryModelsFrm() override;
    std::string className() const override { return "THenryModelsFrm"; }

    // Brings the table and the graphs to the state; Ka and Sigma are named
    // as the main window shows them.
    // caption: the conditions line under the graphs in their images.
    void showFor(const model::ModelState& s, const std::string& kaText,
                 const std::string& sigmaText, const std::string& caption);
    // Rows of models not linear in z are still being worked out.
    bool working() const { return m_run != nullptr; }

    static constexpr int kColumns = 8;
    platform::LineChart* Chart1;  // Henry's function over Ka
    std::unique_ptr<GraphExport> Chart1Export;
    platform::LineChart* Chart2;  // the reduced mobility against the reduced zeta
    std::unique_ptr<GraphExport> Chart2Export;
    platform::Panel* Panel1;
    platform::Label* StateLbl;
    platform::Label* HeaderLbls[kColumns];
    struct Row {
        platform::Label* name;
        platform::StaticText* henry;
        platform::StaticText* slope;
        platform::StaticText* valence;
        platform::StaticText* effectiveValence;
        platform::StaticText* zeta;
        platform::StaticText* difference;
        platform::StaticText* percent;
    };
    // One per model of electrokinetics::comparedModels(), in its order.
    std::vector<Row> Rows;
    platform::Button* CloseBtn;
    // Shows the other graph in the graphs' place.
    platform::Button* GraphBtn;

  private:
    using ModelRows = std::vector<std::optional<electrokinetics::ModelRow>>;
    void buildTable();
    void showGraph(bool henry);
    void showRows();
    void drawMobility(const MobilityPlot& plot);
    void drawHenry(const model::ModelState& s, const std::string& kaText);
    void startWork();
    void workDone(int generation, ModelRows rows, const MobilityPlot& plot);

    std::vector<electrokinetics::Compared> m_compared;
    model::Conditions m_sample;
    model::Derived m_chosen;
    ModelRows m_rows;  // none: still being worked out
    int m_generation = 0;
    std::unique_ptr<BackgroundRun> m_run;
    bool m_stale = false;  // the sample changed while the run went on
};

}  // namespace forms
