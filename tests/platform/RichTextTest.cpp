// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "platform/richtext/RichText.h"
#include "tests/support/RichText.h"

using platform::CharFormat;
using platform::RichDocument;
using platform::TextPosition;

namespace {

CharFormat bold() {
    CharFormat f;
    f.bold = true;
    return f;
}

CharFormat red() {
    CharFormat f;
    f.color = platform::clRed;
    return f;
}

RichDocument lines(std::initializer_list<const char*> texts) {
    RichDocument doc;
    for (const char* t : texts)
        doc.appendLine(t);
    return doc;
}

// Runs of one line as "text|b" pieces, for readable comparisons.
std::vector<std::string> runsOf(const RichDocument& doc, std::size_t line) {
    std::vector<std::string> out;
    for (const auto& run : doc.paragraphs().at(line).runs) {
        std::string s = run.text;
        if (run.format.bold)
            s += "|b";
        if (run.format.color == platform::clRed)
            s += "|red";
        out.push_back(s);
    }
    return out;
}

}  // namespace

TEST(RichDocument, AppendedLinesJoinWithCrLf) {
    RichDocument doc;
    EXPECT_EQ(doc.plainText(), "");
    EXPECT_EQ(doc.length(), 0u);
    doc.appendLine("-----");
    doc.appendLine("");
    doc.appendLine("Sigma and Z* calculated from Z: 10");
    EXPECT_EQ(doc.plainText(), "-----\r\n\r\nSigma and Z* calculated from Z: 10");
    EXPECT_EQ(doc.length(), doc.plainText().size());
    EXPECT_EQ(doc.paragraphs().size(), 3u);
}

TEST(RichDocument, AppendedTextWithBreaksStartsNewLines) {
    RichDocument doc;
    doc.appendLine("a\r\nb\nc\rd");
    doc.appendText(" e");
    EXPECT_EQ(doc.plainText(), "a\r\nb\r\nc\r\nd e");
    EXPECT_EQ(doc.paragraphs().size(), 4u);
}

TEST(RichDocument, AdjacentRunsOfEqualFormatMerge) {
    RichDocument doc;
    doc.appendLine("ab");
    doc.appendText("cd");
    doc.appendText("EF", bold());
    doc.appendText("GH", bold());
    EXPECT_EQ(runsOf(doc, 0), (std::vector<std::string>{"abcd", "EFGH|b"}));
    doc.setFormat(4, 4, CharFormat{});
    EXPECT_EQ(runsOf(doc, 0), (std::vector<std::string>{"abcdEFGH"}));
}

TEST(RichDocument, EmptyLineKeepsItsFormat) {
    RichDocument doc;
    doc.appendLine("", bold());
    ASSERT_EQ(doc.paragraphs()[0].runs.size(), 1u);
    EXPECT_TRUE(doc.paragraphs()[0].runs[0].format.bold);
    doc.insert(0, "typed");
    EXPECT_EQ(runsOf(doc, 0), (std::vector<std::string>{"typed|b"}));
}

