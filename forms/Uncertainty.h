// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Uncertainty.h"
#include "forms/GraphExport.h"
#include "model/ModelState.h"
#include "model/Outputs.h"
#include "platform/Form.h"
#include "platform/LineChart.h"

namespace forms {

// The uncertainty of z that the uncertainties of the measured inputs give,
// by the law of propagation (the budget, at once) and by Monte Carlo (in the
// background, on every core). Modeless; it follows every recalculation of
// the main window while it is shown.
class TUncertaintyFrm : public platform::Form {
  public:
    // Where "Add to log" writes the budget and both results: the calculation
    // log, or none when there is no log to write to. Given by whoever opens
    // the window.
    using LogTarget = std::function<model::LogSink*()>;

    TUncertaintyFrm(platform::Form* owner, LogTarget log);
    // Stops a run that is going on and waits for it.
    ~TUncertaintyFrm() override;
    std::string className() const override { return "TUncertaintyFrm"; }

    // Takes the inputs from the state; zText is z as the main window shows
    // it, caption the conditions line under the histogram in its images.
    void showFor(const model::ModelState& s, const std::string& zText, const std::string& caption);

    // The standard uncertainty of an input, normally distributed, as if
    // typed in its row.
    void setUncertainty(analysis::Input input, double u);

    // The GUM standard uncertainty of z, when some input has a u.
    std::optional<double> valenceUncertainty() const {
        if (!m_gum || !anyUncertainty())
            return std::nullopt;
        return m_gum->uValence;
    }

    // A Monte Carlo run is going on.
    bool running() const { return m_run != nullptr; }
    // Results are shown for the values as they stand.
    bool resultCurrent() const;

    static constexpr int kMaxRows = 10;  // inputs of the largest measurement

    platform::Label* StateLbl;
    platform::Label* ValenceLbl;
    platform::Label* HeaderLbls[7];
    struct Row {
        platform::Label* name;
        platform::StaticText* value;
        platform::StaticText* u;
        platform::StaticText* distribution;
        platform::StaticText* sensitivity;
        platform::StaticText* contribution;
        platform::StaticText* share;
    };
    Row Rows[kMaxRows];
    platform::Label* GumLbl;
    platform::StaticText* GumTxts[3];  // u(z), u(z*), u(Ge(max))
    platform::Label* GumCaptionLbls[3];
    platform::Label* ExpandedLbl;
    platform::StaticText* ExpandedTxts[3];  // U = 2u of the same three
    platform::Label* ExpandedCaptionLbls[3];
    platform::Label* CoverageLbl;
    // Uncertainties to two significant digits and values to their
    // decimals, or every digit: a click switches.
    platform::Label* DigitsLbl;
    platform::StaticText* DigitsTxt;

    platform::Label* MonteCarloLbl;
    platform::Label* DrawsLbl;
    platform::StaticText* DrawsTxt;
    platform::Label* SeedLbl;
    platform::StaticText* SeedTxt;
    platform::Button* RunBtn;
    platform::Button* CancelBtn;
    platform::Panel* ProgressPnl;
    platform::Shape* ProgressBar;
    platform::Label* ProgressLbl;
    platform::Label* ResultHeaderLbls[5];
    struct ResultRow {
        platform::Label* name;
        platform::StaticText* cells[4];  // mean, u, low, high
    };
    ResultRow ResultRows[3];  // z, z*, Ge(max)
    platform::Label* RejectedLbl;
    platform::Label* StatusLbl;
    // Under a model not linear in z: draws without a valence, or two.
    platform::Label* ValenceNoteLbl;
    platform::Label* KeyLbl;  // the colours of entered and calculated values
    platform::LineChart* Chart1;
    std::unique_ptr<GraphExport> Chart1Export;
    platform::Button* AddToLogBtn;
    platform::Button* CloseBtn;

    void UTxtClick(platform::Control& sender);
    void DigitsTxtClick(platform::Control& sender);
    void DistTxtClick(platform::Control& sender);
    void DrawsTxtClick(platform::Control& sender);
    void SeedTxtClick(platform::Control& sender);
    void RunBtnClick(platform::Control& sender);
    void CancelBtnClick(platform::Control& sender);
    void AddToLogBtnClick(platform::Control& sender);

  private:
    struct Run;
    // What a Monte Carlo result belongs to.
    struct RunKey {
        analysis::InputValues values{};
        analysis::MeasurementModel::Hydrodynamic hydrodynamic{};
        bool fieldFromCurrent = false;
        bool fromMobility = false;
        bool water = false;
        model::ElectrokineticModel electrokinetic{};
        std::string salt;
        analysis::Uncertainties u{};
        analysis::MonteCarloOptions options;
        bool operator==(const RunKey&) const = default;
    };

    void buildInputs();
    void buildMonteCarlo();
    int rowOf(const platform::Control& sender) const;
    RunKey currentKey() const;
    bool anyUncertainty() const;
    // Brings the budget up to date and starts a run when the values changed.
    void update();
    void startRun();
    // Whether a run is going for these values.
    bool runningFor(const RunKey& key) const;
    void stopRun();
    void runProgressed();
    void runFinished();
    void showResult();
    void clearResult(const std::string& status);
    void showChart();
    // Places the sections under the rows of the budget that show, and the
    // graph in the room the window has.
    void layOut();
    // Its texts as the digits choice shows them.
    std::string uncertaintyText(double u) const;
    std::string valueText(double value, double u) const;

    std::optional<analysis::Measurement> m_measurement;
    analysis::Uncertainties m_u{};
    // Which u came from a fit rather than typed.
    std::array<bool, analysis::kInputCount> m_fittedU{};
    analysis::MonteCarloOptions m_options;
    std::optional<analysis::GumResult> m_gum;
    std::optional<analysis::MonteCarloResult> m_result;
    RunKey m_resultKey;
    // The result last appended to the log, so that a second press asks.
    LogTarget m_log;
    std::optional<RunKey> m_loggedKey;
    std::shared_ptr<Run> m_run;
    bool m_allDigits = false;
    int m_rowsShown = 0;
    // The controls of the GUM and Monte Carlo sections, each with its top
    // within its section.
    struct Placed {
        platform::Control* control;
        int top;
    };
    std::vector<Placed> m_gumSection;
    std::vector<Placed> m_monteCarloSection;
};

// The question before the same result is appended to the log a second time:
// Yes appends it again, No leaves the log as it is.
class TAddAgain : public platform::Form {
  public:
    explicit TAddAgain(platform::Form* owner);
    std::string className() const override { return "TAddAgain"; }

    platform::StaticText* StaticText1;
    platform::Button* BitBtn1;  // Yes
    platform::Button* BitBtn2;  // No
};

}  // namespace forms
