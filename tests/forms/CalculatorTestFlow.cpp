// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's fields that open a calculator: what the window shows,
// holds, draws and logs after the user accepts or cancels at each level of
// the nested dialogs.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "forms/Dcalc.h"
#include "forms/Efield.h"
#include "forms/Enternumber.h"
#include "forms/Mainfrm.h"
#include "forms/Mucalc.h"
#include "forms/Report.h"
#include "tests/support/MainWindowSession.h"

using forms::OpeningForm;
using forms::TDCalculator;
using forms::TEFieldCalculator;
using forms::TMuCalculator;
using forms::TNumberEntry;
using forms::TOpeningForm;
using model::FieldId;
using platform::clLime;
using platform::clRed;
using platform::clYellow;
using platform::Color;

namespace {

// Everything of the main window a user can see.
struct Snapshot {
    std::vector<std::string> texts;
    std::vector<Color> colours;
    std::vector<platform::ChartPoint> points;
    std::vector<std::string> log;
    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

class CalculatorExchange : public testing_support::MainWindowSession {
  protected:
    void TearDown() override {
        MainWindowSession::TearDown();
        EXPECT_EQ(forms::EFieldCalculator, nullptr) << "every calculator is deleted";
        EXPECT_EQ(forms::DCalculator, nullptr);
        EXPECT_EQ(forms::MuCalculator, nullptr);
        EXPECT_EQ(forms::NumberEntry, nullptr);
    }
    TOpeningForm& form() { return *OpeningForm; }
    std::string text(FieldId id) { return form().field(id)->text(); }
    Color colour(FieldId id) { return form().field(id)->color(); }

    std::vector<std::string> log() const {
        std::vector<std::string> lines;
        for (const auto& p : forms::ReportFrm->document().paragraphs())
            lines.push_back(p.text());
        return lines;
    }
    // The lines of the last log entry from its separator, without the Ge
    // table.
    std::vector<std::string> lastEntryHead() const {
        const std::vector<std::string> lines = log();
        size_t start = lines.size();
        while (start > 0 && lines[start - 1].rfind("-----", 0) != 0)
            --start;
        start = start > 0 ? start - 1 : 0;  // with the separator
        std::vector<std::string> head;
        for (size_t i = start; i < lines.size() && lines[i].rfind("   z ", 0) != 0; ++i)
            head.push_back(lines[i]);
        return head;
    }
    size_t entries() const {
        size_t n = 0;
        for (const std::string& line : log())
            n += line.rfind("-----", 0) == 0;
        return n;
    }
    Snapshot snapshot() {
        Snapshot s;
        for (int i = 0; i < model::kFieldCount; ++i) {
            s.texts.push_back(text(static_cast<FieldId>(i)));
            s.colours.push_back(colour(static_cast<FieldId>(i)));
        }
        s.points = form().Series1->points();
        s.log = log();
        return s;
    }

    // Answers the next number entry: deletes the shown text, types, OK.
    void type(const std::string& typed) {
        backend.expect<TNumberEntry>("TNumberEntry", [typed](TNumberEntry& d) {
            platform::headless::clearByBackspace(*d.Value);
            platform::headless::typeText(*d.Value, typed);
            d.BitBtn1->userPress();
        });
    }
    void cancelEntry() {
        backend.expect<TNumberEntry>("TNumberEntry",
                                     [](TNumberEntry& d) { d.BitBtn2->userPress(); });
    }
};

// ---------------------------------------------------------------- E field

TEST_F(CalculatorExchange, EFieldOpensForDirectEntryAndLeavesTheInputsAlone) {
    backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& c) {
        EXPECT_EQ(c.owner(), &form());
        EXPECT_EQ(c.Current, 0.18);
        EXPECT_EQ(c.Conductance, 19.2);
        EXPECT_EQ(c.XSection, 0.04);
        EXPECT_EQ(c.ETxt->text(), "0.123");
        EXPECT_EQ(c.ETxt->color(), clLime);
        EXPECT_EQ(c.CurrTxt->color(), clRed);
        type("0.2");
        c.ETxt->userClick();
        c.BitBtn2->userPress();
    });
    form().ETxt->userClick();

