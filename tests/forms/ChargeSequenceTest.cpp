// SPDX-License-Identifier: GPL-3.0-or-later

// The charge from the sequence in its window: a sequence pasted, the pKa
// set and the options changed, a text that is no sequence refused, and the
// measured z and the conditions followed from the main window.
#include <gtest/gtest.h>

#include <string>

#include "charge/Titration.h"
#include "forms/ChargeSequence.h"
#include "forms/Mainfrm.h"
#include "platform/base/NumberText.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using forms::TChargeFrm;

namespace {

constexpr const char* kUbiquitin =
    ">ubiquitin\nMQIFVKTLTGKTITLEVEPSDTIENVKAKIQDKEGIPPDQQRLIFAGKQLEDGRTLSDYNIQKESTLHLVLRLRGG\n";

class ChargeWindow : public testing_support::MainWindowSession {
  protected:
    TChargeFrm& open() {
        OpeningForm->ChargeSequence1->userClick(OpeningForm);
        return *forms::OpeningForm->chargeWindow();
    }
    static double cell(const platform::StaticText* t) { return platform::StrToFloat(t->text()); }
};

// State: start-up, ubiquitin pasted, pH 4 (far from its pI). Expected: its groups, Z and
// the screened Z of the main window's conditions, the bound charge z - Z;
// the graph's curves; then each choice changes the prediction.
TEST_F(ChargeWindow, PastedSequenceIsTitratedBesideTheMeasuredZ) {
    TChargeFrm& w = open();
    EXPECT_EQ(w.NameLbl->text(), "No sequence: open a FASTA file or paste the sequence.");
    backend.setClipboard({kUbiquitin, ""});
    w.PasteBtn->userPress();
    EXPECT_EQ(w.NameLbl->text(), "ubiquitin, 76 residues");
    EXPECT_EQ(w.GroupsLbl->text(),
              "Groups: N-terminus 1, C-terminus 1, Asp 5, Glu 6, Tyr 1, His 1, Lys 7, Arg 4");
    enter(w.PhTxt, "4");
    EXPECT_EQ(w.ResultRows[2].value->text(), OpeningForm->ZTxt->text());
    const double predicted = cell(w.ResultRows[0].value);
    const double screened = cell(w.ResultRows[1].value);
    EXPECT_LT(std::abs(screened), std::abs(predicted)) << "screening flattens the curve";
    EXPECT_NEAR(cell(w.ResultRows[3].value), OpeningForm->Valence - screened, 0.006);
    EXPECT_EQ(w.Chart1->series().size(), 4u) << "two curves, the pI and the measured z";
    EXPECT_EQ(w.Chart1->series().back().points.front(),
              (platform::ChartPoint{4, OpeningForm->Valence}));

    const std::string first = w.ResultRows[0].value->text();
    w.SetTxt->userClick();
    EXPECT_EQ(w.SetTxt->text(), std::string(charge::pkaSets()[1].name));
    EXPECT_NE(w.CitationLbl->text(), "");
    w.NTermTxt->userClick();
    EXPECT_EQ(w.NTermTxt->text(), "blocked");
    EXPECT_NE(w.ResultRows[0].value->text(), first);

    // A text that is no sequence is refused where it fails; ubiquitin stays.
    backend.setClipboard({"MQIF-VK", ""});
    w.PasteBtn->userPress();
    const auto said = backend.takeMessages();
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("\"-\""), std::string::npos) << said[0];
    EXPECT_EQ(w.NameLbl->text(), "ubiquitin, 76 residues");

    // It follows the main window: at a lower ionic strength the charges
    // interact more and the curve flattens further.
    const double before = cell(w.ResultRows[1].value);
    enter(OpeningForm->ITxt, "0.01");
    EXPECT_LT(cell(w.ResultRows[1].value), before);
}

}  // namespace
