// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/Measurement.h"
#include "forms/GraphExport.h"
#include "forms/WidgetFields.h"
#include "model/ModelState.h"
#include "model/Outputs.h"
#include "model/Sample.h"
#include "platform/Chart.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"

namespace forms {

class TChargeFrm;
class THenryModelsFrm;
class TSeriesFrm;
class TSigmaProfileFrm;
class TUncertaintyFrm;

// The main window: the value fields of the experiment and the results, the
// colour key, the graph of Ge against z, and the model state it owns.
class TOpeningForm : public platform::Form, public model::ModelState {
  public:
    explicit TOpeningForm(platform::Form* owner);
    ~TOpeningForm() override;
    std::string className() const override { return "TOpeningForm"; }

    // Experiment panel.
    platform::Panel* Panel1;
    platform::Label* ExperimentLbl;
    platform::StaticText* SigTxt;
    platform::StaticText* MuTxt;
    platform::StaticText* RsTxt;
    platform::StaticText* RiTxt;
    platform::StaticText* ITxt;
    platform::StaticText* TTxt;
    platform::StaticText* DTxt;
    platform::StaticText* VTxt;
    // The "Field" group.
    platform::GroupBox* GroupBox1;
    platform::StaticText* CurrTxt;
    platform::StaticText* CondTxt;
    platform::StaticText* XTxt;
    platform::StaticText* ETxt;
    // Results area, splitter and chart.
    platform::Panel* Panel2;
    platform::Label* ResultsLbl;
    platform::StaticText* ZstarTxt;
    platform::StaticText* ZTxt;
    platform::StaticText* ATxt;
    platform::StaticText* KTxt;
    platform::StaticText* KaTxt;
    platform::StaticText* HTxt;
    platform::StaticText* DHHTxt;
    platform::StaticText* WTxt;
    platform::StaticText* ZetaTxt;
    // The electrokinetic model z follows from, chosen by a click.
    platform::Label* ModelLbl;
    platform::StaticText* ModelTxt;
    // The salt of a model not linear in z, chosen by a click; hidden under
    // the others. Under those models the salt ion radius is not used: its
    // field gives way to SaltIonNotUsedTxt and keeps its value.
    platform::Label* SaltLbl;
    platform::StaticText* SaltTxt;
    platform::StaticText* SaltIonNotUsedTxt;
    // What z takes on trust, or why there is none: two valences give z*
    // (the lower taken), or none does.
    platform::Label* SolutionsLbl;
    platform::Label* KeyLbl1;
    platform::Label* KeyLbl2;
    platform::Splitter* Splitter1;
    platform::Chart* Chart1;
    platform::PointSeries* Series1;
    // The graph's right-click menu and its save as an image.
    std::unique_ptr<GraphExport> Chart1Export;
    // Menu.
    platform::MenuItem* File1;
    platform::MenuItem* NewSeries1;
    platform::MenuItem* Open1;
    platform::MenuItem* SaveSample1;
    platform::MenuItem* Viewlog1;
    platform::MenuItem* CopyGevszvaluestoclipboard1;
    platform::MenuItem* Copygraphtoclipboard1;
    platform::MenuItem* Savegraphas1;
    platform::MenuItem* Printersetup1;
    platform::MenuItem* Printgraphlandscape1;
    platform::MenuItem* Printgraph1;
    platform::MenuItem* Exit1;
    platform::MenuItem* Analysis1;
    platform::MenuItem* HenryModels1;
    platform::MenuItem* Uncertainty1;
    platform::MenuItem* SigmaProfile1;
    platform::MenuItem* ChargeSequence1;
    platform::MenuItem* Help1;
    platform::MenuItem* UserGuide1;
    platform::MenuItem* About1;
    // The line buffer of the .DAT export: the lines of the last export.
    std::vector<std::string> Memo1;
    std::unique_ptr<platform::SaveDialog> SaveDialog1;
    std::unique_ptr<platform::PrinterSetupDialog> PrinterSetupDialog1;
    std::unique_ptr<platform::OpenDialog> OpenSeriesDialog1;
    std::unique_ptr<platform::SaveDialog> SaveSampleDialog1;

