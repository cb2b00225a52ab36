// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "charge/Titration.h"
#include "forms/GraphExport.h"
#include "forms/SeriesSettings.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/Grid.h"
#include "platform/LineChart.h"
#include "platform/Timer.h"
#include "series/Series.h"

#include "journal/SeriesCopy.h"

namespace forms {

// The file dialogs of series and samples: .csv files, the title given.
std::unique_ptr<platform::OpenDialog> csvOpenDialog(platform::Form* owner, const std::string& name,
                                                    const std::string& title);
std::unique_ptr<platform::SaveDialog> csvSaveDialog(platform::Form* owner, const std::string& name,
                                                    const std::string& title);

// What the series plot shows and how, in plain values so that they can be
// kept by key beside the series.
struct SeriesPlotSettings {
    std::size_t xColumn = 0;  // a numeric column of the document
    std::size_t y = 0;        // of TSeriesFrm::yChoices()
    bool logX = false;
    std::size_t bars = 0;  // of TSeriesFrm::barChoices()
    // The points grouped by a column, each group with its symbol, colour
    // and legend entry; Automatic takes the column other than x that varies
    // least (and does vary).
    enum class Grouping { Automatic, None, Column };
    Grouping grouping = Grouping::Automatic;
    std::size_t groupColumn = 0;  // with Column
    bool joinGroups = false;      // a line through each group's points
    // Default: the corner that covers no data, else beside the plot.
    platform::LineChart::LegendPlace legend = platform::LineChart::LegendPlace::Default;
    std::string title;  // none when empty
    friend bool operator==(const SeriesPlotSettings&, const SeriesPlotSettings&) = default;
};

// What a series window reaches beyond itself, given by whoever opens it.
struct SeriesLinks {
    // Enters a row in the main window as if typed; why not, when refused.
    std::function<std::optional<std::string>(const series::Series::RowEntries& row)> enterRow;
    // The folder of the recovery copies of unsaved series; none when the
    // program keeps no copy of its log.
    std::optional<std::filesystem::path> copyFolder;
};

// A series of samples as a table, one row per sample: the inputs as typed
// and the results of each row, which follow every edit; beside it a plot
// of a result against a numeric column. Modeless; several may be open.
class TSeriesFrm : public platform::Form {
  public:
    TSeriesFrm(platform::Form* owner, SeriesLinks links);
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
    // A series of this many rows or more is evaluated on threads of its own
    // after it opens, so that its table is in the user's hands at once; its
    // rows show "pending" until their results are in.
    static constexpr std::size_t kBackgroundRows = 20000;
    // The plot of a series this long follows an edit once the user pauses
    // this long: its rebuild costs every row, the edit only its own.
    static constexpr int kPlotDelayMs = 300;
    // The rows of a long series are being evaluated.
    bool evaluating() const { return m_evaluation != nullptr; }
    // The threads that evaluate them: one per core unless given; none
    // leaves the rows pending until Cancel or another count.
    void setEvaluationThreads(std::optional<unsigned> threads);
    // The runs' draws, seed and threads (one per core unless given).
    void setMonteCarloOptions(const analysis::MonteCarloOptions& options);

    // Opens a file in this window; the error, with its line and column, is
    // shown and nothing changes when it cannot be read. True when opened.
    bool openFile(const std::filesystem::path& path);
    // A series read from path already; bytes, when given, are the file as
    // it was read, the recovery copy's first snapshot.
    void openDocument(series::Series opened, const std::filesystem::path& path,
                      std::shared_ptr<const std::string> bytes = nullptr);
    // Reads path into into as series::Series::open does, and returns the
    // bytes read.
    static std::shared_ptr<const std::string> readSeriesFile(series::Series& into,
                                                             const std::filesystem::path& path);
    // The series a recovery copy holds: its snapshot read, its edits
    // replayed, rows beyond deferFrom left pending; throws when it cannot
    // be read.
    static series::Series replayCopy(const journal::SeriesCopyContent& copy,
                                     std::size_t deferFrom = static_cast<std::size_t>(-1));
    const series::Series& document() const { return m_series; }
    const std::filesystem::path& path() const { return m_path; }
    // Asks to save unsaved changes; false when the user kept the window.
    // No removes nothing yet: the recovery copy goes when the window closes.
    bool confirmDiscard();
    // Closed, the window keeps nothing that needs a copy or a run; hidden
    // without a question (the program's exit has asked).
    void closed();
    void closeWithoutAsking();

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
    platform::Label* GroupLbl;
    platform::StaticText* GroupTxt;  // the column the points are grouped by
    platform::Label* LinesLbl;
    platform::StaticText* LinesTxt;  // a line through each group's points
    platform::Label* LegendLbl;
    platform::StaticText* LegendTxt;  // where the legend stands
    platform::Label* TitleLbl;
    platform::StaticText* TitleTxt;  // a click asks for the title
    platform::LineChart* Chart1;
    std::unique_ptr<GraphExport> Chart1Export;

