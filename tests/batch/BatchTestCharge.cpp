// SPDX-License-Identifier: GPL-3.0-or-later

// quorvin-batch --sequence with its options: the charge columns against
// EMBOSS iep and Biopython (tests/data/charge_reference.py), the refusals
// of the command line, and a saved series' Setting: columns.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/base/NumberText.h"
#include "tests/support/Files.h"

namespace {

namespace fs = std::filesystem;

class BatchSequence : public ::testing::Test {
  protected:
    std::string file(const std::string& name, const std::string& text) const {
        std::ofstream(m_dir.path() / name, std::ios::binary) << text;
        return (m_dir.path() / name).string();
    }
    // The exit status; standard output and error kept.
    int run(const std::string& arguments) {
        const fs::path out = m_dir.path() / "out", err = m_dir.path() / "err";
        const std::string command = std::string("'") + QUORVIN_BATCH_EXE + "' " + arguments +
                                    " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int status = std::system(command.c_str());
        output = testing_support::readFile(out);
        error = testing_support::readFile(err);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // The output's field of a column in its first data row.
    std::string field(const std::string& column) const {
        std::istringstream lines(output);
        std::string header, row;
        std::getline(lines, header);
        std::getline(lines, row);
        const auto split = [](const std::string& line) {
            std::vector<std::string> fields;
            std::stringstream s(line.substr(0, line.find('\r')));
            for (std::string f; std::getline(s, f, ',');)
                fields.push_back(f);
            return fields;
        };
        const std::vector<std::string> names = split(header), values = split(row);
        for (std::size_t i = 0; i < names.size() && i < values.size(); ++i)
            if (names[i] == column)
                return values[i];
        ADD_FAILURE() << "no " << column << " in " << output;
        return {};
    }
    testing_support::TempFolder m_dir{"quorvin-batch-sequence"};
    std::string output, error;
};

std::vector<std::string> fastaRecords() {
    std::ifstream in(QUORVIN_CHARGE_PROTEINS);
    std::vector<std::string> records;
    for (std::string line; std::getline(in, line);)
        (line.starts_with('>') ? records.emplace_back() : records.back()) += line + "\n";
    return records;
}

// Every reference row: the protein, set and options on the command line, a
// row at pH 7; Z to the two decimals iep prints, Biopython's to the four
// the output gives, both isoelectric points to 0.001.
TEST_F(BatchSequence, ChargeColumnsAgreeWithEmbossAndBiopython) {
    const std::vector<std::string> records = fastaRecords();
    const std::string input = file("in.csv", "Sample,Mobility,pH\nx,1.0,7\n");
    std::ifstream in(QUORVIN_CHARGE_REFERENCE);
    std::string line;
    std::getline(in, line);
    int rows = 0;
    for (; std::getline(in, line); ++rows) {
        std::stringstream s(line);
        std::string record, set, bridges, n, c, pI, z7;
        for (std::string* f : {&record, &set, &bridges, &n, &c, &pI, &z7})
            std::getline(s, *f, ',');
        const std::string fasta = file("p.fasta", records.at(std::stoul(record)));
        std::string options = "--sequence '" + fasta + "' --pka-set " +
                              (set == "EMBOSS" ? "emboss" : "bjellqvist") + " --disulfides " +
                              bridges;
        options += n == "1" ? " --blocked-n" : "";
        options += c == "1" ? " --blocked-c" : "";
        ASSERT_EQ(run(options + " '" + input + "'"), 0) << line << "\n" << error;
        EXPECT_NEAR(platform::StrToFloat(field("PredictedCharge")), platform::StrToFloat(z7),
                    set == "EMBOSS" ? 0.00501 : 5.1e-5)
            << line;
        EXPECT_NEAR(platform::StrToFloat(field("IsoelectricPoint")), platform::StrToFloat(pI), 1e-3)
            << line;
        const double z = platform::StrToFloat(field("ValenceResult"));
        EXPECT_NEAR(platform::StrToFloat(field("BoundCharge")),
                    z - platform::StrToFloat(field("ScreenedCharge")), 0.0052)  // z to 0.01
            << line;
    }
    EXPECT_EQ(rows, 14);
}

// Lysozyme with its bridges at pH 9 in the ";" dialect: the charge
// window's 6.72, written with a decimal comma.
TEST_F(BatchSequence, LysozymeWithItsBridgesInTheSemicolonDialect) {
    const std::string fasta = file("hel.fasta", fastaRecords().at(1));
    const std::string input = file("in.csv", "Sample;Mobility;pH\nhel;0,6;9\n");
    ASSERT_EQ(run("--sequence '" + fasta + "' --disulfides 4 '" + input + "'"), 0) << error;
    EXPECT_NE(output.find(";PredictedCharge;ScreenedCharge;BoundCharge;IsoelectricPoint;Error"),
              std::string::npos)
        << output;
    EXPECT_NE(output.find(";6,7160;"), std::string::npos) << output;
}

// Bad command lines and inputs: exit 2 and a message that says what.
TEST_F(BatchSequence, BadValuesAreRefused) {
    const std::string fasta = file("hel.fasta", fastaRecords().at(1));
    const std::string input = file("in.csv", "Sample,Mobility,pH\nx,1.0,7\n");
    const std::string noPh = file("noph.csv", "Sample,Mobility\nx,1.0\n");
    const struct {
        std::string arguments;
        const char* message;
    } cases[] = {
        {"--pka-set emboss", "--pka-set needs --sequence FILE"},
        {"--blocked-c", "--blocked-c needs --sequence FILE"},
        {"--sequence '" + fasta + "' --pka-set EMBOSSX", "--pka-set needs one of emboss, "},
        {"--sequence '" + fasta + "' --disulfides -1", "--disulfides needs a whole number"},
        {"--sequence '" + fasta + "' --disulfides 5", "5 disulfide bridges need 10 Cys"},
        {"'" + input + "' --sequence", "--sequence needs a value"},
        {"--sequence '" + input + "'", "in.csv: Line 1, column 7: \",\" is not an amino-acid"},
        {"--sequence '" + fasta + "' '" + noPh + "'", "--sequence needs a column pH"},
    };
    for (const auto& c : cases) {
        const std::string args = c.arguments.find(".csv") == std::string::npos
                                     ? c.arguments + " '" + input + "'"
                                     : c.arguments;
        EXPECT_EQ(run(args), 2) << args;
        EXPECT_NE(error.find(c.message), std::string::npos) << args << "\n" << error;
        EXPECT_TRUE(output.empty()) << args;
    }
    // A pH that is no number, or out of range, fails its row alone.
    const std::string bad = file("bad.csv", "Sample,Mobility,pH\nx,1.0,15\ny,1.0,7\n");
    EXPECT_EQ(run("--sequence '" + fasta + "' '" + bad + "'"), 1);
    EXPECT_NE(output.find("15\"\" is outside 0 to 14"), std::string::npos) << output;
}

// A series window's file: its Setting: columns are neither data nor passed
// through, and without --sequence the output is as before.
TEST_F(BatchSequence, SettingColumnsAreSkipped) {
    const std::string plain = file("plain.csv", "Sample,Mobility,pH\nx,1.0,7\n");
    ASSERT_EQ(run("'" + plain + "'"), 0);
    const std::string before = output;
    EXPECT_EQ(before.find("PredictedCharge"), std::string::npos);
    const std::string saved = file(
        "saved.csv", "Sample,Mobility,pH,Setting:PkaSet,Setting:Sequence\nx,1.0,7,EMBOSS,KC\n");
    ASSERT_EQ(run("'" + saved + "'"), 0) << error;
    EXPECT_EQ(output, before);
}

}  // namespace
