// SPDX-License-Identifier: GPL-3.0-or-later

// Editing the main window's parameters through the number entry dialog, on
// the headless back end: a click on a field, keys typed into the dialog, OK
// or Cancel, and what the window, the graph and the log show afterwards.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "forms/Enternumber.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/Solvent.h"
#include "platform/base/NumberText.h"
#include "tests/support/MainWindowSession.h"

using forms::NumberEntry;
using forms::OpeningForm;
using forms::TNumberEntry;
using forms::TOpeningForm;
using model::FieldId;
using platform::Color;
using platform::ModalResult;
using platform::headless::clearByBackspace;
using platform::headless::typeText;

namespace {

constexpr const char* kSeparator = "-------------------------------------------------------------";

// Everything a user can see or the program keeps: texts and colours of the
// fields, the graph, the log and the model state.
struct Snapshot {
    std::array<std::string, model::kFieldCount> texts;
    std::array<Color, model::kFieldCount> colours;
    std::vector<platform::ChartPoint> points;
    platform::RichDocument log;
    bool logUnsaved = false;
    model::ModelState state;
};

bool sameState(const model::ModelState& a, const model::ModelState& b) {
    using S = model::ModelState;
    constexpr double S::*doubles[] = {
        &S::Valence,      &S::EffectiveValence, &S::Temperature,     &S::IonicStrength,
        &S::StokesRadius, &S::SaltIonRadius,    &S::ClosestApproach, &S::InverseDebyeLength,
        &S::Ka,           &S::HenryFunction,    &S::Dielectric,      &S::GeMax,
        &S::EField,       &S::DhhSlope,         &S::Sigma,           &S::Mobility,
        &S::Conductivity, &S::Current,          &S::XSection,        &S::Friction,
        &S::Diffusion,    &S::Viscosity};
    constexpr bool S::*flags[] = {
        &S::ZCalculated,       &S::ZstarCalculated,   &S::SigmaCalculated,  &S::ECalculated,
        &S::MobilityFromSigma, &S::SigmaFromMobility, &S::DiffusionEntered, &S::StokesRadiusEntered,
        &S::FrictionEntered,   &S::SkipLogEntry};
    for (auto m : doubles) {
        if (a.*m != b.*m)
            return false;
    }
    for (auto m : flags) {
        if (a.*m != b.*m)
            return false;
    }
    return true;
}

class ParameterEditing : public testing_support::MainWindowSession {
  protected:
    void TearDown() override {
        MainWindowSession::TearDown();
        EXPECT_EQ(NumberEntry, nullptr) << "the dialog is deleted after its click";
    }
    TOpeningForm& form() { return *OpeningForm; }
    platform::StaticText& fieldOf(FieldId id) { return *form().field(id); }

    Snapshot snapshot() {
        Snapshot s;
        for (int i = 0; i < model::kFieldCount; ++i) {
            s.texts[i] = form().field(static_cast<FieldId>(i))->text();
            s.colours[i] = form().field(static_cast<FieldId>(i))->color();
        }
        s.points = form().Series1->points();
        s.log = forms::ReportFrm->document();
        s.logUnsaved = forms::ReportFrm->LogUnsaved;
        s.state = form();
        return s;
    }
    size_t logEntries() const {
        size_t n = 0;
        for (const auto& p : forms::ReportFrm->document().paragraphs())
            n += p.text() == kSeparator;
        return n;
    }
    std::vector<std::string> logLines() const {
        std::vector<std::string> lines;
        for (const auto& p : forms::ReportFrm->document().paragraphs())
            lines.push_back(p.text());
        return lines;
    }