    platform::MenuItem *File1, *NewSeries1, *Open1, *Save1, *SaveAs1, *SaveGraphAs1, *OpenInMain1,
        *Close1;
    platform::MenuItem *Edit1, *Undo1, *Redo1, *Cut1, *Copy1, *Paste1, *Delete1, *SelectAll1,
        *InsertRow1, *DeleteRow1, *MoveRowUp1, *MoveRowDown1, *AddColumn1, *RenameColumn1,
        *DeleteColumn1;
    platform::MenuItem *View1, *HideIntermediate1, *ShowIntermediate1;
    platform::MenuItem *Analysis1, *AttachSequence1, *SequenceOptions1, *DetachSequence1;
    std::unique_ptr<platform::OpenDialog> OpenDialog1;
    std::unique_ptr<platform::SaveDialog> SaveDialog1;
    std::unique_ptr<platform::OpenDialog> SequenceDialog1;

    // A protein sequence for the series: each row with a pH gets the charge
    // it predicts there, screened at the row's conditions, and the charge
    // bound beyond it; the plot of z against pH draws both predicted curves
    // under the measured points. The pKa set, bridges and termini are asked
    // as the charge window offers them; the series keeps all in its file.
    void attachSequence(const std::string& text);
    void attachSequence(charge::ProteinSequence read);
    void AttachSequence1Click(platform::MenuItem&);
    void SequenceOptions1Click(platform::MenuItem&);
    void DetachSequence1Click(platform::MenuItem&);
    // The sequence and its choices, as the settings keep them.
    const std::optional<charge::ProteinSequence>& sequence() const { return m_sequence; }
    const ChargeChoice& chargeChoice() const { return m_choice; }
    // The settings of a series to open: a value the window cannot use is
    // refused (platform::Exception naming its column).
    static void checkSettings(const series::Series& s);
    // The charge columns' names, in order, while a sequence is attached,
    // and their captions in the table.
    static const std::vector<std::string>& chargeColumns();
    static const std::vector<std::string>& chargeCaptions();

    // The table's column of an input (its header), a result (its name in
    // the file) or a charge, or of a caption the table shows; -1 for none.
    int viewColumnOf(const std::string& name) const;
    // The intermediate results (a, K, Ka, H, slope, E, Ge(max), the
    // solvent's) in the table after z, z*, the charges, Sigma and the
    // mobility, or left out.
    void showIntermediate(bool show);
    bool intermediateShown() const { return m_showIntermediate; }

    void NewSeries1Click(platform::MenuItem&);
    void Open1Click(platform::MenuItem&);
    // False when nothing was saved (cancelled or failed).
    bool save();
    bool saveAs();
    void OpenInMain1Click(platform::MenuItem&);
    void Copy1Click(platform::MenuItem&);
    void Paste1Click(platform::MenuItem&);
    // Cut copies the selection and clears its input cells; Delete clears
    // them (the rows stay); each one step to undo. The results follow.
    void Cut1Click(platform::MenuItem&);
    void Delete1Click(platform::MenuItem&);
    // The table's rows and columns, the empty row below them left out.
    void SelectAll1Click(platform::MenuItem&);
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
    static const std::vector<std::string>& legendChoices();

    const SeriesPlotSettings& plotSettings() const { return m_plot; }
    void setPlotSettings(const SeriesPlotSettings& settings);
    // The column the points are grouped by now, if any.
    std::optional<std::size_t> groupColumn() const;
    void TitleTxtClick(platform::Control&);

