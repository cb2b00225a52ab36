// SPDX-License-Identifier: GPL-3.0-or-later

// A state folder that cannot be written is named at once, and the copies in
// it are still offered, read without a write lock and kept.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "journal/Journal.h"
#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

constexpr uid_t kNobody = 65534;

// What a user without write permission sees, in a child process that drops
// root's rights (root writes into any folder); its exit status is the first
// check that failed, 0 when none did.
int asOtherUser(const fs::path& state) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(9);
        if (journal::stateFolderProblem(state).find("cannot be written") == std::string::npos)
            ::_exit(1);
        auto found = journal::findAbandoned(state);
        if (found.size() != 1 || !found[0]->readOnly())
            ::_exit(2);
        const platform::RichDocument doc = found[0]->load();
        if (doc.paragraphs().size() != 2 || doc.paragraphs()[1].text() != "kept")
            ::_exit(3);
        found[0]->discard();
        if (found[0]->setAside() != found[0]->folder() || !fs::exists(found[0]->folder()))
            ::_exit(4);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ReadOnlyState, TheFolderIsNamedAndItsCopiesAreOfferedAndKept) {
    const TempFolder temp("quorvin-readonly-state");
    const fs::path state = temp.path() / "state" / "quorvin";
    EXPECT_EQ(journal::stateFolderProblem(state), "") << "not made yet, but it can be";
    fs::path copy;
    {
        journal::Journal j(state);
        platform::RichDocument doc;
        doc.appendLine("-------------------------------------------------------------");
        doc.appendLine("kept");
        j.replace(doc);
        j.sync();
        copy = j.folder();
    }
    EXPECT_EQ(journal::stateFolderProblem(state), "");
    // The files belong to the other user, as a user's own files do.
    for (const auto& e : fs::recursive_directory_iterator(temp.path()))
        ::chown(e.path().c_str(), kNobody, kNobody);
    ::chown(temp.path().c_str(), kNobody, kNobody);
    ::chmod(state.c_str(), 0555);
    ::chmod(copy.c_str(), 0555);
    EXPECT_EQ(asOtherUser(state), 0);
    EXPECT_TRUE(fs::exists(copy / "lock")) << "the copy is kept";
    ::chmod(state.c_str(), 0755);
    ::chmod(copy.c_str(), 0755);
}

TEST(ReadOnlyState, AStateFolderUnderAFileCannotBeMade) {
    const TempFolder temp("quorvin-readonly-state");
    std::ofstream(temp.path() / "file") << "x";
    const std::string problem = journal::stateFolderProblem(temp.path() / "file" / "quorvin");
    EXPECT_NE(problem.find("cannot be made"), std::string::npos) << problem;
    EXPECT_NE(problem.find("is not a folder"), std::string::npos) << problem;
}

}  // namespace
