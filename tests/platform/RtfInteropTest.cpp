// SPDX-License-Identifier: GPL-3.0-or-later

// Interoperability with LibreOffice Writer: logs we write open there with the
// same text and formatting, and RTF that Writer writes opens here with the
// same text. The stored files in data/rtf were made by LibreOffice from
// formatted.fodt and from interopLog() below; the live tests convert with the
// installed soffice and skip where it is absent, unless
// QUORVIN_REQUIRE_LIBREOFFICE is set (as on CI), where they fail instead.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/richtext/Rtf.h"
#include "tests/support/Files.h"
#include "tests/support/RichText.h"

using platform::CharFormat;
using platform::RichDocument;
using testing_support::format;
using testing_support::readFile;
namespace fs = std::filesystem;

namespace {

const fs::path dataDir = QUORVIN_RTF_DATA_DIR;

// One log entry, partly reformatted by the user. No CJK text: Writer gives it
// separate Asian font attributes, which a run here does not have.
RichDocument interopLog() {
    const CharFormat log;
    RichDocument doc;
    doc.appendLine("-------------------------------------------------------------", log);
    doc.appendLine("Sigma and Z* calculated from Z: 10", format("Arial", 24, "b"));
    doc.appendLine("  E = 0.123 V/cm calculated from i = 0.18 mA, k= 19.2 mS, Cuvette = 0.04 cm^2",
                   log);
    doc.appendLine("  Sigma = ", log);
    doc.appendText("12.84", format("MS Sans Serif", 16, "u", platform::clRed));
    doc.appendText(" cm^-1, Z* = 2.64 and Z = 10", log);
    doc.appendLine(
        "  Using T = 20.0 \xC2\xB0"
        "C, I = 0.10 M, Rs = 2.90 nm, Ri = 0.127 nm, D = 78",
        format("Courier New", 20, "i"));
    doc.appendLine("", format("MS Sans Serif", 28));
    doc.appendLine("   z          We kJ/mol ", format("MS Sans Serif", 16, "s"));
    doc.appendLine("   -10        8.31", format("MS Sans Serif", 17));
    doc.appendLine(
        "Notes: \xC2\xB5, \xE2\x82\xAC, \xCE\xB1, "
        "\xF0\x9F\x98\x80 and \\ { }\ttab",
        format("Liberation Sans", 20, "bi", platform::Color{0, 128, 0}));
    return doc;
}

// LibreOffice's text export: a byte order mark, LF after every paragraph.
std::string asPlainText(std::string exported) {
    if (exported.rfind("\xEF\xBB\xBF", 0) == 0)
        exported.erase(0, 3);
    if (!exported.empty() && exported.back() == '\n')
        exported.pop_back();
    std::string text;
    for (char c : exported) {
        if (c == '\n')
            text += "\r\n";
        else
            text += c;
    }
    return text;
}

// The format of the run holding needle.
CharFormat formatOf(const RichDocument& doc, const std::string& needle) {
    for (const auto& p : doc.paragraphs())
        for (const auto& run : p.runs)
            if (run.text.find(needle) != std::string::npos)
                return run.format;
    ADD_FAILURE() << "no run holds \"" << needle << "\"";
    return {};
}

std::string findSoffice() {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const fs::path candidate = fs::path(dir) / "soffice";
        if (!dir.empty() && ::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

}  // namespace

TEST(RtfInterop, StoredLibreOfficeFileReadsWithItsTextAndFormats) {
    const RichDocument doc = platform::loadRtfFile(dataDir / "formatted.rtf");
    EXPECT_EQ(doc.plainText(), asPlainText(readFile(dataDir / "formatted.txt")));

    const std::string serif = "Liberation Serif";
    struct Case {
        const char* needle;
        CharFormat expected;
    };
    const Case cases[] = {
        {"Plain line", format(serif, 24)},
        {"bold", format(serif, 24, "b")},
        {"italic", format(serif, 24, "i")},
        {"underlined", format(serif, 24, "u")},
        {"struck out", format(serif, 24, "s")},
        {"Red text", format(serif, 24, "", platform::clRed)},
        {"blue 14 pt", format(serif, 28, "", platform::clBlue)},
        {"mono 9.5 pt", format("Liberation Mono", 19)},
        {"Sigma = 12.84", format("MS Sans Serif", 16)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatOf(doc, c.needle), c.expected) << c.needle;
}

TEST(RtfInterop, LogResavedByLibreOfficeKeepsTextAndFormatting) {
    const RichDocument doc = platform::loadRtfFile(dataDir / "log-resaved.rtf");
    EXPECT_EQ(doc.plainText(), interopLog().plainText());
    EXPECT_EQ(doc, interopLog());
}

class LibreOffice : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_soffice = findSoffice();
        if (!s_soffice.empty())
            s_profile.emplace("soffice-profile");
    }

    static void TearDownTestSuite() { s_profile.reset(); }

    void SetUp() override {
        if (s_soffice.empty()) {
            if (std::getenv("QUORVIN_REQUIRE_LIBREOFFICE") != nullptr)
                FAIL() << "soffice (LibreOffice Writer) is required but not on the PATH";
            GTEST_SKIP() << "soffice (LibreOffice Writer) is not installed";
        }
        m_temp.emplace("rtf-interop");
        m_dir = m_temp->path();
    }

    // Converts input with soffice into a fresh folder; "txt" gives UTF-8 text.
    fs::path convert(const fs::path& input, const std::string& extension) {
        const std::string filter =
            extension == "txt" ? "txt:Text (encoded):UTF8" : "rtf:Rich Text Format";
        const fs::path outDir = m_dir / ("out-" + extension);
        const std::string command =
            "timeout 300 '" + s_soffice + "' -env:UserInstallation=file://" +
            s_profile->path().string() + " --headless --norestore --convert-to '" + filter +
            "' --outdir '" + outDir.string() + "' '" + input.string() + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        const fs::path output = outDir / (input.stem().string() + "." + extension);
        EXPECT_TRUE(fs::exists(output)) << command;
        return output;
    }

    static inline std::string s_soffice;
    static inline std::optional<testing_support::TempFolder> s_profile;
    std::optional<testing_support::TempFolder> m_temp;
    fs::path m_dir;
};

TEST_F(LibreOffice, OpensOurLogWithSameTextAndFormatting) {
    const RichDocument doc = interopLog();
    const fs::path saved = m_dir / "log.rtf";
    platform::saveRtfFile(saved, doc);
    EXPECT_EQ(asPlainText(readFile(convert(saved, "txt"))), doc.plainText());
    // Writer's own RTF of what it opened shows the formatting it saw.
    EXPECT_EQ(platform::loadRtfFile(convert(saved, "rtf")), doc);
}

TEST_F(LibreOffice, ItsRtfOpensHereWithItsText) {
    const fs::path source = dataDir / "formatted.fodt";
    const RichDocument doc = platform::loadRtfFile(convert(source, "rtf"));
    EXPECT_EQ(doc.plainText(), asPlainText(readFile(convert(source, "txt"))));
    EXPECT_EQ(formatOf(doc, "blue 14 pt"), format("Liberation Serif", 28, "", platform::clBlue));
}
