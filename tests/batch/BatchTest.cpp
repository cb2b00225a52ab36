// SPDX-License-Identifier: GPL-3.0-or-later

// The batch program: each row gives what the window shows for the same
// entries, refused values become row errors, malformed files stop the run,
// and output files are replaced only by a run that succeeds.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "batch/Batch.h"
#include "forms/Dcalc.h"
#include "forms/Efield.h"
#include "forms/Enternumber.h"
#include "forms/Mainfrm.h"
#include "forms/Mucalc.h"
#include "forms/Report.h"
#include "forms/Solvent.h"
#include "model/Quantities.h"
#include "platform/Application.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Csv.h"
#include "platform/base/Exception.h"
#include "platform/headless/Headless.h"
#include "platform/richtext/Rtf.h"
#include "series/Series.h"
#include "tests/support/Files.h"

namespace fs = std::filesystem;
using model::Quantity;
using Entries = std::map<Quantity, std::string>;
using testing_support::readFile;
using testing_support::TempFolder;

namespace {

batch::Sample sampleOf(const Entries& entries) {
    batch::Sample s;
    for (const auto& [c, text] : entries)
        s[c] = text;
    return s;
}

struct Shown {
    std::vector<std::string> texts;
    std::vector<std::string> lastEntry;
};

// The window driven the way the tests of the windows drive it: a click on
// each field, the value typed into each dialog, OK.
Shown driveWindow(const Entries& e) {
    using namespace forms;
    platform::headless::HeadlessBackend backend;
    Shown shown;
    {
        platform::Application application(backend);
        application.CreateForm(OpeningForm);
        application.CreateForm(ReportFrm);
        application.Run();
        TOpeningForm& form = *OpeningForm;
        const auto type = [&](Quantity c) {
            const std::string text = e.at(c);
            backend.expect<TNumberEntry>("TNumberEntry", [text](TNumberEntry& d) {
                platform::headless::clearByBackspace(*d.Value);
                platform::headless::typeText(*d.Value, text);
                d.BitBtn1->userPress();
            });
        };
        const auto has = [&](Quantity c) { return e.count(c) > 0; };
        if (has(Quantity::Dielectric)) {
            backend.expect<forms::TSolventDialog>("TSolventDialog", [&](forms::TSolventDialog& d) {
                type(Quantity::Dielectric);
                d.DTxt->userClick();
                d.BitBtn2->userPress();
            });
            form.DTxt->userClick();
        }
        const std::pair<Quantity, platform::StaticText*> first[] = {
            {Quantity::IonicStrength, form.ITxt},
            {Quantity::SaltIonRadius, form.RiTxt},
            {Quantity::Temperature, form.TTxt},
        };
        for (const auto& [c, field] : first) {
            if (has(c)) {
                type(c);
                field->userClick();
            }
        }
        if (has(Quantity::StokesRadius) || has(Quantity::Viscosity)) {
            backend.expect<TDCalculator>("TDCalculator", [&](TDCalculator& calc) {
                if (has(Quantity::StokesRadius)) {
                    type(Quantity::StokesRadius);
                    calc.Rtxt->userClick();
                }
                if (has(Quantity::Viscosity)) {
                    type(Quantity::Viscosity);
                    calc.Vtxt->userClick();
                }
                calc.BitBtn2->userPress();
            });
            form.RsTxt->userClick();
        }
        if (has(Quantity::EField)) {
            backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& calc) {
                type(Quantity::EField);
                calc.ETxt->userClick();
                calc.BitBtn2->userPress();
            });
            form.ETxt->userClick();
        } else if (has(Quantity::Current)) {
            backend.expect<TEFieldCalculator>("TEFieldCalculator", [&](TEFieldCalculator& calc) {
                type(Quantity::Current);
                calc.CurrTxt->userClick();
                type(Quantity::Conductivity);
                calc.CondTxt->userClick();
                type(Quantity::XSection);
                calc.XTxt->userClick();
                calc.BitBtn2->userPress();
            });
            form.CondTxt->userClick();
        }
        for (Quantity c : {Quantity::Sigma, Quantity::Mobility}) {
            if (!has(c))
                continue;
            backend.expect<TMuCalculator>("TMuCalculator", [&, c](TMuCalculator& calc) {
                type(c);
                (c == Quantity::Sigma ? calc.SigTxt : calc.MuTxt)->userClick();
                calc.BitBtn2->userPress();
            });
            form.MuTxt->userClick();
        }
        if (has(Quantity::Valence)) {
            type(Quantity::Valence);
            form.ZTxt->userClick();
        }
        if (has(Quantity::EffectiveValence)) {
            type(Quantity::EffectiveValence);
            form.ZstarTxt->userClick();
        }
        EXPECT_EQ(backend.pendingScripts(), 0u);
        EXPECT_TRUE(backend.messages().empty());
        for (const batch::ResultColumn& r : batch::kResultColumns)
            shown.texts.push_back(form.field(r.field)->text());
        const auto& lines = ReportFrm->document().paragraphs();
        std::size_t start = lines.size();
        while (start > 0 && lines[start - 1].text().rfind("-----", 0) != 0)
            --start;
        for (std::size_t i = start == 0 ? lines.size() : start - 1; i < lines.size(); ++i)
            shown.lastEntry.push_back(lines[i].text());
    }
    forms::OpeningForm = nullptr;
    forms::ReportFrm = nullptr;
    return shown;
}

void expectSameAsWindow(const Entries& e, const std::string& what) {
    const batch::Outcome outcome = batch::runSample(sampleOf(e));
    ASSERT_TRUE(outcome.ok()) << what << ": " << outcome.error;
    const Shown shown = driveWindow(e);
    EXPECT_EQ(std::vector<std::string>(outcome.texts.begin(), outcome.texts.end()), shown.texts)
        << what;
    EXPECT_EQ(outcome.lastEntry, shown.lastEntry) << what;
}

