// SPDX-License-Identifier: GPL-3.0-or-later

// The electrokinetic models window: what it shows for the main window's
// state, and that it follows every recalculation and model choice while it
// is shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "electrokinetics/ModelChoice.h"
#include "forms/Enternumber.h"
#include "forms/Henrymodels.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "platform/base/NumberText.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using forms::THenryModelsFrm;
using forms::TNumberEntry;

namespace {

class HenryModels : public testing_support::MainWindowSession {
  protected:
    // The five models, as the program offers them.
    static void SetUpTestSuite() { electrokinetics::registerModels(); }

    THenryModelsFrm& open() {
        OpeningForm->HenryModels1->userClick(OpeningForm);
        return *OpeningForm->henryModelsWindow();
    }
    // The rows of the models not linear in z come from a thread.
    void settle(const THenryModelsFrm& w) {
        ASSERT_TRUE(backend.runPostedUntil([&] { return !w.working(); }));
    }
    // The values of a cell: two where two valences give the measurement.
    static std::vector<std::string> parts(const std::string& cell) {
        std::vector<std::string> out;
        for (size_t from = 0;;) {
            const size_t to = cell.find(" / ", from);
            out.push_back(cell.substr(from, to - from));
            if (to == std::string::npos)
                return out;
            from = to + 3;
        }
    }
    // Each row: model, H, slope, z, z*, zeta, z - chosen, its percent.
    static std::vector<std::vector<std::string>> table(const THenryModelsFrm& w) {
        std::vector<std::vector<std::string>> rows;
        for (const auto& r : w.Rows)
            rows.push_back({r.name->text(), r.henry->text(), r.slope->text(), r.valence->text(),
                            r.effectiveValence->text(), r.zeta->text(), r.difference->text(),
                            r.percent->text()});
        return rows;
    }
};

TEST_F(HenryModels, AnalysisMenuStandsBetweenFileAndHelpWithTheUserGuide) {
    const auto& menus = OpeningForm->menu()->items();
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[0]->caption(), "&File");
    EXPECT_EQ(menus[1]->caption(), "&Analysis");
    EXPECT_EQ(menus[2]->caption(), "&Help");
    EXPECT_EQ(OpeningForm->HenryModels1->caption(), "&Electrokinetic models...");
    ASSERT_EQ(menus[2]->items().size(), 2u);
    EXPECT_EQ(menus[2]->items()[0]->caption(), "&User guide");
    OpeningForm->UserGuide1->userClick(OpeningForm);
    EXPECT_EQ(backend.userGuideShown(), 1);
}

