// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's output commands: the .DAT export, the exit flow with its
// save prompt, and the About box.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "forms/Exitfrm.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/about.h"
#include "model/Sampling.h"
#include "tests/support/HeadlessSession.h"
#include "tests/support/Layout.h"

namespace {

using forms::OpeningForm;
using forms::ReportFrm;
using platform::FileDialog;
using platform::Form;
using platform::ModalResult;

using testing_support::expectLines;
using testing_support::expectNoOverlap;
using testing_support::readFile;

class Output : public testing_support::HeadlessSession {
  protected:
    void SetUp() override {
        application.CreateForm(OpeningForm);
        application.CreateForm(ReportFrm);
        application.Run();
        platform::ForceCurrentDirectory = false;
    }
    void TearDown() override {
        HeadlessSession::TearDown();
        OpeningForm = nullptr;
        ReportFrm = nullptr;
    }
    forms::TOpeningForm& form() { return *OpeningForm; }

    // The answer to the next save dialog: the name typed, or cancel.
    void expectSave(const std::string& expectedTitle, const std::string& name) {
        backend.expectDialog<FileDialog>("TSaveDialog", [=](FileDialog& d) {
            EXPECT_EQ(d.Title, expectedTitle);
            if (name.empty())
                return false;
            d.FileName = name;
            return true;
        });
    }
    void expectPrompt(ModalResult answer) {
        backend.expect<forms::TSaveLog>("TSaveLog", [answer](forms::TSaveLog& d) {
            (answer == ModalResult::Yes ? d.BitBtn1 : d.BitBtn2)->userPress();
        });
    }
    // The valence as an entered z, recalculated.
    void setValence(double z) {
        form().Valence = z;
        form().ZCalculated = false;
        form().ZstarCalculated = true;
        form().SigmaCalculated = true;
        form().Recalculate();
    }
    std::string exportDat(const std::string& name) {
        expectSave("Save Marlix DAT file", name);
        form().CopyGevszvaluestoclipboard1->userClick(&form());
        return readFile(dir() / name);
    }
};

TEST_F(Output, DatFileHoldsTheGraphsPointsWithCrLf) {
    struct Case {
        double valence;
        std::size_t lines;
        const char* first;
    };
    const Case cases[] = {
        {0.6, 1, "0 0.000E+00\r\n"},      {-0.6, 1, "0 0.000E+00\r\n"},
        {10.7, 21, "-10 8.313E+00\r\n"},  {-10.7, 21, "-10 8.313E+00\r\n"},
        {17.13, 35, "-17 2.402E+01\r\n"},
    };
    int count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.valence);
        setValence(c.valence);
        const std::string name = "run" + std::to_string(++count) + ".dat";
        const std::string text = exportDat(name);
        EXPECT_EQ(text.rfind(c.first, 0), 0u) << text.substr(0, 40);
        std::size_t crlf = 0;
        for (std::size_t at = text.find("\r\n"); at != std::string::npos;
             at = text.find("\r\n", at + 2))
            ++crlf;
        EXPECT_EQ(crlf, c.lines);
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "no bare line feeds";
        ASSERT_EQ(form().Series1->points().size(), c.lines) << "file and graph agree";
    }
    // Ge below 1 gets a negative exponent: Ge(2) = 0.3325 at start-up.
    setValence(2);
    EXPECT_NE(exportDat("small.dat").find("\r\n-1 8.313E-02\r\n"), std::string::npos);
    EXPECT_TRUE(platform::ForceCurrentDirectory);
}

TEST_F(Output, DatFileBeyondTheUnitStepHoldsTheBoundedGraph) {
    setValence(1e14);
    const std::string text = exportDat("huge.dat");
    std::istringstream lines(text);
    std::string line;
    std::vector<double> zs;
    while (std::getline(lines, line))
        zs.push_back(std::stod(line.substr(0, line.find(' '))));
    const auto& points = form().Series1->points();
    ASSERT_EQ(zs.size(), points.size());
    EXPECT_LE(zs.size(), 19999u);
    for (std::size_t i = 0; i < zs.size(); ++i)
        ASSERT_EQ(zs[i], points[i].x) << i;
}