    void FormShow(platform::Form& sender);
    // The start-up values from the field texts, and the coefficients that
    // follow from them, before the first recalculation.
    void ReadStartValues();
    // Brings every result, colour, the graph and the log up to date.
    void Recalculate();
    // The model field, the salt row and the salt ion radius as the model
    // uses them.
    void showModelChoice();
    // The note beside the results on how many valences give z*.
    std::string solutionsNote() const;
    // No valence under the model for the conditions: every derived value of
    // the chain says "none", and why below.
    void showNoValence(const std::string& reason);
    // Appends the entry of the current state to the report window's log.
    void WriteLogEntry();
    // The fields typed through the number entry dialog: on OK the field
    // shows the text as typed, the model takes the value (z and z* as whole
    // numbers) and one pass runs; Cancel changes nothing.
    void ZstarTxtClick(platform::Control& sender);
    void ZTxtClick(platform::Control& sender);
    // Click, Space or Enter: the next salt of the ion table, and one pass.
    void SaltTxtClick(platform::Control& sender);
    // Click, Space or Enter: the next electrokinetic model, and one pass.
    void ModelTxtClick(platform::Control& sender);
    void ITxtClick(platform::Control& sender);
    void TTxtClick(platform::Control& sender);
    void RiTxtClick(platform::Control& sender);
    // The dielectric constant and the viscosity open the solvent dialog: on
    // OK the model takes the choice and its values, D, f and Rs follow a new
    // viscosity, and one pass runs.
    void DTxtClick(platform::Control& sender);
    void VTxtClick(platform::Control& sender);
    // The fields that open a calculator: on OK the model takes its values
    // back and one pass runs; Cancel changes nothing. CurrTxtClick serves
    // the whole "Field" group, MuTxtClick both Sigma and the mobility.
    void CurrTxtClick(platform::Control& sender);
    void RsTxtClick(platform::Control& sender);
    void MuTxtClick(platform::Control& sender);
    // Shows the report window, modeless, in front.
    void Viewlog1Click(platform::MenuItem& sender);
    void Exit1Click(platform::MenuItem& sender);
    // Offers to save a log with unsaved entries; a failed save keeps the
    // program running.
    void FormClose(platform::Form& sender, platform::CloseAction& action);
    void offerLogSave();
    void About1Click(platform::MenuItem& sender);
    // Opens the user guide in the desktop's web browser.
    void UserGuide1Click(platform::MenuItem& sender);
    // Shows the comparison of Henry's function models for the current state;
    // it follows every later recalculation while it is shown.
    void HenryModels1Click(platform::MenuItem& sender);
    void Uncertainty1Click(platform::MenuItem& sender);
    void SigmaProfile1Click(platform::MenuItem& sender);
    // The charge the sequence predicts beside z; it follows every later
    // recalculation while it is shown.
    void ChargeSequence1Click(platform::MenuItem& sender);
    // Sigma from another window (the fit of a profile), entered as if typed
    // in the mobility calculator: one pass with its log entry. The
    // calculator's refusal, with nothing changed, when it would not take it.
    std::optional<std::string> EnterSigma(const std::string& text);
    // A new series in a window of its own.
    void NewSeries1Click(platform::MenuItem& sender);
    // Asks for a .csv file and opens it (OpenFile).
    void Open1Click(platform::MenuItem& sender);
    // The entries as the fields show them, as a series of one row.
    void SaveSample1Click(platform::MenuItem& sender);
    // A series of one row enters its values here; a longer one opens in a
    // series window, which it returns. A file that cannot be read changes
    // nothing and says why.
    TSeriesFrm* OpenFile(const std::string& path);
    // A series' row entered as if typed, from the start-up values: one pass
    // with its log entry. The window's refusal, with nothing changed, when
    // it would not take the row.
    std::optional<std::string> EnterRow(
        const std::vector<model::Entry>& entries, bool water,
        model::ElectrokineticModel m = model::ElectrokineticModel::Dhh,
        const std::string& salt = "NaCl");
    // A hidden series window to reuse, or a new one.
    TSeriesFrm& seriesWindow();
    // At exit: asks about every series window with unsaved changes (Yes
    // saves, No lets it go, Cancel keeps everything); false when the
    // program stays.
    bool confirmSeriesAtExit();
    // At exit, once nothing stops it: every series window closed, its run
    // stopped and its recovery copy removed.
    void closeSeriesWindows();
    // The series windows made so far, shown or not.
    // The analysis windows, once opened (none before).
    TSigmaProfileFrm* sigmaProfileWindow() const { return m_sigmaProfile.get(); }
    TChargeFrm* chargeWindow() const { return m_charge.get(); }
    THenryModelsFrm* henryModelsWindow() const { return m_henryModels.get(); }
    TUncertaintyFrm* uncertaintyWindow() const { return m_uncertainty.get(); }
    const std::vector<std::unique_ptr<TSeriesFrm>>& seriesWindows() const {
        return m_seriesWindows;
    }
    // The standard uncertainty of an input, for the uncertainty window.
    void setInputUncertainty(analysis::Input input, double u);
    // Writes the graph's points as "z Ge" lines.
    void CopyGevszvaluestoclipboard1Click(platform::MenuItem& sender);
    void Printersetup1Click(platform::MenuItem& sender);
    // Print at once on the current printer, no dialog.
    void Printgraph1Click(platform::MenuItem& sender);
    void Printgraphlandscape1Click(platform::MenuItem& sender);
    void Copygraphtoclipboard1Click(platform::MenuItem& sender);

