// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "tests/support/HeadlessSession.h"
#include "tests/support/Layout.h"

using forms::OpeningForm;
using forms::TOpeningForm;
using model::FieldId;
using platform::Color;
using platform::Rect;

namespace {

class MainWindow : public testing_support::HeadlessSession {
  protected:
    void SetUp() override {
        application.Initialize();
        application.CreateForm(OpeningForm);
        application.CreateForm(forms::ReportFrm);
    }
    void TearDown() override {
        HeadlessSession::TearDown();
        OpeningForm = nullptr;
        forms::ReportFrm = nullptr;
    }
    TOpeningForm& form() { return *OpeningForm; }
};

struct FieldDesign {
    FieldId id;
    const char* label;
    const char* unit;  // the unit's text with raised parts inline
    const char* text;
    Color color;
};

// What a user sees before the first recalculation.
const FieldDesign kInputFields[] = {
    {FieldId::SigTxt, "Sigma", "cm-1", "22.00", platform::clLime},
    {FieldId::MuTxt, "Mobility", "x10-4 cm2/V-s", "1.20", platform::clLime},
    {FieldId::RsTxt, "Stokes radius", "nm", "2.90", platform::clLime},
    {FieldId::RiTxt, "Salt ion radius", "nm", "0.127", platform::clLime},
    {FieldId::ITxt, "Ionic strength", "M", "0.10", platform::clLime},
    {FieldId::TTxt, "Temperature", "oC", "20.0", platform::clLime},
    {FieldId::DTxt, "Dielectric", "", "78", platform::clLime},
    {FieldId::CurrTxt, "Current", "mA", "0.18", platform::clLime},
    {FieldId::CondTxt, "Conductivity", "mS/cm", "19.2", platform::clLime},
    {FieldId::XTxt, "Cuvette x-section", "cm2", "0.04", platform::clLime},
    {FieldId::ETxt, "E", "V/cm", "0.123", platform::clYellow},
};

const FieldDesign kResultFields[] = {
    {FieldId::ZstarTxt, "z*", "", nullptr, platform::clYellow},
    {FieldId::ZTxt, "z", "", nullptr, platform::clYellow},
    {FieldId::ATxt, "Rs + Ri (a)", "nm", nullptr, platform::clYellow},
    {FieldId::KTxt, "Inverse Debye length (K)", "cm-1", nullptr, platform::clYellow},
    {FieldId::KaTxt, "Ka", "", nullptr, platform::clYellow},
    {FieldId::HTxt, "Henry's function H(Ka)", "", nullptr, platform::clYellow},
    {FieldId::DHHTxt, "DHH slope", "", nullptr, platform::clYellow},
    {FieldId::WTxt, "Ge(max)", "kJ/mol", nullptr, platform::clYellow},
};

void expectDesign(const TOpeningForm& f, const FieldDesign& d) {
    const std::string name = model::fieldName(d.id);
    const platform::StaticText* field = f.field(d.id);
    ASSERT_NE(field, nullptr) << name;
    EXPECT_EQ(field->name(), name);
    EXPECT_EQ(field->accessibleName(), d.label) << name;
    EXPECT_EQ(f.fieldLabel(d.id)->text(), d.label) << name;
    if (d.text) {
        EXPECT_EQ(field->text(), d.text) << name;
    }
    EXPECT_EQ(field->color(), d.color) << name;
    EXPECT_TRUE(field->font().bold) << name;
    EXPECT_TRUE(field->sunken()) << name;
    if (*d.unit) {
        ASSERT_NE(f.unitLabel(d.id), nullptr) << name;
        EXPECT_EQ(f.unitLabel(d.id)->text(), d.unit) << name;
    } else {
        EXPECT_EQ(f.unitLabel(d.id), nullptr) << name;
    }
}

TEST_F(MainWindow, ShowsEveryFieldWithItsLabelUnitTextAndColour) {
    for (const FieldDesign& d : kInputFields)
        expectDesign(form(), d);
    for (const FieldDesign& d : kResultFields)
        expectDesign(form(), d);
    EXPECT_EQ(form().caption(), "Quorvin");
    EXPECT_EQ(form().GroupBox1->text(), "Field");
    EXPECT_EQ(form().ExperimentLbl->text(), "Experiment");
    EXPECT_EQ(form().ResultsLbl->text(), "Results");
}

TEST_F(MainWindow, RaisedPartsOfTheUnitsArePlainSuperscripts) {
    const auto& runs = form().unitLabel(FieldId::MuTxt)->runs();
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[1].text, "-4");
    EXPECT_TRUE(runs[1].raised);
    EXPECT_EQ(runs[3].text, "2");
    EXPECT_TRUE(runs[3].raised);
    EXPECT_FALSE(runs[0].raised);
    const auto& degree = form().unitLabel(FieldId::TTxt)->runs();
    EXPECT_TRUE(degree.front().raised) << "the raised o stands before the C";
}

