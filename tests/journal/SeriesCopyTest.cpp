// SPDX-License-Identifier: GPL-3.0-or-later

// The series windows' recovery copies: written while a series has unsaved
// changes, gone once it is saved, and offered at the next start.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "forms/ChargeOptions.h"
#include "forms/LogJournal.h"
#include "forms/Mainfrm.h"
#include "forms/Recover.h"
#include "forms/Report.h"
#include "forms/Series.h"
#include "forms/SeriesRecovery.h"
#include "journal/Journal.h"
#include "journal/SeriesCopy.h"
#include "platform/Application.h"
#include "platform/base/Exception.h"
#include "platform/headless/Headless.h"
#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;
using forms::OpeningForm;
using forms::TSeriesFrm;

constexpr const char* kSalt =
    "Sample,IonicStrength,Temperature,StokesRadius,Mobility\n"
    "A,0.010,25,3.5,1.80\n"
    "B,0.050,25,3.5,1.31\n";

// One run of the program with the log's copy, and so the series', in state.
struct Program {
    explicit Program(const fs::path& state) {
        application.CreateForm(OpeningForm);
        application.CreateForm(forms::ReportFrm);
        application.Run();
        journal = std::make_unique<forms::LogJournal>(*forms::ReportFrm, state);
    }
    ~Program() {
        journal.reset();
        OpeningForm = nullptr;
        forms::ReportFrm = nullptr;
    }
    platform::headless::HeadlessBackend backend;
    platform::Application application{backend};
    std::unique_ptr<forms::LogJournal> journal;
};

// The series a copy holds: its snapshot read, its edits replayed.
std::string replayed(const journal::SeriesCopyContent& copy) {
    return TSeriesFrm::replayCopy(copy).text();
}

class SeriesCopy : public ::testing::Test {
  protected:
    SeriesCopy() { std::ofstream(m_file, std::ios::binary) << kSalt; }
    std::vector<fs::path> copies() const {
        std::vector<fs::path> found;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(m_state, ec))
            if (entry.path().filename().string().rfind(journal::kSeriesPrefix, 0) == 0)
                found.push_back(entry.path());
        return found;
    }
    // A program that changed the first sample's name and ended without
    // closing its window, as a kill would leave it.
    void leaveUnsavedSeries() {
        Program p(m_state);
        TSeriesFrm& w = *OpeningForm->OpenFile(m_file.string());
        w.Grid1->userEdit(0, 0, "changed");
        EXPECT_TRUE(w.flushCopy());
    }

    testing_support::TempFolder m_temp{"quorvin-series-copy"};
    const fs::path m_state = m_temp.path() / "state";
    const fs::path m_file = m_temp.path() / "s.csv";
};

// State: a series opened. Action: a cell changed, then the series saved.
// Expected: the copy holds the changed series and its file's name; the
// save removes it.
TEST_F(SeriesCopy, AChangeWritesTheCopyAndASaveRemovesIt) {
    Program p(m_state);
    TSeriesFrm& w = *OpeningForm->OpenFile(m_file.string());
    EXPECT_TRUE(copies().empty()) << "nothing unsaved yet";
    // The file changed on disk after it was read: the copy keeps what was.
    std::ofstream(m_file, std::ios::binary) << "Sample\nother\n";
    w.Grid1->userEdit(0, 0, "changed");
    ASSERT_TRUE(w.flushCopy());
    ASSERT_EQ(copies().size(), 1u);
    const journal::SeriesCopyContent copy = journal::readSeriesCopy(copies()[0]);
    EXPECT_EQ(copy.original, m_file);
    // The file's bytes as read are the first snapshot, the cell follows.
    EXPECT_EQ(copy.csv, kSalt);
    EXPECT_EQ(replayed(copy), w.document().text());

    w.Save1->userClick(&w);
    w.flushCopy();
    EXPECT_TRUE(copies().empty());
}