    EXPECT_FALSE(form().ECalculated);
    EXPECT_EQ(form().EField, 0.2);
    EXPECT_EQ(text(FieldId::ETxt), "0.20") << "the pass shows E with its pattern";
    EXPECT_EQ(colour(FieldId::ETxt), clLime);
    const std::pair<FieldId, const char*> inputs[] = {
        {FieldId::CurrTxt, "0.18"}, {FieldId::CondTxt, "19.2"}, {FieldId::XTxt, "0.04"}};
    for (const auto& [id, shown] : inputs) {
        EXPECT_EQ(text(id), shown);
        EXPECT_EQ(colour(id), clRed);
    }
    EXPECT_EQ(form().Conductivity, 19.2);
    EXPECT_EQ(entries(), 1u);
    EXPECT_EQ(lastEntryHead().at(2), "  E = 0.20 V/cm entered");
}

TEST_F(CalculatorExchange, AnInputFieldOpensInCalculateModeAndOkTakesBackItsCaptions) {
    form().ECalculated = false;
    backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& c) {
        EXPECT_TRUE(c.ECalculated) << "whatever the main window's mode";
        EXPECT_EQ(c.ETxt->text(), "0.234");
        c.BitBtn2->userPress();
    });
    form().CurrTxt->userClick();

    EXPECT_TRUE(form().ECalculated);
    EXPECT_EQ(form().EField, 0.234375);
    EXPECT_EQ(text(FieldId::ETxt), "0.234");
    EXPECT_EQ(text(FieldId::CondTxt), "19.20") << "as the calculator formatted it";
    EXPECT_EQ(text(FieldId::CurrTxt), "0.18");
    EXPECT_EQ(colour(FieldId::ETxt), clYellow);
    EXPECT_EQ(colour(FieldId::CondTxt), clLime);
    EXPECT_EQ(lastEntryHead().at(2),
              "  E = 0.234 V/cm calculated from i = 0.18 mA, k= 19.20 mS, Cuvette = 0.04 cm^2");
    EXPECT_EQ(text(FieldId::MuTxt), "0.695") << "the pass used the new E";
}

TEST_F(CalculatorExchange, EachFieldOfTheGroupOpensTheECalculator) {
    for (FieldId id : {FieldId::CurrTxt, FieldId::CondTxt, FieldId::XTxt, FieldId::ETxt}) {
        bool opened = false;
        backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& c) {
            opened = true;
            EXPECT_EQ(c.ECalculated, id != FieldId::ETxt) << model::fieldName(id);
            c.BitBtn1->userPress();
        });
        form().field(id)->userClick();
        EXPECT_TRUE(opened) << model::fieldName(id);
    }
}

TEST_F(CalculatorExchange, EnterAcceptsAndEscapeCancelsEveryCalculator) {
    struct Case {
        platform::StaticText* TOpeningForm::*field;
        const char* className;
    };
    const Case cases[] = {
        {&TOpeningForm::ETxt, "TEFieldCalculator"},
        {&TOpeningForm::RsTxt, "TDCalculator"},
        {&TOpeningForm::MuTxt, "TMuCalculator"},
    };
    for (const Case& c : cases) {
        const size_t before = entries();
        backend.expectModal(c.className, [](platform::Form& f) {
            EXPECT_TRUE(f.userDialogKey(platform::VK_ESCAPE));
        });
        (form().*c.field)->userClick();
        EXPECT_EQ(entries(), before) << c.className;
        backend.expectModal(c.className, [](platform::Form& f) {
            EXPECT_TRUE(f.userDialogKey(platform::VK_RETURN));
        });
        (form().*c.field)->userClick();
        EXPECT_EQ(entries(), before + 1) << c.className;
    }
}

// ---------------------------------------------------------------- D, f, Rs

TEST_F(CalculatorExchange, StokesRadiusComesBackRoundedToTheShownDigits) {
    backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& c) {
        EXPECT_EQ(c.owner(), &form());
        EXPECT_EQ(c.Temperature, 20);
        EXPECT_EQ(c.Viscosity, 1);
        EXPECT_EQ(c.StokesRadius, 2.9);
        EXPECT_TRUE(c.StokesRadiusEntered);
        type("2.456");
        c.Rtxt->userClick();
        c.BitBtn2->userPress();
    });
    form().RsTxt->userClick();

    EXPECT_EQ(text(FieldId::RsTxt), "2.46");
    EXPECT_EQ(form().StokesRadius, 2.46);
    EXPECT_EQ(form().Diffusion, 8.737) << "D as the calculator derived it from 2.456";
    EXPECT_EQ(form().Friction, 4.629);
    EXPECT_EQ(colour(FieldId::RsTxt), clLime);
    EXPECT_EQ(text(FieldId::ATxt), "2.587") << "a = 2.46 + 0.127";
    EXPECT_EQ(text(FieldId::TTxt), "20.0") << "an unchanged temperature keeps its text";
    EXPECT_EQ(entries(), 1u);
    EXPECT_EQ(lastEntryHead().at(4),
              "  Using T = 20.0 C, I = 0.10 M, Rs = 2.46 nm, Ri = 0.127 nm, D = 78");
}

