// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "platform/base/NumberText.h"
#include "platform/richtext/Rtf.h"
#include "tests/support/HeadlessSession.h"

using forms::ReportFrm;
using forms::TReportFrm;
using platform::FileDialog;
using platform::FontDialog;

namespace {

using testing_support::readFile;

class ReportWindow : public testing_support::HeadlessSession {
  protected:
    void SetUp() override {
        platform::ForceCurrentDirectory = false;
        application.Initialize();
        application.CreateForm(forms::OpeningForm);
        application.CreateForm(ReportFrm);
    }
    void TearDown() override {
        HeadlessSession::TearDown();
        forms::OpeningForm = nullptr;
        ReportFrm = nullptr;
    }
    TReportFrm& report() { return *ReportFrm; }
    platform::RichEdit& editor() { return *ReportFrm->RichEdit1; }
    void click(const std::vector<std::string>& path) {
        platform::MenuItem* item = report().menu()->findPath(path);
        ASSERT_NE(item, nullptr) << path.back();
        item->userClick(&report());
    }
    void addLines(std::initializer_list<const char*> lines) {
        for (const char* line : lines)
            report().AddLogLine(line);
    }
    // The save dialog answered with a name, or cancelled when name is empty.
    void expectSaveDialog(std::string name) {
        backend.expectDialog<FileDialog>("TSaveDialog", [this, name](FileDialog& d) {
            m_seenTitle = d.Title;
            m_seenExt = d.DefaultExt;
            if (name.empty())
                return false;
            d.FileName = name;
            return true;
        });
    }
    void expectOpenDialog(std::string name) {
        backend.expectDialog<FileDialog>("TOpenDialog", [this, name](FileDialog& d) {
            m_seenTitle = d.Title;
            m_seenExt = d.DefaultExt;
            m_seenName = d.FileName;
            if (name.empty())
                return false;
            d.FileName = name;
            return true;
        });
    }
    std::string m_seenTitle, m_seenExt, m_seenName;
};

TEST_F(ReportWindow, MenusHaveTheirCaptionsInOrder) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"&File", {"&Save", "&Open", "-", "P&rint setup...", "&Print", "-", "&Exit"}},
        {"&Edit", {"C&ut", "&Copy", "&Paste", "-", "&Find...", "&Replace..."}},
        {"F&ormat", {"&Font..."}},
    };
    const auto& menus = report().menu()->items();
    ASSERT_EQ(menus.size(), expected.size());
    for (size_t m = 0; m < menus.size(); ++m) {
        EXPECT_EQ(menus[m]->caption(), expected[m].first);
        std::vector<std::string> captions;
        for (const auto& item : menus[m]->items())
            captions.push_back(item->caption());
        EXPECT_EQ(captions, expected[m].second) << expected[m].first;
    }
    EXPECT_EQ(report().caption(), "Report");
    EXPECT_FALSE(report().visible());
    EXPECT_EQ(editor().bounds(),
              (platform::Rect{0, 0, report().clientWidth(), report().clientHeight()}))
        << "the editor fills the window";
    EXPECT_EQ(editor().scrollBars(), platform::ScrollStyle::Vertical);
    EXPECT_TRUE(editor().wordWrap());
}

TEST_F(ReportWindow, ViewLogShowsTheWindowAndExitOrFrameOnlyHideIt) {
    application.Run();
    platform::MenuItem* view = forms::OpeningForm->menu()->findPath({"&File", "&View log..."});
    ASSERT_NE(view, nullptr);
    const auto& file = forms::OpeningForm->menu()->findPath({"&File"})->items();
    const auto after = std::find_if(file.begin(), file.end(),
                                    [view](const auto& item) { return item.get() == view; }) +
                       1;
    ASSERT_NE(after, file.end());
    EXPECT_TRUE((*after)->isSeparator());
    addLines({"first"});
    view->userClick(forms::OpeningForm);
    EXPECT_TRUE(report().visible());

    click({"&File", "&Exit"});
    EXPECT_FALSE(report().visible());
    addLines({"second"});
    view->userClick(forms::OpeningForm);
    EXPECT_TRUE(report().visible());
    report().userCloseRequest();
    EXPECT_FALSE(report().visible());
    EXPECT_FALSE(backend.terminated()) << "closing the report does not end the program";
    view->userClick(forms::OpeningForm);
    EXPECT_EQ(editor().Text(), "first\r\nsecond");
    EXPECT_TRUE(report().LogUnsaved);
}