// State: a program ended with an unsaved series. Action: the next start
// recovers it. Expected: a series window with the change, unsaved, under
// the file's name; the file itself untouched; only the new program's copy
// left.
TEST_F(SeriesCopy, LeftSeriesIsOfferedAndRecoveredUnsaved) {
    leaveUnsavedSeries();
    ASSERT_EQ(copies().size(), 1u);
    const fs::path left = copies()[0];
    Program p(m_state);
    std::string question;
    p.backend.expect<forms::TRecoverLog>("TRecoverLog", [&](forms::TRecoverLog& d) {
        question = d.StaticText1->text();
        EXPECT_EQ(d.caption(), "Recover series?");
        d.BitBtn1->userPress();
    });
    forms::offerSeriesRecovery(*OpeningForm, m_state);
    EXPECT_EQ(
        question.rfind("A series that was not saved was found (s.csv, 2 rows, last changed ", 0),
        0u)
        << question;
    ASSERT_EQ(OpeningForm->seriesWindows().size(), 1u);
    TSeriesFrm& w = *OpeningForm->seriesWindows()[0];
    EXPECT_TRUE(w.visible());
    EXPECT_EQ(w.caption(), "s.csv * - Series");
    EXPECT_EQ(w.document().cellText(0, 0), "changed");
    EXPECT_EQ(w.path(), m_file);
    std::ostringstream file;
    file << std::ifstream(m_file, std::ios::binary).rdbuf();
    EXPECT_EQ(file.str(), kSalt);
    ASSERT_EQ(copies().size(), 1u);
    EXPECT_NE(copies()[0], left);
}

// State: a program ended with a series whose sequence, options and plot
// axis were changed. Action: the next start recovers it. Expected: the
// sequence with the same options, and the axis, come back with it.
TEST_F(SeriesCopy, SequenceOptionsAndPlotChoicesAreRecovered) {
    {
        Program p(m_state);
        TSeriesFrm& w = *OpeningForm->OpenFile(m_file.string());
        p.backend.expect<forms::TSequenceOptions>("TSequenceOptions",
                                                  [](forms::TSequenceOptions& d) {
                                                      d.SetTxt->userClick();
                                                      d.NTermTxt->userClick();
                                                      d.OkBtn->userPress();
                                                  });
        w.attachSequence(">hel\nKVFGRCELAAAMKRHGLDNYRGYSLGNWVCAAKFESNFNTQATNRNTDGSTDYGIL\n");
        w.ScaleTxt->userClick();
        EXPECT_TRUE(w.flushCopy());
    }
    Program p(m_state);
    p.backend.expect<forms::TRecoverLog>("TRecoverLog",
                                         [](forms::TRecoverLog& d) { d.BitBtn1->userPress(); });
    forms::offerSeriesRecovery(*OpeningForm, m_state);
    ASSERT_EQ(OpeningForm->seriesWindows().size(), 1u);
    const TSeriesFrm& w = *OpeningForm->seriesWindows()[0];
    ASSERT_TRUE(w.sequence());
    EXPECT_EQ(w.sequence()->name, "hel");
    EXPECT_EQ(w.chargeChoice().pkaSet().name, "DTASelect");
    EXPECT_TRUE(w.chargeChoice().options.nTerminusBlocked);
    EXPECT_FALSE(w.chargeChoice().options.cTerminusBlocked);
    EXPECT_EQ(w.ScaleTxt->text(), "logarithmic");
}

// A copy that cannot be read is kept aside and reported, never offered; a
// folder left before its first snapshot holds nothing and goes unsaid.
TEST_F(SeriesCopy, UnreadableCopyIsKeptAside) {
    const journal::LockedFolder made = journal::createLockedFolder(m_state, journal::kSeriesPrefix);
    std::ofstream(made.dir / "series.qs") << "not a copy";
    ::close(made.lockFd);
    const journal::LockedFolder empty =
        journal::createLockedFolder(m_state, journal::kSeriesPrefix);
    ::close(empty.lockFd);
    Program p(m_state);
    forms::offerSeriesRecovery(*OpeningForm, m_state);
    const std::vector<std::string> messages = p.backend.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("cannot be read"), std::string::npos) << messages[0];
    EXPECT_TRUE(copies().empty());
    EXPECT_TRUE(fs::exists(m_state / ("unreadable-" + made.dir.filename().string()) / "series.qs"));
    EXPECT_TRUE(OpeningForm->seriesWindows().empty());
}

}  // namespace

