// SPDX-License-Identifier: GPL-3.0-or-later

// File > Exit with two series windows holding unsaved changes, on the Qt
// back end: each is asked about by name; Yes and No end the program with
// every window gone, Cancel keeps the windows and their recovery copies.
// And a series' sequence with its options, kept in its file.
#include <QTableView>
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "forms/Series.h"
#include "journal/Journal.h"
#include "platform/qt/QtPeers.h"
#include "tests/support/ProgramSession.h"

namespace {

namespace fs = std::filesystem;
using e2e::Dialog;
using e2e::key;

constexpr const char* kSeries =
    "Sample,IonicStrength,Temperature,StokesRadius,Mobility\n"
    "A,0.010,25,3.5,1.80\n"
    "B,0.050,25,3.5,1.31\n";

class Exit : public e2e::ProgramSession {
  protected:
    static QWidget* windowOfForm(const platform::Form& form) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = dynamic_cast<platform::qt::FormWindow*>(w); f && f->control() == &form)
                return w;
        return nullptr;
    }
    // Two series opened, the first label of each typed over.
    std::vector<forms::TSeriesFrm*> twoModified() {
        std::vector<forms::TSeriesFrm*> windows;
        for (const char* name : {"first.csv", "second.csv"}) {
            std::ofstream(m_dir / name, std::ios::binary) << kSeries;
            forms::TSeriesFrm* s = forms::OpeningForm->OpenFile((m_dir / name).string());
            EXPECT_NE(s, nullptr);
            if (!s)
                continue;
            QWidget* window = windowOfForm(*s);
            e2e::waitFor([window] { return window->isActiveWindow(); });
            e2e::find<QTableView>(window, "Grid1")->setFocus();
            s->Grid1->setCurrent(0, 0);
            key(Qt::Key_F2);
            key(Qt::Key_A, {}, Qt::ControlModifier);
            e2e::typeText("changed");
            key(Qt::Key_Return);
            EXPECT_TRUE(e2e::waitFor([s] { return s->document().dirty(); })) << name;
            windows.push_back(s);
        }
        return windows;
    }
    void answer(const std::string& name, const char* button) {
        expectDialog("SaveSeries", [name, button](Dialog& d) {
            EXPECT_EQ(d.text("StaticText1").toStdString(), "Save the changes to \"" + name + "\"?");
            d.click(button);
        });
    }
    int seriesCopies() const {
        int n = 0;
        std::error_code ec;
        for (const auto& each : fs::directory_iterator(stateFolder(), ec))
            n += each.path().filename().string().rfind(journal::kSeriesPrefix, 0) == 0;
        return n;
    }
    // Exit chosen; afterwards the program has ended with no window shown.
    void exitAndExpectTheEnd() {
        menu(main, "Exit1");
        EXPECT_TRUE(platform::Application::current().terminated());
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString() << " still shown";
    }
    std::string file(const char* name) const { return testing_support::readFile(m_dir / name); }
};

TEST_F(Exit, YesSavesEachSeriesAndTheProgramEnds) {
    runProgram([&] {
        expectDialog("NumberEntry", typeNumber("10"));
        e2e::click(field("ZTxt"));
        twoModified();
        answer("first.csv", "YesBtn");
        answer("second.csv", "YesBtn");
        expectDialog("SaveLog", [](Dialog& d) { d.click("BitBtn2"); });
        exitAndExpectTheEnd();
    });
    EXPECT_EQ(file("first.csv").rfind("Sample,", 0), 0u);
    for (const char* name : {"first.csv", "second.csv"})
        EXPECT_NE(file(name).find("changed,0.010"), std::string::npos) << name;
}

TEST_F(Exit, NoLeavesTheFilesAndTheProgramEnds) {
    runProgram([&] {
        twoModified();
        answer("first.csv", "NoBtn");
        answer("second.csv", "NoBtn");
        exitAndExpectTheEnd();
    });
    EXPECT_EQ(file("first.csv"), kSeries);
    EXPECT_EQ(file("second.csv"), kSeries);
    // The fixture checks that no recovery copy is left.
}