TEST_F(ReportWindow, SaveWritesRtfAndClearsTheFlag) {
    addLines({"Sigma and Z* calculated from Z: 10", "   -1          8.31"});
    expectSaveDialog("log");
    click({"&File", "&Save"});
    EXPECT_EQ(m_seenTitle, "Save Marlix log");
    EXPECT_EQ(m_seenExt, "RTF");
    EXPECT_FALSE(report().LogUnsaved);
    EXPECT_TRUE(platform::ForceCurrentDirectory);
    const std::string rtf = readFile(dir() / "log.RTF");
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
    EXPECT_EQ(platform::readRtf(rtf), report().document()) << "the file holds the whole log";
}

TEST_F(ReportWindow, CancelledSaveKeepsTheLogMarkedUnsaved) {
    addLines({"entry"});
    expectSaveDialog("");
    click({"&File", "&Save"});
    EXPECT_TRUE(report().LogUnsaved) << "nothing was written, so the log is still unsaved";
    EXPECT_FALSE(platform::ForceCurrentDirectory);
    EXPECT_TRUE(std::filesystem::is_empty(dir()));
}

// A failed write reports the path and the reason and keeps the flag; a
// failed save over an old file keeps that file.
TEST_F(ReportWindow, FailedSavesLoseNothing) {
    const auto locked = dir() / "locked";
    std::filesystem::create_directory(locked);
    { std::ofstream(locked / "old.rtf") << "old contents"; }
    ::chmod(locked.c_str(), 0555);
    const bool permissionsHold = ::geteuid() != 0;
    struct Case {
        std::string path;
        std::string reason;
        bool needsPermissions;
    } cases[] = {
        {(locked / "old.rtf").string(), "Permission denied", true},
        {(dir() / "missing" / "x.rtf").string(), "No such file or directory", false},
        {"/dev/full", "No space left on device", false},  // Linux has it always
    };
    addLines({"entry"});
    for (const Case& c : cases) {
        if (c.needsPermissions && !permissionsHold)
            continue;  // root writes anyway
        expectSaveDialog(c.path);
        click({"&File", "&Save"});
        const auto messages = backend.takeMessages();
        ASSERT_EQ(messages.size(), 1u) << c.path;
        EXPECT_NE(messages[0].find(c.path), std::string::npos) << messages[0];
        EXPECT_NE(messages[0].find(c.reason), std::string::npos) << messages[0];
        EXPECT_TRUE(report().LogUnsaved) << c.path;
    }
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(readFile(locked / "old.rtf"), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(locked), {}), 1)
        << "no temporary file left behind";
    EXPECT_EQ(std::filesystem::status("/dev/full").type(), std::filesystem::file_type::character)
        << "the device is written into, never replaced";
}

TEST_F(ReportWindow, OpenReplacesTheLogWithoutMarkingIt) {
    platform::RichDocument saved;
    platform::CharFormat bold;
    bold.bold = true;
    saved.appendLine("from a file", bold);
    platform::saveRtfFile(dir() / "old.rtf", saved);
    addLines({"current"});
    report().LogUnsaved = false;

    expectOpenDialog("old.rtf");
    click({"&File", "&Open"});
    EXPECT_EQ(m_seenExt, "RTF");
    EXPECT_EQ(m_seenName, "*.rtf");
    EXPECT_FALSE(m_seenTitle.empty());
    EXPECT_EQ(report().document(), saved) << "text and formatting as saved";
    EXPECT_FALSE(report().LogUnsaved);

    editor().userType("typed ");
    EXPECT_FALSE(report().LogUnsaved) << "editing does not mark the log either";

    // Both are set anew each time.
    expectOpenDialog("");
    click({"&File", "&Open"});
    EXPECT_EQ(m_seenName, "*.rtf");
}

