// SPDX-License-Identifier: GPL-3.0-or-later

// The Henry's function models window: what it shows for the main window's
// state, and that it follows every recalculation while it is shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "batch/Batch.h"
#include "forms/Enternumber.h"
#include "forms/Henrymodels.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "platform/base/NumberText.h"
#include "tests/support/MainWindowSession.h"

using forms::HenryModelsFrm;
using forms::OpeningForm;
using forms::THenryModelsFrm;
using forms::TNumberEntry;

namespace {

class HenryModels : public testing_support::MainWindowSession {
  protected:
    THenryModelsFrm& open() {
        OpeningForm->HenryModels1->userClick(OpeningForm);
        return *HenryModelsFrm;
    }
    // Each row: model, H, slope, z, difference.
    static std::vector<std::vector<std::string>> table(const THenryModelsFrm& w) {
        std::vector<std::vector<std::string>> rows;
        for (const auto& r : w.Rows)
            rows.push_back({r.name->text(), r.henry->text(), r.slope->text(), r.valence->text(),
                            r.difference->text()});
        return rows;
    }
};

TEST_F(HenryModels, AnalysisMenuStandsBetweenFileAndHelpWithTheUserGuide) {
    const auto& menus = OpeningForm->menu()->items();
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[0]->caption(), "&File");
    EXPECT_EQ(menus[1]->caption(), "&Analysis");
    EXPECT_EQ(menus[2]->caption(), "&Help");
    EXPECT_EQ(OpeningForm->HenryModels1->caption(), "&Henry's function models...");
    ASSERT_EQ(menus[2]->items().size(), 2u);
    EXPECT_EQ(menus[2]->items()[0]->caption(), "&User guide");
    OpeningForm->UserGuide1->userClick(OpeningForm);
    EXPECT_EQ(backend.userGuideShown(), 1);
}

// State: start-up (Ka 3.183, Sigma 22 entered, z 17.13). The program's row
// repeats the main window's H and z; the others give their own z.
TEST_F(HenryModels, ShowsEachModelForTheStartUpState) {
    const size_t entries = forms::ReportFrm->document().paragraphs().size();
    THenryModelsFrm& w = open();
    EXPECT_TRUE(w.visible());
    EXPECT_EQ(w.caption(), "Henry's function models");
    EXPECT_EQ(w.StateLbl->text(),
              "At Ka = 3.183 and Sigma = 22.00 cm-1; the main window uses This program");
    const std::vector<std::vector<std::string>> expected = {
        {"This program", "1.10258", "0.26361", "17.13", "0.00"},
        {"Henry (exact)", "1.10696", "0.26466", "17.06", "-0.40"},
        {"Ohshima (1994)", "1.09735", "0.26236", "17.21", "+0.48"},
        {"Hückel (1.0)", "1.00000", "0.23909", "18.89", "+10.26"},
        {"Smoluchowski (1.5)", "1.50000", "0.35863", "12.59", "-26.49"},
    };
    EXPECT_EQ(table(w), expected);
    // A side view: the main window, its log and its graph stay as they were.
    EXPECT_EQ(OpeningForm->ZTxt->text(), "17.13");
    EXPECT_EQ(forms::ReportFrm->document().paragraphs().size(), entries);

    const auto& series = w.Chart1->series();
    ASSERT_EQ(series.size(), 7u);
    EXPECT_TRUE(w.Chart1->bottomAxis.logarithmic);
    EXPECT_EQ(series[0].points.front().x, 1e-3);
    EXPECT_DOUBLE_EQ(series[0].points.back().x, 1e6);
    EXPECT_EQ(series[5].points.front().x, OpeningForm->Ka);  // the marker line
    EXPECT_EQ(series[6].points.size(), 5u);
}