namespace {

std::vector<std::string> editFiles(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind("edit-", 0) == 0)
            names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace

// State: a series with unsaved changes. Action: cells typed, a column
// deleted, then a program ending with typed cells. Expected: each typed
// cell adds one small file beside the snapshot, which stays as it was; a
// change of the columns writes a new snapshot and the edits go; the next
// start recovers the snapshot with its edits replayed.
TEST_F(SeriesCopy, TypedCellsFollowTheSnapshotAndAreReplayed) {
    std::string left;
    {
        Program p(m_state);
        TSeriesFrm& w = *OpeningForm->OpenFile(m_file.string());
        w.Grid1->userEdit(0, 0, "first");
        ASSERT_TRUE(w.flushCopy());
        const std::string snapshot = journal::readSeriesCopy(copies()[0]).csv;
        w.Grid1->userEdit(1, 0, "second");
        w.Grid1->userEdit(1, 4, "1.4");
        ASSERT_TRUE(w.flushCopy());
        journal::SeriesCopyContent copy = journal::readSeriesCopy(copies()[0]);
        EXPECT_EQ(copy.csv, snapshot);
        const std::vector<journal::SeriesEdit> typed{journal::CellEdit{0, 0, "first"},
                                                     journal::CellEdit{1, 0, "second"},
                                                     journal::CellEdit{1, 4, "1.4"}};
        EXPECT_EQ(copy.edits, typed);
        EXPECT_EQ(editFiles(copies()[0]).size(), 3u);

        w.Grid1->setCurrent(1, 2);
        w.DeleteColumn1->userClick(&w);
        ASSERT_TRUE(w.flushCopy());
        copy = journal::readSeriesCopy(copies()[0]);
        EXPECT_EQ(copy.csv, w.document().text(series::Series::PendingRows::WithoutResults));
        EXPECT_TRUE(copy.edits.empty());
        EXPECT_TRUE(editFiles(copies()[0]).empty());
        w.Grid1->userEdit(2, 0, "third");
        w.Grid1->userEdit(1, 0, "fourth");
        ASSERT_TRUE(w.flushCopy());
        left = w.document().text();
    }
    ASSERT_EQ(copies().size(), 1u);
    // An edit of an older snapshot, as a kill between two writes leaves it,
    // is never read.
    std::ofstream(copies()[0] / "edit-1-1.qs", std::ios::binary)
        << "quorvin series edit 1\n0\n0\n5\nstale";
    Program p(m_state);
    p.backend.expect<forms::TRecoverLog>("TRecoverLog",
                                         [](forms::TRecoverLog& d) { d.BitBtn1->userPress(); });
    forms::offerSeriesRecovery(*OpeningForm, m_state);
    ASSERT_EQ(OpeningForm->seriesWindows().size(), 1u);
    const series::Series& s = OpeningForm->seriesWindows()[0]->document();
    EXPECT_EQ(s.text(), left);
    EXPECT_EQ(s.cellText(1, 0), "fourth");
    EXPECT_EQ(s.rowCount(), 3u);
}

namespace {

// Step n of a scientist's work on the series, one command: a cell typed,
// now and then a row inserted, and twice a column deleted, which takes a new
// snapshot. The first cell typed stays.
void typeStep(TSeriesFrm& w, int n) {
    w.Grid1->setCurrent(0, 3);
    if (n % 40 == 39)
        w.InsertRow1->userClick(&w);
    else if (n == 19 || n == 59)
        w.DeleteColumn1->userClick(&w);
    else
        w.Grid1->userEdit(n == 0 ? 0 : 1, 0, "s" + std::to_string(n));
}

}  // namespace

// State: a program opens a series and types cells, its copy flushed after
// each, past the file's bytes taken as the first snapshot and past the
// snapshots that inserted rows ask for. Action: SIGKILL at a random moment,
// often between a snapshot and the edits that follow it. Expected: the
// copy holds the series of the last step reported written, or of the one
// after it, whose write may have completed unreported: no typed cell lost.
TEST_F(SeriesCopy, AKillBetweenASnapshotAndItsEditsLosesNoCell) {
    constexpr int kSteps = 120;
    std::vector<std::string> texts;
    {
        Program reference(m_temp.path() / "reference");
        TSeriesFrm& w = *OpeningForm->OpenFile(m_file.string());
        for (int n = 0; n < kSteps; ++n) {
            typeStep(w, n);
            texts.push_back(w.document().text());
        }
    }
    std::mt19937 random(7);
    for (int trial = 0; trial < 16; ++trial) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            Program p(m_state);
            TSeriesFrm& w = *OpeningForm->OpenFile(m_file.string());
            for (int n = 0; n < kSteps; ++n) {
                typeStep(w, n);
                w.flushCopy();
                if (::write(fds[1], &n, sizeof n) != sizeof n)
                    ::_exit(1);
            }
            for (;;)
                ::pause();
        }
        ::close(fds[1]);
        ::usleep(std::uniform_int_distribution<unsigned>(0, 400000)(random));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        int last = -1, n = 0;
        while (::read(fds[0], &n, sizeof n) == sizeof n)
            last = n;
        ::close(fds[0]);
        const std::vector<fs::path> left = copies();
        if (left.empty() || !journal::holdsSeriesCopy(left[0])) {
            EXPECT_LE(left.size(), 1u);
            EXPECT_EQ(last, -1) << "trial " << trial;
        } else {
            ASSERT_EQ(left.size(), 1u);
            const std::string got = replayed(journal::readSeriesCopy(left[0]));
            const bool asLast = got == (last >= 0 ? texts[last] : replayed({m_file, kSalt, {}}));
            const bool asNext = last + 1 < kSteps && got == texts[last + 1];
            EXPECT_TRUE(asLast || asNext) << "trial " << trial << ", after step " << last;
        }
        fs::remove_all(m_state);
    }
}

