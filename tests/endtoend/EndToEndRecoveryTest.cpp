// SPDX-License-Identifier: GPL-3.0-or-later

// The log's recovery copy end to end: this test program runs again as a
// child that makes entries and is killed, then the program starts anew on
// its state folder.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QFontMetrics>
#include <fstream>
#include <string>
#include <vector>

#include "forms/LogJournal.h"
#include "platform/richtext/Rtf.h"
#include "tests/support/ProgramSession.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using e2e::Dialog;

constexpr const char* kChildState = "QUORVIN_KILLED_CHILD_STATE";
constexpr const char* kChild = "Recovery.ChildEntersValuesUntilKilled";

class Recovery : public e2e::ProgramSession {
  protected:
    // A program that entered z = 10, 11 and 12, killed with SIGKILL once its
    // copy is on disk.
    void leaveKilledProgram() {
        const fs::path home = stateFolder().parent_path();
        fs::create_directories(home);
        const fs::path ready = home / "ready";
        // The child's own temporary folders go inside this test's, which
        // goes at its end: the child is killed before it could remove them.
        const fs::path childTemp = root() / "child";
        fs::create_directory(childTemp);
        std::vector<std::string> variables = {std::string(kChildState) + "=" + home.string(),
                                              "TMPDIR=" + childTemp.string()};
        for (char** each = environ; *each; ++each) {
            const std::string variable = *each;
            if (variable.rfind("TMPDIR=", 0) != 0 && variable.rfind(kChildState, 0) != 0)
                variables.push_back(variable);
        }
        std::vector<char*> envp;
        for (std::string& variable : variables)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        std::string self = "endtoend_tests", filter = std::string("--gtest_filter=") + kChild;
        char* argv[] = {self.data(), filter.data(), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(::posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, envp.data()), 0);
        EXPECT_TRUE(e2e::waitFor([&] { return fs::exists(ready); }, 60000))
            << "the child never got ready";
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        fs::remove(ready);
    }
};

TEST_F(Recovery, ChildEntersValuesUntilKilled) {
    const char* state = std::getenv(kChildState);
    if (!state)
        GTEST_SKIP() << "the child of the other recovery tests";
    ::setenv("XDG_STATE_HOME", state, 1);
    runProgram([&] {
        for (const char* z : {"10", "11", "12"}) {
            expectDialog("NumberEntry", typeNumber(z));
            e2e::click(field("ZTxt"));
        }
        forms::ReportFrm->journal()->flush();
        std::ofstream(fs::path(state) / "ready");
        for (;;)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    });
}

TEST_F(Recovery, KilledProgramsLogIsRecoveredAndSaved) {
    leaveKilledProgram();
    expectDialog("RecoverLog", [](Dialog& d) {
        const QString question = d.text("StaticText1");
        EXPECT_TRUE(question.startsWith(
            "A calculation log that was not saved was found (3 entries, last changed "))
            << question.toStdString();
        auto* box = d.child<platform::qt::StaticTextWidget>("StaticText1");
        EXPECT_LE(QFontMetrics(box->font()).horizontalAdvance(question), box->textRect().width());
        d.click("BitBtn1");
    });
    runProgram([&] {
        QWidget* report = windowOf(forms::ReportFrm);
        ASSERT_TRUE(report && report->isVisible());
        EXPECT_TRUE(forms::ReportFrm->LogUnsaved);
        expectDialog("SaveDialog1", [](Dialog&) {
            e2e::typeText("recovered");
            e2e::key(Qt::Key_Return);
        });
        menu(report, "Save1");
    });
    const std::string text = platform::loadRtfFile(m_dir / "recovered.RTF").plainText();
    for (const char* z : {"10", "11", "12"})
        EXPECT_NE(text.find(std::string("Sigma and Z* calculated from Z: ") + z), std::string::npos)
            << z;
    EXPECT_EQ(journal::countEntries(platform::loadRtfFile(m_dir / "recovered.RTF")), 3);
}

TEST_F(Recovery, NoAndItsConfirmationDeleteTheLog) {
    leaveKilledProgram();
    expectDialog("RecoverLog", [](Dialog& d) { d.click("BitBtn2"); });
    expectDialog("DeleteLog", [](Dialog& d) {
        EXPECT_EQ(d.text("StaticText1"), "The log will be deleted.");
        d.click("BitBtn1");
    });
    runProgram([&] { EXPECT_TRUE(forms::ReportFrm->document().empty()); });
    // The fixture checks that no copy is left.
}

}  // namespace