std::string textOf(const batch::Outcome& o, model::FieldId id) {
    for (std::size_t i = 0; i < batch::kResultColumns.size(); ++i)
        if (batch::kResultColumns[i].field == id)
            return o.texts[i];
    return "?";
}

// ------------------------------------------------------------ entry paths

TEST(BatchRow, EveryEntryPathShowsWhatTheWindowShows) {
    const std::pair<const char*, Entries> cases[] = {
        {"dielectric", {{Quantity::Dielectric, "70"}}},
        {"ionic strength", {{Quantity::IonicStrength, "0.0500"}}},
        {"salt ion radius", {{Quantity::SaltIonRadius, "0.2"}}},
        {"temperature", {{Quantity::Temperature, "37"}}},
        {"Stokes radius rounded to two decimals", {{Quantity::StokesRadius, "2.456"}}},
        {"viscosity alone", {{Quantity::Viscosity, "0.89"}}},
        {"Stokes radius and viscosity",
         {{Quantity::StokesRadius, "3.5"}, {Quantity::Viscosity, "1.2"}}},
        {"E entered", {{Quantity::EField, "0.2"}}},
        {"E calculated",
         {{Quantity::Current, "0.25"},
          {Quantity::Conductivity, "12.5"},
          {Quantity::XSection, "0.05"}}},
        {"Sigma", {{Quantity::Sigma, "30"}}},
        {"mobility, all three valence flags", {{Quantity::Mobility, "1.5"}}},
        {"z as typed 10.7", {{Quantity::Valence, "10.7"}}},
        {"z* as typed -3.9", {{Quantity::EffectiveValence, "-3.9"}}},
        {"exponent", {{Quantity::IonicStrength, "1e-2"}}},
        {"everything",
         {{Quantity::Dielectric, "80"},
          {Quantity::IonicStrength, "0.15"},
          {Quantity::SaltIonRadius, "0.1"},
          {Quantity::Temperature, "25"},
          {Quantity::StokesRadius, "4.1"},
          {Quantity::Viscosity, "0.9"},
          {Quantity::Current, "0.3"},
          {Quantity::Conductivity, "15"},
          {Quantity::XSection, "0.04"},
          {Quantity::Mobility, "2.2"}}},
    };
    for (const auto& [what, entries] : cases)
        expectSameAsWindow(entries, what);
}

TEST(BatchRow, ValenceTenGivesTheKnownResults) {
    const batch::Outcome o = batch::runSample(sampleOf({{Quantity::Valence, "10"}}));
    ASSERT_TRUE(o.ok()) << o.error;
    using model::FieldId;
    EXPECT_EQ(textOf(o, FieldId::ATxt), "3.027");
    EXPECT_EQ(textOf(o, FieldId::KTxt), "1.051E+07");
    EXPECT_EQ(textOf(o, FieldId::KaTxt), "3.183");
    EXPECT_EQ(textOf(o, FieldId::HTxt), "1.1026");
    EXPECT_EQ(textOf(o, FieldId::SigTxt), "12.84");
    EXPECT_EQ(textOf(o, FieldId::ZstarTxt), "2.64");
    EXPECT_EQ(textOf(o, FieldId::MuTxt), "0.773");
    EXPECT_EQ(textOf(o, FieldId::ZTxt), "10");
    EXPECT_EQ(textOf(o, FieldId::WTxt), "8.313");
    ASSERT_GE(o.lastEntry.size(), 3u);
    EXPECT_EQ(o.lastEntry[1], "Sigma and Z* calculated from Z: 10");
    EXPECT_EQ(o.lastEntry.size(), 8u + 21u) << "seven lines, the header and z = -10 ... 10";
}

TEST(BatchRow, NoEntriesShowTheStartUpTextsAndWriteNoEntry) {
    const batch::Outcome o = batch::runSample(batch::Sample{});
    ASSERT_TRUE(o.ok());
    EXPECT_EQ(textOf(o, model::FieldId::ZTxt), "17.13");
    EXPECT_TRUE(o.lastEntry.empty());
}

TEST(BatchRow, RandomRowsShowWhatTheWindowShows) {
    std::mt19937 rng(20261207);
    const auto pick = [&](double lo, double hi, int decimals) {
        std::uniform_real_distribution<double> d(lo, hi);
        std::ostringstream s;
        s.setf(std::ios::fixed);
        s.precision(decimals);
        s << d(rng);
        return s.str();
    };
    const auto coin = [&] { return std::uniform_int_distribution<int>(0, 1)(rng) == 1; };
    for (int row = 0; row < 2000; ++row) {
        Entries e;
        if (coin())
            e[Quantity::Dielectric] = pick(2, 100, 1);
        if (coin())
            e[Quantity::IonicStrength] = pick(0.001, 2, 4);
        if (coin())
            e[Quantity::SaltIonRadius] = pick(0.05, 1, 3);
        if (coin())
            e[Quantity::Temperature] = pick(0, 100, 1);
        if (coin())
            e[Quantity::StokesRadius] = pick(0.5, 20, 3);
        if (coin())
            e[Quantity::Viscosity] = pick(0.3, 3, 3);
        switch (std::uniform_int_distribution<int>(0, 2)(rng)) {
            case 1:
                e[Quantity::EField] = pick(0.01, 5, 3);
                break;
            case 2:
                e[Quantity::Current] = pick(0.01, 2, 3);
                e[Quantity::Conductivity] = pick(1, 100, 2);
                e[Quantity::XSection] = pick(0.01, 1, 2);
                break;
        }
        switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
            case 1:
                e[Quantity::Sigma] = pick(0, 300, 3);
                break;
            case 2:
                e[Quantity::Mobility] = pick(0.0001, 10, 4);
                break;
            case 3:
                e[Quantity::Valence] = pick(-200, 200, 1);
                break;
            case 4:
                e[Quantity::EffectiveValence] = pick(-100, 100, 1);
                break;
        }
        expectSameAsWindow(e, "row " + std::to_string(row));
        if (testing::Test::HasFailure())
            break;
    }
}