// State: a small snapshot. Action: typed cells past the weight that asks
// for a new snapshot (256 small edits), with and without a way to compact.
// Expected: without it, the edit past that weight is refused, asking the
// window for a snapshot; with it, every edit is taken and the thread folds
// them into a new snapshot, after which the next edit follows it.
TEST_F(SeriesCopy, EditsPastATenthOfTheSnapshotAreFoldedIntoANewOne) {
    for (const bool compacts : {false, true}) {
        journal::SeriesCopy copy(m_state, [&](const journal::SeriesCopyContent& c) {
            EXPECT_TRUE(compacts);
            return c.csv + std::to_string(c.edits.size());
        });
        journal::SeriesCopy plain(m_state);
        journal::SeriesCopy& used = compacts ? copy : plain;
        used.write(m_file, std::string("a\n"));
        int taken = 0;
        while (taken < 300 && used.writeEdit({0, 0, "x"}))
            ++taken;
        used.sync();
        const journal::SeriesCopyContent left = journal::readSeriesCopy(copies().at(0));
        if (compacts) {
            EXPECT_EQ(taken, 300);
            EXPECT_EQ(left.csv, "a\n257");
            EXPECT_EQ(left.edits.size(), 300u - 257u);
        } else {
            EXPECT_EQ(taken, 256);
            EXPECT_EQ(left.csv, "a\n");
            EXPECT_EQ(left.edits.size(), 256u);
        }
        used.remove();
        used.sync();
    }
}

namespace {

constexpr const char* kSix =
    "Sample,IonicStrength,Temperature,StokesRadius,Mobility\n"
    "A,0.010,25,3.5,1.80\nB,0.050,25,3.5,1.31\nC,0.100,25,3.5,1.12\n"
    "D,0.010,30,3.5,2.10\nE,0.050,30,3.5,1.52\nF,0.100,30,3.5,1.30\n";

// A change a user makes: the cells selected, the command, what it pastes.
struct ChangeCase {
    const char* what;
    platform::GridRange at;
    platform::MenuItem* TSeriesFrm::*command;
    const char* clipboard = nullptr;
};

}  // namespace

