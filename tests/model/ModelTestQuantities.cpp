// SPDX-License-Identifier: GPL-3.0-or-later

// The table of quantities and the rules by which entries go into a sample.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "model/Caption.h"
#include "model/Quantities.h"
#include "model/Sample.h"

namespace {

using model::Quantity;

TEST(Quantities, EveryFieldShowsTheQuantityThatNamesIt) {
    for (int f = 0; f < model::kFieldCount; ++f) {
        const auto field = static_cast<model::FieldId>(f);
        EXPECT_EQ(model::quantityInfo(model::quantityOf(field)).field, field)
            << model::fieldName(field);
    }
}

TEST(Quantities, EntryRefusalsNameTheQuantityAndTheReason) {
    struct Case {
        Quantity quantity;
        const char* text;
        std::optional<std::string> error;
        double value;
    };
    const Case cases[] = {
        // The limits and the filter are pinned through quorvin-batch's rows;
        // here the value handed back, the range checked before truncation,
        // and a number too large for a double.
        {Quantity::Temperature, "25.5", std::nullopt, 25.5},
        {Quantity::Valence, "9999.5", "Valence = 9999.5 is not between -9999 and 9999", 0},
        {Quantity::Sigma, "1e999", "Sigma = 1e999: '1e999' is not a valid floating point value", 0},
    };
    for (const Case& c : cases) {
        double value = -1;
        EXPECT_EQ(model::entryError(c.quantity, c.text, &value), c.error) << c.text;
        if (!c.error) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(Quantities, UnitsSplitIntoPlainAndRaisedParts) {
    const auto parts = [](const char* unit) {
        std::string out;
        for (const model::UnitPart& p : model::unitParts(unit))
            out += p.raised ? "^(" + p.text + ")" : "[" + p.text + "]";
        return out;
    };
    EXPECT_EQ(parts("x10^{-4} cm^{-2}/V-s"), "[x10]^(-4)[ cm]^(-2)[/V-s]");
    EXPECT_EQ(parts("^{o}C"), "^(o)[C]");
    EXPECT_EQ(parts("nm"), "[nm]");
    EXPECT_EQ(parts(""), "");
}

// State: the start-up sample. Action: a Stokes radius with three decimals in
// the D, f, Rs calculator, then a new temperature. Expected: D follows the
// radius as typed, the window keeps the radius as it shows it, and the new
// temperature moves D but not the entered radius.
TEST(Sample, DerivedValuesAreKeptAsShownAndFollowTheTemperature) {
    model::Sample s = model::startUpSample();
    ASSERT_EQ(model::enterAll(s, {{Quantity::StokesRadius, "3.456"}}), std::nullopt);
    EXPECT_EQ(s.fields.text(model::FieldId::RsTxt), "3.46");
    EXPECT_EQ(s.state.StokesRadius, 3.46);
    EXPECT_EQ(s.state.Diffusion, 6.209);  // from 3.456 at 20 C and 1 cP; 3.46 gives 6.202
    model::Sample warmer = s;
    model::enterInMainWindow({warmer.state, warmer.fields}, Quantity::Temperature, "37", 37);
    EXPECT_EQ(warmer.state.StokesRadius, 3.46);
    EXPECT_EQ(warmer.fields.text(model::FieldId::TTxt), "37");
    EXPECT_GT(warmer.state.Diffusion, s.state.Diffusion);
}

// The caption of a figure names the entered quantity of each mode, with the
// values as the fields show them and water said where it was chosen.
TEST(Sample, CaptionNamesTheConditionsAndTheEnteredQuantity) {
    const struct {
        std::vector<model::Entry> entries;
        bool water;
        std::string ending;
    } cases[] = {
        {{}, false, "viscosity 1 cP, E = 0.123 V/cm, Sigma = 22.00 cm\u207b\u00b9 entered"},
        {{{Quantity::Mobility, "2.1"}},
         true,
         "viscosity 1.002 cP (water), E = 0.123 V/cm, "
         "mobility = 2.1 \u00d7 10\u207b\u2074 cm\u00b2/(V s) entered"},
        {{{Quantity::Valence, "-7"}}, false, "E = 0.123 V/cm, z = -7 entered"},
    };
    for (const auto& c : cases) {
        model::Sample s = model::startUpSample();
        ASSERT_EQ(model::enterAll(s, c.entries, c.water), std::nullopt);
        const std::string caption = model::conditionsCaption(s.state, s.fields);
        EXPECT_EQ(caption.rfind("T = 20.0 \u00b0C, I = 0.10 M, Rs = 2.90 nm, Ri = 0.127 nm, ", 0), 0u)
            << caption;
        EXPECT_TRUE(caption.ends_with(c.ending)) << caption;
    }
}

}  // namespace
