// SPDX-License-Identifier: GPL-3.0-or-later

// The three calculators on their own, on the headless back end: what the
// user sees in them after each entry, and what a caller reads back.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "forms/Dcalc.h"
#include "forms/Efield.h"
#include "forms/Enternumber.h"
#include "forms/Mucalc.h"
#include "platform/base/NumberText.h"
#include "tests/support/HeadlessSession.h"
#include "tests/support/Layout.h"

using forms::TDCalculator;
using forms::TEFieldCalculator;
using forms::TMuCalculator;
using forms::TNumberEntry;
using platform::clLime;
using platform::clRed;
using platform::clYellow;
using platform::Color;
using platform::ModalResult;
using platform::StaticText;
using testing_support::expectLines;
using testing_support::expectNoOverlap;

namespace {

// What the number entry dialog showed when it opened.
struct Opened {
    std::string hint;
    std::string text;
};

class Calculator : public testing_support::HeadlessSession {
  protected:
    // Answers the next number entry as a user would: deletes the shown
    // text, types text and presses OK.
    void type(const std::string& text, Opened* opened = nullptr) {
        backend.expect<TNumberEntry>("TNumberEntry", [text, opened](TNumberEntry& d) {
            if (opened)
                *opened = {d.HintTxt->text(), d.Value->text()};
            platform::headless::clearByBackspace(*d.Value);
            platform::headless::typeText(*d.Value, text);
            d.BitBtn1->userPress();
        });
    }
    void cancelEntry(Opened* opened = nullptr) {
        backend.expect<TNumberEntry>("TNumberEntry", [opened](TNumberEntry& d) {
            if (opened)
                *opened = {d.HintTxt->text(), d.Value->text()};
            d.BitBtn2->userPress();
        });
    }
    // Shows dialog modally; script acts in it and closes it.
    template <class T>
    ModalResult show(T& dialog, std::function<void(T&)> script) {
        backend.expect<T>(dialog.className(), std::move(script));
        return dialog.ShowModal();
    }
};

void expectValueField(const StaticText* field) {
    EXPECT_TRUE(field->sunken()) << field->name();
    EXPECT_EQ(field->textAlign(), platform::TextAlign::Center) << field->name();
    EXPECT_TRUE(field->font().bold) << field->name();
    EXPECT_TRUE(field->tabStop()) << field->name() << " is reachable by keyboard";
    EXPECT_TRUE(field->OnClick) << field->name();
}

// A label's text with its raised parts in brackets: "cm[-1]".
std::string marked(const platform::Label* label) {
    std::string out;
    for (const auto& run : label->runs())
        out += run.raised ? "[" + run.text + "]" : run.text;
    return out;
}

void expectButtons(const platform::Button* cancel, const platform::Button* ok) {
    EXPECT_EQ(cancel->kind(), platform::ButtonKind::Cancel);
    EXPECT_EQ(ok->kind(), platform::ButtonKind::Ok);
    EXPECT_LT(cancel->bounds().left, ok->bounds().left) << "Cancel left, OK right";
    EXPECT_TRUE(ok->isDefault()) << "Enter presses OK";
    EXPECT_TRUE(cancel->isCancel()) << "Escape presses Cancel";
    EXPECT_FALSE(ok->isCancel() || cancel->isDefault());
}

// A number a user might type for the range: four significant digits,
// spread evenly over the decades of a positive range.
std::string randomEntry(std::mt19937& rng, double min, double max) {
    std::uniform_real_distribution<double> u(0, 1);
    const double value = min > 0 ? min * std::pow(max / min, u(rng)) : min + (max - min) * u(rng);
    const std::string text = platform::FormatFloat("0.000E+00", value);
    // Rounding may step just outside the range; stay inside it.
    const double typed = platform::StrToFloat(text);
    return typed < min || typed > max ? platform::FloatToStr(min) : text;
}

// ---------------------------------------------------------------- E field

class EFieldCalculator : public Calculator {
  protected:
    // The values the main window starts with.
    void handIn(TEFieldCalculator& c, bool directEntry = false) {
        c.Current = 0.18;
        c.Conductance = 19.2;
        c.XSection = 0.04;
        c.EField = 0.123;
        if (directEntry)
            c.ECalculated = false;
    }
    TEFieldCalculator calc{nullptr};
};

TEST_F(EFieldCalculator, HasItsCaptionFieldsAndButtons) {
    EXPECT_EQ(calc.caption(), "Calculate E field");
    EXPECT_EQ(calc.clientWidth(), 238);
    EXPECT_EQ(calc.clientHeight(), 213);
    EXPECT_TRUE(calc.ECalculated);
    EXPECT_TRUE(calc.font().bold);
    struct Row {
        StaticText* field;
        platform::Label* label;
        platform::Label* unit;
        const char* caption;
        const char* unitText;
        const char* placeholder;
    };
    const Row rows[] = {
        {calc.CurrTxt, calc.CurrLbl, calc.CurrUnitLbl, "Current", "mA", "0.18"},
        {calc.CondTxt, calc.CondLbl, calc.CondUnitLbl, "Conductance", "mS", "19.2"},
        {calc.XTxt, calc.XLbl, calc.XUnitLbl, "Cuvette x-section", "cm^2", "0.04"},
        {calc.ETxt, calc.CalcEnterTxt, calc.EUnitLbl, "Calculated", "V/cm", "0.04"},
    };
    for (const Row& r : rows) {
        expectValueField(r.field);
        EXPECT_EQ(r.label->text(), r.caption);
        EXPECT_EQ(r.unit->text(), r.unitText);
        EXPECT_EQ(r.field->text(), r.placeholder);
        EXPECT_LT(r.label->bounds().right(), r.field->bounds().left) << "label on the left";
        EXPECT_GT(r.unit->bounds().left, r.field->bounds().right()) << "unit on the right";
    }
    EXPECT_EQ(calc.ETxt->parent(), calc.GroupBox1);
    EXPECT_EQ(calc.GroupBox1->text(), "E field");
    EXPECT_EQ(calc.CalcEnterTxt->name(), "CalcEnterTxt");
    expectButtons(calc.BitBtn1, calc.BitBtn2);
    EXPECT_GT(calc.BitBtn1->bounds().top, calc.GroupBox1->bounds().bottom());
    std::vector<testing_support::Line> lines;
    for (const Row& r : rows)
        lines.push_back({r.label, r.field, r.unit});
    lines.push_back({calc.BitBtn1, calc.BitBtn2});
    expectLines(lines);
    expectNoOverlap(calc);
}

TEST_F(EFieldCalculator, ShowsTheHandedInValuesAndTheModeInColour) {
    struct Case {
        bool directEntry;
        double current, conductance, xSection, eField;
        const char *curr, *cond, *x, *e;
        Color inputs, eColour;
        double eAfter;
    };
    const Case cases[] = {
        // Opened in calculate mode: E follows from the three inputs at once.
        {false, 0.18, 19.2, 0.04, 0.123, "0.18", "19.20", "0.04", "0.234", clLime, clYellow,
         0.234375},
        // Opened for direct entry: E kept, the inputs not used.
        {true, 0.18, 19.2, 0.04, 0.123, "0.18", "19.20", "0.04", "0.123", clRed, clLime, 0.123},
        {true, 0.1234, 5, 0.125, 1, "0.123", "5.00", "0.13", "1.00", clRed, clLime, 1},
    };
    for (const Case& c : cases) {
        TEFieldCalculator dlg(nullptr);
        dlg.Current = c.current;
        dlg.Conductance = c.conductance;
        dlg.XSection = c.xSection;
        dlg.EField = c.eField;
        dlg.ECalculated = !c.directEntry;
        show<TEFieldCalculator>(dlg, [&](TEFieldCalculator& d) {
            EXPECT_EQ(d.CurrTxt->text(), c.curr);
            EXPECT_EQ(d.CondTxt->text(), c.cond);
            EXPECT_EQ(d.XTxt->text(), c.x);
            EXPECT_EQ(d.ETxt->text(), c.e);
            for (StaticText* f : {d.CurrTxt, d.CondTxt, d.XTxt})
                EXPECT_EQ(f->color(), c.inputs) << f->name();
            EXPECT_EQ(d.ETxt->color(), c.eColour);
            d.BitBtn2->userPress();
        });
        EXPECT_EQ(dlg.EField, c.eAfter) << c.e;
    }
}

TEST_F(EFieldCalculator, EachFieldOpensTheEntryWithItsRangeAndCaption) {
    struct Case {
        StaticText* TEFieldCalculator::*field;
        const char* hint;
        const char* text;
    };
    const Case cases[] = {
        {&TEFieldCalculator::CurrTxt, "Value between: 1E-7 and 100", "0.18"},
        {&TEFieldCalculator::CondTxt, "Value between: 1E-6 and 500", "19.20"},
        {&TEFieldCalculator::XTxt, "Value between: 0.01 and 1", "0.04"},
        {&TEFieldCalculator::ETxt, "Value between: 1E-5 and 100", "0.123"},
    };
    // In direct-entry mode, so that a cancelled input entry would show by
    // switching the mode.
    handIn(calc, true);
    show<TEFieldCalculator>(calc, [&](TEFieldCalculator& d) {
        for (const Case& c : cases) {
            Opened opened;
            cancelEntry(&opened);
            (d.*c.field)->userClick();
            EXPECT_EQ(opened.hint, c.hint);
            EXPECT_EQ(opened.text, c.text);
        }
        // Cancel changed nothing.
        EXPECT_FALSE(d.ECalculated);
        EXPECT_EQ(d.CurrTxt->color(), clRed);
        EXPECT_EQ(d.ETxt->text(), "0.123");
        EXPECT_EQ(d.EField, 0.123);
        EXPECT_EQ(d.Current, 0.18);
        d.BitBtn2->userPress();
    });
}

TEST_F(EFieldCalculator, EnteringTheInputsComputesE) {
    calc.Current = 1;
    calc.Conductance = 10;
    calc.XSection = 0.5;
    calc.EField = 3;
    calc.ECalculated = false;
    show<TEFieldCalculator>(calc, [&](TEFieldCalculator& d) {
        type("0.18");
        d.CurrTxt->userClick();
        EXPECT_TRUE(d.ECalculated) << "an input entry switches to calculate mode";
        EXPECT_EQ(d.ETxt->text(), "0.036");
        type("19.2");
        d.CondTxt->userClick();
        type("0.04");
        d.XTxt->userClick();
        d.BitBtn2->userPress();
    });
    EXPECT_EQ(calc.ETxt->text(), "0.234");
    EXPECT_EQ(calc.EField, 0.234375);
    EXPECT_EQ(calc.CondTxt->text(), "19.2") << "the text as typed, not reformatted";
    EXPECT_EQ(calc.Conductance, 19.2);
    EXPECT_EQ(calc.ETxt->color(), clYellow);
    EXPECT_EQ(calc.XTxt->color(), clLime);
}

TEST_F(EFieldCalculator, EnteredEIsLostWhenAnInputIsEnteredAfterIt) {
    handIn(calc);
    show<TEFieldCalculator>(calc, [&](TEFieldCalculator& d) {
        type("0.5");
        d.ETxt->userClick();
        EXPECT_FALSE(d.ECalculated);
        EXPECT_EQ(d.ETxt->text(), "0.5");
        EXPECT_EQ(d.EField, 0.5);
        EXPECT_EQ(d.ETxt->color(), clLime);
        for (StaticText* f : {d.CurrTxt, d.CondTxt, d.XTxt})
            EXPECT_EQ(f->color(), clRed) << f->name();

        type("0.36");
        d.CurrTxt->userClick();
        d.BitBtn2->userPress();
    });
    EXPECT_TRUE(calc.ECalculated);
    EXPECT_EQ(calc.EField, 0.36 / (19.2 * 0.04));
    EXPECT_EQ(calc.ETxt->text(), "0.469");
    EXPECT_EQ(calc.ETxt->color(), clYellow);
}

// ---------------------------------------------------------------- D, f, Rs

class DCalculator : public Calculator {
  protected:
    // 20 degrees, 1 cP and the Stokes radius 2.9 nm entered.
    DCalculator() {
        calc.Temperature = 20;
        calc.Viscosity = 1;
        calc.StokesRadius = 2.9;
        calc.Friction = 5.466371211;
        calc.Diffusion = 7.399757615912117;
    }
    // Colours of D, f and Rs.
    static std::vector<Color> colours(const TDCalculator& d) {
        return {d.Dtxt->color(), d.Ftxt->color(), d.Rtxt->color()};
    }
    TDCalculator calc{nullptr};
};

TEST_F(DCalculator, HasItsCaptionLayoutAndLabels) {
    EXPECT_EQ(calc.caption(), "Determine or enter D, f, Rs");
    EXPECT_EQ(calc.clientWidth(), 482);
    EXPECT_EQ(calc.clientHeight(), 182);
    EXPECT_EQ(calc.Pi, 3.14159265);
    EXPECT_EQ(calc.Boltzmann, 1.38054e-16);
    for (StaticText* field : {calc.Dtxt, calc.Ttxt, calc.Vtxt, calc.Ftxt, calc.Rtxt}) {
        expectValueField(field);
        EXPECT_EQ(field->color(), clLime) << field->name();
    }
    EXPECT_EQ(marked(calc.DiffusionLbl), "Diffusion coefficient:");
    EXPECT_EQ(marked(calc.DUnitLbl), "(x10[-7] cm[2]/s) at temperature:");
    EXPECT_EQ(marked(calc.TUnitLbl), "[o]C.");
    EXPECT_EQ(marked(calc.ViscosityLbl), "Viscosity: ");
    EXPECT_EQ(marked(calc.VUnitLbl), "centipoise");
    EXPECT_EQ(marked(calc.FrictionLbl), "Frictional coefficient: ");
    EXPECT_EQ(marked(calc.FUnitLbl), "(x10[-8] g/s)");
    EXPECT_EQ(marked(calc.RsLbl), "Rs:");
    EXPECT_EQ(marked(calc.RUnitLbl), "nm");
    // The line reads on from label to field to label.
    EXPECT_LT(calc.DiffusionLbl->bounds().right(), calc.Dtxt->bounds().left);
    EXPECT_LT(calc.Dtxt->bounds().right(), calc.DUnitLbl->bounds().left);
    EXPECT_LT(calc.DUnitLbl->bounds().right(), calc.Ttxt->bounds().left);
    EXPECT_LT(calc.Ttxt->bounds().right(), calc.TUnitLbl->bounds().left);
    // Each line reads on from label to field to label, D's with the
    // temperature it holds at; the buttons, of one size, below them all.
    expectLines({
        {calc.DiffusionLbl, calc.Dtxt, calc.DUnitLbl, calc.Ttxt, calc.TUnitLbl},
        {calc.ViscosityLbl, calc.Vtxt, calc.VUnitLbl},
        {calc.FrictionLbl, calc.Ftxt, calc.FUnitLbl},
        {calc.RsLbl, calc.Rtxt, calc.RUnitLbl},
        {calc.BitBtn1, calc.BitBtn2},
    });
    EXPECT_EQ(calc.BitBtn1->bounds().width, calc.BitBtn2->bounds().width);
    EXPECT_EQ(calc.BitBtn1->bounds().height, calc.BitBtn2->bounds().height);
    expectButtons(calc.BitBtn1, calc.BitBtn2);
    expectNoOverlap(calc);
}

TEST_F(DCalculator, ShowingDerivesTheOthersFromTheEnteredStokesRadius) {
    show<TDCalculator>(calc, [](TDCalculator& d) { d.BitBtn2->userPress(); });
    EXPECT_EQ(calc.Ttxt->text(), "20");
    EXPECT_EQ(calc.Vtxt->text(), "1");
    EXPECT_EQ(calc.Rtxt->text(), "2.9");
    EXPECT_EQ(calc.Ftxt->text(), "5.466");
    EXPECT_EQ(calc.Dtxt->text(), "7.4") << "7.39976 to three decimals, trailing zeros dropped";
    EXPECT_EQ(calc.Friction, 5.466) << "kept as shown";
    EXPECT_EQ(calc.Diffusion, 7.4);
    EXPECT_EQ(colours(calc), (std::vector<Color>{clYellow, clYellow, clLime}));
    EXPECT_EQ(calc.Ttxt->color(), clLime);
    EXPECT_EQ(calc.Vtxt->color(), clLime);
}

TEST_F(DCalculator, TheEnteredQuantityGivesTheOtherTwo) {
    struct Case {
        StaticText* TDCalculator::*field;
        const char* typed;
        const char *d, *f, *rs;
        std::vector<Color> colours;  // D, f, Rs
        const char* hint;
    };
    const Case cases[] = {
        {&TDCalculator::Dtxt,
         "7.4",
         "7.4",
         "5.466",
         "2.9",
         {clLime, clYellow, clYellow},
         "Value between: 0.001 and 100"},
        {&TDCalculator::Ftxt,
         "5.466",
         "7.4",
         "5.466",
         "2.9",
         {clYellow, clLime, clYellow},
         "Value between: 0.1 and 1000"},
        {&TDCalculator::Rtxt,
         "3.5",
         "6.131",
         "6.597",
         "3.5",
         {clYellow, clYellow, clLime},
         "Value between: 0.1 and 1000"},
        // A derived value below 1 has no leading zero.
        {&TDCalculator::Rtxt,
         "0.2653",
         "80.887",
         ".5",
         "0.2653",
         {clYellow, clYellow, clLime},
         "Value between: 0.1 and 1000"},
        {&TDCalculator::Rtxt,
         "2.456",
         "8.737",
         "4.629",
         "2.456",
         {clYellow, clYellow, clLime},
         "Value between: 0.1 and 1000"},
    };
    for (const Case& c : cases) {
        TDCalculator dlg(nullptr);
        dlg.Temperature = 20;
        dlg.Viscosity = 1;
        dlg.StokesRadius = 2.9;
        Opened opened;
        show<TDCalculator>(dlg, [&](TDCalculator& d) {
            type(c.typed, &opened);
            (d.*c.field)->userClick();
            d.BitBtn2->userPress();
        });
        EXPECT_EQ(opened.hint, c.hint) << c.typed;
        EXPECT_EQ(dlg.Dtxt->text(), c.d) << c.typed;
        EXPECT_EQ(dlg.Ftxt->text(), c.f) << c.typed;
        EXPECT_EQ(dlg.Rtxt->text(), c.rs) << c.typed;
        EXPECT_EQ(colours(dlg), c.colours) << c.typed;
        // Every value is the one its field shows.
        EXPECT_EQ(dlg.Diffusion, std::stod(c.d)) << c.typed;
        EXPECT_EQ(dlg.Friction, std::stod(c.f)) << c.typed;
        EXPECT_EQ(dlg.StokesRadius, std::stod(c.rs)) << c.typed;
        const bool dEntered = c.field == &TDCalculator::Dtxt;
        const bool fEntered = c.field == &TDCalculator::Ftxt;
        EXPECT_EQ(dlg.DiffusionEntered, dEntered);
        EXPECT_EQ(dlg.FrictionEntered, fEntered);
        EXPECT_EQ(dlg.StokesRadiusEntered, !dEntered && !fEntered);
    }
}

TEST_F(DCalculator, TemperatureAndViscosityRederiveFromTheEnteredOne) {
    Opened tHint, vHint;
    show<TDCalculator>(calc, [&](TDCalculator& d) {
        type("2.90");
        d.Rtxt->userClick();
        type("37", &tHint);
        d.Ttxt->userClick();
        EXPECT_EQ(d.Dtxt->text(), "7.829");
        EXPECT_EQ(d.Ftxt->text(), "5.466") << "f does not depend on T";
        type("2", &vHint);
        d.Vtxt->userClick();
        d.BitBtn2->userPress();
    });
    EXPECT_EQ(tHint.hint, "Value between: 0 and 100");
    EXPECT_EQ(vHint.hint, "Value between: 0.001 and 10");
    EXPECT_EQ(calc.Rtxt->text(), "2.90") << "the entered caption stays as typed";
    EXPECT_EQ(calc.Ttxt->text(), "37");
    EXPECT_EQ(calc.Temperature, 37);
    EXPECT_EQ(calc.Viscosity, 2);
    EXPECT_EQ(calc.Ftxt->text(), "10.933");
    EXPECT_EQ(calc.Dtxt->text(), "3.915");
    EXPECT_TRUE(calc.StokesRadiusEntered) << "T and viscosity leave the entered quantity";
}

TEST_F(DCalculator, CancelledEntryStillMakesTheClickedQuantityTheEnteredOne) {
    struct Case {
        StaticText* TDCalculator::*field;
        std::vector<Color> colours;  // D, f, Rs
    };
    const Case cases[] = {
        {&TDCalculator::Ftxt, {clYellow, clLime, clYellow}},
        {&TDCalculator::Dtxt, {clLime, clYellow, clYellow}},
        {&TDCalculator::Rtxt, {clYellow, clYellow, clLime}},
    };
    for (const Case& c : cases) {
        TDCalculator dlg(nullptr);
        dlg.Temperature = 20;
        dlg.Viscosity = 1;
        dlg.StokesRadius = 2.9;
        show<TDCalculator>(dlg, [&](TDCalculator& d) {
            cancelEntry();
            (d.*c.field)->userClick();
            d.BitBtn2->userPress();
        });
        EXPECT_EQ(colours(dlg), c.colours);
        // Derived again from the old value, 5.466 or 7.4 or 2.9: the same set.
        EXPECT_EQ(dlg.Dtxt->text(), "7.4");
        EXPECT_EQ(dlg.Ftxt->text(), "5.466");
        EXPECT_EQ(dlg.Rtxt->text(), "2.9");
    }
}

TEST_F(DCalculator, CancelledTemperatureEntryChangesNothing) {
    show<TDCalculator>(calc, [&](TDCalculator& d) {
        cancelEntry();
        d.Ttxt->userClick();
        cancelEntry();
        d.Vtxt->userClick();
        d.BitBtn2->userPress();
    });
    EXPECT_EQ(calc.Temperature, 20);
    EXPECT_EQ(calc.Viscosity, 1);
    EXPECT_TRUE(calc.StokesRadiusEntered);
    EXPECT_EQ(calc.Dtxt->text(), "7.4");
}

// State: a viscosity of 0.001 cP and Rs 0.1 nm give f = 0.00019, shown as
// ".0". Action: click f and cancel. Expected: Rs stays the entered one, since
// D would follow from a division by zero.
TEST_F(DCalculator, AFrictionShownAsZeroDoesNotBecomeTheEnteredOne) {
    show<TDCalculator>(calc, [&](TDCalculator& d) {
        type("0.001");
        d.Vtxt->userClick();
        type("0.1");
        d.Rtxt->userClick();
        EXPECT_EQ(d.Ftxt->text(), ".0");
        cancelEntry();
        d.Ftxt->userClick();
        d.BitBtn2->userPress();
    });
    EXPECT_TRUE(calc.StokesRadiusEntered);
    EXPECT_FALSE(calc.FrictionEntered);
    EXPECT_EQ(calc.Dtxt->text(), "214592.971");
    EXPECT_TRUE(std::isfinite(calc.Diffusion));
    EXPECT_EQ(colours(calc), (std::vector<Color>{clYellow, clYellow, clLime}));
}

// Any sequence of entries, cancelled ones too, keeps one quantity entered,
// colours it lime and the other two yellow, and keeps each derived value
// exactly as its caption shows it, with one to three decimals.
TEST_F(DCalculator, RandomEntrySequencesKeepTheFieldsConsistent) {
    std::mt19937 rng(20261207);
    struct Entry {
        StaticText* TDCalculator::*field;
        double min, max;
    };
    const Entry entries[] = {
        {&TDCalculator::Dtxt, 0.001, 100}, {&TDCalculator::Ttxt, 0, 100},
        {&TDCalculator::Vtxt, 0.001, 10},  {&TDCalculator::Ftxt, 0.1, 1000},
        {&TDCalculator::Rtxt, 0.1, 1000},
    };
    const std::regex derivedText(R"(^([1-9][0-9]*)?\.([0-9]|[0-9][1-9]|[0-9][0-9][1-9])$)");
    show<TDCalculator>(calc, [&](TDCalculator& d) {
        for (int step = 0; step < 400; ++step) {
            const Entry& e = entries[rng() % 5];
            if (rng() % 4 == 0)
                cancelEntry();
            else
                type(randomEntry(rng, e.min, e.max));
            (d.*e.field)->userClick();

            ASSERT_EQ(d.DiffusionEntered + d.StokesRadiusEntered + d.FrictionEntered, 1);
            const std::tuple<bool, StaticText*, double> quantities[] = {
                {d.DiffusionEntered, d.Dtxt, d.Diffusion},
                {d.FrictionEntered, d.Ftxt, d.Friction},
                {d.StokesRadiusEntered, d.Rtxt, d.StokesRadius},
            };
            for (const auto& [entered, field, value] : quantities) {
                EXPECT_EQ(field->color(), entered ? clLime : clYellow) << field->name();
                EXPECT_TRUE(std::isfinite(value)) << field->name();
                if (entered)
                    continue;
                EXPECT_TRUE(std::regex_match(field->text(), derivedText)) << field->text();
                EXPECT_EQ(value, platform::StrToFloat(field->text())) << field->name();
            }
            EXPECT_EQ(d.Ttxt->color(), clLime);
            EXPECT_EQ(d.Vtxt->color(), clLime);
        }
        d.BitBtn2->userPress();
    });
    EXPECT_TRUE(backend.messages().empty());
}

// ---------------------------------------------------------------- mobility

class MuCalculator : public Calculator {
  protected:
    // The main window's values after start-up, with D rounded to 7.4.
    MuCalculator() {
        calc.Diffusion = 7.4;
        calc.Viscosity = 1;
        calc.Temperature = 20;
        calc.StokesRadius = 2.9;
        calc.Friction = 5.466;
        calc.EField = 0.123;
        calc.Sigma = 22;
        calc.Mobility = 1.2;
        calc.Conductivity = 19.2;
        calc.XSection = 0.04;
        calc.Current = 0.18;
        calc.StokesRadiusEntered = true;
        calc.ECalculated = true;
    }
    TMuCalculator calc{nullptr};
};

TEST_F(MuCalculator, HasItsCaptionGroupsFieldsAndButtons) {
    EXPECT_EQ(calc.caption(), "Mobility calculator");
    EXPECT_EQ(calc.clientWidth(), 234);
    EXPECT_EQ(calc.clientHeight(), 349);
    TMuCalculator fresh(nullptr);
    EXPECT_TRUE(fresh.MobilityFromSigma);
    EXPECT_FALSE(fresh.SigmaFromMobility);

    const std::pair<platform::GroupBox*, const char*> groups[] = {
        {calc.GroupBox1, "Mobility or steady state"},
        {calc.GroupBox2, "Used in conversions"},
        {calc.GroupBox3, "Field"},
    };
    for (const auto& [group, caption] : groups) {
        EXPECT_EQ(group->text(), caption);
        EXPECT_EQ(group->bounds().width, calc.clientWidth()) << caption << " spans the window";
    }
    struct Row {
        StaticText* field;
        platform::GroupBox* group;
        platform::Label* label;
        const char* caption;
        platform::Label* unit;
        const char* unitText;
        const char* placeholder;
        Color colour;
    };
    // From top to bottom.
    const Row rows[] = {
        {calc.SigTxt, calc.GroupBox1, calc.SigLbl, "Sigma", calc.SigUnitLbl, "cm[-1]", "22.00",
         clLime},
        {calc.MuTxt, calc.GroupBox1, calc.MuLbl, "Mobility", calc.MuUnitLbl, "x10[-4] cm[2]/V-s",
         "1.20", clLime},
        {calc.RsTxt, calc.GroupBox2, calc.RsLbl, "Stokes radius", calc.RsUnitLbl, "nm", "2.90",
         clLime},
        {calc.VTxt, calc.GroupBox2, calc.VLbl, "Viscosity", calc.VUnitLbl, "cP", "1", clLime},
        {calc.TTxt, calc.GroupBox2, calc.TLbl, "Temperature", calc.TUnitLbl, "[o]C", "20.0",
         clLime},
        {calc.CurrTxt, calc.GroupBox3, calc.CurrLbl, "Current", calc.CurrUnitLbl, "mA", "0.18",
         clLime},
        {calc.CondTxt, calc.GroupBox3, calc.CondLbl, "Conductivity", calc.CondUnitLbl, "mS/cm",
         "19.2", clLime},
        {calc.XTxt, calc.GroupBox3, calc.XLbl, "Cuvette x-section", calc.XUnitLbl, "cm[2]", "0.04",
         clLime},
        {calc.ETxt, calc.GroupBox3, calc.ELbl, "E", calc.EUnitLbl, "V/cm", "0.123", clYellow},
    };
    std::vector<testing_support::Line> lines;
    for (const Row& r : rows) {
        expectValueField(r.field);
        EXPECT_EQ(r.field->parent(), r.group) << r.caption;
        EXPECT_EQ(marked(r.label), r.caption);
        EXPECT_EQ(marked(r.unit), r.unitText);
        EXPECT_EQ(r.field->text(), r.placeholder);
        EXPECT_EQ(r.field->color(), r.colour) << r.caption;
        EXPECT_LT(r.label->bounds().right(), r.field->bounds().left) << r.caption;
        EXPECT_GT(r.unit->bounds().left, r.field->bounds().right()) << r.caption;
        lines.push_back({r.label, r.field, r.unit});
    }
    // The rows in their order, each label beside its field and unit; the
    // groups one below the other and the buttons below them all.
    expectLines(lines);
    expectLines(
        {{calc.GroupBox1}, {calc.GroupBox2}, {calc.GroupBox3}, {calc.BitBtn1, calc.BitBtn2}});
    expectButtons(calc.BitBtn1, calc.BitBtn2);
    expectNoOverlap(calc);
}

TEST_F(MuCalculator, ShowingFillsEveryCaptionAndDerivesTheMobility) {
    calc.Sigma = 22.123456;
    show<TMuCalculator>(calc, [](TMuCalculator& d) { d.BitBtn2->userPress(); });
    const std::pair<StaticText*, const char*> texts[] = {
        {calc.ETxt, "0.123"},  {calc.CondTxt, "19.20"}, {calc.CurrTxt, "0.18"},
        {calc.XTxt, "0.04"},   {calc.TTxt, "20"},       {calc.SigTxt, "22.123456"},
        {calc.MuTxt, "1.331"}, {calc.RsTxt, "2.9"},
    };
    for (const auto& [field, text] : texts)
        EXPECT_EQ(field->text(), text) << field->name();
    EXPECT_EQ(calc.Mobility, 1.331);
    EXPECT_EQ(calc.Sigma, 22.123456) << "the entered one is not rounded";
    EXPECT_EQ(calc.SigTxt->color(), clLime);
    EXPECT_EQ(calc.MuTxt->color(), clYellow);
    EXPECT_EQ(calc.ETxt->color(), clYellow);
    EXPECT_EQ(calc.CurrTxt->color(), clLime);
    EXPECT_EQ(calc.RsTxt->color(), clLime);
    EXPECT_EQ(calc.TTxt->color(), clLime);
}

TEST_F(MuCalculator, SigmaAndMobilityConvertIntoEachOther) {
    struct Case {
        StaticText* TMuCalculator::*field;
        const char* typed;
        const char *sigma, *mobility;
        double sigmaValue, mobilityValue;
        const char* hint;
    };
    const Case cases[] = {
        // (22 x 7.4e-7) / 0.123 x 1e4 = 1.32358
        {&TMuCalculator::SigTxt, "22", "22", "1.324", 22, 1.324, "Value between: 0 and 300"},
        // Back again: 22.00703
        {&TMuCalculator::MuTxt, "1.324", "22.007", "1.324", 22.007, 1.324,
         "Value between: 0.0001 and 100"},
        {&TMuCalculator::SigTxt, "0", "0", "0.0", 0, 0, "Value between: 0 and 300"},
        {&TMuCalculator::SigTxt, "300", "300", "18.049", 300, 18.049, "Value between: 0 and 300"},
    };
    for (const Case& c : cases) {
        TMuCalculator dlg(nullptr);
        dlg.Diffusion = 7.4;
        dlg.EField = 0.123;
        dlg.Sigma = 5;
        dlg.Mobility = 5;
        Opened opened;
        show<TMuCalculator>(dlg, [&](TMuCalculator& d) {
            type(c.typed, &opened);
            (d.*c.field)->userClick();
            d.BitBtn2->userPress();
        });
        EXPECT_EQ(opened.hint, c.hint);
        EXPECT_EQ(dlg.SigTxt->text(), c.sigma) << c.typed;
        EXPECT_EQ(dlg.MuTxt->text(), c.mobility) << c.typed;
        EXPECT_EQ(dlg.Sigma, c.sigmaValue) << c.typed;
        EXPECT_EQ(dlg.Mobility, c.mobilityValue) << c.typed;
        const bool fromMobility = c.field == &TMuCalculator::MuTxt;
        EXPECT_EQ(dlg.SigmaFromMobility, fromMobility);
        EXPECT_EQ(dlg.MobilityFromSigma, !fromMobility);
        EXPECT_EQ(dlg.SigTxt->color(), fromMobility ? clYellow : clLime);
        EXPECT_EQ(dlg.MuTxt->color(), fromMobility ? clLime : clYellow);
    }
}

TEST_F(MuCalculator, SigmaCalculatedFollowsTheLastEntry) {
    enum class Action { EnterSigma, EnterMobility, EnterTemperature, CancelMobility, Nothing };
    struct Case {
        bool handedIn;
        Action action;
        bool expected;
    };
    const Case cases[] = {
        {false, Action::EnterMobility, true},   {true, Action::EnterSigma, false},
        {true, Action::Nothing, true},          {false, Action::Nothing, false},
        {true, Action::EnterTemperature, true}, {false, Action::CancelMobility, false},
    };
    for (const Case& c : cases) {
        TMuCalculator dlg(nullptr);
        dlg.Diffusion = 7.4;
        dlg.EField = 0.123;
        dlg.SigmaCalculated = c.handedIn;
        show<TMuCalculator>(dlg, [&](TMuCalculator& d) {
            switch (c.action) {
                case Action::EnterSigma:
                    type("20");
                    d.SigTxt->userClick();
                    break;
                case Action::EnterMobility:
                    type("1.2");
                    d.MuTxt->userClick();
                    break;
                case Action::EnterTemperature:
                    type("30");
                    d.TTxt->userClick();
                    break;
                case Action::CancelMobility:
                    cancelEntry();
                    d.MuTxt->userClick();
                    break;
                case Action::Nothing:
                    break;
            }
            d.BitBtn2->userPress();
        });
        EXPECT_EQ(dlg.SigmaCalculated, c.expected) << static_cast<int>(c.action);
    }
}

// The entered Stokes radius stays; D follows the temperature (7.842 at
// 37.5 degrees) and with it the mobility derived from Sigma.
TEST_F(MuCalculator, TemperatureMovesDAndTheDerivedOne) {
    Opened opened;
    show<TMuCalculator>(calc, [&](TMuCalculator& d) {
        type("37.5", &opened);
        d.TTxt->userClick();
        d.BitBtn2->userPress();
    });
    EXPECT_EQ(opened.hint, "Value between: 0 and 100");
    EXPECT_EQ(opened.text, "20");
    EXPECT_EQ(calc.TTxt->text(), "37.5");
    EXPECT_EQ(calc.Temperature, 37.5);
    EXPECT_EQ(calc.Diffusion, 7.842);
    EXPECT_EQ(calc.Friction, 5.466);
    EXPECT_EQ(calc.RsTxt->text(), "2.9");
    EXPECT_EQ(calc.SigTxt->text(), "22");
    EXPECT_EQ(calc.MuTxt->text(), "1.403");
    EXPECT_EQ(calc.Mobility, 1.403);
}

TEST_F(MuCalculator, StokesRadiusThroughTheDCalculatorChangesTheMobility) {
    show<TMuCalculator>(calc, [&](TMuCalculator& d) {
        backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& dc) {
            // The D, f, Rs calculator gets the values this one holds.
            EXPECT_EQ(dc.Temperature, 20);
            EXPECT_EQ(dc.Viscosity, 1);
            EXPECT_EQ(dc.Rtxt->text(), "2.9");
            EXPECT_TRUE(dc.StokesRadiusEntered);
            type("3.5");
            dc.Rtxt->userClick();
            dc.BitBtn2->userPress();
        });
        d.RsTxt->userClick();
        d.BitBtn2->userPress();
    });
    EXPECT_EQ(calc.RsTxt->text(), "3.5");
    EXPECT_EQ(calc.StokesRadius, 3.5);
    EXPECT_EQ(calc.Diffusion, 6.131);
    EXPECT_EQ(calc.Friction, 6.597);
    EXPECT_EQ(calc.MuTxt->text(), "1.097");
    EXPECT_EQ(calc.RsTxt->color(), clLime);
}