TEST_F(MainWindow, ColourKeyExplainsTheThreeColours) {
    EXPECT_EQ(form().KeyLbl1->text(), "Key: entered values =     calculated values = ");
    EXPECT_EQ(form().KeyLbl2->text(), "value not used =");
    std::vector<Color> swatches;
    for (const auto* label : {form().KeyLbl1, form().KeyLbl2}) {
        for (const auto& run : label->runs()) {
            if (run.swatch)
                swatches.push_back(*run.swatch);
        }
    }
    EXPECT_EQ(swatches,
              (std::vector<Color>{platform::clLime, platform::clYellow, platform::clRed}));
}

TEST_F(MainWindow, ChartHasItsTitlesAndAnEmptyRedSeries) {
    const platform::Chart& chart = *form().Chart1;
    EXPECT_EQ(chart.title.text, "Ge as a function of z");
    EXPECT_EQ(chart.title.font.name, "Arial");
    EXPECT_TRUE(chart.title.font.bold);
    EXPECT_EQ(chart.title.font.color, platform::clBlue);
    EXPECT_EQ(chart.bottomAxisTitle.text, "z");
    EXPECT_EQ(chart.leftAxisTitle.text, "Ge (kJ/mol)");
    EXPECT_TRUE(chart.leftAxisTitle.font.bold);
    EXPECT_EQ(chart.leftAxisTitle.font.color, platform::clBlack);
    EXPECT_FALSE(chart.legendVisible);
    EXPECT_FALSE(chart.view3D);
    EXPECT_EQ(chart.series().color(), platform::clRed);
}

TEST_F(MainWindow, LayoutPutsTheFieldGroupAndTheChartAtTheRight) {
    const TOpeningForm& f = form();
    // The entered conditions across the top of the window, the results in
    // all the rest below them.
    const Rect top = f.Panel1->bounds(), rest = f.Panel2->bounds();
    EXPECT_EQ(top.left, 0);
    EXPECT_EQ(top.top, 0);
    EXPECT_EQ(top.width, f.clientWidth());
    EXPECT_EQ(rest.left, 0);
    EXPECT_EQ(rest.top, top.bottom());
    EXPECT_EQ(rest.width, f.clientWidth());
    EXPECT_EQ(rest.bottom(), f.clientHeight());
    // The field group at the right end of the top panel, over its height.
    const Rect group = f.GroupBox1->bounds(), inTop = f.Panel1->alignArea();
    EXPECT_EQ(group.right(), f.Panel1->bounds().width - 1);
    EXPECT_EQ(group.top, inTop.top);
    EXPECT_EQ(group.bottom(), inTop.bottom());
    // The chart at the right end of the results, over their height, the
    // larger part of the window; the splitter a thin bar along its left.
    const Rect chart = f.Chart1->bounds(), splitter = f.Splitter1->bounds();
    const Rect inRest = f.Panel2->alignArea();
    EXPECT_EQ(chart.right(), f.Panel2->bounds().width - 1);
    EXPECT_EQ(chart.top, inRest.top);
    EXPECT_EQ(chart.bottom(), inRest.bottom());
    EXPECT_GT(2 * chart.width, f.clientWidth());
    EXPECT_EQ(splitter.right(), chart.left);
    EXPECT_EQ(splitter.top, chart.top);
    EXPECT_EQ(splitter.height, chart.height);
    EXPECT_GE(splitter.width, 2) << "wide enough to grab";
    EXPECT_LT(10 * splitter.width, chart.width) << "a bar, not a column";
}

TEST_F(MainWindow, NoControlOverlapsAnother) {
    testing_support::expectNoOverlap(form());
}

TEST_F(MainWindow, DraggingTheSplitterResizesTheChart) {
    const int before = form().Chart1->bounds().width;
    form().Splitter1->userDrag(-50);
    EXPECT_EQ(form().Chart1->bounds().width, before + 50);
    EXPECT_EQ(form().Chart1->bounds().right(), form().Panel2->bounds().width - 1);
}

// A wider window widens the graph, after a drag of the splitter too; the
// results keep their room.
TEST_F(MainWindow, RoomTheWindowGainsGoesToTheGraph) {
    form().Splitter1->userDrag(-50);
    const int chart = form().Chart1->bounds().width;
    const int results = form().Chart1->bounds().left;
    form().setClientSize(form().clientWidth() + 200, form().clientHeight() + 100);
    EXPECT_EQ(form().Chart1->bounds().width, chart + 200);
    EXPECT_EQ(form().Chart1->bounds().left, results);
    form().setClientSize(form().clientWidth() - 200, form().clientHeight() - 100);
    EXPECT_EQ(form().Chart1->bounds().width, chart);
}