// ------------------------------------------------------------ refused values

TEST(BatchRow, AValueOutsideItsDialogsLimitsIsTheRowsError) {
    const std::pair<Entries, const char*> cases[] = {
        {{{Quantity::Temperature, "101"}}, "Temperature = 101 is not between 0 and 100"},
        {{{Quantity::IonicStrength, "0.00009"}},
         "IonicStrength = 0.00009 is not between 0.0001 and 6.5"},
        {{{Quantity::Dielectric, "0.5"}}, "Dielectric = 0.5 is not between 1 and 100"},
        {{{Quantity::SaltIonRadius, "11"}}, "SaltIonRadius = 11 is not between 0.05 and 10"},
        {{{Quantity::StokesRadius, "0.05"}}, "StokesRadius = 0.05 is not between 0.1 and 1000"},
        {{{Quantity::StokesRadius, "3"}, {Quantity::Viscosity, "11"}},
         "Viscosity = 11 is not between 0.001 and 10"},
        {{{Quantity::EField, "0"}}, "EField = 0 is not between 1E-5 and 100"},
        {{{Quantity::Current, "200"}, {Quantity::Conductivity, "10"}, {Quantity::XSection, "0.04"}},
         "Current = 200 is not between 1E-7 and 100"},
        {{{Quantity::Current, "0.2"}, {Quantity::Conductivity, "10"}, {Quantity::XSection, "2"}},
         "XSection = 2 is not between 0.01 and 1"},
        {{{Quantity::Sigma, "301"}}, "Sigma = 301 is not between 0 and 300"},
        {{{Quantity::Mobility, "0.00001"}}, "Mobility = 0.00001 is not between 0.0001 and 100"},
        {{{Quantity::Valence, "10000"}}, "Valence = 10000 is not between -9999 and 9999"},
        {{{Quantity::EffectiveValence, "-1e5"}},
         "EffectiveValence = -1e5 is not between -9999 and 9999"},
        {{{Quantity::Valence, "5-"}}, "Valence = 5- cannot be typed as a number"},
        // The first refusal in the window's order of entry ends the row.
        {{{Quantity::Sigma, "301"}, {Quantity::Dielectric, "0.5"}},
         "Dielectric = 0.5 is not between 1 and 100"},
    };
    for (const auto& [entries, message] : cases) {
        const batch::Outcome o = batch::runSample(sampleOf(entries));
        EXPECT_EQ(o.error, message);
        EXPECT_TRUE(o.lastEntry.empty() || !o.ok());
        for (const std::string& t : o.texts)
            EXPECT_EQ(t, "") << message << ": no result is shown for a refused row";
    }
}

TEST(BatchRow, TheLimitsThemselvesAreAccepted) {
    const Entries cases[] = {
        {{Quantity::Valence, "-9999"}},
        {{Quantity::Valence, "9999"}},
        {{Quantity::IonicStrength, "0.0001"}},
        {{Quantity::Temperature, "0"}},
        {{Quantity::Sigma, "0"}},
    };
    for (const Entries& e : cases)
        EXPECT_TRUE(batch::runSample(sampleOf(e)).ok()) << e.begin()->second;
}

// ------------------------------------------------------------ whole files

struct CsvRun {
    std::string output;
    std::vector<std::string> log;
    batch::BatchSummary summary;
};

CsvRun runCsv(const std::string& csv, const fs::path& datDir = {}) {
    std::istringstream in(csv);
    CsvRun r;
    batch::BatchOutput out;
    out.write = [&](std::string_view d) { r.output.append(d); };
    out.logLine = [&](const std::string& line) { r.log.push_back(line); };
    out.datDir = datDir;
    r.summary = batch::runBatch(in, out);
    return r;
}

std::vector<std::string> records(const std::string& output) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = output.find("\r\n", from)) != std::string::npos; from = at + 2)
        lines.push_back(output.substr(from, at - from));
    EXPECT_EQ(from, output.size()) << "every record ends with CR LF";
    return lines;
}

TEST(BatchFile, WritesOneRowPerInputRowAndTheOtherRowsGoOnAfterAnError) {
    const CsvRun r = runCsv(
        "Sample,IonicStrength,Temperature,Mobility\n"
        "\"NaCl, 0.01 M\",0.01,25,2.10\n"
        "too salty,7,25,1.5\n"
        "NaCl 0.10 M, 0.10 ,25,\n");
    const std::vector<std::string> lines = records(r.output);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(
        lines[0],
        "Sample,IonicStrength,Temperature,Mobility,ClosestApproach,InverseDebyeLength,Ka,"
        "HenryFunction,DhhSlope,EFieldResult,SigmaResult,MobilityResult,EffectiveValenceResult,"
        "ValenceResult,GeMax,ViscosityResult,DielectricResult,ZetaResult,Error");
    EXPECT_EQ(lines[1].rfind("\"NaCl, 0.01 M\",0.01,25,2.10,3.027,3.297E+06,0.998,", 0), 0u)
        << lines[1];
    EXPECT_EQ(lines[1].back(), ',') << "no error";
    EXPECT_EQ(lines[2],
              "too salty,7,25,1.5,,,,,,,,,,,,,,,IonicStrength = 7 is not between 0.0001 and 6.5");
    EXPECT_EQ(lines[3],
              "NaCl 0.10 M,\" 0.10 \",25,,,,,,,,,,,,,,,,\"the row gives none of Sigma, Mobility, "
              "Valence, EffectiveValence and Zeta, and is not calculated from the start-up Sigma "
              "22.00\"")
        << "the empty mobility is not replaced by the start-up Sigma";
    EXPECT_EQ(r.summary.rows, 3u);
    EXPECT_EQ(r.summary.failedRows, 2u);

    // The log holds the last entry of each calculated row, here the first.
    const Shown first = driveWindow({{Quantity::IonicStrength, "0.01"},
                                     {Quantity::Temperature, "25"},
                                     {Quantity::Mobility, "2.10"}});
    EXPECT_EQ(r.log, first.lastEntry);
}

