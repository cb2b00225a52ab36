// SPDX-License-Identifier: GPL-3.0-or-later

// Reading a protein sequence and counting its ionizable groups.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "charge/Sequence.h"

using charge::Group;

namespace {

// The message with which f refuses, or an empty text when it does not.
template <class F>
std::string refusal(F&& f) {
    try {
        f();
    } catch (const platform::Exception& e) {
        return e.what();
    }
    return "";
}

// Every text is either read (name, residues, notes) or refused with the
// message given.
TEST(ReadSequence, ReadsOrRefusesEachText) {
    const struct {
        std::string text;
        std::string name, residues;
        std::vector<std::string> notes;
        std::string error;
    } cases[] = {
        {"MKV", "", "MKV", {}, ""},
        {" mk v\n12 Ly*\n", "", "MKVLY", {}, ""},
        {">sp|P1| Some protein \r\nMKV\r\n ly*\r\n>second\nAAA\n> third \nCC\n",
         "sp|P1| Some protein",
         "MKVLY",
         {"2 further records not read: \"second\", \"third\""},
         ""},
        {"\xEF\xBB\xBF>t\nAC", "t", "AC", {}, ""},
        {">t\nA\n>b\n>c\n>d\n>e\n>f\n>g\n>h\nA",
         "t",
         "A",
         {"7 further records not read: \"b\", \"c\", \"d\", \"e\", \"f\" and 2 more"},
         ""},
        {"AUOBZXJx",
         "",
         "AUOBZXJX",
         {"1 U (selenocysteine) titrated as C", "1 O (pyrrolysine) titrated as K",
          "5 residues of uncertain identity not titrated (1 B, 1 J, 2 X, 1 Z)"},
         ""},
        {"", "", "", {}, "The text holds no residues"},
        {" 12\n*", "", "", {}, "The text holds no residues"},
        {">empty one\n>second\nMKV",
         "",
         "",
         {},
         "The first record, \"empty one\", has no residues"},
        {"MK-V", "", "", {}, "Line 1, column 3: \"-\" is not an amino-acid letter"},
        {">t\nMKV\nAC@D", "", "", {}, "Line 3, column 3: \"@\" is not an amino-acid letter"},
        {"MKé.", "", "", {}, "Line 1, column 3: \"é\" is not an amino-acid letter"},
        {"Mé.", "", "", {}, "Line 1, column 2: \"é\" is not an amino-acid letter"},
        {"MK\x1b[2J", "", "", {}, "Line 1, column 3: \"\\x1b\" is not an amino-acid letter"},
        {"MK*V",
         "",
         "",
         {},
         "Line 1, column 3: \"*\" ends the sequence and may be followed by nothing else"},
        {"MK*\n\nV",
         "",
         "",
         {},
         "Line 1, column 3: \"*\" ends the sequence and may be followed by nothing else"},
        {"MK**",
         "",
         "",
         {},
         "Line 1, column 3: \"*\" ends the sequence and may be followed by nothing else"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(refusal([&] { charge::readSequence(c.text); }), c.error);
        if (!c.error.empty()) {
            continue;
        }
        const charge::ProteinSequence s = charge::readSequence(c.text);
        EXPECT_EQ(s.name, c.name);
        EXPECT_EQ(s.residues, c.residues);
        EXPECT_EQ(s.notes, c.notes);
    }
}

TEST(ReadSequence, GivesLengthAndComposition) {
    const charge::ProteinSequence s = charge::readSequence("ACDAZa");
    EXPECT_EQ(s.length(), 6u);
    const std::array<int, 26> n = s.composition();
    EXPECT_EQ(n['A' - 'A'], 3);
    EXPECT_EQ(n['C' - 'A'], 1);
    EXPECT_EQ(n['Z' - 'A'], 1);
    EXPECT_EQ(n['K' - 'A'], 0);
}

// Counts in the order N-term, C-term, D, E, C, Y, H, K, R.
TEST(CountGroups, CountsEachGroupWithTheOptions) {
    using Counts = std::array<int, charge::kGroupCount>;
    const struct {
        std::string residues;
        charge::TitrationOptions options;
        Counts counts;
        char nTerminal, cTerminal;
        std::string error;
    } cases[] = {
        {"DECYHKRAG", {}, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 'D', 'G', ""},
        {"KDDEECCCCCYHHRKU", {}, {1, 1, 2, 2, 6, 1, 2, 2, 1}, 'K', 'U', ""},
        {"MCCCCC", {2, false, false}, {1, 1, 0, 0, 1, 0, 0, 0, 0}, 'M', 'C', ""},
        {"CCCC", {2, true, false}, {0, 1, 0, 0, 0, 0, 0, 0, 0}, 0, 'C', ""},
        {"AOK", {0, false, true}, {1, 0, 0, 0, 0, 0, 0, 2, 0}, 'A', 0, ""},
        {"BZXJ", {0, true, true}, {}, 0, 0, ""},
        {"MCCCCC",
         {3, false, false},
         {},
         0,
         0,
         "3 disulfide bridges need 6 Cys; the sequence has 5, enough for at most 2"},
        {"MKV",
         {1, false, false},
         {},
         0,
         0,
         "1 disulfide bridge needs 2 Cys; the sequence has 0, enough for at most 0"},
        {"MCC",
         {-1, false, false},
         {},
         0,
         0,
         "The number of disulfide bridges cannot be negative (-1)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.residues);
        charge::ProteinSequence s;
        s.residues = c.residues;
        EXPECT_EQ(refusal([&] { charge::countGroups(s, c.options); }), c.error);
        if (!c.error.empty()) {
            continue;
        }
        const charge::IonizableGroups g = charge::countGroups(s, c.options);
        EXPECT_EQ(g.counts, c.counts);
        EXPECT_EQ(g.nTerminalResidue, c.nTerminal);
        EXPECT_EQ(g.cTerminalResidue, c.cTerminal);
    }
}

}  // namespace