TEST_F(CalculatorExchange, DiffusionEnteredMakesTheStokesRadiusCalculated) {
    backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& c) {
        type("7");
        c.Dtxt->userClick();
        c.BitBtn2->userPress();
    });
    form().RsTxt->userClick();
    EXPECT_TRUE(form().DiffusionEntered);
    EXPECT_FALSE(form().StokesRadiusEntered);
    EXPECT_FALSE(form().FrictionEntered);
    EXPECT_EQ(text(FieldId::RsTxt), "3.07");
    EXPECT_EQ(form().StokesRadius, 3.07);
    EXPECT_EQ(colour(FieldId::RsTxt), clYellow);
    EXPECT_EQ(text(FieldId::MuTxt), "1.252") << "mobility from D 7";
}

TEST_F(CalculatorExchange, TemperatureChangedInTheDCalculatorShowsInTheMainWindow) {
    backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& c) {
        type("25");
        c.Ttxt->userClick();
        c.BitBtn2->userPress();
    });
    form().RsTxt->userClick();
    EXPECT_EQ(form().Temperature, 25);
    EXPECT_EQ(text(FieldId::TTxt), "25");
    EXPECT_EQ(text(FieldId::RsTxt), "2.9") << "rewritten by the exchange, value unchanged";
    EXPECT_EQ(form().Diffusion, 7.526);
    EXPECT_EQ(lastEntryHead().at(4),
              "  Using T = 25 C, I = 0.10 M, Rs = 2.9 nm, Ri = 0.127 nm, D = 78");
}

// ---------------------------------------------------------------- mobility

TEST_F(CalculatorExchange, MobilityCalculatorGetsTheWholeSetOfValues) {
    backend.expect<TMuCalculator>("TMuCalculator", [&](TMuCalculator& c) {
        const TOpeningForm& f = form();
        EXPECT_EQ(c.owner(), &f);
        EXPECT_EQ(c.Diffusion, f.Diffusion);
        EXPECT_EQ(c.Friction, f.Friction);
        EXPECT_EQ(c.Viscosity, 1);
        EXPECT_EQ(c.Temperature, 20);
        EXPECT_EQ(c.StokesRadius, 2.9);
        EXPECT_EQ(c.EField, 0.123);
        EXPECT_EQ(c.Sigma, 22);
        EXPECT_EQ(c.Mobility, 1.324);
        EXPECT_EQ(c.Conductivity, 19.2);
        EXPECT_EQ(c.XSection, 0.04);
        EXPECT_EQ(c.Current, 0.18);
        EXPECT_TRUE(c.StokesRadiusEntered);
        EXPECT_FALSE(c.DiffusionEntered || c.FrictionEntered);
        EXPECT_TRUE(c.MobilityFromSigma);
        EXPECT_FALSE(c.SigmaFromMobility);
        EXPECT_FALSE(c.SigmaCalculated);
        EXPECT_TRUE(c.ECalculated);
        c.BitBtn1->userPress();
    });
    form().MuTxt->userClick();
}

TEST_F(CalculatorExchange, AcceptingWithoutChangesRunsOnePass) {
    const Snapshot before = snapshot();
    form().ZCalculated = false;  // as after a z entry
    form().SigmaCalculated = true;
    backend.expect<TMuCalculator>("TMuCalculator",
                                  [](TMuCalculator& c) { c.BitBtn2->userPress(); });
    form().SigTxt->userClick();
    EXPECT_EQ(entries(), 1u);
    EXPECT_TRUE(form().ZCalculated);
    EXPECT_TRUE(form().ZstarCalculated);
    EXPECT_TRUE(form().SigmaCalculated) << "handed back as it was";
    // Sigma is written back with its pattern; nothing else changed.
    Snapshot after = snapshot();
    EXPECT_EQ(text(FieldId::SigTxt), "22.0");
    after.texts[static_cast<int>(FieldId::SigTxt)] = "22.00";
    EXPECT_EQ(after.texts, before.texts);
    EXPECT_EQ(after.colours, before.colours);
    EXPECT_EQ(after.points, before.points);
}