TEST(BatchFile, ColumnNamesIgnoreCaseAndLineEndsMayBeCrLfOrCr) {
    for (const char* csv : {"valence,SAMPLE\r\n10,a\r\n", "Valence,Sample\r10,a\r",
                            "\xEF\xBB\xBFValence,Sample\n\n10,a\n\n"}) {
        const CsvRun r = runCsv(csv);
        const std::vector<std::string> lines = records(r.output);
        ASSERT_EQ(lines.size(), 2u) << csv;
        EXPECT_EQ(lines[1].rfind("a,10,3.027,1.051E+07,3.183,1.1026,", 0), 0u) << lines[1];
    }
}

// The conditions and the columns the program does not know come after
// Sample as they came; a semicolon file with decimal commas is answered in
// kind; a unit may follow a name; a negative mobility gives a negative z.
TEST(BatchFile, PassesColumnsThroughInTheFilesDialect) {
    const std::string results = "3.627,7.372E+06,2.674,1.0846,0.295,0.123,";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"Sample,pH,IonicStrength (M),Temperature,StokesRadius,Mobility,Notes\n"
         "a,7.4,0.050,25,3.5,1.31,\"x, y\"\n"
         "b,7.4,0.050,25,3.5,-1.31,\n",
         {"Sample,pH,IonicStrength (M),Temperature,StokesRadius,Mobility,Notes,ClosestApproach,",
          "a,7.4,0.050,25,3.5,1.31,\"x, y\"," + results +
              "25.839,1.31,5.39,18.27,25.262,1,78,28.65,",
          "b,7.4,0.050,25,3.5,-1.31,," + results +
              "-25.839,-1.31,-5.39,-18.27,25.262,1,78,-28.65,"}},
        {"Sample;pH;IonicStrength;Temperature;StokesRadius;Mobility\n"
         "a;7,4;0,050;25;3,5;-1,31\n",
         {"Sample;pH;IonicStrength;Temperature;StokesRadius;Mobility;ClosestApproach;",
          "a;7,4;0,050;25;3,5;-1,31;3,627;7,372E+06;2,674;1,0846;0,295;0,123;-25,839;-1,31;-5,39;"
          "-18,27;25,262;1;78;-28,65;"}},
    };
    for (const auto& [csv, expected] : cases) {
        const std::vector<std::string> lines = records(runCsv(csv).output);
        ASSERT_EQ(lines.size(), expected.size()) << csv;
        EXPECT_EQ(lines[0].rfind(expected[0], 0), 0u) << lines[0];
        for (std::size_t i = 1; i < lines.size(); ++i)
            EXPECT_EQ(lines[i], expected[i]);
    }
}

// Water's viscosity and dielectric constant at each row's temperature, the
// viscosity times the relative viscosity; the values each row used close
// the results; a row that gives its own solvent value with water is refused.
TEST(BatchFile, SolventWaterFollowsEachRowsTemperature) {
    const CsvRun r = runCsv(
        "Sample,Temperature,IonicStrength,StokesRadius,Mobility,Solvent,RelativeViscosity,"
        "Viscosity,Dielectric\n"
        "entered,25,0.05,3.5,2.1,,,,\n"
        "water,25,0.05,3.5,2.1,Water,,,\n"
        "warm,37,0.05,3.5,2.1,water,,,\n"
        "buffer,25,0.05,3.5,2.1,water,1.1,,\n"
        "both,25,0.05,3.5,2.1,water,,0.9,\n"
        "glycerol,25,0.05,3.5,2.1,glycerol,,,\n"
        "alone,25,0.05,3.5,2.1,,1.1,,\n");
    const std::vector<std::string> lines = records(r.output);
    ASSERT_EQ(lines.size(), 8u);
    const std::string tail[] = {
        "29.29,64.917,1,78,45.93,",
        "26.04,51.154,0.890,78.30,40.72,",
        "20.32,32.748,0.691,74.15,33.40,",
        "28.64,61.895,0.979,78.30,44.79,",  // z grows with the viscosity: 26.04 x 1.1
        ",,,,\"Viscosity cannot be given with Solvent water, whose viscosity follows the "
        "temperature\"",
        ",,,,\"Solvent = \"\"glycerol\"\" is not water\"",
        ",,,,RelativeViscosity needs Solvent water",
    };
    for (std::size_t i = 0; i < std::size(tail); ++i) {
        const std::string& line = lines[i + 1];
        EXPECT_EQ(line.substr(line.size() - std::min(line.size(), tail[i].size())), tail[i])
            << line;
    }
}

// Every column, a word or a quantity of the table, is found by its name in
// any case, and only by it.
TEST(BatchFile, EveryColumnIsFoundByItsName) {
    for (const batch::Column c : batch::columns()) {
        std::string lower = batch::columnName(c);
        for (char& ch : lower)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        EXPECT_EQ(batch::columnByName(lower), c) << lower;
    }
    EXPECT_EQ(batch::columns().front(), batch::Column::Sample);
    EXPECT_EQ(batch::columns().back(), batch::Column::ZetaModel);
    EXPECT_FALSE(batch::columnByName("Diffusion"));
}

