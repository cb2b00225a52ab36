// SPDX-License-Identifier: GPL-3.0-or-later

// The series document: its files in both dialects, units in headers, signed
// measurements, refused cells, the command stack, pasting and saving.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "platform/base/Exception.h"
#include "platform/base/NumberText.h"
#include "series/Row.h"
#include "series/Series.h"
#include "tests/support/Files.h"

namespace fs = std::filesystem;
using series::Series;
using testing_support::readFile;
using testing_support::TempFolder;

namespace {

Series seriesOf(const std::string& csv) {
    Series s;
    std::istringstream in(csv);
    s.read(in);
    return s;
}

std::size_t resultIndex(const Series& s, const std::string& name) {
    const std::vector<std::string> names = s.resultNames();
    return static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
}

std::string valence(const Series& s, std::size_t row) {
    return s.resultText(row, resultIndex(s, "ValenceResult"));
}

const char* const kSaltSeries =
    "Sample,IonicStrength,Temperature,StokesRadius,Mobility,pH\r\n"
    "a,0.010,25,3.5,1.80,7.4\r\n"
    "b,0.050,25,3.5,1.31,7.0\r\n";

}  // namespace

// A file is written back as it came: separator, decimal mark, byte order
// mark and line ends; its results are those it had when we wrote it.
TEST(SeriesFile, BothDialectsAreWrittenBackByteForByte) {
    const std::string comma = seriesOf(kSaltSeries).text();
    std::string semicolon = "\xEF\xBB\xBF";
    for (char c : std::string(kSaltSeries))
        semicolon += c == ',' ? ';' : c == '.' ? ',' : c;
    const struct {
        std::string input;
        std::string firstRecordStart;
    } cases[] = {
        {comma, "a,0.010,25,3.5,1.80,7.4,3.627,3.297E+06,"},
        {seriesOf(semicolon).text(), "a;0,010;25;3,5;1,80;7,4;3,627;3,297E+06;"},
        {seriesOf("Mobility\n2.1\n").text(), "2.1,"},
    };
    for (const auto& c : cases) {
        const Series s = seriesOf(c.input);
        EXPECT_EQ(s.text(), c.input);
        EXPECT_NE(c.input.find(c.firstRecordStart), std::string::npos) << c.input;
    }
    EXPECT_EQ(cases[1].input.rfind("\xEF\xBB\xBFSample;IonicStrength;", 0), 0u);
    EXPECT_EQ(cases[2].input.find('\r'), std::string::npos) << "LF stays LF";
    EXPECT_EQ(valence(seriesOf(semicolon), 0), "15.85") << "the program's own text has a point";
}

TEST(SeriesFile, ResultsInAFileAreEvaluatedAgainNotRead) {
    const Series s = seriesOf(
        "Sample,Mobility,ClosestApproach,Valence,GeMax,Error,Notes\n"
        "a,1.80,1,999,1,made up,kept\n");
    EXPECT_EQ(s.columnCount(), 3u) << "Sample, Mobility, Notes";
    EXPECT_EQ(s.cellText(0, 2), "kept");
    EXPECT_EQ(valence(s, 0), "23.30");
    EXPECT_EQ(s.resultNote(0, resultIndex(s, "ValenceResult")),
              "The file says \"999\"; calculated: 23.30");
    EXPECT_EQ(s.resultDifferences(), 3u) << "ClosestApproach, Valence and GeMax";
}