TEST_F(CalculatorExchange, SigmaIsShownRoundedButKeptUnrounded) {
    backend.expect<TMuCalculator>("TMuCalculator", [&](TMuCalculator& c) {
        type("22.123456");
        c.SigTxt->userClick();
        c.BitBtn2->userPress();
    });
    form().MuTxt->userClick();
    EXPECT_EQ(text(FieldId::SigTxt), "22.123");
    EXPECT_EQ(form().Sigma, 22.123456);
    EXPECT_FALSE(form().SigmaCalculated);
    EXPECT_EQ(colour(FieldId::SigTxt), clLime);
    EXPECT_EQ(text(FieldId::MuTxt), "1.331");
    EXPECT_EQ(lastEntryHead().at(1), "Z and Z* calculated from Sigma: 22.123 cm^-1");
}

TEST_F(CalculatorExchange, MobilityEntryMakesSigmaCalculated) {
    backend.expect<TMuCalculator>("TMuCalculator", [&](TMuCalculator& c) {
        type("1.324");
        c.MuTxt->userClick();
        EXPECT_EQ(c.SigTxt->text(), "22.008") << "D 7.399758 as the main window holds it";
        c.BitBtn2->userPress();
    });
    form().SigTxt->userClick();
    EXPECT_TRUE(form().SigmaCalculated);
    EXPECT_TRUE(form().ZCalculated);
    EXPECT_TRUE(form().ZstarCalculated);
    EXPECT_TRUE(form().SigmaFromMobility);
    EXPECT_FALSE(form().MobilityFromSigma);
    EXPECT_EQ(form().Mobility, 1.324);
    EXPECT_EQ(text(FieldId::MuTxt), "1.324");
    EXPECT_EQ(text(FieldId::SigTxt), "22.008");
    EXPECT_EQ(colour(FieldId::SigTxt), clYellow);
    EXPECT_EQ(colour(FieldId::MuTxt), clLime);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(CalculatorExchange, InputsChangedInTheMobilityCalculatorShowInTheMainWindow) {
    backend.expect<TMuCalculator>("TMuCalculator", [&](TMuCalculator& c) {
        backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& ec) {
            type("0.2");
            ec.CurrTxt->userClick();
            ec.BitBtn2->userPress();
        });
        c.CurrTxt->userClick();
        backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& dc) {
            type("3.456");
            dc.Rtxt->userClick();
            dc.BitBtn2->userPress();
        });
        c.RsTxt->userClick();
        type("30");
        c.TTxt->userClick();
        c.BitBtn2->userPress();
    });
    form().MuTxt->userClick();

    EXPECT_EQ(text(FieldId::CurrTxt), "0.2");
    EXPECT_EQ(text(FieldId::CondTxt), "19.2") << "unchanged value: the typed text stays";
    EXPECT_EQ(text(FieldId::XTxt), "0.04");
    EXPECT_EQ(text(FieldId::RsTxt), "3.46");
    EXPECT_EQ(form().StokesRadius, 3.46);
    EXPECT_EQ(text(FieldId::TTxt), "30");
    EXPECT_EQ(form().Temperature, 30);
    EXPECT_EQ(text(FieldId::ETxt), "0.26");
    const std::vector<std::string> head = lastEntryHead();
    EXPECT_EQ(head.at(2),
              "  E = 0.26 V/cm calculated from i = 0.2 mA, k= 19.2 mS, Cuvette = 0.04 cm^2");
    EXPECT_EQ(head.at(4), "  Using T = 30 C, I = 0.10 M, Rs = 3.46 nm, Ri = 0.127 nm, D = 78");
}

struct NestedCase {
    bool entryOk, dOk, muOk;
    const char *rs, *mobility;
    double diffusion;
};

std::string nestedName(const testing::TestParamInfo<NestedCase>& info) {
    const NestedCase& c = info.param;
    return std::string("Entry") + (c.entryOk ? "Ok" : "Cancel") + "D" + (c.dOk ? "Ok" : "Cancel") +
           "Mobility" + (c.muOk ? "Ok" : "Cancel");
}