TEST(BatchFile, MalformedInputNamesTheLineAndColumn) {
    const std::string longName(100, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"", "line 1: the input is empty"},
        {"Valence,IonicStrength (mg)\n1,2\n",
         "line 1, column 2: the column IonicStrength is in M, not \"mg\""},
        {"Temperature,Sample\n",
         "line 1: the file has none of the columns Sigma, Mobility, "
         "Valence, EffectiveValence and Zeta"},
        {"Valence,MobilitySD\n",
         "line 1, column 2: the column \"MobilitySD\" gives the "
         "uncertainty of Mobility, which the file does not hold"},
        {"Valence,Mobilty\n", "line 1, column 2: the column \"Mobilty\" is not a column"},
        {"Sample (text),Valence\n", "line 1, column 1: the column Sample has no unit"},
        {"Valence,valence\n", "line 1, column 2: the column \"valence\" appears twice"},
        {"Sigma,Valence\n", "line 1: the columns Sigma and Valence cannot both be given"},
        {"Mobility,EffectiveValence\n", "line 1: the columns Mobility and EffectiveValence"},
        {"EField,Current,Conductivity,XSection\n", "line 1: give either EField or Current"},
        {"Current,XSection\n", "give all three columns"},
        {"Sample,Valence\na,1\nb\n", "line 3: 1 fields, but the header has 2"},
        {"Sample,Valence\na,x1\n", "line 2, column 2 (Valence): \"x1\" is not a number"},
        {"Sample,Valence\na,1e999\n", "line 2, column 2 (Valence): \"1e999\" is not a number"},
        {"Sample,Valence\n\"a\"b,1\n", "line 2, column 1: text after the closing quote"},
        {"Sample,Valence\na\"b,1\n", "line 2, column 1: a quote inside a field"},
        {"Sample,Valence\n1,2\n\"open,1\n\n", "line 3, column 1: the quoted field is not closed"},
        {"Sample,Valence\n\"two\nlines\",1\nc,x\n", "line 4, column 2 (Valence)"},
        // What the file says reaches the terminal as escapes, never as bytes.
        {"Valence,\"Sigma (\x1b]0;x\x07\nA\\)\"\n", "not \"\\x1b]0;x\\x07\\nA\\\\\""},
        {"Sample,Valence\na,\xff\xc2\x9b\xc3\xa9\n",
         ": \"\\xff\\xc2\\x9b\xc3\xa9\" is not a number"},
        {"Valence,Sigma (" + longName + ")\n", "\"" + longName.substr(0, 80) + "...\""},
    };
    for (const auto& [csv, message] : cases) {
        try {
            runCsv(csv);
            ADD_FAILURE() << "accepted: " << csv;
        } catch (const batch::InputError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos)
                << e.what() << "\nexpected: " << message;
        }
    }
}

TEST(BatchFile, DatFilesHoldWhatTheWindowExports) {
    const TempFolder temp("quorvin-batch-dat");
    const fs::path& dir = temp.path();
    const CsvRun r = runCsv("Sample,Valence\n\"z/3 \"\"x\"\"\",3\nbad,1e6\n,-2\n", dir);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"1-z_3__x_.DAT", "3.DAT"}))
        << "no file for the refused row";
    const std::string dat = readFile(dir / "1-z_3__x_.DAT");
    EXPECT_EQ(dat.substr(0, dat.find("\r\n") + 2), "-3 7.482E-01\r\n") << "Ge(3) = Ge(10) x 9/100";
    EXPECT_EQ(std::count(dat.begin(), dat.end(), '\n'), 7);
}

TEST(BatchFile, CsvFieldsQuoteOnlyWhatNeedsIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"plain", "plain"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {" pad", "\" pad\""},
        {"", ""},
    };
    for (const auto& [text, field] : cases) {
        EXPECT_EQ(platform::csvField(text), field);
        std::istringstream in(platform::csvField(text) + ",x\r\n");
        platform::CsvReader reader(in);
        platform::CsvRecord rec;
        ASSERT_TRUE(reader.next(rec));
        EXPECT_EQ(rec.fields, (std::vector<std::string>{text, "x"}));
    }
}

// ------------------------------------------------------------ the program