    // The value field that shows a quantity of the model.
    platform::StaticText* field(model::FieldId id) const;
    // The text beside a value field that names it ("Ionic strength").
    platform::Label* fieldLabel(model::FieldId id) const;
    // The unit beside a value field, if it has one.
    platform::Label* unitLabel(model::FieldId id) const;

    // The fields as the recalculation pass and the log entry see them.
    model::ValueFields& valueFields() { return m_fields; }
    model::PointSeries& pointSeries() { return m_series; }

  private:
    class Series : public model::PointSeries {
      public:
        explicit Series(TOpeningForm& form) : m_form(form) {}
        void clear() override { m_form.Series1->Clear(); }
        void addPoint(double x, double y) override { m_form.Series1->AddXY(x, y); }

      private:
        TOpeningForm& m_form;
    };

    struct FieldRow {
        platform::StaticText* field = nullptr;
        platform::Label* label = nullptr;
        platform::Label* unit = nullptr;
    };
    platform::StaticText* addField(platform::Control* parent, model::Quantity q,
                                   platform::Color color, int labelLeft, int labelWidth,
                                   int fieldWidth, int unitWidth, int top);
    void buildExperimentPanel();
    void buildResultsPanel();
    void buildMenu();
    // True when the user accepted a value for q in its field; the model
    // then takes it as the window takes its entries.
    bool enterNumber(model::Quantity q);
    model::SampleRef sample() { return {*this, m_fields}; }

    FieldRow m_rows[model::kFieldCount];
    // Made when first asked for, then kept for the run.
    std::unique_ptr<THenryModelsFrm> m_henryModels;
    std::unique_ptr<TUncertaintyFrm> m_uncertainty;
    std::unique_ptr<TSigmaProfileFrm> m_sigmaProfile;
    std::unique_ptr<TChargeFrm> m_charge;
    // The charge window's view of the state, z and its u.
    void showCharge();
    std::vector<std::unique_ptr<TSeriesFrm>> m_seriesWindows;
    // The uncertainty window, made the first time it is needed.
    TUncertaintyFrm& uncertaintyMade();
    WidgetFields m_fields;
    int m_panelWidth = 0;  // the results panel's width the chart was fitted to
    Series m_series{*this};
};

extern TOpeningForm* OpeningForm;

}  // namespace forms
