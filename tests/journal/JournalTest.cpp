// SPDX-License-Identifier: GPL-3.0-or-later

// The calculation log's recovery copy: the program on the headless back end,
// killed in a child process, and started again on the same state folder.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "forms/LogJournal.h"
#include "forms/Mainfrm.h"
#include "forms/Recover.h"
#include "forms/Report.h"
#include "journal/Journal.h"
#include "platform/Application.h"
#include "platform/headless/Headless.h"
#include "platform/richtext/Rtf.h"
#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;
using forms::OpeningForm;
using forms::ReportFrm;

const std::string kSeparator(61, '-');

// One run of the program, with its recovery copy in state unless that is
// empty.
struct Program {
    explicit Program(const fs::path& state, int mergeAfter = 256) {
        application.CreateForm(OpeningForm);
        application.CreateForm(ReportFrm);
        application.Run();
        if (!state.empty())
            journal = std::make_unique<forms::LogJournal>(*ReportFrm, state, mergeAfter);
    }
    ~Program() {
        journal.reset();
        OpeningForm = nullptr;
        ReportFrm = nullptr;
    }

    // Step n of a session: a new entry (z entered), and every fifth step an
    // edit of the log instead (a note, partly bold), its two seconds passed.
    void step(int n) {
        if (n % 5 == 4) {
            platform::RichEdit& editor = *ReportFrm->RichEdit1;
            editor.userSelect(editor.length(), 0);
            const std::string note = " note " + std::to_string(n);
            editor.userType(note);
            editor.setSelection(editor.length() - static_cast<int>(note.size()), 4);
            platform::Font bold;
            bold.bold = true;
            editor.SetSelAttributes(bold);
            backend.fireTimers();
            return;
        }
        OpeningForm->ZTxt->setText(std::to_string(n % 40 + 1));
        OpeningForm->Valence = n % 40 + 1;
        OpeningForm->ZCalculated = false;
        OpeningForm->ZstarCalculated = true;
        OpeningForm->SigmaCalculated = true;
        OpeningForm->Recalculate();
    }
    void offerRecovery() { forms::offerRecovery(*OpeningForm, *ReportFrm, *journal); }
    std::string logRtf() const { return platform::writeRtf(ReportFrm->document()); }

    // Answers the next recovery question, and the confirmation after No.
    void answer(bool recover, bool deleteIt = false, std::string* question = nullptr) {
        backend.expect<forms::TRecoverLog>("TRecoverLog", [=](forms::TRecoverLog& d) {
            if (question)
                *question = d.StaticText1->text();
            (recover ? d.BitBtn1 : d.BitBtn2)->userPress();
        });
        if (!recover)
            backend.expect<forms::TDeleteLog>("TDeleteLog", [=](forms::TDeleteLog& d) {
                EXPECT_EQ(d.StaticText1->text(), "The log will be deleted.");
                (deleteIt ? d.BitBtn1 : d.BitBtn2)->userPress();
            });
    }

    platform::headless::HeadlessBackend backend;
    platform::Application application{backend};
    std::unique_ptr<forms::LogJournal> journal;
};

class Journal : public ::testing::Test {
  protected:
    // The copies in the state folder: those of running programs too. A
    // folder that a program killed while making it left without its lock
    // holds nothing and is not counted (it goes a minute later).
    std::vector<fs::path> copies() const {
        std::error_code ec;
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(m_state, ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(".new-", 0) != 0 || fs::exists(entry.path() / "lock"))
                found.push_back(entry.path());
        }
        return found;
    }

    // A child process running the program: steps until killed, writing the
    // number of each step once its copy is on disk.
    pid_t startProgram(int steps, int& progress) {
        int fds[2];
        if (::pipe(fds) != 0)
            ADD_FAILURE() << "no pipe";
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            Program p(m_state, 3);
            for (int n = 0; n < steps; ++n) {
                p.step(n);
                p.journal->flush();
                if (::write(fds[1], &n, sizeof n) != sizeof n)
                    ::_exit(1);
            }
            for (;;)
                ::pause();
        }
        ::close(fds[1]);
        progress = fds[0];
        return pid;
    }
    static int kill(pid_t pid, int progress) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        int last = -1, n = 0;
        while (::read(progress, &n, sizeof n) == sizeof n)
            last = n;
        ::close(progress);
        return last;
    }

    // The state folder, not made yet, as in a first start.
    testing_support::TempFolder m_temp{"quorvin-journal"};
    const fs::path m_state = m_temp.path() / "state";
};