TEST_F(Output, DatExportCancelledWritesNothingAndAddsTheExtension) {
    expectSave("Save Marlix DAT file", "");
    form().CopyGevszvaluestoclipboard1->userClick(&form());
    EXPECT_TRUE(std::filesystem::is_empty(dir()));
    EXPECT_FALSE(platform::ForceCurrentDirectory);
    EXPECT_EQ(form().Memo1.size(), 35u) << "the lines are built before the dialog runs";

    expectSave("Save Marlix DAT file", "curve");
    form().CopyGevszvaluestoclipboard1->userClick(&form());
    EXPECT_TRUE(std::filesystem::exists(dir() / "curve.DAT"));
    // Exporting again to the same name replaces the file without asking.
    setValence(3);
    EXPECT_EQ(exportDat("curve.DAT").rfind("-3 ", 0), 0u);
}

TEST_F(Output, DatExportFailureNamesThePathAndKeepsTheOldFile) {
    {
        std::ofstream old(dir() / "blocker");
        old << "old";
    }
    const std::string bad = (dir() / "blocker" / "curve.dat").string();
    expectSave("Save Marlix DAT file", bad);
    form().CopyGevszvaluestoclipboard1->userClick(&form());
    const auto messages = backend.takeMessages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(bad), std::string::npos) << messages[0];
    EXPECT_EQ(readFile(dir() / "blocker"), "old");

    expectSave("Save Marlix DAT file", "/dev/full");
    form().CopyGevszvaluestoclipboard1->userClick(&form());
    const auto full = backend.takeMessages();
    ASSERT_EQ(full.size(), 1u);
    EXPECT_NE(full[0].find("/dev/full"), std::string::npos) << full[0];
}

TEST_F(Output, ExitRightAfterStartAsksNothing) {
    form().Exit1->userClick(&form());
    EXPECT_TRUE(backend.terminated());
    EXPECT_TRUE(backend.dialogHistory().empty());
}

TEST_F(Output, ExitAnsweredNoDiscardsTheLog) {
    form().Recalculate();
    expectPrompt(ModalResult::No);
    form().Exit1->userClick(&form());
    EXPECT_TRUE(backend.terminated());
    EXPECT_EQ(backend.dialogHistory(), std::vector<std::string>{"TSaveLog"});
    EXPECT_TRUE(std::filesystem::is_empty(dir()));
}

TEST_F(Output, ExitAnsweredYesThenCancelledEndsWithoutAFile) {
    form().Recalculate();
    expectPrompt(ModalResult::Yes);
    expectSave("Save Marlix log", "");
    form().userCloseRequest();  // the frame runs the same flow as the menu
    EXPECT_TRUE(backend.terminated());
    EXPECT_TRUE(std::filesystem::is_empty(dir()));
}

TEST_F(Output, ExitAnsweredYesSavesTheLog) {
    form().Recalculate();
    expectPrompt(ModalResult::Yes);
    expectSave("Save Marlix log", "log.rtf");
    form().Exit1->userClick(&form());
    EXPECT_TRUE(backend.terminated());
    EXPECT_NE(readFile(dir() / "log.rtf").find("Z and Z* calculated from Sigma: 22.00"),
              std::string::npos);
}

TEST_F(Output, AFailedSaveAtExitKeepsTheProgramRunning) {
    form().Recalculate();
    expectPrompt(ModalResult::Yes);
    expectSave("Save Marlix log", (dir() / "missing" / "log.rtf").string());
    form().Exit1->userClick(&form());
    EXPECT_FALSE(backend.terminated());
    EXPECT_TRUE(form().visible());
    EXPECT_TRUE(ReportFrm->LogUnsaved);
    EXPECT_EQ(backend.takeMessages().size(), 1u);

    // The next attempt asks again.
    expectPrompt(ModalResult::No);
    form().userCloseRequest();
    EXPECT_TRUE(backend.terminated());
}

TEST_F(Output, NoPromptAfterACompletedSaveUntilTheNextEntry) {
    form().Recalculate();
    expectSave("Save Marlix log", "log.rtf");
    ReportFrm->Save1->userClick(ReportFrm);
    EXPECT_FALSE(ReportFrm->LogUnsaved);
    form().Exit1->userClick(&form());
    EXPECT_TRUE(backend.terminated());
    EXPECT_EQ(backend.dialogHistory(), std::vector<std::string>{"TSaveDialog"});
}