  private:
    struct Run;
    struct Evaluation;
    // The pending rows evaluated on every core, after any change.
    void followEvaluation();
    void startEvaluation();
    void stopEvaluation();
    void evaluationProgressed();
    void evaluationFinished();
    void cancelEvaluation();
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
    std::vector<journal::SeriesEdit> copyEdits(const series::Series::Change& change,
                                               const std::optional<journal::CellEdit>& typed) const;
    void updateMenu();
    // Cut, Delete and Select all, enabled when they would change something.
    void updateEditCommands();
    // The input cells of the selection in the table's rows; none when
    // the selection holds none, or only empty ones.
    std::optional<platform::GridRange> clearableBlock() const;
    void buildPlotPanel();
    // The charges of each row for the attached sequence, and its curves.
    struct RowCharge {
        double predicted = 0;
        double screened = 0;
        double bound = 0;
        double shift = 0;  // of the pK per charge, at the row's conditions
    };
    void updateCharges();
    // The sequence and the plot's choices after a change of the settings.
    void followSettings();
    // A plot choice clicked, kept in the settings.
    void plotChoiceChanged();
    void attach(const std::optional<AttachedSequence>& attached);
    std::optional<std::size_t> phColumn() const;
    // The predicted curve, and the screened one at the pK shift of each
    // group's conditions, in the group's colour.
    struct CurveGroup {
        double shift;
        platform::Color color;
    };
    void addChargeCurves(std::vector<platform::LineSeries>& series, double from, double to,
                         const std::vector<CurveGroup>& groups) const;
    // The screened curve's pK shift of a row, where it has its charges.
    std::optional<double> rowShift(std::size_t row) const;
    // What a column of the table shows: an input of the document, one of
    // its results, or a charge of the attached sequence; one mapping, so
    // that the file keeps its order and names.
    struct ViewColumn {
        enum class Source { Input, Result, Charge } source;
        std::size_t index;
        std::string header;
    };
    void buildView();
    // After a sequence is attached: its columns in view, and a word on it.
    void showChargeColumns();
    platform::GridCell cellAt(int row, int column) const;
    void cellEdited(int row, int column, const std::string& text);
    // The table, title, status line and plot after a change.
    void refresh();
    void updateStatus();
    void updatePlot();
    std::string plotCaption() const;
    // An input's caption and unit as the main window writes them, else the
    // header.
    std::string xAxisTitle(std::size_t column) const;
    platform::LineChart::LegendPlace freeLegendPlace(
        const std::vector<platform::LineSeries>& drawn) const;
    // Numeric columns usable as x.
    std::vector<std::size_t> xColumns() const;
    std::string fileName() const;
    int inputColumns() const { return static_cast<int>(m_series.columnCount()); }
    // Runs a command of the document; its refusal is shown.
    void change(const std::function<void()>& command);

    series::Series m_series;
    std::vector<ViewColumn> m_view;
    bool m_showIntermediate = true;
    std::filesystem::path m_path;
    SeriesPlotSettings m_plot;
    std::optional<charge::ProteinSequence> m_sequence;
    ChargeChoice m_choice;
    std::vector<charge::Site> m_sites;
    std::vector<std::optional<RowCharge>> m_charges;
    analysis::MonteCarloOptions m_runOptions;
    std::shared_ptr<Run> m_run;
    std::shared_ptr<Evaluation> m_evaluation;
    bool m_evaluationCancelled = false;  // until the next change
    std::optional<unsigned> m_evaluationThreads;
    SeriesLinks m_links;
    std::unique_ptr<journal::SeriesCopy> m_copy;  // none without the log's copy
    // The changes made through change() and replacements of the series:
    // which state the copy holds.
    struct CopyState {
        std::uint64_t changes = 0;
        std::filesystem::path path;
        bool operator==(const CopyState&) const = default;
    };
    static constexpr std::uint64_t kNotWritten = static_cast<std::uint64_t>(-1);
    std::uint64_t m_changes = 0;
    std::optional<CopyState> m_copied;  // asked to be on disk
    // The file's bytes as read, while the series is that file's unchanged
    // (m_changes was m_openedAt): a snapshot that costs no serialisation.
    std::shared_ptr<const std::string> m_openedBytes;
    std::uint64_t m_openedAt = 0;
    // The cell a typed edit changed, for the copy to take alone.
    std::optional<journal::CellEdit> m_typed;
    std::optional<std::uint64_t> m_cancelledAt;  // the revision a Cancel left
    platform::Timer m_plotTimer;
    bool m_plotAfterPause = false;  // the next refresh arms m_plotTimer
    // The markers the plot draws, of its points.
    std::pair<std::size_t, std::size_t> m_plotDrawn;
};

}  // namespace forms
