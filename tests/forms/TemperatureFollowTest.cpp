// SPDX-License-Identifier: GPL-3.0-or-later

// The same entered values give the same window and log whatever the order in
// which the user enters them: D, f and Rs follow every change of the
// temperature, so that no calculation uses a stale diffusion coefficient.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "analysis/Uncertainty.h"
#include "forms/Dcalc.h"
#include "forms/Efield.h"
#include "forms/Enternumber.h"
#include "forms/Mainfrm.h"
#include "forms/Mucalc.h"
#include "forms/Report.h"
#include "forms/Solvent.h"
#include "platform/Application.h"
#include "platform/base/NumberText.h"
#include "platform/headless/Headless.h"

using forms::TDCalculator;
using forms::TEFieldCalculator;
using forms::TMuCalculator;
using forms::TNumberEntry;
using forms::TOpeningForm;
using model::FieldId;
using platform::headless::HeadlessBackend;

namespace {

enum class Hydro { StokesRadius, Diffusion, Friction };
enum class Measured { Sigma, Mobility, Z, Zstar };
enum class Field { Entered, Calculated };
// The viscosity typed, or water chosen in the solvent dialog; and where the
// temperature is typed.
enum class Solvent { Entered, Water };
enum class Place { MainWindow, MuCalculator, DCalculator };

// What a user sees at the end: every field's text and colour, the graph and
// the last log entry.
struct Seen {
    std::vector<std::string> texts;
    std::vector<platform::Color> colours;
    std::vector<platform::ChartPoint> points;
    std::vector<std::string> lastEntry;
    friend bool operator==(const Seen&, const Seen&) = default;
};

std::string describe(const Seen& s) {
    std::string out;
    for (int i = 0; i < model::kFieldCount; ++i)
        out += std::string(model::fieldName(static_cast<FieldId>(i))) + " " + s.texts[i] + "\n";
    for (std::size_t i = 0; i < s.lastEntry.size() && i < 8; ++i)
        out += s.lastEntry[i] + "\n";
    return out;
}

// A fresh program on the headless back end, entered through its windows as
// a user would: each step clicks a field and answers the dialogs it opens.
class Session {
  public:
    Session() {
        m_application.Initialize();
        m_application.CreateForm(forms::OpeningForm);
        m_application.CreateForm(forms::ReportFrm);
        m_application.Run();
    }
    ~Session() {
        forms::OpeningForm = nullptr;
        forms::ReportFrm = nullptr;
    }
    TOpeningForm& form() { return *forms::OpeningForm; }

    // Answers the next number entry: deletes the shown text, types, OK.
    void type(const std::string& typed) {
        m_backend.expect<TNumberEntry>("TNumberEntry", [typed](TNumberEntry& d) {
            platform::headless::clearByBackspace(*d.Value);
            platform::headless::typeText(*d.Value, typed);
            d.BitBtn1->userPress();
        });
    }
    void enter(platform::StaticText* field, const std::string& typed) {
        type(typed);
        field->userClick();
    }
    // Opens a calculator from the main window, clicks one of its fields with
    // the value typed, and accepts it.
    template <class Calculator>
    void throughCalculator(const char* className, platform::StaticText* opener,
                           platform::StaticText* Calculator::*field, const std::string& typed) {
        m_backend.expect<Calculator>(className, [&](Calculator& c) {
            type(typed);
            (c.*field)->userClick();
            c.BitBtn2->userPress();
        });
        opener->userClick();
    }
    void throughDCalculator(platform::StaticText* TDCalculator::*field, const std::string& typed) {
        throughCalculator("TDCalculator", form().RsTxt, field, typed);
    }
    void throughMuCalculator(platform::StaticText* TMuCalculator::*field,
                             const std::string& typed) {
        throughCalculator("TMuCalculator", form().MuTxt, field, typed);
    }
    void chooseWater() {
        m_backend.expect<forms::TSolventDialog>("TSolventDialog", [](forms::TSolventDialog& d) {
            d.ChoiceTxt->userClick();
            d.BitBtn2->userPress();
        });
        form().VTxt->userClick();
    }
    void throughEFieldCalculator(
        platform::StaticText* opener,
        std::vector<std::pair<platform::StaticText * TEFieldCalculator::*, std::string>> entries) {
        m_backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& c) {
            for (const auto& [field, typed] : entries) {
                type(typed);
                (c.*field)->userClick();
            }
            c.BitBtn2->userPress();
        });
        opener->userClick();
    }

    Seen seen() {
        Seen s;
        for (int i = 0; i < model::kFieldCount; ++i) {
            s.texts.push_back(form().field(static_cast<FieldId>(i))->text());
            s.colours.push_back(form().field(static_cast<FieldId>(i))->color());
        }
        s.points = form().Series1->points();
        const auto& paragraphs = forms::ReportFrm->document().paragraphs();
        std::size_t start = paragraphs.size();
        while (start > 0 && paragraphs[start - 1].text().rfind("-----", 0) != 0)
            --start;
        for (std::size_t i = start > 0 ? start - 1 : 0; i < paragraphs.size(); ++i)
            s.lastEntry.push_back(paragraphs[i].text());
        return s;
    }
    std::size_t scriptsLeft() const { return m_backend.pendingScripts(); }
    std::size_t messages() const { return m_backend.messages().size(); }

  private:
    HeadlessBackend m_backend;
    platform::Application m_application{m_backend};
};