TEST_F(Output, PromptKeysEnterYesEscapeNo) {
    struct Case {
        int key;
        ModalResult result;
    };
    for (const Case c : {Case{platform::VK_RETURN, ModalResult::Yes},
                         Case{platform::VK_ESCAPE, ModalResult::No}}) {
        ModalResult got = ModalResult::None;
        backend.expect<forms::TSaveLog>("TSaveLog",
                                        [&](forms::TSaveLog& d) { d.userDialogKey(c.key); });
        platform::DialogRef<forms::TSaveLog> prompt(forms::SaveLog, OpeningForm);
        got = prompt->ShowModal();
        EXPECT_EQ(got, c.result);
    }
}

TEST_F(Output, PromptAndAboutBoxLayout) {
    forms::TSaveLog prompt(OpeningForm);
    EXPECT_EQ(prompt.caption(), "Save log?");
    EXPECT_EQ(prompt.borderStyle(), platform::BorderStyle::NoIcons);
    EXPECT_EQ(prompt.StaticText1->text(),
              "There are data in the log file which have not been saved");
    EXPECT_TRUE(prompt.StaticText1->font().bold && prompt.StaticText1->font().underline);
    EXPECT_EQ(prompt.StaticText2->text(), "Save Log File?");
    EXPECT_EQ(prompt.StaticText2->font().name, "Times New Roman");
    EXPECT_EQ(prompt.StaticText2->font().size, 12);
    EXPECT_TRUE(prompt.BitBtn1->isDefault());
    EXPECT_EQ(prompt.BitBtn1->modalResult(), ModalResult::Yes);
    EXPECT_TRUE(prompt.BitBtn2->isCancel());
    EXPECT_EQ(prompt.BitBtn2->modalResult(), ModalResult::No);
    EXPECT_LT(prompt.BitBtn2->bounds().left, prompt.BitBtn1->bounds().left) << "No left";

    forms::TAboutBox about(OpeningForm);
    EXPECT_EQ(about.caption(), "About");
    EXPECT_EQ(about.borderStyle(), platform::BorderStyle::Dialog);
    EXPECT_EQ(about.ProductName->text(), "Quorvin for valence determination");
    EXPECT_EQ(about.Version->text(), "Version 1.0");
    EXPECT_EQ(about.License1->text() + " " + about.License2->text(),
              "Free software under the GNU GPL version 3 or later (GPL-3.0-or-later), without "
              "warranty.");
    EXPECT_EQ(about.CiteTitle->text(), "How to cite");
    EXPECT_EQ(about.Cite1->text() + " " + about.Cite2->text(),
              "The Quorvin developers, Quorvin version 1.0, and Debye and Hückel (1923), Henry "
              "(1931).");
    expectLines({{about.ProgramIcon},
                 {about.ProductName},
                 {about.Version},
                 {about.License1},
                 {about.License2},
                 {about.CiteTitle},
                 {about.Cite1},
                 {about.Cite2},
                 {about.OKButton}});
    expectNoOverlap(about);
    EXPECT_EQ(about.ProgramIcon->bounds().width, 218);
    EXPECT_EQ(about.ProgramIcon->bounds().height, 97);
    EXPECT_NE(about.ProgramIcon->svg().find("width=\"218\" height=\"97\""), std::string::npos);
    EXPECT_TRUE(about.OKButton->isDefault());
}

TEST_F(Output, AboutBoxClosesWithOk) {
    backend.expect<forms::TAboutBox>("TAboutBox",
                                     [](forms::TAboutBox& d) { d.OKButton->userPress(); });
    form().About1->userClick(&form());
    EXPECT_EQ(forms::AboutBox, nullptr) << "deleted after it closed";
    EXPECT_FALSE(ReportFrm->LogUnsaved) << "nothing else happens";
}

TEST_F(Output, MenuLayout) {
    std::vector<std::string> captions;
    for (const auto& item : form().File1->items())
        captions.push_back(item->caption());
    const std::vector<std::string> expected = {"&New series",
                                               "&Open...",
                                               "Save sa&mple as...",
                                               "-",
                                               "&View log...",
                                               "-",
                                               "Create .DAT file with z and Ge...",
                                               "-",
                                               "&Copy graph to clipboard...",
                                               "Save graph &as...",
                                               "-",
                                               "Printer setup...",
                                               "Print &graph landscape...",
                                               "&Print graph portrait...",
                                               "-",
                                               "&Exit"};
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(form().Help1->caption(), "&Help");
    EXPECT_EQ(form().About1->caption(), "&About...");
}