TEST_F(MuCalculator, StokesRadiusComesBackWithTwoDecimalsAtMost) {
    show<TMuCalculator>(calc, [&](TMuCalculator& d) {
        backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& dc) {
            type("7");
            dc.Dtxt->userClick();
            dc.BitBtn2->userPress();
        });
        d.RsTxt->userClick();
        d.BitBtn2->userPress();
    });
    // Rs 3.066 from D 7 shows as 3.07 and is kept so.
    EXPECT_EQ(calc.RsTxt->text(), "3.07");
    EXPECT_EQ(calc.StokesRadius, 3.07);
    EXPECT_TRUE(calc.DiffusionEntered);
    EXPECT_FALSE(calc.StokesRadiusEntered);
    EXPECT_EQ(calc.RsTxt->color(), clYellow);
    EXPECT_EQ(calc.Diffusion, 7);
}

TEST_F(MuCalculator, EnteringEDirectlyMarksTheInputsUnused) {
    show<TMuCalculator>(calc, [&](TMuCalculator& d) {
        backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& ec) {
            EXPECT_FALSE(ec.ECalculated) << "opened from E for direct entry";
            EXPECT_EQ(ec.ETxt->color(), clLime);
            EXPECT_EQ(ec.CurrTxt->color(), clRed);
            type("0.2");
            ec.ETxt->userClick();
            ec.BitBtn2->userPress();
        });
        d.ETxt->userClick();
        d.BitBtn2->userPress();
    });
    EXPECT_FALSE(calc.ECalculated);
    EXPECT_EQ(calc.EField, 0.2);
    EXPECT_EQ(calc.ETxt->text(), "0.2") << "the E calculator's caption, as typed";
    EXPECT_EQ(calc.ETxt->color(), clLime);
    for (StaticText* f : {calc.CurrTxt, calc.CondTxt, calc.XTxt})
        EXPECT_EQ(f->color(), clRed) << f->name();
    EXPECT_EQ(calc.MuTxt->text(), "0.814");
    EXPECT_EQ(calc.CondTxt->text(), "19.20") << "left as shown";
}