using Step = std::function<void(Session&)>;

// One fixed set of values, as six steps a user can take in any order.
std::vector<Step> steps(Hydro hydro, Measured measured, Field field, Solvent solvent, Place place) {
    std::vector<Step> s;
    s.push_back([place](Session& u) {
        switch (place) {
            case Place::MainWindow:
                return u.enter(u.form().TTxt, "37");
            case Place::MuCalculator:
                return u.throughMuCalculator(&TMuCalculator::TTxt, "37");
            case Place::DCalculator:
                return u.throughDCalculator(&TDCalculator::Ttxt, "37");
        }
    });
    s.push_back([](Session& u) { u.enter(u.form().ITxt, "0.05"); });
    s.push_back([hydro](Session& u) {
        switch (hydro) {
            case Hydro::StokesRadius:
                return u.throughDCalculator(&TDCalculator::Rtxt, "3.1");
            case Hydro::Diffusion:
                return u.throughDCalculator(&TDCalculator::Dtxt, "6.25");
            case Hydro::Friction:
                return u.throughDCalculator(&TDCalculator::Ftxt, "6.3");
        }
    });
    if (solvent == Solvent::Water)
        s.push_back([](Session& u) { u.chooseWater(); });
    else
        s.push_back([](Session& u) { u.throughDCalculator(&TDCalculator::Vtxt, "0.69"); });
    s.push_back([field](Session& u) {
        if (field == Field::Entered)
            u.throughEFieldCalculator(u.form().ETxt, {{&TEFieldCalculator::ETxt, "0.2"}});
        else
            u.throughEFieldCalculator(u.form().CurrTxt, {{&TEFieldCalculator::CurrTxt, "0.25"},
                                                         {&TEFieldCalculator::CondTxt, "12.5"},
                                                         {&TEFieldCalculator::XTxt, "0.05"}});
    });
    s.push_back([measured](Session& u) {
        switch (measured) {
            case Measured::Sigma:
                return u.throughMuCalculator(&TMuCalculator::SigTxt, "25");
            case Measured::Mobility:
                return u.throughMuCalculator(&TMuCalculator::MuTxt, "1.8");
            case Measured::Z:
                return u.enter(u.form().ZTxt, "12");
            case Measured::Zstar:
                return u.enter(u.form().ZstarTxt, "3");
        }
    });
    return s;
}

struct Case {
    Hydro hydro;
    Measured measured;
    Field field;
    Solvent solvent = Solvent::Entered;
    Place place = Place::MainWindow;
};

class EntryOrder : public ::testing::TestWithParam<Case> {};