TEST_F(Exit, CancelKeepsEveryWindowAndItsCopy) {
    runProgram([&] {
        const std::vector<forms::TSeriesFrm*> windows = twoModified();
        for (forms::TSeriesFrm* s : windows)
            s->flushCopy();
        ASSERT_EQ(seriesCopies(), 2);
        answer("first.csv", "NoBtn");
        answer("second.csv", "CancelBtn");
        menu(main, "Exit1");
        EXPECT_FALSE(platform::Application::current().terminated());
        EXPECT_TRUE(main->isVisible());
        for (forms::TSeriesFrm* s : windows) {
            EXPECT_TRUE(windowOfForm(*s)->isVisible());
            EXPECT_TRUE(s->document().dirty());
        }
        EXPECT_EQ(seriesCopies(), 2);
        // The windows still answer: one closed by itself, then Exit again.
        expectDialog("SaveSeries", [](Dialog& d) { d.click("NoBtn"); });
        menu(windowOfForm(*windows[0]), "Close1");
        EXPECT_FALSE(windowOfForm(*windows[0])->isVisible());
        EXPECT_TRUE(e2e::waitFor([&] { return seriesCopies() == 1; })) << "the closed one's copy";
        answer("second.csv", "NoBtn");
        exitAndExpectTheEnd();
    });
}

using SeriesFile = Exit;

// State: a titration opened. Action: Analysis > Attach sequence... with
// lysozyme and its 4 bridges typed in the options, saved, closed, opened
// again. Expected: the charge window's 6.72 at pH 9 before and after.
TEST_F(SeriesFile, SequenceWithItsOptionsComesBackWithTheFile) {
    std::ofstream(m_dir / "t.csv", std::ios::binary) << "Sample,IonicStrength,Mobility,pH\n"
                                                        "a,0.1,1.2,5\n"
                                                        "b,0.1,0.6,9\n";
    std::ofstream(m_dir / "hel.fasta", std::ios::binary)
        << ">lysozyme C\nKVFGRCELAAAMKRHGLDNYRGYSLGNWVCAAKFESNFNTQATNRNTDGSTDYGILQINSRWWCNDGRTP"
           "GSRNLCNIPCSALLSSDITASVNCAKKIVSDGNGMNAWVAWRNRCKGTDVQAWIRGCRL\n";
    const auto predicted = [](forms::TSeriesFrm& s) {
        const auto& h = s.Grid1->headers();
        const auto at = std::find(h.begin(), h.end(), "Predicted z");
        return at == h.end() ? std::string() : s.Grid1->cell(1, int(at - h.begin())).text;
    };
    runProgram([&] {
        forms::TSeriesFrm* s = forms::OpeningForm->OpenFile((m_dir / "t.csv").string());
        ASSERT_NE(s, nullptr);
        QWidget* window = windowOfForm(*s);
        expectDialog("SequenceDialog1", [](Dialog&) {
            e2e::typeText("hel.fasta");
            key(Qt::Key_Return);
        });
        expectDialog("SequenceOptions", [this](Dialog& d) {
            expectDialog("NumberEntry", typeNumber("4"));
            d.click("BridgesTxt");
            EXPECT_EQ(d.text("BridgesTxt").toStdString(), "4");
            d.click("OkBtn");
        });
        menu(window, "AttachSequence1");
        EXPECT_EQ(predicted(*s), "6.72");
        menu(window, "Save1");
        menu(window, "Close1");
        EXPECT_FALSE(window->isVisible());
        forms::TSeriesFrm* again = forms::OpeningForm->OpenFile((m_dir / "t.csv").string());
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(predicted(*again), "6.72");
        EXPECT_EQ(again->chargeChoice().options.disulfideBridges, 4);
        EXPECT_EQ(windowOfForm(*again)->windowTitle().toStdString(), "t.csv - Series");
    });
    EXPECT_NE(file("t.csv").find("Setting:Bridges"), std::string::npos);
}

}  // namespace