TEST_F(MainWindow, ConstructorSetsConstantsAndFlags) {
    const TOpeningForm& f = form();
    EXPECT_EQ(f.ElementaryCharge, 4.8e-10);
    EXPECT_EQ(f.Pi, 3.14159265);
    EXPECT_EQ(f.Avogadro, 6.023e23);
    EXPECT_EQ(f.Boltzmann, 1.38054e-16);
    EXPECT_EQ(f.ElectronVolt, 1.6021e-12);
    EXPECT_EQ(f.Viscosity, 1.0);
    EXPECT_TRUE(f.ZCalculated);
    EXPECT_TRUE(f.ZstarCalculated);
    EXPECT_FALSE(f.SigmaCalculated);
    EXPECT_TRUE(f.ECalculated);
    EXPECT_TRUE(f.MobilityFromSigma);
    EXPECT_FALSE(f.SigmaFromMobility);
    EXPECT_FALSE(f.DiffusionEntered);
    EXPECT_TRUE(f.StokesRadiusEntered);
    EXPECT_FALSE(f.FrictionEntered);
    EXPECT_TRUE(f.SkipLogEntry);
    EXPECT_EQ(f.Valence, 0.0);
    EXPECT_EQ(f.Friction, 0.0);
}

TEST_F(MainWindow, MenuHasFileExit) {
    ASSERT_NE(form().menu()->findPath({"&File", "&Exit"}), nullptr);
}

TEST_F(MainWindow, ExitEndsTheProgram) {
    application.Run();
    form().menu()->findPath({"&File", "&Exit"})->userClick(&form());
    EXPECT_TRUE(application.terminated());
    EXPECT_FALSE(form().visible());
}

}  // namespace

namespace {

TEST_F(MainWindow, StartValuesComeFromTheFieldTexts) {
    form().ReadStartValues();
    const TOpeningForm& f = form();
    EXPECT_EQ(f.Valence, 10.0);
    EXPECT_EQ(f.EffectiveValence, 0.0) << "the z* text is not read";
    EXPECT_EQ(f.EField, 0.123) << "not derived from current, conductivity and cross-section";
    EXPECT_EQ(f.Temperature, 20.0);
    EXPECT_EQ(f.IonicStrength, 0.10);
    EXPECT_EQ(f.Dielectric, 78.0);
    EXPECT_EQ(f.StokesRadius, 2.90);
    EXPECT_EQ(f.SaltIonRadius, 0.127);
    EXPECT_EQ(f.Sigma, 22.0);
    EXPECT_EQ(f.Conductivity, 19.2);
    EXPECT_EQ(f.Current, 0.18);
    EXPECT_EQ(f.XSection, 0.04);
    EXPECT_EQ(f.Mobility, 1.20);
    EXPECT_NEAR(f.Friction, 5.466371, 5e-7);
    EXPECT_NEAR(f.Diffusion, 7.399758, 5e-7);
}

TEST_F(MainWindow, AnUnreadableFieldTextIsReported) {
    form().ETxt->setText("0,123");
    application.Run();
    EXPECT_EQ(backend.takeMessages(),
              std::vector<std::string>{"'0,123' is not a valid floating point value"});
}

TEST_F(MainWindow, FirstPassShowsTheResultsAndWritesNoLog) {
    application.Run();
    const TOpeningForm& f = form();
    const std::pair<platform::StaticText*, const char*> expected[] = {
        {f.ATxt, "3.027"},  {f.KTxt, "1.051E+07"}, {f.KaTxt, "3.183"},  {f.HTxt, "1.1026"},
        {f.ETxt, "0.123"},  {f.DHHTxt, "0.264"},   {f.ZTxt, "17.13"},   {f.ZstarTxt, "4.52"},
        {f.MuTxt, "1.324"}, {f.WTxt, "24.396"},    {f.SigTxt, "22.00"},
    };
    for (const auto& [field, text] : expected) {
        EXPECT_EQ(field->text(), text) << field->name();
    }
    EXPECT_EQ(f.MuTxt->color(), platform::clYellow);
    EXPECT_EQ(f.SigTxt->color(), platform::clLime);
    EXPECT_EQ(f.Series1->points().size(), 35u);
    EXPECT_TRUE(forms::ReportFrm->document().empty());
    EXPECT_FALSE(forms::ReportFrm->LogUnsaved);
    EXPECT_FALSE(forms::ReportFrm->visible()) << "the report window starts hidden";
}

TEST_F(MainWindow, LaterPassesAppendTheirEntryToTheReport) {
    application.Run();
    form().Recalculate();
    const platform::RichDocument& log = forms::ReportFrm->document();
    ASSERT_EQ(log.paragraphs().size(), 8u + 18u);
    EXPECT_EQ(log.paragraphs()[1].text(), "Z and Z* calculated from Sigma: 22.00 cm^-1");
    EXPECT_TRUE(forms::ReportFrm->LogUnsaved);
    form().Recalculate();
    EXPECT_EQ(log.paragraphs().size(), 2 * (8u + 18u));
    EXPECT_EQ(log.paragraphs()[26].text(), log.paragraphs()[0].text());
}

}  // namespace