// A negative measurement gives the negative of its magnitude's z and z*;
// zero gives zero; the window's limits stand mirrored.
TEST(SeriesRow, SignedMeasurementsGiveSignedValences) {
    const struct {
        const char* column;
        const char* value;
        const char* valence;
        const char* effective;
        const char* error;
    } cases[] = {
        {"Mobility", "1.80", "23.30", "6.14", ""},
        {"Mobility", "-1.80", "-23.30", "-6.14", ""},
        {"Mobility", "0", ".00", ".00", ""},
        {"Sigma", "-22", "-17.13", "-4.52", ""},
        {"Sigma", "-0", ".00", ".00", ""},
        {"Mobility", "-100.5", "", "", "Mobility = -100.5 is not between -100 and -0.0001"},
        {"Mobility", "-0.00001", "", "", "Mobility = -0.00001 is not between -100 and -0.0001"},
        {"Sigma", "-301", "", "", "Sigma = -301 is not between -300 and 0"},
    };
    for (const auto& c : cases) {
        const Series s = seriesOf(std::string(c.column) + "\n" + c.value + "\n");
        EXPECT_EQ(valence(s, 0), c.valence) << c.value;
        EXPECT_EQ(s.resultText(0, resultIndex(s, "EffectiveValenceResult")), c.effective)
            << c.value;
        EXPECT_EQ(s.cellError(0, 0), c.error);
    }
    EXPECT_EQ(*series::mainWindowRefusal(model::Quantity::Mobility, "-1.2"),
              "Mobility = -1.2: the main window takes only positive mobilities (0.0001 to 100); "
              "open the series to work with a negative one");
    EXPECT_FALSE(series::mainWindowRefusal(model::Quantity::Sigma, "22"));
}

// U = 2u beside the GUM's u, and a negative mobility's Monte Carlo interval
// on its side of zero.
TEST(SeriesRow, SdColumnsGiveTheUncertaintyOfZ) {
    Series s;
    s.setMonteCarlo(analysis::MonteCarloOptions{analysis::kMinDraws, 1, 1});
    std::istringstream in("Mobility,MobilitySD\n-1.80,0.05\n");
    s.read(in);
    const auto value = [&](const char* name) {
        return platform::StrToFloat(s.resultText(0, resultIndex(s, name)));
    };
    EXPECT_EQ(value("ValenceExpandedU"), 2 * value("ValenceGumU"));
    EXPECT_LT(value("ValenceLow"), -23.3);
    EXPECT_GT(value("ValenceHigh"), -23.3);
    EXPECT_LT(value("ValenceHigh"), 0);
}

// Without a run of its own, the document gives each row's draws for a run
// elsewhere and takes its result back, unless the rows moved meanwhile.
TEST(SeriesRow, RunElsewhereFillsTheIntervalUnlessTheRowsChanged) {
    Series s = seriesOf("Mobility,MobilitySD\n1.80,0.05\n1.31,0.05\n");
    const std::size_t low = resultIndex(s, "ValenceLow");
    const std::vector<Series::PendingDraws> pending = s.pendingMonteCarlo();
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_TRUE(s.resultText(1, low).empty());
    const auto result = series::rowMonteCarlo(
        pending[1].draws, analysis::MonteCarloOptions{analysis::kMinDraws, 1, 1});
    const std::uint64_t revision = s.revision();
    s.moveRow(0, 1);
    EXPECT_FALSE(s.setMonteCarloResult(revision, pending[1].row, *result));
    EXPECT_TRUE(s.resultText(0, low).empty());
    s.moveRow(1, 0);
    const std::uint64_t now = s.revision();
    EXPECT_TRUE(s.setMonteCarloResult(now, 1, *result));
    EXPECT_EQ(s.resultText(1, low), analysis::significantText(result->valence.low));
    EXPECT_EQ(s.pendingMonteCarlo().size(), 1u);
}

TEST(SeriesRow, ARefusedCellLeavesTheOtherRowsEvaluated) {
    const Series s = seriesOf(
        "Sample,Temperature,Mobility,Valence\n"
        "a,25,1.8,\n"
        "b,warm,1.8,\n"
        "c,25,1.8,10\n"
        "d,25,1.8,\n");
    EXPECT_EQ(s.cellError(1, 1), "Temperature = warm cannot be typed as a number");
    EXPECT_EQ(s.cellError(2, 3), "Valence cannot be given with Mobility in the same row");
    for (std::size_t row : {1u, 2u})
        EXPECT_EQ(valence(s, row), "") << row;
    EXPECT_EQ(valence(s, 0), valence(s, 3));
    EXPECT_NE(valence(s, 0), "");
}