TEST_F(Output, GraphPrintsAtOnceInTheChosenOrientation) {
    form().Printgraph1->userClick(&form());
    form().Printgraphlandscape1->userClick(&form());
    const auto& jobs = backend.printJobs();
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_FALSE(jobs[0].landscape);
    EXPECT_TRUE(jobs[1].landscape);
    EXPECT_EQ(jobs[0].title, "Ge as a function of z");
    EXPECT_EQ(jobs[0].text.rfind("-17 ", 0), 0u);
    EXPECT_TRUE(backend.dialogHistory().empty()) << "no dialog of its own";
    EXPECT_TRUE(jobs[0].text.ends_with("\n" + form().Chart1->caption)) << "the caption under it";

    backend.failNextPrint("out of paper");
    form().Printgraph1->userClick(&form());
    const std::string printed = "The graph was printed on \"Default printer\".";
    EXPECT_EQ(backend.takeMessages(),
              (std::vector<std::string>{printed, printed,
                                        "Cannot print on \"Default printer\": out of paper"}));
}

TEST_F(Output, PrinterSetupChoiceIsUsedForTheGraphAndTheLog) {
    backend.expectDialog<platform::PrinterSetupDialog>(
        "TPrinterSetupDialog", [this](platform::PrinterSetupDialog&) {
            backend.setCurrentPrinter({"Lab printer", ""});
            return true;
        });
    form().Printersetup1->userClick(&form());
    form().Printgraph1->userClick(&form());
    form().Recalculate();
    ReportFrm->Print1->userClick(ReportFrm);
    ASSERT_EQ(backend.printJobs().size(), 2u);
    EXPECT_EQ(backend.printJobs()[0].printer.name, "Lab printer");
    EXPECT_EQ(backend.printJobs()[1].printer.name, "Lab printer");
    EXPECT_EQ(backend.takeMessages(),
              std::vector<std::string>{"The graph was printed on \"Lab printer\"."});
}

TEST_F(Output, CopyGraphPutsTheChartOnTheClipboard) {
    form().Copygraphtoclipboard1->userClick(&form());
    EXPECT_EQ(backend.graphCopies(), std::vector<platform::Graph*>{form().Chart1});
}

// The kind chosen in the list, or the one the typed name's extension names,
// decides the format, the resolution and the extension added.
TEST_F(Output, SavedImageTakesItsKindFromTheNameOrTheList) {
    const struct {
        const char* typed;
        int listed;
        const char* path;
        platform::ImageFormat format;
        int dpi;
    } cases[] = {
        {"fig", 1, "fig.png", platform::ImageFormat::Png, 300},
        {"fig", 2, "fig.png", platform::ImageFormat::Png, 600},
        {"Fig.PNG", 3, "Fig.PNG", platform::ImageFormat::Png, 150},
        {"fig", 4, "fig.svg", platform::ImageFormat::Svg, 300},
        {"fig.pdf", 2, "fig.pdf", platform::ImageFormat::Pdf, 300},
    };
    for (const auto& c : cases) {
        backend.expectDialog<platform::SaveDialog>("TSaveDialog", [&c](platform::SaveDialog& d) {
            EXPECT_NE(d.Filter.find("PNG image, 300 dpi|*.png|"), std::string::npos);
            d.FileName = c.typed;
            d.FilterIndex = c.listed;
            return true;
        });
        form().Savegraphas1->userClick(&form());
        const auto& saved = backend.savedImages().back();
        EXPECT_EQ(saved.request.path, c.path);
        EXPECT_EQ(saved.request.format, c.format);
        EXPECT_EQ(saved.request.dpi, c.dpi);
        EXPECT_EQ(saved.caption, form().Chart1->caption);
    }
    EXPECT_EQ(backend.savedImages().size(), std::size(cases));
    const auto said = backend.takeMessages();
    EXPECT_EQ(said.front(), "The graph was saved to \"fig.png\" (PNG, 300 dpi, 8.5 cm wide).");

    // The right-click menu runs the same save; Cancel writes nothing.
    backend.expectDialog<platform::SaveDialog>("TSaveDialog",
                                               [](platform::SaveDialog&) { return false; });
    form().Chart1->popupMenu()->find("SaveImageAs1")->userClick(&form());
    EXPECT_EQ(backend.savedImages().size(), std::size(cases));
}

}  // namespace