// State: a program adds entries and edits its log, its copy on disk after
// each step. Action: SIGKILL at a random moment, often inside a write; a
// new start recovers. Expected: the log of the last step reported written,
// or of the one after it, whose write may have completed unreported: no
// line lost, torn or doubled, in the RTF a save writes.
TEST_F(Journal, AKillAtAnyMomentLeavesTheLogOfTheLastCompletedWrite) {
    constexpr int kSteps = 120;
    std::vector<std::string> logs;
    std::vector<int> entries;
    {
        Program reference({});
        for (int n = 0; n < kSteps; ++n) {
            reference.step(n);
            logs.push_back(reference.logRtf());
            entries.push_back(journal::countEntries(ReportFrm->document()));
        }
    }
    std::mt19937 random(18);
    for (int trial = 0; trial < 30; ++trial) {
        int progress = -1;
        const pid_t pid = startProgram(kSteps, progress);
        ::usleep(std::uniform_int_distribution<unsigned>(0, 60000)(random));
        const int last = kill(pid, progress);

        Program restarted(m_state);
        bool left = false;  // killed before its first write leaves an empty copy
        for (const auto& found : journal::findAbandoned(m_state))
            left = left || !found->load().empty();
        std::string question;
        if (left)
            restarted.answer(true, false, &question);
        restarted.offerRecovery();
        if (!left) {
            EXPECT_EQ(last, -1) << "trial " << trial << ": the written log is gone";
            continue;
        }
        const std::string log = restarted.logRtf();
        const int at = last >= 0 && log != logs[last] ? last + 1 : std::max(last, 0);
        ASSERT_LT(at, kSteps);
        EXPECT_EQ(log, logs[at]) << "trial " << trial << ", last written step " << last;
        const std::string count = std::to_string(entries[at]);
        EXPECT_NE(question.find('(' + count + " entr"), std::string::npos) << question;
        EXPECT_TRUE(ReportFrm->LogUnsaved);
        EXPECT_TRUE(ReportFrm->visible());
        restarted.journal->removeCopy();
    }
    for (const fs::path& left : copies())
        ADD_FAILURE() << "left behind: " << left.filename();
}

// Two programs at once keep a copy each; the one that runs is never offered,
// and No keeps a copy until the deletion is confirmed.
TEST_F(Journal, TwoProgramsKeepTwoCopiesAndTheRunningOneIsNeverOffered) {
    int progress = -1;
    const pid_t other = startProgram(2, progress);
    int n = 0;
    while (n < 1 && ::read(progress, &n, sizeof n) == sizeof n) {
    }
    Program self(m_state);
    self.step(0);
    self.journal->flush();
    EXPECT_EQ(copies().size(), 2u);
    self.offerRecovery();  // a question would fail: no answer is queued
    kill(other, progress);

    self.answer(false, false);
    self.offerRecovery();
    EXPECT_EQ(copies().size(), 2u) << "kept when the deletion is not confirmed";
    self.answer(false, true);
    self.offerRecovery();
    EXPECT_EQ(copies(), std::vector<fs::path>{self.journal->store().folder()});
    EXPECT_EQ(journal::countEntries(ReportFrm->document()), 1) << "nothing recovered";
}

// Copies left at different times come oldest first, each after the one
// before; one that cannot be read is renamed aside and named in a message.
TEST_F(Journal, OffersOldestFirstAndSetsAsideWhatCannotBeRead) {
    const auto now = fs::file_time_type::clock::now();
    auto leave = [&](const std::string& text, int minutesAgo) {
        journal::Journal j(m_state);
        platform::RichDocument doc;
        doc.appendLine(kSeparator);
        doc.appendLine(text);
        j.replace(doc);
        j.sync();
        for (const auto& e : fs::directory_iterator(j.folder()))
            fs::last_write_time(e.path(), now - std::chrono::minutes(minutesAgo));
        return j.folder();
    };
    leave("newer", 1);
    const fs::path damaged = leave("damaged", 5);
    std::ofstream(damaged / "1.qj", std::ios::trunc) << "quorvin journal 1\n99\n{\\rtf1";
    const fs::path older = leave("older", 9);

    const std::time_t changed = std::chrono::system_clock::to_time_t(
        std::chrono::file_clock::to_sys(fs::last_write_time(older / "1.qj")));

    Program p(m_state);
    std::string question;
    p.answer(true, false, &question);
    p.answer(true);
    p.offerRecovery();

    std::vector<std::string> lines;
    for (const auto& para : ReportFrm->document().paragraphs())
        lines.push_back(para.text());
    EXPECT_EQ(lines, (std::vector<std::string>{kSeparator, "older", kSeparator, "newer"}));
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", std::localtime(&changed));
    EXPECT_EQ(question, std::string("A calculation log that was not saved was found (1 entry, "
                                    "last changed ") +
                            when + "). Recover it?");

    const fs::path aside = m_state / ("unreadable-" + damaged.filename().string().substr(4));
    EXPECT_EQ(p.backend.takeMessages(),
              std::vector<std::string>{"The calculation log left in \"" + damaged.string() +
                                       "\" cannot be read (\"1.qj\" is damaged). It is kept as \"" +
                                       aside.string() + "\"."});
    EXPECT_TRUE(fs::exists(aside / "1.qj"));
    p.offerRecovery();  // nothing is offered twice
}

}  // namespace