TEST_F(ReportWindow, OpeningAMissingFileSaysSoAndKeepsTheLog) {
    addLines({"keep me"});
    expectOpenDialog("nowhere.rtf");
    click({"&File", "&Open"});
    const auto messages = backend.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("nowhere.rtf"), std::string::npos) << messages[0];
    EXPECT_EQ(editor().Text(), "keep me");
    EXPECT_TRUE(report().LogUnsaved);
}

TEST_F(ReportWindow, SavedLogOpensAgainWithItsFormatting) {
    addLines({"plain line", "formatted line", "", "last"});
    platform::Font font;
    font.name = "Times New Roman";
    font.size = 12;
    font.italic = true;
    font.color = platform::clRed;
    editor().setSelection(12, 9);  // "formatted"
    editor().SetSelAttributes(font);
    const platform::RichDocument before = report().document();
    expectSaveDialog("round.rtf");
    click({"&File", "&Save"});
    report().AddLogLine("more");
    expectOpenDialog("round.rtf");
    click({"&File", "&Open"});
    EXPECT_EQ(report().document(), before);
}

// Find: searched when the dialog closes, case-sensitive and forward, from
// after the selection or from the start.
TEST_F(ReportWindow, FindSearchesOnCloseFromAfterTheSelection) {
    addLines({"abc ABC abc", "xabc"});
    click({"&Edit", "&Find..."});
    platform::FindDialog& find = *report().FindDialog1;
    ASSERT_TRUE(find.visible());
    EXPECT_EQ(find.position(), (platform::Point{report().clientWidth(), 0}));

    // With no selection the caret does not count.
    editor().SetSelStart(9);
    find.userEditFindText("abc");
    find.userFindNext();
    EXPECT_EQ(editor().SelLength(), 0) << "find next does nothing by itself";
    find.userClose();
    EXPECT_EQ(editor().SelStart(), 0);
    EXPECT_EQ(editor().SelLength(), 3);
    EXPECT_TRUE(editor().focusRequested());

    struct Step {
        const char* text;
        bool matchCaseBox;
        int start;  // -1: the selection stays
    } steps[] = {
        {"abc", false, 8},   // after the hit, not "ABC"
        {"abc", false, 14},  // on the next line: CR LF counts two
        {"abc", false, -1},  // nothing after the last one
        {"ABC", false, -1},  // from after "abc" of line 2: none
    };
    for (const Step& s : steps) {
        const int before = editor().SelStart();
        click({"&Edit", "&Find..."});
        find.userEditFindText(s.text);
        find.userSetOption(platform::frMatchCase, s.matchCaseBox);
        find.userClose();
        EXPECT_EQ(editor().SelStart(), s.start < 0 ? before : s.start) << s.text;
    }
    editor().SetSelStart(0);
    click({"&Edit", "&Find..."});
    find.userEditFindText("ABC");
    find.userClose();
    EXPECT_EQ(editor().SelStart(), 4);
}

