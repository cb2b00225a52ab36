// SPDX-License-Identifier: GPL-3.0-or-later

// quorvin-fit as a user runs it: its output and exit statuses.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TempFolder;

class FitProgram : public ::testing::Test {
  protected:
    std::string scan(const std::string& name) const {
        return std::string("'") + QUORVIN_TEST_DATA + "/scans/" + name + "'";
    }
    fs::path file(const std::string& name, const std::string& text) const {
        std::ofstream(m_temp.path() / name, std::ios::binary) << text;
        return m_temp.path() / name;
    }
    // The exit status; the output and messages go to out() and err().
    int run(const std::string& arguments) const {
        const std::string command = std::string("LC_ALL=de_DE.UTF-8 '") + QUORVIN_FIT_EXE + "' " +
                                    arguments + " >'" + (m_temp.path() / "out").string() + "' 2>'" +
                                    (m_temp.path() / "err").string() + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string out() const { return readFile(m_temp.path() / "out"); }
    std::string err() const { return readFile(m_temp.path() / "err"); }

  private:
    TempFolder m_temp{"quorvin-fit"};
};

TEST_F(FitProgram, WritesARowPerScanAndOneForTheGlobalFit) {
    ASSERT_EQ(run("--global --draws 200 " + scan("radial-1.txt") + " " + scan("radial-2.txt")), 0)
        << err();
    const std::string o = out();
    EXPECT_EQ(o.rfind("Scan,Points,Sigma,SigmaSE,SigmaLow95,SigmaHigh95,Amplitude,Baseline,"
                      "ReducedChiSquare,RunsZ\r\n",
                      0),
              0u);
    EXPECT_NE(o.find("/radial-1.txt,200,2.49775,"), std::string::npos) << o;
    EXPECT_NE(o.find("\r\nglobal,400,2.50171,"), std::string::npos) << o;
    EXPECT_NE(o.find(",,"), std::string::npos) << "the global row has no amplitude";
    EXPECT_NE(err().find("radial-2.txt: scan at 10800 s, 20 C"), std::string::npos) << err();
    // The same seed, the same digits.
    run("--global --draws 200 " + scan("radial-1.txt") + " " + scan("radial-2.txt"));
    EXPECT_EQ(out(), o);
}

TEST_F(FitProgram, ExitStatusTellsWhetherEveryFitSucceeded) {
    EXPECT_EQ(run("--draws 0 --from 6.0 --to 6.01 " + scan("columns-sd.txt")), 1);
    EXPECT_NE(out().find("/columns-sd.txt,200,,,,,,,,\r\n"), std::string::npos) << out();
    EXPECT_NE(err().find("3 points in the range used, too few"), std::string::npos) << err();

    const fs::path bad = file("bad.txt", "6.0 0.1\n6.1 0.2 x\n");
    EXPECT_EQ(run(scan("columns-sd.txt") + " '" + bad.string() + "'"), 2);
    EXPECT_NE(err().find("bad.txt, line 2, column 3"), std::string::npos) << err();
    EXPECT_EQ(out(), "") << "nothing is written before every scan is read";

    EXPECT_EQ(run("--frobnicate " + scan("columns-sd.txt")), 2);
    EXPECT_NE(err().find("unknown option --frobnicate"), std::string::npos);
    EXPECT_EQ(run("--draws 1e3 " + scan("columns-sd.txt")), 2);
    EXPECT_EQ(run("--from 7 --to 6 " + scan("columns-sd.txt")), 2);
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run(scan("missing.txt")), 2);
    EXPECT_NE(err().find("cannot read"), std::string::npos);

    EXPECT_EQ(run("--help"), 0);
    EXPECT_EQ(out().rfind("Usage: quorvin-fit", 0), 0u);
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(out().rfind("quorvin-fit 1.0\nLicense GPL-3.0-or-later", 0), 0u);
}

// A spreadsheet's file with x in mm gives the digits of the same scan in
// cm; x in a unit that is not a length stops the run with its place.
TEST_F(FitProgram, ReadsTheUnitsOfASpreadsheetsHeader) {
    std::string cm = "x signal\n", mm = "\xEF\xBB\xBFPosition (mm);Absorbance (AU)\r\n";
    for (int i = 0; i < 40; ++i) {
        const std::string y = "0," + std::to_string(100 + i * i + i * 7919 % 13);
        cm += "6." + std::to_string(10 + i) + " " + y.substr(0, 1) + "." + y.substr(2) + "\n";
        mm += "6" + std::to_string(1 + i / 10) + "," + std::to_string(i % 10) + ";" + y + "\r\n";
    }
    ASSERT_EQ(run("--draws 0 '" + file("cm.txt", cm).string() + "'"), 0) << err();
    const std::string inCm = out();
    ASSERT_EQ(run("--draws 0 '" + file("mm.csv", mm).string() + "'"), 0) << err();
    EXPECT_EQ(out().substr(out().find(",40,")), inCm.substr(inCm.find(",40,")));

    const fs::path px = file("px.csv", "Position (px);Absorbance\r\n61;0,1\r\n");
    EXPECT_EQ(run("'" + px.string() + "'"), 2);
    EXPECT_NE(err().find("px.csv, line 1, column 1: the position x is read in cm, mm"),
              std::string::npos)
        << err();
}

TEST_F(FitProgram, AFitThatIsNotCredibleOrAScanNoFitCanUseExitsWithOneAndTheReason) {
    std::string flat, two, noisy;
    for (int i = 0; i < 40; ++i) {
        const std::string x = "6." + std::to_string(10 + i);
        flat += x + " 0.5\n";
        two += std::string(i % 2 ? "6.1" : "6.2") + " 0." + std::to_string(10 + i) + "\n";
        noisy += x + " 0.5" + std::to_string(i * 7919 % 13) + " 0.00001\n";
    }
    const std::pair<std::string, const char*> cases[] = {
        {flat, "flat.txt: the signal is the same at every point"},
        {two, "flat.txt: 2 distinct positions"},
        {noisy, "flat.txt: not credible: "},
    };
    for (const auto& [text, reason] : cases) {
        const fs::path scanFile = file("flat.txt", text);
        EXPECT_EQ(run("--draws 0 '" + scanFile.string() + "'"), 1) << reason;
        EXPECT_NE(err().find(reason), std::string::npos) << err();
        EXPECT_NE(out().find("flat.txt,40,,,,,,,,\r\n"), std::string::npos) << out();
    }
}

}  // namespace