// A Model column gives each row its electrokinetic model (empty: the
// program's own), and the main window takes the row with it; an unknown
// model is refused in its cell.
TEST(SeriesRow, AModelColumnChoosesEachRowsModel) {
    const Series s = seriesOf(
        "Sample,Sigma,Model\n"
        "a,22,\n"
        "b,22,henry\n"
        "c,22,Ohshima\n"
        "d,22,huckel\n");
    EXPECT_EQ(valence(s, 0), "17.13");
    EXPECT_EQ(valence(s, 1), "17.06");
    EXPECT_EQ(valence(s, 2), "17.21");
    EXPECT_EQ(s.cellError(3, 2), "Model = \"huckel\" is not one of dhh, henry, ohshima");
    EXPECT_EQ(valence(s, 3), "");
    EXPECT_EQ(s.rowEntries(2).model, model::ElectrokineticModel::Ohshima);
    EXPECT_EQ(s.rowEntries(0).model, model::ElectrokineticModel::Dhh);
}

// State: rows measured as mobilities (water at 37 C, 1 to 150 mM, either
// sign). Action: each written as the zeta an instrument reports by each
// conversion, ";" with decimal commas and units, and read back. Expected:
// the same results.
TEST(SeriesRow, ZetaByEachConversionGivesTheMobilitysValence) {
    const auto commas = [](std::string t) {
        std::replace(t.begin(), t.end(), '.', ',');
        return t;
    };
    const std::pair<std::string, std::string> rows[] = {
        {"1", "2.3"}, {"20", "-1.05"}, {"150", "0.74"}};
    for (const auto m :
         {model::ZetaModel::Smoluchowski, model::ZetaModel::Huckel, model::ZetaModel::Henry}) {
        const std::string header = "Temperature;Ionic strength (mM);Solvent;Mobility\n";
        std::string measured = header;
        std::string reported = "Temperature;Ionic strength (mM);Solvent;Zeta (mV);ZetaModel\n";
        for (const auto& [mM, mobility] : rows) {
            const std::string conditions = "37;" + mM + ";water;";
            const Series one = seriesOf(commas(header + conditions + mobility));
            const double perMillivolt = model::mobilityFromZeta(
                *series::evaluateRow(one.rowEntries(0).entries, true).measured, 1, m);
            char zeta[32];
            *std::to_chars(zeta, zeta + 31, platform::StrToFloat(mobility) / perMillivolt,
                           std::chars_format::general, 17)
                 .ptr = 0;
            measured += conditions + mobility + "\n";
            reported += conditions + zeta + ";" + model::zetaModelName(m) + "\n";
        }
        const Series a = seriesOf(commas(measured)), b = seriesOf(commas(reported));
        for (std::size_t r = 0; r < std::size(rows); ++r)
            for (std::size_t i = 0; i < a.resultNames().size(); ++i)
                EXPECT_EQ(b.resultText(r, i), a.resultText(r, i)) << r << " " << a.resultNames()[i];
    }
}

// A Zeta needs its conversion and stands alone among the measurements;
// each refusal stands in its cell.
TEST(SeriesRow, AZetaWithoutItsConversionIsRefusedInItsCell) {
    const Series s =
        seriesOf("Zeta,ZetaModel,Sigma\n20,,\n20,Hueckel,\n20,henry,22\n0.0001,HENRY,\n");
    EXPECT_EQ(s.cellError(0, 0),
              "Zeta = 20 needs the conversion the instrument made (ZetaModel smoluchowski, huckel, "
              "henry)");
    EXPECT_EQ(s.cellError(1, 1),
              "ZetaModel = \"Hueckel\" is not one of smoluchowski, huckel, henry");
    EXPECT_EQ(s.cellError(2, 2), "Sigma cannot be given with Zeta in the same row");
    EXPECT_EQ(s.cellError(3, 0).rfind("Zeta = 0.0001 mV (henry) is the mobility 0.00000", 0), 0u)
        << s.cellError(3, 0);
}