class NestedCalculators : public CalculatorExchange,
                          public testing::WithParamInterface<NestedCase> {};

// State: start-up. Action: main window -> mobility calculator -> D, f, Rs
// calculator -> number entry for Rs, each level accepted or cancelled.
// Expected: a change reaches the main window only when every level above it
// was accepted; a cancelled mobility calculator leaves no trace.
TEST_P(NestedCalculators, PassChangesUpOnlyThroughAcceptedLevels) {
    const NestedCase& c = GetParam();
    const Snapshot before = snapshot();
    backend.expect<TMuCalculator>("TMuCalculator", [&](TMuCalculator& mu) {
        backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& dc) {
            if (c.entryOk)
                type("3.5");
            else
                cancelEntry();
            dc.Rtxt->userClick();
            (c.dOk ? dc.BitBtn2 : dc.BitBtn1)->userPress();
        });
        mu.RsTxt->userClick();
        (c.muOk ? mu.BitBtn2 : mu.BitBtn1)->userPress();
    });
    form().MuTxt->userClick();

    EXPECT_EQ(text(FieldId::RsTxt), c.rs);
    EXPECT_EQ(text(FieldId::MuTxt), c.mobility);
    EXPECT_EQ(form().Diffusion, c.diffusion);
    EXPECT_EQ(colour(FieldId::RsTxt), clLime);
    EXPECT_EQ(colour(FieldId::MuTxt), clYellow);
    EXPECT_EQ(colour(FieldId::SigTxt), clLime);
    const Snapshot after = snapshot();
    if (!c.muOk) {
        EXPECT_EQ(after, before);
        EXPECT_EQ(entries(), 0u);
        return;
    }
    EXPECT_EQ(entries(), 1u);
    // Ge depends on the Stokes radius, so the graph moves with it.
    EXPECT_EQ(after.points != before.points, c.entryOk && c.dOk);
    EXPECT_EQ(lastEntryHead().at(4), std::string("  Using T = 20.0 C, I = 0.10 M, Rs = ") + c.rs +
                                         " nm, Ri = 0.127 nm, D = 78");
}

constexpr double kStartD = 7.399757615912117;

INSTANTIATE_TEST_SUITE_P(
    EveryLevel, NestedCalculators,
    testing::Values(NestedCase{true, true, true, "3.5", "1.097", 6.131},
                    // The D calculator derived D 7.4 from the unchanged Rs again.
                    NestedCase{false, true, true, "2.90", "1.324", 7.4},
                    NestedCase{true, false, true, "2.90", "1.324", kStartD},
                    NestedCase{false, false, true, "2.90", "1.324", kStartD},
                    NestedCase{true, true, false, "2.90", "1.324", kStartD},
                    NestedCase{false, false, false, "2.90", "1.324", kStartD}),
    nestedName);

TEST_F(CalculatorExchange, CancelLeavesEverythingAsItWas) {
    const Snapshot before = snapshot();
    const model::ModelState state = form();
    backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& c) {
        type("0.5");
        c.CurrTxt->userClick();
        c.BitBtn1->userPress();
    });
    form().CondTxt->userClick();
    backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& c) {
        type("30");
        c.Ttxt->userClick();
        type("4");
        c.Rtxt->userClick();
        c.userCloseRequest();  // the window frame
    });
    form().RsTxt->userClick();
    backend.expect<TMuCalculator>("TMuCalculator", [&](TMuCalculator& c) {
        type("1.5");
        c.MuTxt->userClick();
        c.BitBtn1->userPress();
    });
    form().SigTxt->userClick();

    EXPECT_EQ(snapshot(), before);
    const model::ModelState after = form();
    EXPECT_EQ(after.Temperature, state.Temperature);
    EXPECT_EQ(after.StokesRadius, state.StokesRadius);
    EXPECT_EQ(after.Diffusion, state.Diffusion);
    EXPECT_EQ(after.Current, state.Current);
    EXPECT_EQ(after.EField, state.EField);
    EXPECT_EQ(after.Mobility, state.Mobility);
    EXPECT_EQ(after.SigmaFromMobility, state.SigmaFromMobility);
    EXPECT_EQ(after.ZCalculated, state.ZCalculated);
    EXPECT_FALSE(forms::ReportFrm->LogUnsaved);
}

}  // namespace