// State: start-up (Ka 3.183, Sigma 22 entered, z 17.13 under the DHH fit).
// The chosen row repeats the main window's H and z; the others give their
// own z for the same measurement, so z* is one.
TEST_F(HenryModels, ShowsEachModelForTheStartUpState) {
    const size_t entries = forms::ReportFrm->document().paragraphs().size();
    THenryModelsFrm& w = open();
    settle(w);
    EXPECT_TRUE(w.visible());
    EXPECT_EQ(w.caption(), "Electrokinetic models");
    EXPECT_EQ(w.StateLbl->text(),
              "At Ka = 3.183 and Sigma = 22.00 cm-1; the main window uses This program");
    const std::vector<std::vector<std::string>> expected = {
        {"This program", "1.10258", "0.26361", "17.13", "4.52", "29.52", "chosen", "chosen"},
        {"Henry (exact)", "1.10696", "0.26466", "17.06", "4.52", "29.40", "-0.07", "-0.40"},
        {"Ohshima (1994)", "1.09735", "0.26236", "17.21", "4.52", "29.66", "+0.08", "+0.48"},
        // Ohshima's 2001 approximation passes a maximum: both of its z.
        {"Ohshima (2001)", "n/a", "n/a", "17.82 / 196.32", "4.52", "27.11 / 137.06",
         "+0.69 / +179.19", "+4.03 / +1045.99"},
        {"Standard model", "n/a", "n/a", "17.63", "4.52", "26.84", "+0.50", "+2.90"},
        {"Hückel (1.0)", "1.00000", "0.23909", "18.89", "4.52", "32.54", "+1.76", "+10.26"},
        {"Smoluchowski (1.5)", "1.50000", "0.35863", "12.59", "4.52", "21.70", "-4.54", "-26.49"},
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
// the z of the model's row in this window is the main window's (to the two
// decimals shown; an entered z stands as typed). The main window against
// quorvin-batch: model_choice_tests.
TEST_F(HenryModels, ModelChoiceGivesOneValenceEverywhere) {
    THenryModelsFrm& w = open();
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
    const auto z = [](const std::string& text) { return platform::StrToFloat(text); };
    for (int m = 0; m < model::kElectrokineticModelCount; ++m) {
        const auto ek = static_cast<model::ElectrokineticModel>(m);
        if (!model::electrokineticModelAvailable(ek))
            continue;  // not offered by the window
        const model::ElectrokineticModelInfo& info = model::electrokineticModelInfo(ek);
        for (const auto& e : entries) {
            ASSERT_FALSE(OpeningForm->EnterRow({{e.quantity, e.text}}, false, ek));
            EXPECT_EQ(OpeningForm->ModelTxt->text(), info.caption);
            // The lower of two, as the main window takes it, comes first.
            EXPECT_NEAR(z(parts(w.Rows[m].valence->text()).front()), z(OpeningForm->ZTxt->text()),
                        0.0051)
                << info.name << " " << e.text;
        }
    }
    // The model's field steps through the models on a click, and the log
    // entry and the graph name every model but the program's own.
    ASSERT_FALSE(OpeningForm->EnterRow({}, false));
    for (const char* caption :
         {"Henry (exact)", "Ohshima (1994)", "Ohshima (2001)", "Standard model", "DHH fit"}) {
        OpeningForm->ModelTxt->userClick();
        EXPECT_EQ(OpeningForm->ModelTxt->text(), caption);
        const bool named = std::string(caption) != "DHH fit";
        EXPECT_EQ(OpeningForm->Chart1->caption.find(std::string(", model ") + caption) !=
                      std::string::npos,
                  named);
        const auto& log = forms::ReportFrm->document().paragraphs();
        const std::string line = std::string("  Electrokinetic model: ") + caption;
        EXPECT_EQ(std::any_of(log.begin(), log.end(),
                              [&](const platform::Paragraph& p) {
                                  return p.text().rfind(line, 0) == 0;  // then the salt
                              }),
                  named);
    }
}

// The mobility graph's curve of a model at x, between its points.
double curveAt(const platform::LineSeries& curve, double x) {
    const auto& p = curve.points;
    for (size_t k = 1; k < p.size(); ++k) {
        if ((x - p[k - 1].x) * (x - p[k].x) <= 0) {
            const double t = (x - p[k - 1].x) / (p[k].x - p[k - 1].x);
            return p[k - 1].y + t * (p[k].y - p[k - 1].y);
        }
    }
    return std::nan("");
}

// For a sample under each model: the chosen row is the main window's z, the
// others' differences are from it, a model that no valence or two give
// says so, and every model's point (its zeta, the measured reduced
// mobility) lies on its own curve, the measured point on the chosen one's.
TEST_F(HenryModels, EachModelsPointLiesOnItsOwnCurve) {
    THenryModelsFrm& w = open();
    using model::Quantity;
    const struct {
        std::vector<model::Entry> entries;
        const char* standardZ;  // under the DHH fit
    } samples[] = {
        {{{Quantity::Sigma, "22"}}, "17.63"},
        {{{Quantity::Mobility, "-1.2"}}, "-3.51"},
        // Ka 10.5: below the standard model's maximum, then above it.
        {{{Quantity::StokesRadius, "10"},
          {Quantity::IonicStrength, "0.1"},
          {Quantity::Mobility, "4"}},
         "1049.90 / 2588.22"},
        {{{Quantity::StokesRadius, "10"},
          {Quantity::IonicStrength, "0.1"},
          {Quantity::Mobility, "5"}},
         "none"},
    };
    const auto number = [](const std::string& text) { return platform::StrToFloat(text); };
    for (int m = 0; m < model::kElectrokineticModelCount; ++m) {
        const auto ek = static_cast<model::ElectrokineticModel>(m);
        for (const auto& sample : samples) {
            if (OpeningForm->EnterRow(sample.entries, false, ek))
                continue;  // the main window refuses it under this model
            settle(w);
            const std::string trace =
                std::string(model::electrokineticModelInfo(ek).caption) + " " + sample.standardZ;
            const auto rows = table(w);
            EXPECT_EQ(rows[m][6], "chosen") << trace;
            if (ek == model::ElectrokineticModel::Dhh) {
                EXPECT_EQ(rows[4][3], sample.standardZ);
            }
            if (rows[m][3] == "none") {
                // Nothing to differ from.
                for (size_t r = 0; r < rows.size(); ++r)
                    EXPECT_EQ(rows[r][6], static_cast<int>(r) == m ? "chosen" : "n/a") << trace;
                continue;
            }
            EXPECT_EQ(parts(rows[m][3]).front(), OpeningForm->ZTxt->text()) << trace;
            EXPECT_EQ(parts(rows[m][5]).front(), OpeningForm->ZetaTxt->text()) << trace;
            const double chosenZ = number(parts(rows[m][3]).front());
            for (size_t r = 0; r < rows.size(); ++r) {
                if (static_cast<int>(r) == m || rows[r][3] == "none")
                    continue;
                const auto zs = parts(rows[r][3]), ds = parts(rows[r][6]);
                ASSERT_EQ(zs.size(), ds.size()) << trace << " " << rows[r][0];
                for (size_t k = 0; k < zs.size(); ++k)
                    EXPECT_NEAR(number(ds[k]), number(zs[k]) - chosenZ, 0.0101) << trace;
            }
            // Each model's points against its curve; the curves come first.
            const auto& series = w.Chart2->series();
            const double top = std::max(std::abs(w.Chart2->leftAxis.min), w.Chart2->leftAxis.max);
            int checked = 0;
            for (const platform::LineSeries& points : series) {
                if (points.labels.empty())
                    continue;
                const std::string model =
                    points.labels.front().substr(0, points.labels.front().find(':'));
                const auto curve = std::find_if(series.begin(), series.end(), [&](const auto& c) {
                    return !c.markers && c.name.rfind(model, 0) == 0;
                });
                ASSERT_NE(curve, series.end()) << trace << " " << model;
                for (const platform::ChartPoint& p : points.points)
                    EXPECT_NEAR(curveAt(*curve, p.x), p.y, 2e-3 * top) << trace << " " << model;
                ++checked;
            }
            EXPECT_EQ(checked, static_cast<int>(
                                   std::count_if(rows.begin(), rows.end(),
                                                 [](const auto& row) { return row[3] != "none"; })))
                << trace;
            const auto measured = std::find_if(series.begin(), series.end(), [](const auto& c) {
                return c.name.rfind("Measured", 0) == 0;
            });
            ASSERT_NE(measured, series.end()) << trace;
        }
    }
}

}  // namespace
