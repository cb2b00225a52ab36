// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/base/Exception.h"
#include "platform/richtext/Rtf.h"
#include "tests/support/Files.h"
#include "tests/support/RichText.h"

using platform::CharFormat;
using platform::RichDocument;
using testing_support::format;
using testing_support::readFile;
namespace fs = std::filesystem;

namespace {

// A log as the user may leave it: appended entries, some lines reformatted.
RichDocument formattedLog() {
    RichDocument doc;
    doc.appendLine("-------------------------------------------------------------");
    doc.appendLine("Sigma and Z* calculated from Z: 10", format("Arial", 24, "b"));
    doc.appendLine("  E = 0.123 V/cm entered", format("MS Sans Serif", 17, "i"));
    doc.appendLine("  Sigma = 12.84 cm^-1, ");
    doc.appendText("Z* = 2.64", format("Courier New", 20, "u", platform::clRed));
    doc.appendText(" and Z = 10", format("Courier New", 20, "s", platform::Color{0, 128, 0}));
    doc.appendLine("", format("Arial", 40));
    doc.appendLine(
        "  T = 20.0 \xC2\xB0"
        "C, \xCE\xBC = 0.773, \xE2\x82\xAC, \xF0\x9F\x98\x80",
        format("Caf\xC3\xA9 Sans {x}", 16, "biu"));
    doc.appendLine("   z\t\tWe kJ/mol \\ {braces}");
    return doc;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// What every reader result must satisfy: bounded by its input, and saved and
// read again unchanged.
void expectSoundRead(const std::string& input, const RichDocument& doc) {
    EXPECT_LE(doc.plainText().size(), 3 * input.size());
    EXPECT_EQ(platform::readRtf(platform::writeRtf(doc)), doc);
}

}  // namespace

TEST(RtfWriter, WritesTablesFormatsAndParagraphs) {
    RichDocument doc;
    doc.appendLine("Log", format("Arial", 24, "b", platform::clRed));
    doc.appendLine("x");
    EXPECT_EQ(platform::writeRtf(doc),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n"
              "{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset0 MS Sans Serif;}}\n"
              "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue0;}\n"
              "{\\*\\generator Quorvin;}\n"
              "\\pard\\plain\n"
              "\\b\\cf1 Log\\par\n"
              "\\f1\\fs16\\b0\\cf2 x\\par\n"
              "}\n");
}

TEST(RtfWriter, EmptyDocumentIsValidRtf) {
    EXPECT_EQ(platform::writeRtf(RichDocument{}),
              "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n"
              "{\\fonttbl{\\f0\\fnil\\fcharset0 MS Sans Serif;}}\n{\\colortbl;}\n"
              "{\\*\\generator Quorvin;}\n\\pard\\plain\n}\n");
}

TEST(RtfWriter, EscapesSpecialAndNonAsciiCharacters) {
    struct Case {
        const char* text;
        const char* rtf;
    };
    const Case cases[] = {
        {"a\\b{c}d", "a\\\\b\\{c\\}d"},
        {"x\ty", "x\\tab y"},
        {"caf\xC3\xA9", "caf\\u233\\'e9"},
        {"\xE2\x82\xAC 5", "\\u8364\\'80 5"},  // euro: 0x80 in Windows-1252
        {"\xCE\xB1", "\\u945?"},               // alpha: not in Windows-1252
        {"\xEF\xBF\xBD", "\\u-3?"},
        {"\xF0\x9F\x98\x80", "\\u-10179?\\u-8704?"},  // U+1F600 as a surrogate pair
        {"bad\xFF", "bad\\u-3?"},                     // malformed UTF-8
        {"bell\x07nul", "bellnul"},
    };
    for (const Case& c : cases) {
        RichDocument doc;
        doc.appendLine(c.text);
        const std::string rtf = platform::writeRtf(doc);
        EXPECT_NE(rtf.find(std::string("\\fs16\\cf1 ") + c.rtf + "\\par"), std::string::npos)
            << c.text << "\n"
            << rtf;
    }
}

TEST(RtfWriter, WritesFontSizeInHalfPointsAndEveryStyle) {
    RichDocument doc;
    doc.appendLine("a", format("MS Sans Serif", 17, "bius", platform::Color{1, 2, 3}));
    const std::string rtf = platform::writeRtf(doc);
    EXPECT_NE(rtf.find("\\fs17\\b\\i\\ul\\strike\\cf1 a\\par"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("{\\colortbl;\\red1\\green2\\blue3;}"), std::string::npos) << rtf;
}

TEST(Rtf, SavedLogReadsBackWithTextAndFormatting) {
    const RichDocument doc = formattedLog();
    const RichDocument back = platform::readRtf(platform::writeRtf(doc));
    EXPECT_EQ(back.plainText(), doc.plainText());
    EXPECT_EQ(back, doc);
}

TEST(RtfReader, ReadsText) {
    struct Case {
        const char* rtf;
        const char* text;
    };
    const Case cases[] = {
        {"{\\rtf1 plain}", "plain"},
        {"{\\rtf1\\ansi caf\\'e9 \\'80 \\'93q\\'94 \\'81}",
         "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D \xEF\xBF\xBD"},
        {"{\\rtf1 \\u233?x}", "\xC3\xA9x"},
        {"{\\rtf1 \\u65 after}", "After"},  // the fallback "a" is skipped
        {"{\\rtf1\\uc2 \\u8364\\'80\\'80x}",
         "\xE2\x82\xAC"
         "x"},
        {"{\\rtf1\\uc0 \\u8364 x}",
         "\xE2\x82\xAC"
         "x"},
        {"{\\rtf1 {\\uc3 \\u233 ab}cd}",
         "\xC3\xA9"
         "cd"},  // a brace ends the fallback
        {"{\\rtf1 \\u-10179?\\u-8704?}", "\xF0\x9F\x98\x80"},
        {"{\\rtf1 \\uc0\\u55357\\uc1 \\u56832\\'3f}", "\xF0\x9F\x98\x80"},
        {"{\\rtf1 \\u-8704?a}",
         "\xEF\xBF\xBD"
         "a"},
        {"{\\rtf1 \\u-10179?a}",
         "\xEF\xBF\xBD"
         "a"},
        {"{\\rtf1 \\u99999999999999999999 }", "\xEF\xBF\xBD"},
        {"{\\rtf1 a\\par b\\line c\\tab d}", "a\r\nb\r\nc\td"},
        {"{\\rtf1 a\\par}", "a"},
        {"{\\rtf1 a\\par\\par}", "a\r\n"},
        {"{\\rtf1 line1\\\nline2}", "line1\r\nline2"},
        {"{\\rtf1 raw\r\nbreaks\n ignored}", "rawbreaks ignored"},
        {"{\\rtf1 {\\*\\unknown skipped {nested}}kept}", "kept"},
        {"{\\rtf1 {\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}{\\pict\\pngblip 8950}text}",
         "text"},
        {"{\\rtf1 {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}}", "link"},
        {"{\\rtf1 a\\bin5 {}}\\x b}", "a b"},
        {"{\\rtf1 a\\bin100 xyz", "a"},
        {"{\\rtf1 a\\bin-5 b}", "ab"},
        {"{\\rtf1 \\unknownword42 x\\zzz}", "x"},
        {"{\\rtf1 \\{\\}\\\\ \\~\\emdash\\bullet}", "{}\\ \xC2\xA0\xE2\x80\x94\xE2\x80\xA2"},
        {"{\\rtf1 ctl\\'01\\'00\\'09x}", "ctl\tx"},
        {"{\\rtf1 a} trailing", "a"},
        {"}}{\\rtf1 a}", "a"},
        {"", ""},
        {"{\\rtf1", ""},
        {"{\\rtf1 x\\", "x"},
        {"{\\rtf1 x\\'", "x"},
        {"{\\rtf1 x\\u-", "x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::readRtf(c.rtf).plainText(), c.text) << c.rtf;
    }
}

TEST(RtfReader, ReadsCharacterFormats) {
    const std::string fonts = "{\\fonttbl{\\f0 Arial;}{\\f1\\fnil\\fcharset0 Courier New;}}";
    const std::string colors = "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
    struct Case {
        std::string rtf;
        CharFormat expected;
    };
    const CharFormat plain = format("MS Sans Serif", 24);  // no font table, RTF's 12 pt
    const Case cases[] = {
        {"{\\rtf1 x}", plain},
        {"{\\rtf1" + fonts + " x}", format("Arial", 24)},
        {"{\\rtf1" + fonts + "\\f1 x}", format("Courier New", 24)},
        {"{\\rtf1\\deff1" + fonts + " x}", format("Courier New", 24)},
        {"{\\rtf1{\\fonttbl\\f0 A;\\f1 B;}\\f1 x}", format("B", 24)},
        {"{\\rtf1{\\fonttbl{\\f0\\froman Liberation Serif{\\*\\falt Times};}} x}",
         format("Liberation Serif", 24)},
        {"{\\rtf1{\\fonttbl{\\f0 Caf\\'e9 \\u946?;}} x}", format("Caf\xC3\xA9 \xCE\xB2", 24)},
        {"{\\rtf1{\\fonttbl{\\f7 Seven;}}\\f7 x}", format("Seven", 24)},
        {"{\\rtf1{\\fonttbl{\\f0 Ar\tial\x01;}} x}", format("Arial", 24)},
        {"{\\rtf1{\\fonttbl{\\f7 Seven;}}\\f8 x}", plain},  // no such font
        {"{\\rtf1" + colors + "\\cf2 x}", format("MS Sans Serif", 24, "", platform::clBlue)},
        {"{\\rtf1" + colors + "\\cf0 x}", plain},
        {"{\\rtf1" + colors + "\\cf99 x}", plain},
        {"{\\rtf1{\\colortbl\\red1\\green2\\blue3;}\\cf0 x}",
         format("MS Sans Serif", 24, "", platform::Color{1, 2, 3})},
        {"{\\rtf1\\fs17 x}", format("MS Sans Serif", 17)},
        {"{\\rtf1\\fs99999999999999999999 x}", format("MS Sans Serif", 3276)},
        {"{\\rtf1\\fs0 x}", format("MS Sans Serif", 2)},
        {"{\\rtf1\\b\\i\\ul\\strike x}", format("MS Sans Serif", 24, "bius")},
        {"{\\rtf1\\b\\b0\\i\\i0\\ul\\ulnone\\strike\\strike0 x}", plain},
        {"{\\rtf1\\ulwave\\striked1 x}", format("MS Sans Serif", 24, "us")},
        {"{\\rtf1\\ul\\ul0 x}", plain},
        {"{\\rtf1" + colors + "\\b\\i\\fs40\\cf1\\plain x}", plain},
        {"{\\rtf1{\\b\\i y}x}", plain},  // a group's formats end with it
    };
    for (const Case& c : cases) {
        const RichDocument doc = platform::readRtf(c.rtf);
        ASSERT_FALSE(doc.empty()) << c.rtf;
        EXPECT_EQ(doc.paragraphs()[0].runs.back().format, c.expected) << c.rtf;
    }
}

TEST(RtfReader, DeepNestingIsReadWithoutExhaustingTheStack) {
    const std::size_t depth = 200000;
    const std::string rtf =
        "{\\rtf1 " + std::string(depth, '{') + "deep" + std::string(depth, '}') + " after}";
    EXPECT_EQ(platform::readRtf(rtf).plainText(), "deep after");
    EXPECT_EQ(platform::readRtf(std::string(depth, '{') + "open").plainText(), "open");
}

TEST(RtfReader, TruncatedFileKeepsTheLinesBeforeTheCut) {
    const RichDocument full = formattedLog();
    const std::string rtf = platform::writeRtf(full);
    for (std::size_t cut = 0; cut < rtf.size(); ++cut) {
        const RichDocument part = platform::readRtf(rtf.substr(0, cut));
        const auto& lines = part.paragraphs();
        ASSERT_LE(lines.size(), full.paragraphs().size()) << "cut at " << cut;
        for (std::size_t i = 0; i + 1 < lines.size(); ++i)
            ASSERT_EQ(lines[i], full.paragraphs()[i]) << "cut at " << cut << ", line " << i;
    }
}

TEST(RtfReader, BinaryJunkIsReadWithinBounds) {
    std::mt19937 random(42);
    for (int round = 0; round < 200; ++round) {
        std::string junk(static_cast<std::size_t>(random() % 4000), '\0');
        for (char& c : junk)
            c = static_cast<char>(random());
        if (round % 2 == 0)
            junk = "{\\rtf1 " + junk;
        expectSoundRead(junk, platform::readRtf(junk));
        expectSoundRead(junk, platform::readPlainText(junk));
    }
}

TEST(RtfReader, FuzzCorpusReadsSoundly) {
    std::size_t files = 0;
    for (const fs::path& dir : {fs::path(QUORVIN_RTF_CORPUS_DIR), fs::path(QUORVIN_RTF_DATA_DIR)}) {
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string bytes = readFile(entry.path());
            SCOPED_TRACE(entry.path().string());
            expectSoundRead(bytes, platform::readRtf(bytes));
            expectSoundRead(bytes, platform::readPlainText(bytes));
            ++files;
        }
    }
    EXPECT_GT(files, 10u);
}

TEST(RtfPlainText, ReadsLinesInUtf8OrWindows1252) {
    struct Case {
        const char* bytes;
        const char* text;
        std::size_t lines;
    };
    const Case cases[] = {
        {"one\r\ntwo\nthree\rfour", "one\r\ntwo\r\nthree\r\nfour", 4},
        {"one\r\n", "one", 1},
        {"\r\n\r\n", "\r\n", 2},
        {"\xEF\xBB\xBF"
         "caf\xC3\xA9",
         "caf\xC3\xA9", 1},
        {"caf\xE9 \x80", "caf\xC3\xA9 \xE2\x82\xAC", 1},
        {"a\tb\x01\x7F", "a\tb", 1},
    };
    for (const Case& c : cases) {
        const RichDocument doc = platform::readPlainText(c.bytes);
        EXPECT_EQ(doc.plainText(), c.text) << c.bytes;
        EXPECT_EQ(doc.paragraphs().size(), c.lines) << c.bytes;
    }
}

TEST(RtfPlainText, RecognisesRtfByItsStart) {
    EXPECT_TRUE(platform::looksLikeRtf("{\\rtf1\\ansi"));
    EXPECT_TRUE(platform::looksLikeRtf("\xEF\xBB\xBF\r\n {\\rtf1"));
    EXPECT_FALSE(platform::looksLikeRtf("text {\\rtf1"));
    EXPECT_FALSE(platform::looksLikeRtf("{\\rt"));
    EXPECT_FALSE(platform::looksLikeRtf(""));
}

class RtfFile : public ::testing::Test {
  protected:
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    testing_support::TempFolder m_temp{"rtffile"};
    const fs::path m_dir = m_temp.path();
};

TEST_F(RtfFile, SavedFileHoldsTheRtfAndOpensAgain) {
    const fs::path path = m_dir / "log.rtf";
    writeFile(path, "old contents");
    platform::saveRtfFile(path, formattedLog());
    EXPECT_EQ(readFile(path), platform::writeRtf(formattedLog()));
    EXPECT_EQ(platform::loadRtfFile(path), formattedLog());
    EXPECT_EQ(entries(), std::vector<std::string>{"log.rtf"});  // no temporary left
}

TEST_F(RtfFile, SaveKeepsPermissionsOfTheReplacedFile) {
    const fs::path path = m_dir / "log.rtf";
    writeFile(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    platform::saveRtfFile(path, formattedLog());
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(RtfFile, SaveThroughLinkReplacesTheLinkedFile) {
    writeFile(m_dir / "real.rtf", "old");
    fs::create_symlink(m_dir / "real.rtf", m_dir / "link.rtf");
    platform::saveRtfFile(m_dir / "link.rtf", formattedLog());
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.rtf"));
    EXPECT_EQ(platform::loadRtfFile(m_dir / "real.rtf"), formattedLog());
}

TEST_F(RtfFile, FailedSaveNamesPathAndReasonAndLeavesOldFile) {
    // State: the target is a folder (the rename fails after writing), or its
    // folder is missing (the temporary cannot be created).
    fs::create_directory(m_dir / "taken.rtf");
    writeFile(m_dir / "taken.rtf" / "inside", "kept");
    struct Case {
        fs::path path;
        std::string reason;
    };
    const Case cases[] = {{m_dir / "taken.rtf", "Is a directory"},
                          {m_dir / "missing" / "log.rtf", "No such file or directory"}};
    for (const Case& c : cases) {
        try {
            platform::saveRtfFile(c.path, formattedLog());
            ADD_FAILURE() << "saved " << c.path;
        } catch (const platform::Exception& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot save \"" + c.path.string() + "\": " + c.reason);
        }
    }
    EXPECT_EQ(readFile(m_dir / "taken.rtf" / "inside"), "kept");
    EXPECT_EQ(entries(), std::vector<std::string>{"taken.rtf"});
}

TEST_F(RtfFile, FailedOpenNamesPathAndReason) {
    fs::create_directory(m_dir / "folder.rtf");
    struct Case {
        fs::path path;
        std::string reason;
    };
    const Case cases[] = {{m_dir / "missing.rtf", "No such file or directory"},
                          {m_dir / "folder.rtf", "Is a directory"},
                          {"/dev/zero", "the file is larger than 256 MB"}};
    for (const Case& c : cases) {
        try {
            platform::loadRtfFile(c.path);
            ADD_FAILURE() << "opened " << c.path;
        } catch (const platform::Exception& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot open \"" + c.path.string() + "\": " + c.reason);
        }
    }
}

TEST_F(RtfFile, FileThatIsNotRtfOpensAsPlainText) {
    writeFile(m_dir / "z.dat", "-10 8.313E+00\r\n-9 6.734E+00\r\n");
    EXPECT_EQ(platform::loadRtfFile(m_dir / "z.dat").plainText(), "-10 8.313E+00\r\n-9 6.734E+00");
}