// The window follows the main window across the Ka range while shown.
TEST_F(HenryModels, FollowsEveryRecalculation) {
    THenryModelsFrm& w = open();
    struct Case {
        platform::StaticText* field;
        const char* typed;
        const char* state;
        const char* exactZ;
    };
    const Case cases[] = {
        {OpeningForm->ITxt, "0.0001",
         "At Ka = 0.101 and Sigma = 22.00 cm-1; the main window uses This program", "4.97"},
        {OpeningForm->ITxt, "6.5",
         "At Ka = 25.658 and Sigma = 22.00 cm-1; the main window uses This program", "88.05"},
        {OpeningForm->RiTxt, "10",
         "At Ka = 109.347 and Sigma = 22.00 cm-1; the main window uses This program", "340.90"},
    };
    for (const Case& c : cases) {
        enter(c.field, c.typed);
        EXPECT_EQ(w.StateLbl->text(), c.state);
        EXPECT_EQ(w.Rows[0].valence->text(), OpeningForm->ZTxt->text());
        EXPECT_EQ(w.Rows[1].valence->text(), c.exactZ);
    }
    w.CloseBtn->userPress();
    EXPECT_FALSE(w.visible());
}

// For each electrokinetic model and each way of entering the valence chain,
// the z the main window shows, the z quorvin-batch writes for the same row
// and the z of the model's row in this window agree (to the two decimals
// shown; an entered z stands as typed).
TEST_F(HenryModels, ModelChoiceGivesOneValenceEverywhere) {
    THenryModelsFrm& w = open();
    using batch::Column;
    using model::Quantity;
    const struct {
        Quantity quantity;
        const char* text;
    } entries[] = {
        {Quantity::Sigma, "22"},
        {Quantity::Mobility, "1.2"},
        {Quantity::Valence, "10"},
        {Quantity::EffectiveValence, "3"},
    };
    const auto valenceColumn =
        std::find_if(batch::kResultColumns.begin(), batch::kResultColumns.end(),
                     [](const batch::ResultColumn& r) { return r.field == model::FieldId::ZTxt; });
    const auto z = [](const std::string& text) { return platform::StrToFloat(text); };
    for (int m = 0; m < model::kElectrokineticModelCount; ++m) {
        const auto ek = static_cast<model::ElectrokineticModel>(m);
        if (!model::electrokineticModelAvailable(ek))
            continue;  // not offered by the window
        const model::ElectrokineticModelInfo& info = model::electrokineticModelInfo(ek);
        for (const auto& e : entries) {
            ASSERT_FALSE(OpeningForm->EnterRow({{e.quantity, e.text}}, false, ek));
            EXPECT_EQ(OpeningForm->ModelTxt->text(), info.caption);
            batch::Sample row;
            row[e.quantity] = e.text;
            row[Column::Model] = info.name;
            const batch::Outcome batchRow = batch::runSample(row, {}, false);
            ASSERT_TRUE(batchRow.ok()) << batchRow.error;
            const std::string windowZ = OpeningForm->ZTxt->text();
            const std::string batchZ =
                batchRow
                    .texts[static_cast<std::size_t>(valenceColumn - batch::kResultColumns.begin())];
            EXPECT_EQ(batchZ, windowZ) << info.name << " " << e.text;
            EXPECT_NEAR(z(w.Rows[m].valence->text()), z(windowZ), 0.0051)
                << info.name << " " << e.text;
        }
    }
    // The model's field steps through the models on a click, and the log
    // entry and the graph name every model but the program's own.
    ASSERT_FALSE(OpeningForm->EnterRow({}, false));
    for (const char* caption : {"Henry (exact)", "Ohshima (1994)", "DHH fit"}) {
        OpeningForm->ModelTxt->userClick();
        EXPECT_EQ(OpeningForm->ModelTxt->text(), caption);
        const bool named = std::string(caption) != "DHH fit";
        EXPECT_EQ(OpeningForm->Chart1->caption.find(std::string(", model ") + caption) !=
                      std::string::npos,
                  named);
        const auto& log = forms::ReportFrm->document().paragraphs();
        const std::string line = std::string("  Electrokinetic model: ") + caption;
        EXPECT_EQ(std::any_of(log.begin(), log.end(),
                              [&](const platform::Paragraph& p) { return p.text() == line; }),
                  named);
    }
}

}  // namespace
