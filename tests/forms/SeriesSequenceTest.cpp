// SPDX-License-Identifier: GPL-3.0-or-later

// A series' sequence with the charge window's options, and the plot's
// choices, kept in the series file: attached, saved, reopened, undone;
// settings the window cannot use refused with their column.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "forms/ChargeOptions.h"
#include "forms/Mainfrm.h"
#include "forms/Series.h"
#include "tests/support/Files.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using forms::TSequenceOptions;
using forms::TSeriesFrm;

namespace {

constexpr const char* kLysozyme =
    ">lysozyme C\n"
    "KVFGRCELAAAMKRHGLDNYRGYSLGNWVCAAKFESNFNTQATNRNTDGSTDYGILQINSRWWCNDGRTPGSRNLC\n"
    "NIPCSALLSSDITASVNCAKKIVSDGNGMNAWVAWRNRCKGTDVQAWIRGCRL\n";

constexpr const char* kTitration =
    "Sample,IonicStrength,Mobility,pH\n"
    "a,0.1,1.2,5.0\n"
    "b,0.1,0.6,9.0\n";

class SeriesSequence : public testing_support::MainWindowSession {
  protected:
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir() / name, std::ios::binary) << text;
        return (dir() / name).string();
    }
    static std::string cell(TSeriesFrm& w, int row, const std::string& name) {
        const int c = w.viewColumnOf(name);
        if (c < 0) {
            ADD_FAILURE() << "no column " << name;
            return {};
        }
        return w.Grid1->cell(row, c).text;
    }
    // Lysozyme attached with its 4 bridges typed into the options.
    void attachLysozyme(TSeriesFrm& w) {
        backend.expectDialog<platform::OpenDialog>("TOpenDialog", [this](platform::OpenDialog& d) {
            d.FileName = write("hel.fasta", kLysozyme);
            return true;
        });
        backend.expect<TSequenceOptions>("TSequenceOptions", [this](TSequenceOptions& d) {
            EXPECT_EQ(d.NameLbl->text(), "lysozyme C, 129 residues");
            EXPECT_EQ(d.SetTxt->text(), "EMBOSS");
            enter(d.BridgesTxt, "4");
            EXPECT_EQ(d.GroupsLbl->text().find("Cys 0"), std::string::npos) << "no free Cys";
            d.OkBtn->userPress();
        });
        w.AttachSequence1->userClick(&w);
    }
};

// State: a titration opened. Action: lysozyme attached with 4 bridges, the
// plot's y and axis changed, saved, reopened. Expected: the charge
// window's 6.72 at pH 9, and everything back after the reopening.
TEST_F(SeriesSequence, OptionsAndPlotChoicesComeBackWithTheFile) {
    TSeriesFrm* w = OpeningForm->OpenFile(write("t.csv", kTitration));
    ASSERT_NE(w, nullptr);
    attachLysozyme(*w);
    EXPECT_EQ(cell(*w, 1, "PredictedZ"), "6.72");
    w->YTxt->userClick();
    w->ScaleTxt->userClick();
    const std::string y = w->YTxt->text();
    EXPECT_EQ(w->ScaleTxt->text(), "logarithmic");
    ASSERT_TRUE(w->save());
    const std::string saved = testing_support::readFile(dir() / "t.csv");
    EXPECT_EQ(saved.substr(0, saved.find('\n')).find("Setting:Bridges"), saved.find("Setting:"))
        << "the settings after the table's columns, in the order of their keys";

    w->Close1->userClick(w);
    TSeriesFrm* again = OpeningForm->OpenFile((dir() / "t.csv").string());
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(again->document().dirty());
    EXPECT_EQ(cell(*again, 1, "PredictedZ"), "6.72");
    EXPECT_EQ(again->chargeChoice().options.disulfideBridges, 4);
    EXPECT_EQ(again->YTxt->text(), y);
    EXPECT_EQ(again->ScaleTxt->text(), "logarithmic");
    EXPECT_EQ(again->document().text(), saved) << "save, reopen, save gives the same bytes";

    again->DetachSequence1->userClick(again);
    EXPECT_FALSE(again->sequence());
    again->Undo1->userClick(again);
    EXPECT_EQ(cell(*again, 1, "PredictedZ"), "6.72") << "the detach undone";
}

// Settings that the window cannot use: the file is refused with the column.
TEST_F(SeriesSequence, UnusableSettingIsRefusedWithItsColumn) {
    const struct {
        const char* header;
        const char* value;
        const char* message;
    } cases[] = {
        {"Setting:PkaSet", "Nowhere", "Setting:PkaSet: No pKa set is called"},
        {"Setting:Bridges", "5", "Setting:Bridges: 5 disulfide bridges need 10 Cys"},
        {"Setting:Bridges", "two", "Setting:Bridges: \"two\" is not a whole number"},
        {"Setting:NTerminus", "capped", "Setting:NTerminus: A terminus is"},
        {"Setting:PlotScale", "log", "Setting:PlotScale: \"log\" is none of"},
    };
    for (const auto& c : cases) {
        const std::string file = std::string("Sample,Mobility,pH,Setting:Sequence,") + c.header +
                                 "\na,1.2,5,KVFGRCELAAAMKRHGLDNYRGYSLGNWVCAAKC," + c.value +
                                 "\nb,1.0,6,,\n";
        EXPECT_EQ(OpeningForm->OpenFile(write("bad.csv", file)), nullptr) << c.header;
        const std::vector<std::string> messages = backend.takeMessages();
        ASSERT_EQ(messages.size(), 1u) << c.header;
        EXPECT_NE(messages[0].find(c.message), std::string::npos) << messages[0];
    }
}

}  // namespace