// State: a file opened and a cell typed, so that its bytes are the copy's
// snapshot. Action: each kind of change in turn, then the plot's scale, a
// sequence attached and a column deleted. Expected: after each, the copy
// replayed gives the window's series whole (inputs, results, settings),
// and the snapshot stays the file's bytes until the columns change.
TEST_F(SeriesCopy, EachKindOfChangeIsAnEditReplayedToTheWindowsSeries) {
    std::ofstream(m_file, std::ios::binary) << kSix;
    const ChangeCase cases[] = {
        {"row inserted", {2, 0, 2, 0}, &TSeriesFrm::InsertRow1},
        {"rows deleted", {1, 0, 3, 2}, &TSeriesFrm::DeleteRow1},
        {"undone", {0, 0, 0, 0}, &TSeriesFrm::Undo1},
        {"redone", {0, 0, 0, 0}, &TSeriesFrm::Redo1},
        {"row moved up", {2, 1, 2, 1}, &TSeriesFrm::MoveRowUp1},
        {"row moved down", {0, 1, 0, 1}, &TSeriesFrm::MoveRowDown1},
        {"pasted past the end", {2, 0, 2, 0}, &TSeriesFrm::Paste1, "G\t0.2\nH\t0.3\nI\t0.4\n"},
        {"cut", {1, 1, 2, 3}, &TSeriesFrm::Cut1},
        {"cleared", {3, 0, 4, 4}, &TSeriesFrm::Delete1},
    };
    Program p(m_state);
    TSeriesFrm& w = *OpeningForm->OpenFile(m_file.string());
    const auto check = [&](const char* what, bool journalled) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(w.flushCopy());
        const journal::SeriesCopyContent copy = journal::readSeriesCopy(copies().at(0));
        EXPECT_EQ(copy.csv == kSix, journalled);
        EXPECT_EQ(replayed(copy), w.document().text());
    };
    w.Grid1->userEdit(0, 0, "first");
    for (const ChangeCase& c : cases) {
        const std::string before = w.document().text();
        w.Grid1->userSelect(c.at);
        if (c.clipboard)
            p.backend.setClipboard({c.clipboard, {}});
        (w.*c.command)->userClick(&w);
        EXPECT_NE(w.document().text(), before) << c.what;
        check(c.what, true);
    }
    w.ScaleTxt->userClick();
    check("plot's scale", true);
    p.backend.expect<forms::TSequenceOptions>(
        "TSequenceOptions", [](forms::TSequenceOptions& d) { d.OkBtn->userPress(); });
    w.attachSequence(">hel\nKVFGRCELAAAMKRHGLDNYRGYSLGNWVCAAKFESNFNTQATNRNTDGSTDYGIL\n");
    check("sequence attached", true);
    w.Grid1->setCurrent(0, 2);
    w.DeleteColumn1->userClick(&w);
    check("column deleted", false);
}

// State: a snapshot. Action: edits of each kind written, with texts that
// hold line breaks and digits, then edit files cut short or with counts
// past their bytes. Expected: the first read back as written; each damaged
// one refused, naming its file.
TEST_F(SeriesCopy, EditsReadBackAsWrittenAndDamagedOnesAreRefused) {
    const std::vector<journal::SeriesEdit> edits{
        journal::CellEdit{3, 1, "a\n2\n"},
        journal::RowsEdit{1, 2, {{"x\n1", "", "0.5"}, {"", "7\n", ""}}},
        journal::RowsEdit{0, 4, {}},
        journal::SettingsEdit{{{"PkaSet", "EMBOSS"}, {"Sequence", ">s\nKKD\n"}}},
    };
    {
        journal::SeriesCopy copy(m_state);
        copy.write(m_file, std::string("a\n"));
        for (const journal::SeriesEdit& e : edits)
            ASSERT_TRUE(copy.writeEdit(e));
        copy.sync();
        EXPECT_EQ(journal::readSeriesCopy(copies().at(0)).edits, edits);
    }
    const char* damaged[] = {
        "quorvin series rows 1\n0\n1\n2\n1\n1\nx",
        "quorvin series rows 1\n0\n1\n99999999999\n1\n",
        "quorvin series settings 1\n1\n1\na1\nbextra",
    };
    for (const char* bytes : damaged) {
        SCOPED_TRACE(bytes);
        std::ofstream(copies().at(0) / "edit-1-1.qs", std::ios::binary) << bytes;
        try {
            journal::readSeriesCopy(copies().at(0));
            ADD_FAILURE() << "read";
        } catch (const platform::Exception& e) {
            EXPECT_STREQ(e.what(), "\"edit-1-1.qs\" is damaged");
        }
    }
}
