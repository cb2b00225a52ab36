// SPDX-License-Identifier: GPL-3.0-or-later

// Reading a protein sequence and counting its ionizable groups.
#include <gtest/gtest.h>

#include <string>

#include "charge/Sequence.h"

namespace {

// What f gives, or the message with which it refuses.
template <class F>
std::string outcome(F&& f) {
    try {
        return f();
    } catch (const platform::Exception& e) {
        return e.what();
    }
}

// Read: "name|residues|note|...|length"; refused: the message.
TEST(ReadSequence, ReadsOrRefusesEachText) {
    const struct {
        std::string text, expected;
    } cases[] = {
        {"MKV", "|MKV|3"},
        {" mk v\n12 Ly*\n", "|MKVLY|5"},
        {">sp|P1| A protein \r\nMKV\r\n ly*\r\n>second\nAAA\n> third \nCC\n",
         "sp|P1| A protein|MKVLY|2 further records not read: \"second\", \"third\"|5"},
        {"\xEF\xBB\xBF>t\nAC", "t|AC|2"},
        {">t\nA\n>b\n>c\n>d\n>e\n>f\n>g\n>h\nA",
         "t|A|7 further records not read: \"b\", \"c\", \"d\", \"e\", \"f\" and 2 more|1"},
        {"AUOBZXJx",
         "|AUOBZXJX|1 U (selenocysteine) titrated as C|1 O (pyrrolysine) titrated as K|5 residues "
         "of uncertain identity not titrated (1 B, 1 J, 2 X, 1 Z)|8"},
        {"", "The text holds no residues"},
        {">empty one\n>second\nMKV", "The first record, \"empty one\", has no residues"},
        {"MK-V", "Line 1, column 3: \"-\" is not an amino-acid letter"},
        {">t\nMKV\nAC@D", "Line 3, column 3: \"@\" is not an amino-acid letter"},
        {"Mé.", "Line 1, column 2: \"é\" is not an amino-acid letter"},
        {"M\xE9K", "Line 1, column 2: \"\\xe9\" is not an amino-acid letter"},
        {"MK\x1b[2J", "Line 1, column 3: \"\\x1b\" is not an amino-acid letter"},
        {"MK*\n\nV",
         "Line 1, column 3: \"*\" ends the sequence and may be followed by nothing else"},
        {"MK**", "Line 1, column 3: \"*\" ends the sequence and may be followed by nothing else"},
        // No protein comes near a million residues: a text beyond is no sequence.
        {std::string(999'999, 'A') + "\nK", "|" + std::string(999'999, 'A') + "K|1000000"},
        {std::string(999'999, 'A') + "\nKK",
         "Line 2: the sequence runs past 1000000 residues, "
         "far beyond any protein"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome([&] {
                      const charge::ProteinSequence s = charge::readSequence(c.text);
                      std::string text = s.name + "|" + s.residues;
                      for (const std::string& note : s.notes)
                          text += "|" + note;
                      return text + "|" + std::to_string(s.length());
                  }),
                  c.expected)
            << c.text.substr(0, 80);
    }
    EXPECT_EQ(charge::readSequence("ACDAZa").composition()['A' - 'A'], 3);
}

// Counted: N-term, C-term, D, E, C, Y, H, K, R, then the terminal residues
// ('-' for a blocked end); refused: the message.
TEST(CountGroups, CountsEachGroupWithTheOptions) {
    const struct {
        std::string residues;
        charge::TitrationOptions options;
        std::string expected;
    } cases[] = {
        {"DECYHKRAG", {}, "111111111DG"},
        {"MCCCCC", {2, false, false}, "110010000MC"},
        {"CCCC", {2, true, false}, "010000000-C"},
        {"AOK", {0, false, true}, "100000020A-"},
        {"BZXJUDD", {0, true, true}, "002010000--"},
        {"MCCCCC",
         {3, false, false},
         "3 disulfide bridges need 6 Cys; the sequence has 5, enough for at most 2"},
        {"MKV",
         {1, false, false},
         "1 disulfide bridge needs 2 Cys; the sequence has 0, enough for at most 0"},
        {"MCC", {-1, false, false}, "The number of disulfide bridges cannot be negative (-1)"},
    };
    for (const auto& c : cases) {
        charge::ProteinSequence s;
        s.residues = c.residues;
        EXPECT_EQ(outcome([&] {
                      const charge::IonizableGroups g = charge::countGroups(s, c.options);
                      std::string text;
                      for (const int n : g.counts)
                          text += std::to_string(n);
                      for (const char end : {g.nTerminalResidue, g.cTerminalResidue})
                          text += end == 0 ? '-' : end;
                      return text;
                  }),
                  c.expected)
            << c.residues;
    }
}

}  // namespace
