// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "charge/Titration.h"
#include "forms/GraphExport.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/Grid.h"
#include "platform/LineChart.h"
#include "series/Series.h"

namespace journal {
class SeriesCopy;
}

namespace forms {

// The file dialogs of series and samples: .csv files, the title given.
std::unique_ptr<platform::OpenDialog> csvOpenDialog(platform::Form* owner, const std::string& name,
                                                    const std::string& title);
std::unique_ptr<platform::SaveDialog> csvSaveDialog(platform::Form* owner, const std::string& name,
                                                    const std::string& title);

// A series of samples as a table, one row per sample: the inputs as typed
// and the results of each row, which follow every edit; beside it a plot
// of a result against a numeric column. Modeless; several may be open.
class TSeriesFrm : public platform::Form {
  public:
    explicit TSeriesFrm(platform::Form* owner);
    // Stops a Monte Carlo run that is going on; a copy of unsaved changes
    // stays on disk.
    ~TSeriesFrm() override;
    std::string className() const override { return "TSeriesFrm"; }

    // A series left by a program that ended without saving it: shown
    // unsaved, under the file it came from (none when empty).
    void recover(series::Series recovered, const std::filesystem::path& original);
    // Writes the recovery copy of unsaved changes now and waits for it;
    // false, and the failure shown, when it could not be written.
    bool flushCopy();

    // The rows' Monte Carlo 95 % intervals are being computed.
    bool running() const { return m_run != nullptr; }
    // The runs' draws, seed and threads (one per core unless given).
    void setMonteCarloOptions(const analysis::MonteCarloOptions& options);

    // Opens a file in this window; the error, with its line and column, is
    // shown and nothing changes when it cannot be read. True when opened.
    bool openFile(const std::filesystem::path& path);
    const series::Series& document() const { return m_series; }
    const std::filesystem::path& path() const { return m_path; }
    // Asks to save unsaved changes; false when the user kept the window.
    bool confirmDiscard();

    platform::Grid* Grid1;
    platform::Label* StatusLbl;
    // Under the table while a Monte Carlo run takes long: its progress and
    // a button to stop it.
    platform::Panel* RunPnl;
    platform::Label* RunLbl;
    platform::Panel* ProgressPnl;
    platform::Shape* ProgressBar;
    platform::Label* ProgressLbl;
    platform::Button* CancelBtn;
    platform::Panel* PlotPanel;
    platform::Label* XLbl;
    platform::StaticText* XTxt;  // a click chooses the next numeric column
    platform::Label* YLbl;
    platform::StaticText* YTxt;
    platform::Label* ScaleLbl;
    platform::StaticText* ScaleTxt;  // linear or logarithmic x
    platform::Label* BarsLbl;
    platform::StaticText* BarsTxt;  // none, u, U = 2u or the 95 % interval
    platform::LineChart* Chart1;
    std::unique_ptr<GraphExport> Chart1Export;

    platform::MenuItem *File1, *NewSeries1, *Open1, *Save1, *SaveAs1, *SaveGraphAs1, *OpenInMain1,
        *Close1;
    platform::MenuItem *Edit1, *Undo1, *Redo1, *Copy1, *Paste1, *InsertRow1, *DeleteRow1,
        *MoveRowUp1, *MoveRowDown1, *AddColumn1, *RenameColumn1, *DeleteColumn1;
    platform::MenuItem *Analysis1, *AttachSequence1, *DetachSequence1;
    std::unique_ptr<platform::OpenDialog> OpenDialog1;
    std::unique_ptr<platform::SaveDialog> SaveDialog1;
    std::unique_ptr<platform::OpenDialog> SequenceDialog1;

    // A protein sequence for the series: each row with a pH gets the charge
    // it predicts there (EMBOSS pKa set), screened at the row's conditions,
    // and the charge bound beyond it; the plot of z against pH draws both
    // predicted curves under the measured points.
    void attachSequence(const std::string& text);
    void attachSequence(charge::ProteinSequence read);
    void AttachSequence1Click(platform::MenuItem&);
    void DetachSequence1Click(platform::MenuItem&);
    // The charge columns' names, in order, while a sequence is attached.
    static const std::vector<std::string>& chargeColumns();

    void NewSeries1Click(platform::MenuItem&);
    void Open1Click(platform::MenuItem&);
    // False when nothing was saved (cancelled or failed).
    bool save();
    bool saveAs();
    void OpenInMain1Click(platform::MenuItem&);
    void Copy1Click(platform::MenuItem&);
    void Paste1Click(platform::MenuItem&);
    void AddColumn1Click(platform::MenuItem&);
    void RenameColumn1Click(platform::MenuItem&);
    void DeleteColumn1Click(platform::MenuItem&);
    void MoveRow(int by);
    void DeleteRow1Click(platform::MenuItem&);
    void CancelBtnClick(platform::Control&);

    // The names y can take, and the error bars' kinds, as the fields show
    // them.
    static const std::vector<std::string>& yChoices();
    static const std::vector<std::string>& barChoices();

  private:
    struct Run;
    void buildMenu();
    void buildRunPanel();
    // A run for the rows still without their interval, after any change.
    void followRun();
    void startRun();
    void stopRun();
    void runProgressed();
    void runFinished();
    // The copy follows the series: written while it has unsaved changes,
    // removed otherwise.
    void updateCopy();
    void removeCopy();
    void updateMenu();
    void buildPlotPanel();
    // The charges of each row for the attached sequence, and its curves.
    struct RowCharge {
        double predicted = 0;
        double screened = 0;
        double bound = 0;
    };
    void updateCharges();
    std::optional<std::size_t> phColumn() const;
    void addChargeCurves(std::vector<platform::LineSeries>& series, double from, double to) const;
    platform::GridCell cellAt(int row, int column) const;
    void cellEdited(int row, int column, const std::string& text);
    // The table, title, status line and plot after a change.
    void refresh();
    void updateStatus();
    void updatePlot();
    std::string plotCaption() const;
    // Numeric columns usable as x.
    std::vector<std::size_t> xColumns() const;
    std::string fileName() const;
    int inputColumns() const { return static_cast<int>(m_series.columnCount()); }
    // Runs a command of the document; its refusal is shown.
    void change(const std::function<void()>& command);

    series::Series m_series;
    std::filesystem::path m_path;
    std::size_t m_xColumn = 0;
    std::size_t m_y = 0;
    std::size_t m_bars = 0;
    bool m_logX = false;
    std::optional<charge::ProteinSequence> m_sequence;
    std::vector<charge::Site> m_sites;
    std::vector<std::optional<RowCharge>> m_charges;
    std::optional<model::ModelState> m_chargeState;  // the first row's, for the curves
    analysis::MonteCarloOptions m_runOptions;
    std::shared_ptr<Run> m_run;
    std::unique_ptr<journal::SeriesCopy> m_copy;  // none without the log's copy
    std::optional<std::string> m_copied;          // asked to be on disk
    std::optional<std::uint64_t> m_cancelledAt;   // the revision a Cancel left
};

}  // namespace forms
