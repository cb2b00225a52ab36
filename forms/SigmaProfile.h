// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fit/SigmaFit.h"
#include "forms/GraphExport.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/LineChart.h"
#include "platform/Timer.h"

namespace forms {

// Where "Use this Sigma" sends the fitted Sigma: the window's way to the
// main window and to the log, given by whoever opens it.
struct SigmaUse {
    // Enters Sigma as typed with its standard error; why not, when refused.
    std::function<std::optional<std::string>(const std::string& sigma, double se)> enter;
    // Adds a line to the calculation log.
    std::function<void(const std::string& line)> log;
};

// Sigma fitted to measured concentration profiles: scans opened from files,
// the exponential with its baseline fitted to them (one Sigma for all), the
// parameters with their standard errors and 95 % intervals, the data with
// the curve and the residuals beneath. "Use this Sigma" enters it in the
// main window and gives its u to the uncertainty window; a fit that is not
// credible says why in the notes and is refused. The scans are read and
// fitted in the background, with their progress and a Cancel once that
// takes a while. Modeless.
class TSigmaProfileFrm : public platform::Form {
  public:
    TSigmaProfileFrm(platform::Form* owner, SigmaUse use);
    ~TSigmaProfileFrm() override;
    std::string className() const override { return "TSigmaProfileFrm"; }

    static constexpr int kMaxScanRows = 6;  // Sigma of each scan, in time order

    platform::Button* OpenBtn;
    platform::Label* ScansLbl;
    platform::Label* FromLbl;
    platform::StaticText* FromTxt;
    platform::Label* ToLbl;
    platform::StaticText* ToTxt;
    platform::Label* MaxLbl;
    platform::StaticText* MaxTxt;
    platform::Label* BaselineLbl;
    platform::StaticText* BaselineTxt;  // "fitted" or "held at 0"
    platform::Label* AxisLbl;
    platform::StaticText* AxisTxt;  // "linear" or "logarithmic"
    platform::Label* HeaderLbls[5];
    struct ParameterRow {
        platform::Label* name;
        platform::StaticText* cells[4];  // value, SE, 95 % from, 95 % to
    };
    ParameterRow ParameterRows[3];  // Sigma, amplitude, baseline
    platform::Label* FitLbl;        // chi^2/nu, points, runs test
    platform::Label* NoteLbl;       // warnings and notes
    platform::Label* ScanHeaderLbl;
    platform::Label* ScanLbls[kMaxScanRows];
    platform::LineChart* Chart1;  // data and curve
    platform::LineChart* Chart2;  // residuals
    std::unique_ptr<GraphExport> Chart1Export;
    std::unique_ptr<GraphExport> Chart2Export;
    platform::Label* RunLbl;  // the progress of a long fit, with its Cancel
    platform::Panel* ProgressPnl;
    platform::Shape* ProgressBar;
    platform::Label* ProgressLbl;
    platform::Button* CancelBtn;
    platform::Button* UseBtn;
    platform::Button* CloseBtn;
    std::unique_ptr<platform::OpenDialog> OpenDialog1;

    // Reads the files (all or none) and fits them, in the background.
    void openScans(const std::vector<std::string>& paths);
    // Scans being read or fitted.
    bool running() const { return m_run != nullptr; }
    const std::optional<fit::SigmaFit>& result() const { return m_fit; }
    // The text "Use this Sigma" enters: Sigma to the decimals of its SE.
    std::string sigmaText() const;
    // The log's line of "Use this Sigma".
    std::string fitLogLine() const;

    void OpenBtnClick(platform::Control& sender);
    void FromTxtClick(platform::Control& sender);
    void ToTxtClick(platform::Control& sender);
    void MaxTxtClick(platform::Control& sender);
    void BaselineTxtClick(platform::Control& sender);
    void AxisTxtClick(platform::Control& sender);
    void UseBtnClick(platform::Control& sender);
    void CancelBtnClick(platform::Control& sender);

  private:
    struct Run;
    void build();
    void buildRunRow();
    void refit();
    void startRun(std::vector<std::string> paths);
    static bool readScans(Run& run);
    void stopRun();
    void showRunRow(bool visible);
    void showProgress();
    void runFinished();
    void takeScans(std::vector<fit::Scan> scans);
    void enableChoices(bool enabled);
    void showFit();
    void showCharts();
    void clearFit(const std::string& why, const std::string& reason = "");
    std::string shortNames(std::string message) const;

    std::vector<fit::Scan> m_scans;
    fit::SigmaFitOptions m_options;
    std::optional<fit::SigmaFit> m_fit;
    // Sigma of each scan alone, for the time course; empty for one scan.
    std::vector<std::optional<fit::SigmaFit>> m_each;
    bool m_logAxis = false;
    SigmaUse m_use;
    std::shared_ptr<Run> m_run;
    // Stopped runs whose threads have not ended yet: let go of once they
    // have, so that a Cancel never waits for a file being read.
    std::vector<std::shared_ptr<Run>> m_stopped;
    platform::Timer m_quietTimer;  // the progress shows when it fires
};

}  // namespace forms