TEST_F(MuCalculator, AnInputFieldOpensTheECalculatorInCalculateMode) {
    calc.ECalculated = false;
    show<TMuCalculator>(calc, [&](TMuCalculator& d) {
        backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& ec) {
            EXPECT_TRUE(ec.ECalculated);
            type("0.2");
            ec.CurrTxt->userClick();
            ec.BitBtn2->userPress();
        });
        d.CondTxt->userClick();
        d.BitBtn2->userPress();
    });
    EXPECT_TRUE(calc.ECalculated);
    EXPECT_EQ(calc.Current, 0.2);
    EXPECT_EQ(calc.CurrTxt->text(), "0.2");
    EXPECT_EQ(calc.CondTxt->text(), "19.20") << "as the E calculator showed it";
    EXPECT_EQ(calc.EField, 0.2 / (19.2 * 0.04));
    EXPECT_EQ(calc.ETxt->text(), "0.26");
    EXPECT_EQ(calc.ETxt->color(), clYellow);
    EXPECT_EQ(calc.CurrTxt->color(), clLime);
}

TEST_F(MuCalculator, CancelledSubCalculatorsChangeNothing) {
    show<TMuCalculator>(calc, [&](TMuCalculator& d) {
        backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& ec) {
            type("0.5");
            ec.ETxt->userClick();
            ec.BitBtn1->userPress();
        });
        d.ETxt->userClick();
        backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& dc) {
            type("5");
            dc.Rtxt->userClick();
            dc.BitBtn1->userPress();
        });
        d.RsTxt->userClick();
        cancelEntry();
        d.SigTxt->userClick();
        d.BitBtn2->userPress();
    });
    EXPECT_TRUE(calc.ECalculated);
    EXPECT_EQ(calc.EField, 0.123);
    EXPECT_EQ(calc.ETxt->text(), "0.123");
    EXPECT_EQ(calc.StokesRadius, 2.9);
    EXPECT_EQ(calc.RsTxt->text(), "2.9");
    EXPECT_EQ(calc.Diffusion, 7.4);
    EXPECT_EQ(calc.SigTxt->text(), "22");
    EXPECT_EQ(calc.MuTxt->text(), "1.324");
    EXPECT_EQ(calc.CurrTxt->color(), clLime);
}