#ifdef QUORVIN_BATCH_EXE
class BatchProgram : public ::testing::Test {
  protected:
    fs::path file(const std::string& name, const std::string& text) const {
        std::ofstream(m_dir / name, std::ios::binary) << text;
        return m_dir / name;
    }
    std::string read(const std::string& name) const { return readFile(m_dir / name); }
    int run(const std::string& arguments) const {
        const std::string command = std::string("'") + QUORVIN_BATCH_EXE + "' " + arguments +
                                    " 2>'" + (m_dir / "stderr").string() + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    const fs::path& dir() const { return m_dir; }

  private:
    TempFolder m_temp{"quorvin-batch"};
    const fs::path m_dir = m_temp.path();
};

TEST_F(BatchProgram, ExitStatusTellsWhetherEveryRowWasCalculated) {
    const fs::path good = file("good.csv", "Valence\n10\n");
    const fs::path mixed = file("mixed.csv", "Valence\n10\n10000\n");
    EXPECT_EQ(run("'" + good.string() + "' -o '" + (dir() / "out.csv").string() + "'"), 0);
    EXPECT_EQ(records(read("out.csv")).size(), 2u);
    EXPECT_EQ(run("-o '" + (dir() / "out2.csv").string() + "' < '" + mixed.string() + "'"), 1);
    EXPECT_NE(read("stderr").find("1 of 2 rows report an error"), std::string::npos);
    EXPECT_EQ(run("--help > '" + (dir() / "help").string() + "'"), 0);
    EXPECT_NE(read("help").find("Usage: quorvin-batch"), std::string::npos);
    EXPECT_EQ(run("--frobnicate"), 2);
    EXPECT_NE(read("stderr").find("unknown option --frobnicate"), std::string::npos);
    EXPECT_EQ(run("'" + (dir() / "missing.csv").string() + "'"), 2);
    EXPECT_NE(read("stderr").find("cannot read"), std::string::npos);
}

// --model gives the rows without a Model their electrokinetic model; a Model
// cell goes first; without the option nothing changes.
TEST_F(BatchProgram, ModelOptionAndColumnChooseTheElectrokineticModel) {
    const fs::path in = file("in.csv", "Sample,Sigma,Model\na,22,\nb,22,dhh\n");
    const auto valences = [&](const std::string& options) {
        EXPECT_EQ(run(options + " '" + in.string() + "' -o '" + (dir() / "out.csv").string() + "'"),
                  0);
        const auto fields = [](const std::string& line) {
            std::vector<std::string> f(1);
            for (char c : line)
                if (c == ',')
                    f.emplace_back();
                else
                    f.back().push_back(c);
            return f;
        };
        const std::vector<std::string> lines = records(read("out.csv"));
        const std::vector<std::string> header = fields(lines.front());
        const auto at = static_cast<std::size_t>(
            std::find(header.begin(), header.end(), "ValenceResult") - header.begin());
        std::vector<std::string> z;
        for (std::size_t r = 1; r < lines.size(); ++r)
            z.push_back(fields(lines[r]).at(at));
        return z;
    };
    EXPECT_EQ(valences(""), (std::vector<std::string>{"17.13", "17.13"}));
    EXPECT_EQ(valences("--model henry"), (std::vector<std::string>{"17.06", "17.13"}));
    EXPECT_EQ(valences("--model OHSHIMA"), (std::vector<std::string>{"17.21", "17.13"}));
    EXPECT_EQ(run("--model huckel"), 2);
    EXPECT_NE(read("stderr").find("--model huckel is not one of dhh, henry, ohshima"),
              std::string::npos);
}

// --zeta-model converts the Zeta of the rows without a ZetaModel (a cell
// goes first); without either a Zeta is the row's error; an unknown name, a
// Zeta beside Sigma and an uncertainty of Zeta are refused with their place.
TEST_F(BatchProgram, ZetaModelOptionAndColumnConvertTheZeta) {
    const fs::path in = file("in.csv", "Zeta (mV);ZetaModel\n-25,5;\n-25,5;smoluchowski\n");
    // The exit status, and each row's results after Sample and its inputs.
    const auto rows = [&](const std::string& options) {
        std::vector<std::string> r{std::to_string(
            run(options + " '" + in.string() + "' -o '" + (dir() / "out.csv").string() + "'"))};
        for (const std::string& row : records(read("out.csv")))
            r.push_back(row.substr(row.find(';', row.find(';', row.find(';') + 1) + 1) + 1));
        return r;
    };
    const std::vector<std::string> none = rows(""),
                                   smoluchowski = rows("--zeta-model smoluchowski");
    EXPECT_EQ(none[0], "1");
    EXPECT_NE(none[2].find("Zeta = -25.5 needs the conversion the instrument made"),
              std::string::npos);
    EXPECT_EQ(smoluchowski[0], "0");
    EXPECT_EQ(smoluchowski[2], smoluchowski[3]);
    EXPECT_EQ(rows("--zeta-model henry")[3], smoluchowski[3]);
    EXPECT_NE(rows("--zeta-model henry")[2], smoluchowski[2]);
    const std::pair<std::string, std::string> refused[] = {
        {"--zeta-model hueckel", "--zeta-model hueckel is not one of smoluchowski, huckel, henry"},
        {"Zeta,Sigma\n1,2\n", "line 1: the columns Zeta and Sigma cannot both be given"},
        {"Zeta,ZetaSD\n1,2\n", "line 1, column 2: the column Zeta's uncertainty is not propagated"},
        {"Zeta (uV)\n1\n", "line 1, column 1: the column Zeta is in mV, not \"uV\""},
    };
    for (const auto& [input, message] : refused) {
        const bool option = input.starts_with("--");
        const fs::path bad = file("bad.csv", option ? "Zeta\n1\n" : input);
        EXPECT_EQ(run((option ? input + " '" : "'") + bad.string() + "'"), 2) << message;
        EXPECT_NE(read("stderr").find(message), std::string::npos) << read("stderr");
    }
}

// Under the two models not linear in z: the sphere is the Stokes radius
// (SaltIonRadius is not used), the salt comes from --salt or a Salt cell, a
// z* above the maximum is the row's error and one below it names both
// valences, the lower taken.
TEST_F(BatchProgram, NonlinearModelsTakeTheSaltAndSayHowManyValences) {
    const fs::path in = file("in.csv",
                             "Sample,StokesRadius,IonicStrength,SaltIonRadius,"
                             "EffectiveValence,Salt\n"
                             "a,3.5,0.15,0.1,30,\n"
                             "b,3.5,0.15,0.1,1,\n"
                             "c,2.5,0.01,0.1,8,\n"
                             "d,2.5,0.01,0.3,8,\n"
                             "e,2.5,0.01,0.1,8,CaCl2\n"
                             "f,2.5,0.01,0.1,8,brine\n");
    // Each row's ValenceResult and the start of its Error.
    const auto cells = [&](const std::string& options, int status = 1) {
        EXPECT_EQ(run(options + " '" + in.string() + "' -o '" + (dir() / "out.csv").string() + "'"),
                  status)
            << options << read("stderr");
        std::istringstream out(read("out.csv"));
        platform::CsvReader reader(out);
        platform::CsvRecord rec;
        std::vector<std::string> z;
        while (reader.next(rec))
            z.push_back(rec.fields.at(rec.fields.size() - 6) + "|" +
                        rec.fields.back().substr(0, 24));
        return z;
    };
    for (const char* model : {"standard", "ohshima-relaxation"}) {
        const std::vector<std::string> z = cells(std::string("--model ") + model);
        ASSERT_EQ(z.size(), 7u) << model;
        EXPECT_EQ(z[0], "ValenceResult|Error");
        EXPECT_EQ(z[1], "|no valence gives z* = 30") << model;
        EXPECT_EQ(z[3], z[4]) << model;  // the salt ion radius is not used
        // CaCl2 is not NaCl; Ohshima's approximation holds for symmetric salts.
        EXPECT_EQ(z[5].find("|Ohshima's approximation") == 0, model[0] == 'o') << z[5];
        EXPECT_NE(z[3], z[5]) << model;
        EXPECT_EQ(z[6], "|Salt = \"brine\" is not on") << model;
    }
    // Ohshima's cubic turns down at high zeta: z* = 1 has a second valence.
    EXPECT_NE(read("stderr").find("row 2: two valences give z* = 1.0 under Ohshima (2001) in "
                                  "NaCl: z = 4.8"),
              std::string::npos)
        << read("stderr");
    // --salt changes the rows without a Salt cell.
    const std::vector<std::string> nacl = cells("--model standard");
    const std::vector<std::string> kcl = cells("--model standard --salt kcl");
    EXPECT_NE(nacl[3], kcl[3]);
    EXPECT_EQ(nacl[5], kcl[5]);
    // Under dhh the Salt column is a note, as before.
    EXPECT_EQ(cells("", 0)[6], "14.69|");
    EXPECT_EQ(run("--salt brine '" + in.string() + "'"), 2);
    EXPECT_NE(read("stderr").find("Unknown salt \"brine\""), std::string::npos);
}

// Proteins of 2 to 3.5 nm with z 5 to 40 in 5 to 150 mM NaCl: each mobility
// by an independent solution of the standard model (scipy's collocation,
// tests/data/electrokinetics_reference.py) gives back its valence and zeta
// potential under --model standard. Within 1e-3: the mobility reaches z
// through the window's D, which is kept to the digits it shows.
TEST_F(BatchProgram, StandardModelGivesBackTheValenceOfAnIndependentSolution) {
    ASSERT_EQ(run("--model standard '" QUORVIN_ELECTROKINETICS_SPHERES "' -o '" +
                  (dir() / "out.csv").string() + "'"),
              0)
        << read("stderr");
    std::istringstream out(read("out.csv"));
    platform::CsvReader reader(out);
    platform::CsvRecord rec;
    ASSERT_TRUE(reader.next(rec));
    const auto column = [&](const char* name) {
        const auto at = std::find(rec.fields.begin(), rec.fields.end(), name);
        EXPECT_NE(at, rec.fields.end()) << name;
        return at - rec.fields.begin();
    };
    const auto z = column("ValenceResult"), zRef = column("ReferenceValence");
    const auto zeta = column("ZetaResult"), zetaRef = column("ReferenceZeta");
    int rows = 0;
    for (; reader.next(rec); ++rows) {
        const auto near = [&](std::ptrdiff_t value, std::ptrdiff_t reference) {
            const double v = std::stod(rec.fields.at(value)), r = std::stod(rec.fields.at(reference));
            EXPECT_LE(std::abs(v / r - 1), 1e-3) << rec.fields[0] << ": " << v << " against " << r;
        };
        near(z, zRef);
        near(zeta, zetaRef);
    }
    EXPECT_EQ(rows, 27);
}

TEST_F(BatchProgram, AFailedRunLeavesTheOldFilesAsTheyWere) {
    file("out.csv", "old output\n");
    file("log.rtf", "old log\n");
    const fs::path bad = file("bad.csv", "Valence\n10\n12\n\"open\n");
    EXPECT_EQ(run("'" + bad.string() + "' -o '" + (dir() / "out.csv").string() + "' --log '" +
                  (dir() / "log.rtf").string() + "'"),
              2);
    EXPECT_NE(read("stderr").find("bad.csv, line 4, column 1"), std::string::npos)
        << read("stderr");
    EXPECT_EQ(read("out.csv"), "old output\n");
    EXPECT_EQ(read("log.rtf"), "old log\n");
    EXPECT_EQ(files(), (std::vector<std::string>{"bad.csv", "log.rtf", "out.csv", "stderr"}))
        << "no temporary file is left";
}

TEST_F(BatchProgram, TheLogIsTheReportWindowsTextAsPlainTextOrRtf) {
    const fs::path in = file("in.csv", "Valence,Sample\n10,a\n-3,b\n");
    ASSERT_EQ(
        run("'" + in.string() + "' -o /dev/null --log '" + (dir() / "log.txt").string() + "'"), 0);
    ASSERT_EQ(
        run("'" + in.string() + "' -o /dev/null --log '" + (dir() / "log.RTF").string() + "'"), 0);
    const std::string text = read("log.txt");
    const platform::RichDocument rtf = platform::readRtf(read("log.RTF"));
    std::string fromRtf;
    for (const platform::Paragraph& p : rtf.paragraphs())
        fromRtf += p.text() + "\n";
    EXPECT_EQ(fromRtf, text);
    EXPECT_EQ(text.rfind("-------------------------------------------------------------\n"
                         "Sigma and Z* calculated from Z: 10\n",
                         0),
              0u);
    EXPECT_NE(text.find("Sigma and Z* calculated from Z: -3\n"), std::string::npos);
}
#endif

// ------------------------------------------------------------ pieces

TEST(RtfLineWriter, WritesWhatTheReportWindowsWriterWrites) {
    const std::vector<std::string> lines = {
        "-------------------------------------------------------------", "", "braces {} and \\",
        "  Using T = 20.0 \xC2\xB0"
        "C",
        "tab\there"};
    platform::RichDocument doc;
    platform::RtfLineWriter writer;
    std::string streamed = writer.begin();
    for (const std::string& line : lines) {
        doc.appendLine(line);
        streamed += writer.line(line);
    }
    streamed += platform::RtfLineWriter::end();
    EXPECT_EQ(streamed, platform::writeRtf(doc));
}

TEST(AtomicFileWriter, ReplacesTheFileOnlyOnCommit) {
    const TempFolder temp("quorvin-atomic");
    const fs::path& dir = temp.path();
    const fs::path target = dir / "out.txt";
    std::ofstream(target) << "old";
    const std::string big(200000, 'x');
    {
        platform::AtomicFileWriter w(target);
        w.write("new ");
        w.write(big);
    }  // abandoned
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_EQ(readFile(target), "old");
    {
        platform::AtomicFileWriter w(target);
        w.write("new ");
        w.write(big);
        w.write("!");
        w.commit();
    }
    EXPECT_EQ(readFile(target), "new " + big + "!");
    EXPECT_THROW(platform::AtomicFileWriter(dir / "no" / "such.txt"), platform::Exception);
}

}  // namespace