// Each kind of command is undone to the table before it and redone to the
// table after it, with the results of each.
TEST(SeriesCommands, EveryCommandIsUndoneAndRedone) {
    const std::pair<const char*, std::function<void(Series&)>> commands[] = {
        {"set cell", [](Series& s) { s.setCell(1, 4, "-1.1"); }},
        {"insert rows", [](Series& s) { s.insertRows(1, 2); }},
        {"delete rows", [](Series& s) { s.deleteRows(0, 2); }},
        {"move row", [](Series& s) { s.moveRow(0, 1); }},
        {"add column",
         [](Series& s) {
             s.addColumn(1, "Dielectric");
             s.setCell(0, 1, "60");
         }},
        {"delete column", [](Series& s) { s.deleteColumn(1); }},
        {"move column", [](Series& s) { s.moveColumn(5, 0); }},
        {"rename column", [](Series& s) { s.renameColumn(2, "Dielectric"); }},
        {"paste", [](Series& s) { s.paste(1, 4, "2.0\tx\ty\n1.5"); }},
    };
    for (const auto& [name, command] : commands) {
        Series s = seriesOf(kSaltSeries);
        const std::string before = s.text();
        command(s);
        const std::string after = s.text();
        EXPECT_NE(after, before) << name;
        EXPECT_TRUE(s.dirty()) << name;
        while (s.canUndo())
            s.undo();
        EXPECT_EQ(s.text(), before) << name;
        EXPECT_FALSE(s.dirty()) << name;
        while (s.canRedo())
            s.redo();
        EXPECT_EQ(s.text(), after) << name;
    }
}

// State: a series and a copy of it. Action: random commands on rows and
// cells, undone and redone now and then, each change taken and replayed on
// the copy as the rows it names. Expected: the copy is the series after
// every step, and the series' numbers for a plot are those of its text.
TEST(SeriesCommands, TakenChangesReplayedGiveTheSameSeries) {
    Series s = seriesOf(kSaltSeries);
    Series mirror = seriesOf(kSaltSeries);
    EXPECT_TRUE(s.takeChange().whole) << "read";
    std::mt19937 random(3);
    const auto pick = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n == 0 ? 0 : n - 1)(random);
    };
    const std::function<void(std::size_t rows)> commands[] = {
        [&](std::size_t rows) { s.setCell(pick(rows), pick(s.columnCount()), "9"); },
        [&](std::size_t rows) { s.insertRows(pick(rows + 1), 1 + pick(12)); },
        [&](std::size_t rows) { s.deleteRows(pick(rows), 1 + pick(9)); },
        // A block deleted, undone and redone is the block deleted.
        [&](std::size_t rows) {
            const std::string before = s.text();
            s.deleteRows(pick(rows), 1 + pick(rows));
            const std::string after = s.text();
            s.undo();
            ASSERT_EQ(s.text(), before);
            s.redo();
            ASSERT_EQ(s.text(), after);
        },
        [&](std::size_t rows) { s.moveRow(pick(rows), pick(rows)); },
        [&](std::size_t rows) { s.paste(pick(rows + 1), 0, "p\t0.02\nq\t0.03\n"); },
        [&](std::size_t rows) { s.paste(pick(rows + 1), 1, "0.02\n\n0.04\nx\n0.05\n"); },
        [&](std::size_t) { s.canUndo() ? s.undo() : void(); },
        [&](std::size_t) { s.canRedo() ? s.redo() : void(); },
    };
    for (int step = 0; step < 400; ++step) {
        // Several commands at times before a change is taken.
        for (int k = 0, n = 1 + int(pick(3)); k < n; ++k) {
            const std::size_t rows = s.rowCount();
            commands[pick(std::size(commands))](rows);
            if (s.rowCount() == 0)
                s.insertRows(0, 2);
        }
        const Series::Change change = s.takeChange();
        ASSERT_FALSE(change.whole);
        std::vector<std::vector<std::string>> rows(change.inserted);
        for (std::size_t r = 0; r < change.inserted; ++r)
            for (std::size_t c = 0; c < s.columnCount(); ++c)
                rows[r].push_back(s.cellText(change.at + r, c));
        mirror.replaceRows(change.at, change.removed, rows);
        ASSERT_EQ(mirror.text(), s.text()) << "step " << step;
        // The numbers a plot takes follow the rows as a series read anew
        // has them.
        const Series fresh = seriesOf(s.text());
        for (std::size_t c = 0; c < s.columnCount(); ++c)
            ASSERT_EQ(s.xValues(c), fresh.xValues(c)) << "step " << step << ", column " << c;
        ASSERT_EQ(s.yValues("ValenceResult"), fresh.yValues("ValenceResult")) << "step " << step;
    }
    EXPECT_THROW(mirror.replaceRows(mirror.rowCount(), 1, {}), platform::Exception);
    EXPECT_THROW(mirror.replaceRows(0, 0, {{"too few"}}), platform::Exception);
}