// Any sequence of entries here and in the two sub-calculators, accepted or
// cancelled at either level, keeps one of Sigma and the mobility entered,
// shows the other one rounded as it is held, and colours every field by
// its role.
TEST_F(MuCalculator, RandomEntrySequencesKeepTheFieldsConsistent) {
    std::mt19937 rng(7122026);
    const std::regex derivedText(R"(^[0-9]+\.([0-9]|[0-9][1-9]|[0-9][0-9][1-9])$)");
    bool sigmaCalculated = calc.SigmaCalculated;
    show<TMuCalculator>(calc, [&](TMuCalculator& d) {
        for (int step = 0; step < 300; ++step) {
            const bool ok = rng() % 4 != 0;
            switch (rng() % 5) {
                case 0:
                    ok ? type(randomEntry(rng, 0, 300)) : cancelEntry();
                    d.SigTxt->userClick();
                    if (ok)
                        sigmaCalculated = false;
                    break;
                case 1:
                    ok ? type(randomEntry(rng, 0.0001, 100)) : cancelEntry();
                    d.MuTxt->userClick();
                    if (ok)
                        sigmaCalculated = true;
                    break;
                case 2:
                    ok ? type(randomEntry(rng, 0, 100)) : cancelEntry();
                    d.TTxt->userClick();
                    break;
                case 3: {
                    const bool inner = rng() % 4 != 0;
                    const std::string rs = randomEntry(rng, 0.1, 1000);
                    backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& dc) {
                        inner ? type(rs) : cancelEntry();
                        dc.Rtxt->userClick();
                        (ok ? dc.BitBtn2 : dc.BitBtn1)->userPress();
                    });
                    d.RsTxt->userClick();
                    break;
                }
                default: {
                    const bool direct = rng() % 2 == 0;
                    const std::string typed =
                        direct ? randomEntry(rng, 1e-5, 100) : randomEntry(rng, 1e-7, 100);
                    backend.expect<TEFieldCalculator>(
                        "TEFieldCalculator", [&](TEFieldCalculator& ec) {
                            type(typed);
                            (direct ? ec.ETxt : ec.CurrTxt)->userClick();
                            (ok ? ec.BitBtn2 : ec.BitBtn1)->userPress();
                        });
                    (direct ? d.ETxt : d.XTxt)->userClick();
                    break;
                }
            }

            ASSERT_NE(d.SigmaFromMobility, d.MobilityFromSigma);
            EXPECT_EQ(d.SigmaCalculated, sigmaCalculated);
            StaticText* derived = d.SigmaFromMobility ? d.SigTxt : d.MuTxt;
            StaticText* entered = d.SigmaFromMobility ? d.MuTxt : d.SigTxt;
            const double value = d.SigmaFromMobility ? d.Sigma : d.Mobility;
            EXPECT_TRUE(std::regex_match(derived->text(), derivedText)) << derived->text();
            EXPECT_EQ(value, platform::StrToFloat(derived->text()));
            EXPECT_EQ(derived->color(), clYellow);
            EXPECT_EQ(entered->color(), clLime);
            EXPECT_EQ(d.ETxt->color(), d.ECalculated ? clYellow : clLime);
            EXPECT_EQ(d.CurrTxt->color(), d.ECalculated ? clLime : clRed);
            EXPECT_EQ(d.RsTxt->color(), d.StokesRadiusEntered ? clLime : clYellow);
            EXPECT_EQ(d.StokesRadius, platform::StrToFloat(d.RsTxt->text()));
        }
        d.BitBtn2->userPress();
    });
    EXPECT_TRUE(backend.messages().empty());
}

}  // namespace