    // Clicks the field and answers its number entry with script. The
    // dielectric constant is typed in the solvent dialog, which is left with
    // OK when the entry was accepted and with Cancel when not.
    void click(FieldId id, std::function<void(TNumberEntry&)> script) {
        if (id != FieldId::DTxt) {
            backend.expect<TNumberEntry>("TNumberEntry", std::move(script));
            fieldOf(id).userClick();
            return;
        }
        backend.expect<forms::TSolventDialog>(
            "TSolventDialog", [this, script](forms::TSolventDialog& d) {
                bool accepted = false;
                backend.expect<TNumberEntry>("TNumberEntry", [&](TNumberEntry& e) {
                    script(e);
                    accepted = e.modalResult() == ModalResult::Ok;
                });
                d.DTxt->userClick();
                (accepted ? d.BitBtn2 : d.BitBtn1)->userPress();
            });
        fieldOf(id).userClick();
    }

    // Clicks the field, replaces its text in the dialog by typed and presses
    // OK; the script checks that the dialog closed.
    void enter(FieldId id, const std::string& typed) {
        click(id, [typed](TNumberEntry& d) {
            clearByBackspace(*d.Value);
            typeText(*d.Value, typed);
            d.BitBtn1->userPress();
            EXPECT_NE(d.modalResult(), ModalResult::None) << typed << " was refused";
            if (d.modalResult() == ModalResult::None)
                d.BitBtn2->userPress();
        });
    }
};

TEST_F(ParameterEditing, RoadOfOneEvent) {
    ASSERT_EQ(form().ZTxt->text(), "17.13");
    backend.expect<TNumberEntry>("TNumberEntry", [this](TNumberEntry& d) {
        EXPECT_EQ(d.owner(), OpeningForm);
        EXPECT_EQ(NumberEntry, &d);
        EXPECT_EQ(d.HintTxt->text(), "Value between: -9999 and 9999");
        EXPECT_EQ(d.Value->text(), "17.13");
        EXPECT_FALSE(d.IntegerOnly);
        clearByBackspace(*d.Value);
        EXPECT_EQ(d.Value->text(), "");
        typeText(*d.Value, "10");
        d.BitBtn1->userPress();
    });
    form().ZTxt->userClick();

    const TOpeningForm& f = form();
    EXPECT_EQ(f.Valence, 10.0);
    EXPECT_FALSE(f.ZCalculated);
    EXPECT_TRUE(f.ZstarCalculated);
    EXPECT_TRUE(f.SigmaCalculated);
    const std::pair<platform::StaticText*, const char*> texts[] = {
        {f.ZTxt, "10"},     {f.ATxt, "3.027"},   {f.KTxt, "1.051E+07"}, {f.KaTxt, "3.183"},
        {f.HTxt, "1.1026"}, {f.DHHTxt, "0.264"}, {f.SigTxt, "12.84"},   {f.ZstarTxt, "2.64"},
        {f.MuTxt, "0.773"}, {f.WTxt, "8.313"},
    };
    for (const auto& [field, text] : texts)
        EXPECT_EQ(field->text(), text) << field->name();
    EXPECT_EQ(f.ZTxt->color(), platform::clLime);
    EXPECT_EQ(f.SigTxt->color(), platform::clYellow);
    EXPECT_EQ(f.ZstarTxt->color(), platform::clYellow);
    EXPECT_EQ(f.MuTxt->color(), platform::clYellow);

    const auto& points = f.Series1->points();
    ASSERT_EQ(points.size(), 21u);
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(points[i].x, i - 10);

    const std::vector<std::string> lines = logLines();
    ASSERT_EQ(lines.size(), 8u + 21u);
    EXPECT_EQ(lines[0], kSeparator);
    EXPECT_EQ(lines[1], "Sigma and Z* calculated from Z: 10");
    EXPECT_EQ(lines[3], "  Sigma = 12.84 cm^-1, Z* = 2.64 and Z = 10");
    EXPECT_EQ(lines[8].substr(0, 6), "   -10");
    EXPECT_EQ(lines.back().substr(0, 5), "   10");
    EXPECT_TRUE(forms::ReportFrm->LogUnsaved);
}

// Each field at its limits: the limits are accepted, just beyond is refused.
struct FieldLimits {
    FieldId id;
    const char* hint;
    const char* low;
    const char* high;
    const char* belowLow;
    const char* aboveHigh;
    double model::ModelState::*member;
};

const FieldLimits kLimits[] = {
    {FieldId::ZTxt, "Value between: -9999 and 9999", "-9999", "9999", "-10000", "10000",
     &model::ModelState::Valence},
    {FieldId::ZstarTxt, "Value between: -9999 and 9999", "-9999", "9999", "-9999.5", "10000",
     &model::ModelState::EffectiveValence},
    {FieldId::ITxt, "Value between: 0.0001 and 6.5", "0.0001", "6.5", "0.00009", "6.50001",
     &model::ModelState::IonicStrength},
    {FieldId::TTxt, "Value between: 0 and 100", "0", "100", "-0.001", "100.001",
     &model::ModelState::Temperature},
    {FieldId::RiTxt, "Value between: 0.05 and 10", "0.05", "10", "0.049", "10.001",
     &model::ModelState::SaltIonRadius},
    {FieldId::DTxt, "Value between: 1 and 100", "1", "100", "0.999", "100.001",
     &model::ModelState::Dielectric},
};

TEST_F(ParameterEditing, EachFieldAcceptsItsLimitsAndRefusesBeyond) {
    for (const FieldLimits& c : kLimits) {
        const std::string name = model::fieldName(c.id);
        for (const char* refusedText : {c.belowLow, c.aboveHigh}) {
            click(c.id, [&](TNumberEntry& d) {
                EXPECT_EQ(d.HintTxt->text(), c.hint) << name;
                clearByBackspace(*d.Value);
                typeText(*d.Value, refusedText);
                d.BitBtn1->userPress();
                EXPECT_EQ(d.modalResult(), ModalResult::None) << name << " " << refusedText;
                d.BitBtn2->userPress();
            });
        }
        for (const char* limit : {c.low, c.high}) {
            const size_t entries = logEntries();
            enter(c.id, limit);
            const double value = platform::StrToFloat(limit);
            // z* is recomputed from the z it gives, so only nearly.
            EXPECT_NEAR(form().*c.member, value, 1e-9 * std::abs(value)) << name << " " << limit;
            EXPECT_EQ(logEntries(), entries + 1) << name << ": one pass";
            if (c.id != FieldId::ZstarTxt) {
                EXPECT_EQ(fieldOf(c.id).text(), limit) << name << ": the text as typed";
            }
        }
    }
}

TEST_F(ParameterEditing, OtherFieldsKeepTheEntryModeAndTheirColours) {
    for (FieldId id : {FieldId::ITxt, FieldId::TTxt, FieldId::RiTxt, FieldId::DTxt}) {
        enter(id, "5");
        EXPECT_EQ(fieldOf(id).color(), platform::clLime) << model::fieldName(id);
        EXPECT_TRUE(form().ZCalculated);
        EXPECT_TRUE(form().ZstarCalculated);
        EXPECT_FALSE(form().SigmaCalculated);
        EXPECT_EQ(form().SigTxt->color(), platform::clLime);
    }
    // The pass sees the new value: the ionic strength changes K.
    const std::string k = form().KTxt->text();
    enter(FieldId::ITxt, "0.5");
    EXPECT_EQ(form().IonicStrength, 0.5);
    EXPECT_NE(form().KTxt->text(), k);
}

TEST_F(ParameterEditing, ValencesAreStoredAsWholeNumbersWithTheTextAsTyped) {
    struct Case {
        FieldId id;
        const char* typed;
        double stored;
    };
    const Case cases[] = {
        {FieldId::ZTxt, "10.7", 10},     {FieldId::ZTxt, "-3.9", -3},
        {FieldId::ZTxt, "1e3", 1000},    {FieldId::ZstarTxt, "22.7", 22},
        {FieldId::ZstarTxt, "-3.9", -3},
    };
    for (const Case& c : cases) {
        enter(c.id, c.typed);
        if (c.id == FieldId::ZTxt) {
            EXPECT_EQ(form().Valence, c.stored) << c.typed;
            EXPECT_EQ(form().ZTxt->text(), c.typed) << "the z mode leaves the z text alone";
            EXPECT_EQ(form().ZTxt->color(), platform::clLime);
        } else {
            EXPECT_NEAR(form().EffectiveValence, c.stored, 1e-9) << c.typed;
            EXPECT_NEAR(form().Valence * form().DhhSlope, c.stored, 1e-9) << c.typed;
            EXPECT_EQ(form().ZstarTxt->color(), platform::clLime);
            EXPECT_TRUE(form().ZCalculated);
            EXPECT_FALSE(form().ZstarCalculated);
            EXPECT_TRUE(form().SigmaCalculated);
        }
    }
}

TEST_F(ParameterEditing, EnteringZstarThreeDerivesZAndSigma) {
    enter(FieldId::ZstarTxt, "3");
    EXPECT_EQ(form().ZstarTxt->text(), "3.00");
    EXPECT_EQ(form().ZTxt->text(), "11.38");
    EXPECT_EQ(form().SigTxt->text(), "14.62");
    EXPECT_EQ(logLines()[1], "Sigma and Z calculated from Z*: 3.00");
}

TEST_F(ParameterEditing, OkOnAnUntouchedZFieldStoresItsWholePart) {
    ASSERT_EQ(form().ZTxt->text(), "17.13");
    backend.expect<TNumberEntry>("TNumberEntry",
                                 [](TNumberEntry& d) { d.userDialogKey(platform::VK_RETURN); });
    form().ZTxt->userClick();
    EXPECT_EQ(form().Valence, 17.0);
    EXPECT_EQ(form().ZTxt->text(), "17.13");
    EXPECT_FALSE(form().ZCalculated);
    EXPECT_TRUE(form().SigmaCalculated);
    EXPECT_EQ(form().ZTxt->color(), platform::clLime);
    EXPECT_EQ(form().Series1->points().size(), 35u);
    EXPECT_EQ(logLines()[1], "Sigma and Z* calculated from Z: 17.13");
}

TEST_F(ParameterEditing, CancelLeavesEverythingAsItWas) {
    // State: one accepted edit, so that the log holds an entry. Action: on
    // each field, type and cancel, or fail a conversion and escape.
    enter(FieldId::TTxt, "25");
    const Snapshot before = snapshot();
    for (const FieldLimits& c : kLimits) {
        click(c.id, [](TNumberEntry& d) {
            typeText(*d.Value, "5");
            d.BitBtn2->userPress();
        });
        click(c.id, [this](TNumberEntry& d) {
            clearByBackspace(*d.Value);
            d.BitBtn1->userPress();
            EXPECT_EQ(backend.takeMessages().size(), 1u);
            d.userDialogKey(platform::VK_ESCAPE);
        });
        const Snapshot after = snapshot();
        const std::string name = model::fieldName(c.id);
        EXPECT_EQ(after.texts, before.texts) << name;
        EXPECT_EQ(after.colours, before.colours) << name;
        EXPECT_EQ(after.points, before.points) << name;
        EXPECT_TRUE(after.log == before.log) << name;
        EXPECT_EQ(after.logUnsaved, before.logUnsaved) << name;
        EXPECT_TRUE(sameState(after.state, before.state)) << name;
    }
    // Each click on the dielectric constant opens the solvent dialog too.
    EXPECT_EQ(backend.dialogHistory().size(), 1u + 2 * std::size(kLimits) + 2);
}

TEST_F(ParameterEditing, ResultFieldsOpenNoDialog) {
    const Snapshot before = snapshot();
    for (FieldId id : {FieldId::ATxt, FieldId::KTxt, FieldId::KaTxt, FieldId::HTxt, FieldId::DHHTxt,
                       FieldId::WTxt})
        fieldOf(id).userClick();
    EXPECT_TRUE(backend.dialogHistory().empty());
    EXPECT_TRUE(snapshot().log == before.log);
}

}  // namespace
