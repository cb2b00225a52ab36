// SPDX-License-Identifier: GPL-3.0-or-later

// quorvin-batch as a user runs it: a failed or killed run changes no file
// and prints nothing, and no output may be the input or another output.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "batch/Batch.h"
#include "tests/support/Files.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TempFolder;

class BatchRun : public ::testing::Test {
  protected:
    fs::path file(const std::string& name, const std::string& text) const {
        std::ofstream(m_dir / name, std::ios::binary) << text;
        return m_dir / name;
    }
    std::string read(const std::string& name) const { return readFile(m_dir / name); }
    // Runs in the test's folder; the exit status.
    int run(const std::string& arguments) const {
        const std::string command = "cd '" + m_dir.string() + "' && '" QUORVIN_BATCH_EXE "' " +
                                    arguments + " >stdout 2>stderr";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Every name under the folder, hidden ones too, but the run's streams.
    std::vector<std::string> tree() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir)) {
            const std::string name = fs::relative(entry.path(), m_dir).string();
            if (name != "stdout" && name != "stderr")
                names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    const fs::path& dir() const { return m_dir; }

  private:
    TempFolder m_temp{"quorvin-batch-run"};
    const fs::path m_dir = m_temp.path();
};

TEST_F(BatchRun, AnInputThatFailsAtALaterLineChangesNoFileAndPrintsNothing) {
    fs::create_directory(dir() / "dat");
    file("dat/1-a.DAT", "old\n");
    file("bad.csv", "Sample,Valence\na,10\nb,3\n\"open\n");
    const std::vector<std::string> before = tree();
    for (const char* outputs : {"--dat dat", "--dat dat -o out.csv --log log.rtf"}) {
        EXPECT_EQ(run(std::string(outputs) + " bad.csv"), 2) << outputs;
        EXPECT_NE(read("stderr").find("bad.csv, line 4, column 1"), std::string::npos);
        EXPECT_EQ(read("stdout"), "") << "no header and no earlier rows";
        EXPECT_EQ(read("dat/1-a.DAT"), "old\n");
        EXPECT_EQ(tree(), before) << "no new or temporary file: " << outputs;
    }
}

TEST_F(BatchRun, ALongSampleNameIsShortenedToFitTheFileSystem) {
    // 150 two-byte characters: 300 bytes, beyond the 255 of most file systems.
    std::string label;
    for (int i = 0; i < 150; ++i)
        label += "\xC3\xA9";
    file("long.csv", "Sample,Valence\n" + label + ",10\nb,3\n");
    ASSERT_EQ(run("--dat dat long.csv"), 0) << read("stderr");
    EXPECT_NE(read("stderr").find("1 .DAT file names were shortened"), std::string::npos);
    EXPECT_NE(read("stdout").find(label + ",10,3.027,"), std::string::npos) << "the label is whole";
    const std::vector<std::string> names = tree();
    ASSERT_EQ(names.size(), 4u) << "dat, its two files, long.csv";
    const std::string shortened = fs::path(names[1]).filename().string();
    EXPECT_LE(shortened.size(), 255u);
    EXPECT_EQ(shortened, batch::datFileName(1, label, 255));
    EXPECT_EQ(shortened.substr(shortened.size() - 6), "\xC3\xA9.DAT") << "cut between characters";
    EXPECT_EQ(names[2], "dat/2-b.DAT");
}

TEST_F(BatchRun, AnOutputThatIsTheInputOrAnotherOutputIsRefused) {
    file("in.csv", "Valence\n10\n");
    file("other.csv", "old\n");
    fs::create_hard_link(dir() / "in.csv", dir() / "hard.csv");
    fs::create_symlink("other.csv", dir() / "link.csv");
    const std::pair<const char*, const char*> cases[] = {
        {"-o in.csv in.csv", "--output \"in.csv\" is the input"},
        {"--log in.csv in.csv", "--log \"in.csv\" is the input"},
        {"-o hard.csv in.csv", "--output \"hard.csv\" is the input"},
        {"-o ./sub/../in.csv in.csv", "is the input"},
        {"-o in.csv < in.csv", "is the input (standard input)"},
        {"-o other.csv --log other.csv in.csv", "--log \"other.csv\" is also the file of --output"},
        {"-o link.csv --log other.csv in.csv", "is also the file of --output"},
        {"-o new.csv --log ./new.csv in.csv", "is also the file of --output"},
    };
    for (const auto& [arguments, message] : cases) {
        EXPECT_EQ(run(arguments), 2) << arguments;
        EXPECT_NE(read("stderr").find(message), std::string::npos) << arguments << read("stderr");
        EXPECT_EQ(read("in.csv"), "Valence\n10\n");
        EXPECT_EQ(read("other.csv"), "old\n");
        EXPECT_FALSE(fs::exists(dir() / "new.csv"));
    }
    EXPECT_EQ(run("-o /dev/null --log /dev/null in.csv"), 0) << "a device may be shared";
}

TEST_F(BatchRun, NamesAndOptionsReachTheTerminalEscaped) {
    // printf makes the bytes: ESC is \033, U+202E is \342\200\256.
    const std::pair<const char*, const char*> cases[] = {
        {"\"$(printf 'evil\\033[2Jname\\342\\200\\256txt.csv')\"",
         "\"evil\\x1b[2Jname\\u202etxt.csv\""},
        {"\"$(printf -- '--bad\\033]0;title\\007')\"", "unknown option --bad\\x1b]0;title\\x07"},
        {"--draws \"$(printf '1\\033[1m')\"", "not \"1\\x1b[1m\""},
    };
    for (const auto& [arguments, shown] : cases) {
        EXPECT_EQ(run(std::string("-o out.csv ") + arguments), 2) << arguments;
        const std::string err = read("stderr");
        EXPECT_NE(err.find(shown), std::string::npos) << err;
        EXPECT_EQ(err.find('\x1b'), std::string::npos) << arguments;
        EXPECT_EQ(err.find("\xE2\x80\xAE"), std::string::npos) << arguments;
    }
}

// A run of many Monte Carlo rows, ended by a signal once its temporary
// files exist.
TEST_F(BatchRun, SigintAndSigtermRemoveTheTemporaryFiles) {
    std::string csv = "Sample,Sigma,SigmaSD\n";
    for (int i = 0; i < 400; ++i)
        csv.append("s").append(std::to_string(i)).append(",22,0.5\n");
    file("slow.csv", csv);
    for (int signal : {SIGINT, SIGTERM}) {
        const std::string exe = QUORVIN_BATCH_EXE;
        const std::string out = (dir() / "out.csv").string(), log = (dir() / "log.txt").string(),
                          dat = (dir() / "dat").string(), in = (dir() / "slow.csv").string();
        std::vector<const char*> argv = {exe.c_str(), "--draws",  "100000",    "-o",
                                         out.c_str(), "--log",    log.c_str(), "--dat",
                                         dat.c_str(), in.c_str(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr,
                              const_cast<char* const*>(argv.data()), environ),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        // Waits until a .DAT file is staged, so every kind of temporary exists.
        const auto staged = [&] {
            for (const auto& e : fs::recursive_directory_iterator(dir()))
                if (e.path().parent_path().filename().string().rfind(".quorvin-batch-", 0) == 0)
                    return true;
            return false;
        };
        for (int i = 0; i < 3000 && !staged(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_GT(tree().size(), 4u) << "temporary files before the signal";
        ::kill(pid, signal);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(tree(), (std::vector<std::string>{"dat", "slow.csv"})) << "signal " << signal;
    }
}

}  // namespace