// State: start-up. Action: the six steps in each of their 720 orders, each
// on a fresh program. Expected: the same texts, colours, graph and last log
// entry every time.
TEST_P(EntryOrder, GivesTheSameWindowAndLogInEveryOrder) {
    const Case c = GetParam();
    const std::vector<Step> all = steps(c.hydro, c.measured, c.field, c.solvent, c.place);
    std::array<int, 6> order{0, 1, 2, 3, 4, 5};
    Seen first;
    int runs = 0;
    do {
        Session u;
        for (int i : order)
            all[i](u);
        ASSERT_EQ(u.scriptsLeft(), 0u);
        ASSERT_EQ(u.messages(), 0u);
        const Seen s = u.seen();
        if (runs++ == 0) {
            first = s;
            continue;
        }
        ASSERT_EQ(s, first) << "order " << order[0] << order[1] << order[2] << order[3] << order[4]
                            << order[5] << ":\n"
                            << describe(s) << "first order:\n"
                            << describe(first);
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(runs, 720);
}

std::vector<Case> allCases() {
    std::vector<Case> cases;
    for (Hydro h : {Hydro::StokesRadius, Hydro::Diffusion, Hydro::Friction})
        for (Measured m : {Measured::Sigma, Measured::Mobility, Measured::Z, Measured::Zstar})
            for (Field f : {Field::Entered, Field::Calculated})
                cases.push_back({h, m, f});
    // Water's viscosity and dielectric constant follow the temperature
    // wherever it is typed. (The mobility calculator makes Sigma the
    // entered quantity, so it changes the temperature only with a measured
    // mobility.)
    for (Hydro h : {Hydro::StokesRadius, Hydro::Friction})
        for (Place p : {Place::MainWindow, Place::MuCalculator, Place::DCalculator})
            cases.push_back({h, Measured::Mobility, Field::Calculated, Solvent::Water, p});
    cases.push_back({Hydro::Diffusion, Measured::Z, Field::Entered, Solvent::Water});
    return cases;
}

std::string caseName(const ::testing::TestParamInfo<Case>& info) {
    const char* hydro[] = {"StokesRadius", "Diffusion", "Friction"};
    const char* measured[] = {"Sigma", "Mobility", "Z", "Zstar"};
    const char* field[] = {"EEntered", "ECalculated"};
    const char* place[] = {"", "TInMuCalculator", "TInDCalculator"};
    return std::string(hydro[static_cast<int>(info.param.hydro)]) +
           measured[static_cast<int>(info.param.measured)] +
           field[static_cast<int>(info.param.field)] +
           (info.param.solvent == Solvent::Water ? "Water" : "") +
           place[static_cast<int>(info.param.place)];
}

INSTANTIATE_TEST_SUITE_P(Cases, EntryOrder, ::testing::ValuesIn(allCases()), caseName);

// A mobility of 1.8 entered at the start-up values, then the temperature
// changed to 37: the window shows what it shows when the temperature comes
// first, and passing through the D, f, Rs calculator keeps z.
TEST(TemperatureFollow, MobilityThenTemperatureMatchesTheOtherWay) {
    Seen temperatureFirst;
    {
        Session u;  // one program at a time: the windows are global
        u.enter(u.form().TTxt, "37");
        u.throughMuCalculator(&TMuCalculator::MuTxt, "1.8");
        temperatureFirst = u.seen();
    }
    Session u;
    u.throughMuCalculator(&TMuCalculator::MuTxt, "1.8");
    u.enter(u.form().TTxt, "37");
    EXPECT_EQ(u.form().ZTxt->text(), "22.87");
    EXPECT_EQ(u.form().SigTxt->text(), "28.279");
    EXPECT_EQ(u.form().Diffusion, 7.829);
    EXPECT_EQ(u.seen(), temperatureFirst);

    u.throughDCalculator(&TDCalculator::Vtxt, "1");
    EXPECT_EQ(u.form().ZTxt->text(), "22.87");
}

// With D entered the Stokes radius follows the temperature: the field and
// the log show the new one as they do after the calculator.
TEST(TemperatureFollow, StokesRadiusFollowsWhenDIsEntered) {
    Session u;
    u.throughDCalculator(&TDCalculator::Dtxt, "7.4");
    EXPECT_EQ(u.form().RsTxt->text(), "2.9");
    u.enter(u.form().TTxt, "37");
    EXPECT_EQ(u.form().RsTxt->text(), "3.07");
    EXPECT_EQ(u.form().StokesRadius, 3.07);
    EXPECT_EQ(u.form().Diffusion, 7.4);
    EXPECT_EQ(u.form().RsTxt->color(), platform::clYellow);
    EXPECT_NE(std::find(u.seen().lastEntry.begin(), u.seen().lastEntry.end(),
                        "  Using T = 37 C, I = 0.10 M, Rs = 3.07 nm, Ri = 0.127 nm, D = 78"),
              u.seen().lastEntry.end());
}

// A mobility of 2.1 at 0.05 M with a Stokes radius of 3.5 nm gives z = 29.29
// at 25 C with the entered 1 cP and 78. Water at 25 C (0.890 cP, 78.30)
// gives 26.04 and at 37 C 20.32, in the window and in the measurement the
// uncertainty propagates, where the temperature now carries the viscosity's
// share.
TEST(TemperatureFollow, WaterGivesItsViscosityAndDielectricConstantAtTheTemperature) {
    struct Case {
        bool water;
        const char* temperature;
        const char* z;
    };
    const Case cases[] = {{false, "25", "29.29"}, {true, "25", "26.04"}, {true, "37", "20.32"}};
    double sensitivityToT[2] = {};
    for (const Case& c : cases) {
        Session u;
        if (c.water)
            u.chooseWater();
        u.enter(u.form().TTxt, c.temperature);
        u.enter(u.form().ITxt, "0.05");
        u.throughDCalculator(&TDCalculator::Rtxt, "3.5");
        u.throughMuCalculator(&TMuCalculator::MuTxt, "2.1");
        EXPECT_EQ(u.form().ZTxt->text(), c.z) << c.temperature;
        EXPECT_EQ(u.form().VTxt->color(), c.water ? platform::clYellow : platform::clLime);

        const std::optional<analysis::Measurement> m = analysis::measurementOf(u.form());
        ASSERT_TRUE(m);
        EXPECT_EQ(platform::FormatFloat("###.00", analysis::evaluate(m->model, m->values).valence),
                  c.z);
        analysis::Uncertainties uncertainties{};
        uncertainties[static_cast<int>(analysis::input(model::Quantity::Temperature))].u = 0.1;
        for (const analysis::BudgetRow& row : analysis::gumBudget(*m, uncertainties).rows)
            if (row.input == analysis::input(model::Quantity::Temperature) &&
                c.temperature == std::string("25"))
                sensitivityToT[c.water] = std::abs(row.sensitivity);
    }
    EXPECT_GT(sensitivityToT[1], 5 * sensitivityToT[0]);
}

// Water chosen, then a dielectric constant typed in the solvent dialog: the
// solvent returns to entered values, water's viscosity kept as it was shown,
// and the log no longer names water.
TEST(TemperatureFollow, ATypedDielectricConstantReturnsToEnteredValues) {
    Session u;
    u.chooseWater();
    u.enter(u.form().TTxt, "25");
    u.throughCalculator("TSolventDialog", u.form().DTxt, &forms::TSolventDialog::DTxt, "70");
    EXPECT_FALSE(u.form().SolventWater);
    EXPECT_EQ(u.form().Viscosity, 0.89);
    EXPECT_EQ(u.form().VTxt->text(), "0.890");
    EXPECT_EQ(u.form().DTxt->text(), "70");
    EXPECT_EQ(u.form().VTxt->color(), platform::clLime);
    for (const std::string& line : u.seen().lastEntry)
        EXPECT_EQ(line.find("Solvent:"), std::string::npos) << line;
}

}  // namespace