TEST_F(ReportWindow, ReplaceAlwaysTakesTheFirstOccurrence) {
    addLines({"one two one", "one"});
    click({"&Edit", "&Replace..."});
    platform::ReplaceDialog& dlg = *report().ReplaceDialog1;
    ASSERT_TRUE(dlg.visible());
    dlg.userEditFindText("one");
    dlg.userEditReplaceText("ONE");
    editor().setSelection(8, 3);  // the selection does not matter
    dlg.userReplace(false);
    EXPECT_EQ(editor().Text(), "ONE two one\r\none");
    dlg.userReplace(false);
    EXPECT_EQ(editor().Text(), "ONE two ONE\r\none");

    // Replacing with the same text keeps hitting the same occurrence.
    dlg.userEditFindText("two");
    dlg.userEditReplaceText("two");
    dlg.userReplace(false);
    dlg.userReplace(false);
    EXPECT_EQ(editor().SelStart(), 7) << "caret after the replaced text";
    EXPECT_EQ(editor().Text(), "ONE two ONE\r\none");

    dlg.userEditFindText("absent");
    dlg.userReplace(false);
    EXPECT_EQ(editor().Text(), "ONE two ONE\r\none");
}

TEST_F(ReportWindow, ReplaceAllReplacesEveryOccurrence) {
    addLines({"a-a-a", "xa"});
    report().LogUnsaved = false;
    click({"&Edit", "&Replace..."});
    platform::ReplaceDialog& dlg = *report().ReplaceDialog1;
    dlg.userEditFindText("a");
    dlg.userEditReplaceText("aa");  // holds the find text: no endless loop
    dlg.userReplace(true);
    EXPECT_EQ(editor().Text(), "aa-aa-aa\r\nxaa");
    EXPECT_FALSE(report().LogUnsaved) << "replacing does not mark the log";
}

TEST_F(ReportWindow, ReplaceDialogFindNextSearchesLikeFind) {
    addLines({"zz zz"});
    click({"&Edit", "&Replace..."});
    platform::ReplaceDialog& dlg = *report().ReplaceDialog1;
    dlg.userEditFindText("zz");
    dlg.userFindNext();
    EXPECT_EQ(editor().SelStart(), 0);
    dlg.userFindNext();
    EXPECT_EQ(editor().SelStart(), 3);
    dlg.userFindNext();
    EXPECT_EQ(editor().SelStart(), 3);
    dlg.userClose();
    EXPECT_FALSE(dlg.visible());
    EXPECT_TRUE(backend.shownFindDialogs().empty());
}

// Font: Apply formats the selection, closing sets the default attributes
// that later log lines get.
TEST_F(ReportWindow, FontDialogAppliesToSelectionAndSetsDefaultsOnClose) {
    addLines({"alpha beta"});
    EXPECT_EQ(report().FontDialog1->Font.name, "MS Sans Serif");
    EXPECT_EQ(report().FontDialog1->Font.size, 8);
    editor().setSelection(6, 4);
    platform::Font big;
    big.name = "Arial";
    big.size = 14;
    big.bold = true;
    big.color = platform::clBlue;
    backend.expectDialog<FontDialog>("TFontDialog", [&](FontDialog& d) {
        EXPECT_TRUE(d.Options & platform::fdApplyButton);
        d.userApply(big);
        return false;  // Cancel after Apply
    });
    click({"F&ormat", "&Font..."});
    const auto& runs = report().document().paragraphs()[0].runs;
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, "alpha ");
    EXPECT_EQ(runs[1].text, "beta");
    EXPECT_EQ(runs[1].format, platform::toCharFormat(big));
    EXPECT_EQ(editor().defAttributes(), platform::toCharFormat(big));

    platform::Font small;
    small.size = 10;
    backend.expectDialog<FontDialog>("TFontDialog", [&](FontDialog& d) {
        d.Font = small;
        return true;  // OK without Apply
    });
    click({"F&ormat", "&Font..."});
    EXPECT_EQ(report().document().paragraphs()[0].runs[1].format, platform::toCharFormat(big))
        << "OK alone leaves the selection";
    report().AddLogLine("next");
    EXPECT_EQ(report().document().paragraphs()[1].runs[0].format, platform::toCharFormat(small));
}