// ------------------------------------------------------------ round trip

namespace {

// A random series as a spreadsheet or Quorvin writes it: either dialect,
// with or without a byte order mark, units in some headers, labels and
// notes a spreadsheet would take for formulas, signed measurements.
std::string randomSeries(std::mt19937& random) {
    const auto pick = [&](std::vector<std::string> v) { return v[random() % v.size()]; };
    const bool semicolon = random() % 2;
    std::vector<std::vector<std::string>> columns = {
        {"Sample", "=1+1", "-", "a, b", "+NaCl", "@x", "'=y", "lysozyme"},
        {pick({"IonicStrength", "Ionic strength (mM)", "I [\u00b5M]"}), "0.01", "0.05", "0.1"},
        {pick({"Temperature", "Temp (\u00b0C)", "T"}), "20", "25", "37.5", ""},
        {pick({"StokesRadius", "Rs (nm)"}), "2.1", "3.5"},
        {"pH", "7.4", "-", "8"},
        {"Notes", "", "=cmd|' /C calc'!A0", "kept"},
    };
    const std::string chain = pick({"Sigma", "Mobility (10^-4 cm^2/(V s))", "Valence", "z*"});
    columns.push_back(chain[0] == 'S'   ? std::vector<std::string>{chain, "18.5", "-22", "0"}
                      : chain[0] == 'M' ? std::vector<std::string>{chain, "1.31", "-0.95", "2.1"}
                                        : std::vector<std::string>{chain, "12", "-4", "7"});
    std::shuffle(columns.begin() + 1, columns.end(), random);
    const platform::Dialect dialect =
        semicolon ? platform::Dialect::semicolon() : platform::Dialect{',', '.', false, "\n"};
    std::vector<std::string> fields;
    for (const auto& c : columns)
        fields.push_back(c[0]);
    std::string csv = (random() % 2 ? "\xEF\xBB\xBF" : "") + platform::csvRecord(fields, dialect);
    const std::size_t rows = 1 + random() % 6;
    for (std::size_t r = 0; r < rows; ++r) {
        fields.clear();
        for (const auto& c : columns) {
            std::string cell = c[1 + random() % (c.size() - 1)];
            if (c[0] != "Sample" && c[0] != "Notes")
                cell = platform::dialectNumber(cell, dialect);
            fields.push_back(cell);
        }
        csv += platform::csvRecord(fields, dialect);
    }
    return csv;
}

series::Series seriesOf(const std::string& csv) {
    series::Series s;
    std::istringstream in(csv);
    s.read(in);
    return s;
}

}  // namespace