TEST(SeriesCommands, APastedBlockGrowsTheTable) {
    Series s = seriesOf("Sample,Mobility\na,1.8\n");
    s.paste(0, 1, "1.8\tNaCl\r\n-1.8\tKCl\r\n");
    ASSERT_EQ(s.rowCount(), 2u);
    ASSERT_EQ(s.columnCount(), 3u);
    EXPECT_EQ(s.column(2).kind, series::ColumnKind::Text);
    EXPECT_EQ(s.cellText(1, 2), "KCl");
    EXPECT_EQ(s.cellText(1, 0), "");
    EXPECT_EQ(valence(s, 1), "-" + valence(s, 0));
    s.undo();
    EXPECT_EQ(s.rowCount(), 1u);
    EXPECT_EQ(s.columnCount(), 2u);
}

// pH as x in a file with decimal commas; a text column of words is not.
TEST(SeriesValues, NumericColumnsGiveXAndResultsY) {
    const Series s = seriesOf("Mobility;pH;Buffer\n1,8;7,4;Tris\n1,5;;Tris\n");
    EXPECT_EQ(*s.xValues(1), (Series::Values{7.4, std::nullopt}));
    EXPECT_EQ(*s.xValues(0), (Series::Values{1.8, 1.5}));
    EXPECT_FALSE(s.xValues(2));
    EXPECT_EQ(s.yValues("ValenceResult")->at(0), 23.3);
    EXPECT_FALSE(s.yValues("pH"));
}

// State: a saved series and a process that may write no more than 64 bytes
// to a file. Action: save. Expected: an error, the old file whole, no
// temporary file left; a failed open changes nothing.
TEST(SeriesFile, AFailedSaveOrOpenChangesNothing) {
    const TempFolder temp("quorvin-series");
    const fs::path path = temp.path() / "series.csv";
    Series s = seriesOf(kSaltSeries);
    s.save(path);
    EXPECT_FALSE(s.dirty());
    s.setCell(0, 0, "changed");
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            s.save(path);
        } catch (const std::exception&) {
            _exit(s.dirty() ? 0 : 3);
        }
        _exit(4);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(readFile(path), seriesOf(kSaltSeries).text());
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);

    std::ofstream(temp.path() / "bad.csv") << "Sample,Mobility\na,1\n\"open\n";
    const std::string before = s.text();
    EXPECT_THROW(s.open(temp.path() / "bad.csv"), platform::InputError);
    EXPECT_THROW(s.open(temp.path() / "missing.csv"), std::exception);
    EXPECT_EQ(s.text(), before);
    EXPECT_TRUE(s.dirty());
}

// State: quorvin-batch's output opened. Action: a label edited, saved.
// Expected: only the label changed; the measured mobility and the results
// stay as the file had them.
TEST(SeriesFile, AnEditedLabelLeavesTheMeasuredValues) {
    const std::string output =
        "Sample,IonicStrength,Temperature,StokesRadius,Mobility,ClosestApproach,"
        "InverseDebyeLength,Ka,HenryFunction,DhhSlope,EFieldResult,SigmaResult,MobilityResult,"
        "EffectiveValenceResult,ValenceResult,GeMax,ViscosityResult,DielectricResult,ZetaResult,"
        "Error\r\n"
        "BSA,0.010,25,3.5,1.80,3.627,3.297E+06,1.196,1.0271,0.468,0.123,35.504,1.8,7.41,15.85,"
        "30.281,1,78,39.61,\r\n";
    Series s = seriesOf(output);
    EXPECT_EQ(s.text(), output);
    EXPECT_EQ(s.resultDifferences(), 0u);
    s.setCell(0, 0, "BSA 1");
    std::string expected = output;
    expected.replace(expected.find("BSA,"), 4, "BSA 1,");
    EXPECT_EQ(s.text(), expected);
}