TEST(RichDocument, PositionsCountLineBreaksAsTwoCharacters) {
    // "ab" CR LF "" CR LF "cde": starts at 0, 4 and 6.
    const RichDocument doc = lines({"ab", "", "cde"});
    struct Case {
        std::size_t pos;
        TextPosition expected;
    };
    const Case cases[] = {
        {0, {0, 0}}, {2, {0, 2}}, {3, {0, 2}},  // inside the break: end of its line
        {4, {1, 0}}, {5, {1, 0}}, {6, {2, 0}}, {9, {2, 3}}, {100, {2, 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(doc.locate(c.pos), c.expected) << "position " << c.pos;
    }
    EXPECT_EQ(doc.position({2, 1}), 7u);
    EXPECT_EQ(doc.position({1, 0}), 4u);
}

TEST(RichDocument, PositionInsideUtf8CharacterStandsForItsStart) {
    const RichDocument doc = lines({"x\xC3\xA9y"});  // "xéy"
    EXPECT_EQ(doc.locate(2), (TextPosition{0, 1}));
    EXPECT_EQ(doc.locate(3), (TextPosition{0, 3}));
}

TEST(RichDocument, LocateAgreesWithPlainTextAfterEdits) {
    RichDocument doc;
    for (int i = 0; i < 300; ++i)
        doc.appendLine("line " + std::to_string(i));
    doc.locate(doc.length());  // all line starts known
    doc.erase(doc.position({10, 2}), 20);
    doc.insert(doc.position({200, 0}), "new\r\nlines\r\n");
    doc.appendLine("tail");
    const std::string text = doc.plainText();
    std::size_t line = 0;
    std::size_t lineStart = 0;
    for (std::size_t pos = 0; pos <= text.size(); ++pos) {
        if (pos >= 2 && text.compare(pos - 2, 2, "\r\n") == 0) {
            ++line;
            lineStart = pos;
        }
        if (pos > 0 && text[pos - 1] == '\r')
            continue;  // between CR and LF
        ASSERT_EQ(doc.locate(pos), (TextPosition{line, pos - lineStart})) << "position " << pos;
        ASSERT_EQ(doc.position(doc.locate(pos)), pos);
    }
}

TEST(RichDocument, InsertSplitsLinesAndKeepsTailFormat) {
    RichDocument doc;
    doc.appendLine("head", CharFormat{});
    doc.appendText("TAIL", bold());
    doc.insert(4, "1\r\n2", red());
    EXPECT_EQ(doc.plainText(), "head1\r\n2TAIL");
    EXPECT_EQ(runsOf(doc, 0), (std::vector<std::string>{"head", "1|red"}));
    EXPECT_EQ(runsOf(doc, 1), (std::vector<std::string>{"2|red", "TAIL|b"}));
}

TEST(RichDocument, InsertWithoutFormatTakesPrecedingCharacter) {
    RichDocument doc;
    doc.appendLine("AB", bold());
    doc.appendText("cd");
    doc.insert(2, "x");  // after "AB": bold
    doc.insert(0, "y");  // start of line: the first character's format
    EXPECT_EQ(runsOf(doc, 0), (std::vector<std::string>{"yABx|b", "cd"}));
}

TEST(RichDocument, InsertIntoEmptyDocumentCreatesLines) {
    RichDocument doc;
    doc.insert(5, "a\r\nb", bold());
    EXPECT_EQ(doc.plainText(), "a\r\nb");
}

TEST(RichDocument, EraseAcrossLinesJoinsThem) {
    RichDocument doc = lines({"first", "second", "third"});
    doc.erase(3, 9);  // "st\r\nsecon"
    EXPECT_EQ(doc.plainText(), "fird\r\nthird");
    doc.erase(4, 2);  // the line break alone
    EXPECT_EQ(doc.plainText(), "firdthird");
    doc.erase(7, 1000);
    EXPECT_EQ(doc.plainText(), "firdthi");
}

TEST(RichDocument, ErasingEverythingLeavesOneEmptyLineInTheFirstFormat) {
    RichDocument doc;
    doc.appendLine("bold", bold());
    doc.appendLine("plain");
    doc.erase(0, doc.length());
    EXPECT_EQ(doc.plainText(), "");
    ASSERT_EQ(doc.paragraphs().size(), 1u);
    EXPECT_TRUE(doc.paragraphs()[0].runs[0].format.bold);
}

TEST(RichDocument, ReplaceFoundTextKeepsItsFormat) {
    // What the report window's replace does: find in plainText(), replace there.
    RichDocument doc;
    doc.appendLine("Z = 10");
    doc.appendLine("Z* = ");
    doc.appendText("2.64", red());
    doc.appendText(" and more");
    const std::size_t at = doc.plainText().find("2.64");
    ASSERT_EQ(at, 13u);
    doc.replace(at, 4, "3.1\r\n5");
    EXPECT_EQ(doc.plainText(), "Z = 10\r\nZ* = 3.1\r\n5 and more");
    EXPECT_EQ(runsOf(doc, 1), (std::vector<std::string>{"Z* = ", "3.1|red"}));
    EXPECT_EQ(runsOf(doc, 2), (std::vector<std::string>{"5|red", " and more"}));
}

TEST(RichDocument, SetFormatOverLinesCoversEmptyLinesBetween) {
    RichDocument doc = lines({"abc", "", "def"});
    doc.setFormat(1, 7, bold());  // "bc" CR LF CR LF "d"
    EXPECT_EQ(runsOf(doc, 0), (std::vector<std::string>{"a", "bc|b"}));
    EXPECT_TRUE(doc.paragraphs()[1].runs[0].format.bold);
    EXPECT_EQ(runsOf(doc, 2), (std::vector<std::string>{"d|b", "ef"}));
    EXPECT_EQ(doc.plainText(), "abc\r\n\r\ndef");
}

TEST(RichDocument, FormatAtIsWhatTypingThereGets) {
    RichDocument doc;
    doc.appendLine("ab", bold());
    doc.appendText("cd", red());
    doc.appendLine("ef");
    EXPECT_TRUE(doc.formatAt(0).bold);  // start of line: first character
    EXPECT_TRUE(doc.formatAt(2).bold);  // after "b"
    EXPECT_EQ(doc.formatAt(3).color, platform::clRed);
    EXPECT_FALSE(doc.formatAt(6).bold);
    EXPECT_EQ(RichDocument{}.formatAt(0), CharFormat{});
}