// For random series: saved, reopened and saved again gives the same bytes;
// quorvin-batch on the saved file gives the window's results and names no
// difference, and its output opened in the window gives them again.
TEST(RoundTrip, SavedSeriesReadBackAndQuorvinBatchGivesTheWindowsResults) {
    std::mt19937 random(32);
    for (int i = 0; i < 60; ++i) {
        const std::string csv = randomSeries(random);
        const series::Series window = seriesOf(csv);
        const std::string saved = window.text();
        EXPECT_EQ(seriesOf(saved).text(), saved) << csv;

        std::istringstream in(saved);
        std::string output;
        std::vector<std::string> notices;
        batch::BatchOutput out;
        out.write = [&](std::string_view d) { output.append(d); };
        out.notice = [&](const std::string& line) { notices.push_back(line); };
        batch::runBatch(in, out);
        for (const std::string& n : notices)
            EXPECT_EQ(n.rfind("taken from the start-up values: ", 0), 0u) << n << "\n" << saved;

        const series::Series fromBatch = seriesOf(output);
        ASSERT_EQ(fromBatch.rowCount(), window.rowCount());
        EXPECT_EQ(fromBatch.resultDifferences(), 0u) << output;
        for (std::size_t r = 0; r < window.rowCount(); ++r)
            for (std::size_t k = 0; k < batch::kResultColumns.size(); ++k)
                EXPECT_EQ(fromBatch.resultText(r, k), window.resultText(r, k)) << saved;
        for (std::size_t c = 0; c < window.columnCount(); ++c)
            EXPECT_EQ(fromBatch.cellText(0, c), window.cellText(0, c)) << "the texts as typed";

        std::istringstream again(output);
        std::string second;
        out.write = [&](std::string_view d) { second.append(d); };
        batch::runBatch(again, out);
        EXPECT_EQ(second, output) << "quorvin-batch reads its own output as it wrote it";
    }
}