// State: a series with a refused cell, a row the file calculated otherwise
// and an SD column, read with its evaluation left for threads. Action: its
// rows evaluated on two threads after an edit and a text column's cell
// changed a pending row. Expected: until then no row shows results, errors
// or notes, yet the file holds them; afterwards the series, its counts, x
// and y are those of the series evaluated at once, edited alike.
TEST(SeriesEvaluation, PendingRowsEvaluatedOnThreadsMatchTheSeriesEvaluatedAtOnce) {
    std::string csv = "Sample;IonicStrength;Mobility;MobilitySD;ValenceResult\n";
    for (int i = 0; i < 300; ++i)
        csv += "s" + std::to_string(i) + (i == 7 ? ";-0,05" : ";0,0" + std::to_string(1 + i % 9)) +
               ";1," + std::to_string(i % 9) + ";0,05;" + (i == 3 ? "99" : "") + "\n";
    Series now = seriesOf(csv);
    Series later;
    later.deferEvaluation(100);
    std::istringstream in(csv);
    later.read(in);
    EXPECT_EQ(later.pendingRows(), 300u);
    EXPECT_TRUE(later.resultText(3, 0).empty());
    EXPECT_TRUE(later.resultNote(3, resultIndex(later, "ValenceResult")).empty());
    EXPECT_EQ(later.resultDifferences(), 0u);
    EXPECT_EQ(later.text(), now.text());
    EXPECT_EQ(seriesOf(later.text(Series::PendingRows::WithoutResults)).text(), now.text())
        << "a recovery copy reads back to the same series";
    for (Series* s : {&now, &later}) {
        s->setCell(5, 2, "2,2");
        s->setCell(6, 0, "renamed");
    }
    EXPECT_EQ(later.pendingRows(), 299u);
    EXPECT_EQ(valence(later, 5), valence(now, 5));

    std::atomic<bool> stop{false};
    std::atomic<std::size_t> chunk{0};
    const auto next = [&] { return chunk++; };
    std::thread other([&] { later.evaluatePending(next, 16, stop); });
    later.evaluatePending(next, 16, stop);
    other.join();
    EXPECT_EQ(later.pendingRows(), 0u);
    EXPECT_EQ(later.text(), now.text());
    EXPECT_EQ(later.rowsWithoutResults(), now.rowsWithoutResults());
    EXPECT_EQ(later.resultDifferences(), 1u);
    EXPECT_FALSE(later.cellError(7, 1).empty());
    EXPECT_EQ(later.cellError(7, 1), now.cellError(7, 1));
    EXPECT_EQ(*later.xValues(1), *now.xValues(1));
    EXPECT_EQ(*later.yValues("ValenceResult"), *now.yValues("ValenceResult"));
}

// The numbers kept for a plot follow a typed cell, a moved row and an undo.
TEST(SeriesValues, XAndYFollowEveryEdit) {
    Series s = seriesOf(kSaltSeries);
    const Series::Values y0 = *s.yValues("ValenceResult");
    ASSERT_TRUE(s.xValues(5));
    s.setCell(0, 5, "acid");
    EXPECT_FALSE(s.xValues(5)) << "a word makes pH text";
    s.setCell(1, 4, "1.5");
    EXPECT_NE(s.yValues("ValenceResult")->at(1), y0[1]);
    s.moveRow(1, 0);
    EXPECT_EQ(s.xValues(1)->at(0), 0.05);
    s.undo();
    s.undo();
    s.undo();
    EXPECT_EQ(*s.yValues("ValenceResult"), y0);
    EXPECT_EQ(s.xValues(5)->at(0), 7.4);
}
