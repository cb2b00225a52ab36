// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <optional>
#include <string>

#include "charge/Titration.h"
#include "forms/ChargeOptions.h"
#include "forms/GraphExport.h"
#include "model/ModelState.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/LineChart.h"

namespace forms {

// The net charge a protein's sequence predicts at the pH of the
// measurement, by Henderson-Hasselbalch and screened at the main window's
// conditions, beside the measured z: their difference is the charge the
// protein binds. Modeless; it follows every recalculation of the main
// window while it is shown.
class TChargeFrm : public platform::Form {
  public:
    explicit TChargeFrm(platform::Form* owner);
    ~TChargeFrm() override;
    std::string className() const override { return "TChargeFrm"; }

    // The main window's state; zText is z as it shows it, uz its standard
    // uncertainty when the uncertainty window has one, caption the line
    // under the graph in its images.
    void showFor(const model::ModelState& s, const std::string& zText, std::optional<double> uz,
                 const std::string& caption);
    // Reads a sequence (FASTA or one-letter text); a text that is none is
    // refused and the sequence shown stays.
    void takeSequence(const std::string& text);
    void takeSequence(charge::ProteinSequence read);

    platform::Button* OpenBtn;
    platform::Button* PasteBtn;
    platform::Label* NameLbl;
    platform::Label* GroupsLbl;
    platform::Label* NotesLbl;
    platform::Label* SetLbl;
    platform::StaticText* SetTxt;  // a click goes on to the next pKa set
    platform::Label* BridgesLbl;
    platform::StaticText* BridgesTxt;
    platform::Label* NTermLbl;
    platform::StaticText* NTermTxt;  // "free" or "blocked"
    platform::Label* CTermLbl;
    platform::StaticText* CTermTxt;
    platform::Label* PhLbl;
    platform::StaticText* PhTxt;
    platform::Label* CitationLbl;
    platform::Label* HeaderLbls[3];
    struct ResultRow {
        platform::Label* name;
        platform::StaticText* value;
        platform::StaticText* u;
    };
    // Z, screened Z, measured z, bound charge, pI, screened pI.
    static constexpr int kResultRows = 6;
    ResultRow ResultRows[kResultRows];
    platform::LineChart* Chart1;
    std::unique_ptr<GraphExport> Chart1Export;
    platform::Button* CloseBtn;
    std::unique_ptr<platform::OpenDialog> OpenDialog1;

    void OpenBtnClick(platform::Control& sender);
    void PasteBtnClick(platform::Control& sender);
    void SetTxtClick(platform::Control& sender);
    void BridgesTxtClick(platform::Control& sender);
    void NTermTxtClick(platform::Control& sender);
    void CTermTxtClick(platform::Control& sender);
    void PhTxtClick(platform::Control& sender);

  private:
    void build();
    // Brings the groups, the results and the graph up to date.
    void update();

    std::optional<charge::ProteinSequence> m_sequence;
    ChargeChoice m_choice;
    double m_pH = 7;
    model::ModelState m_state;
    std::string m_zText;
    std::optional<double> m_uz;
};

// The dialog that opens a protein sequence (FASTA or text).
std::unique_ptr<platform::OpenDialog> sequenceOpenDialog(platform::Form* owner,
                                                         const std::string& name,
                                                         const std::string& title);

}  // namespace forms