TEST_F(ReportWindow, CutCopyPasteKeepFormatting) {
    addLines({"bold plain"});
    platform::Font bold;
    bold.bold = true;
    editor().setSelection(0, 4);
    editor().SetSelAttributes(bold);
    editor().setSelection(0, 5);
    click({"&Edit", "&Copy"});
    EXPECT_EQ(backend.clipboard().plain, "bold ");
    editor().SetSelStart(10);
    click({"&Edit", "&Paste"});
    EXPECT_EQ(editor().Text(), "bold plainbold ");
    std::vector<std::pair<std::string, bool>> runs;
    for (const auto& run : report().document().paragraphs()[0].runs)
        runs.emplace_back(run.text, run.format.bold);
    EXPECT_EQ(runs, (std::vector<std::pair<std::string, bool>>{
                        {"bold", true}, {" plain", false}, {"bold", true}, {" ", false}}));
    editor().setSelection(0, 5);
    click({"&Edit", "C&ut"});
    EXPECT_EQ(editor().Text(), "plainbold ");
    backend.setClipboard({"x\r\ny", ""});
    editor().SetSelStart(0);
    click({"&Edit", "&Paste"});
    EXPECT_EQ(editor().Text(), "x\r\nyplainbold ");
    EXPECT_EQ(editor().SelStart(), 4);
}

TEST_F(ReportWindow, PrintIsOneJobTitledWithTheDate) {
    addLines({"line 1", "line 2"});
    click({"&File", "&Print"});
    ASSERT_EQ(backend.printJobs().size(), 1u);
    EXPECT_EQ(backend.printJobs()[0].title, "Marlix log: " + platform::DateToStr(platform::Now()));
    EXPECT_EQ(backend.printJobs()[0].text, "line 1\r\nline 2");

    // The set-up's choice is where later jobs go.
    backend.expectDialog<platform::PrinterSetupDialog>(
        "TPrinterSetupDialog", [this](platform::PrinterSetupDialog&) {
            backend.setCurrentPrinter({"", "log.pdf"});
            return true;
        });
    click({"&File", "P&rint setup..."});
    backend.failNextPrint("out of paper");
    click({"&File", "&Print"});
    const auto messages = backend.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("out of paper"), std::string::npos);
    click({"&File", "&Print"});
    ASSERT_EQ(backend.printJobs().size(), 2u);
    EXPECT_EQ(backend.printJobs()[1].printer.outputFile, "log.pdf");
}

// The editor's own behaviour that the commands rely on.
TEST_F(ReportWindow, EditorPositionsCountLineBreaksAsTwo) {
    platform::RichEdit& e = editor();
    EXPECT_EQ(e.FindText("a", 0, 0, 0), -1);
    report().AddLogLine("ab");
    report().AddLogLine("cd");
    EXPECT_EQ(e.length(), 6);
    EXPECT_EQ(e.FindText("c", 0, 6, platform::stMatchCase), 4);
    EXPECT_EQ(e.FindText("C", 0, 6, platform::stMatchCase), -1);
    EXPECT_EQ(e.FindText("C", 0, 6, 0), 4);
    EXPECT_EQ(e.FindText("c", 0, 4, 0), -1) << "the range ends before it";
    EXPECT_EQ(e.FindText("", 0, 6, 0), -1);
    e.setSelection(1, 4);
    EXPECT_EQ(e.SelText(), "b\r\nc");
    e.setSelection(3, 1);  // inside the line break
    EXPECT_EQ(e.SelStart(), 2);
    e.setSelection(4, 100);
    EXPECT_EQ(e.SelLength(), 2);
    e.SetSelText("X\r\nY");
    EXPECT_EQ(e.Text(), "ab\r\nX\r\nY");
    EXPECT_EQ(e.SelStart(), 8);
}

TEST_F(ReportWindow, EmptiedEditorTakesTheNextLineOnItsFirstLine) {
    report().AddLogLine("x");
    editor().setSelection(0, 1);
    editor().SetSelText("");
    EXPECT_EQ(editor().Text(), "");
    report().AddLogLine("y");
    EXPECT_EQ(editor().Text(), "y");
}

}  // namespace
