// SPDX-License-Identifier: GPL-3.0-or-later

// The whole program on the Qt back end, driven like a user drives it: clicks
// and keys on the real windows, answers to the dialogs it opens, files in a
// temporary folder. With QUORVIN_SCREENSHOT_DIR set, the windows and dialogs
// it passes are saved there as PNG files.
#include <qcustomplot.h>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QClipboard>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QTextEdit>
#include <fstream>

#include <algorithm>
#include <fstream>
#include <set>

#include "forms/ChargeSequence.h"
#include "forms/Dcalc.h"
#include "forms/Efield.h"
#include "forms/Henrymodels.h"
#include "forms/Mucalc.h"
#include "forms/Report.h"
#include "forms/Series.h"
#include "forms/SigmaProfile.h"
#include "forms/Uncertainty.h"
#include "platform/base/NumberText.h"
#include "platform/qt/QtPeers.h"
#include "tests/support/ProgramSession.h"

namespace {

using e2e::click;
using e2e::Dialog;
using e2e::key;
using e2e::typeText;

const QColor kLime(0, 255, 0), kYellow(255, 255, 0), kRed(255, 0, 0);

void screenshot(QWidget* w, const std::string& name) {
    const char* dir = std::getenv("QUORVIN_SCREENSHOT_DIR");
    if (!dir || !w)
        return;
    QApplication::processEvents();
    w->grab().save(e2e::qs(std::string(dir) + "/" + name + ".png"));
}

// Every text of a window fits its box: captions, value fields, labels with
// their raised parts, group titles and buttons.
void expectNothingClipped(QWidget* window) {
    ASSERT_NE(window, nullptr);
    const std::string where = window->objectName().toStdString() + ".";
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(window))
            continue;
        const std::string name = where + w->objectName().toStdString();
        if (auto* peer = dynamic_cast<platform::qt::PeerBase*>(w); peer && w->parentWidget()) {
            const QRect inParent = w->parentWidget()->rect();
            EXPECT_TRUE(inParent.contains(w->geometry())) << name << " leaves its parent";
        }
        const QFontMetrics fm(w->font());
        if (auto* field = dynamic_cast<platform::qt::StaticTextWidget*>(w);
            field && !field->text().isEmpty()) {
            EXPECT_LE(fm.horizontalAdvance(field->text()), field->textRect().width())
                << name << " \"" << field->text().toStdString() << "\"";
            EXPECT_LE(fm.height(), field->contentsRect().height() + 2) << name;
        } else if (auto* label = qobject_cast<QLabel*>(w);
                   label && !label->wordWrap() && !label->text().isEmpty()) {
            QString text = label->text();
            if (label->buddy())
                text.remove('&');
            EXPECT_LE(fm.horizontalAdvance(text), label->contentsRect().width())
                << name << " \"" << label->text().toStdString() << "\"";
            EXPECT_LE(fm.height(), label->contentsRect().height() + 2) << name;
        } else if (auto* button = qobject_cast<QAbstractButton*>(w);
                   button && !button->text().isEmpty()) {
            QString text = button->text();
            text.remove('&');
            const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            EXPECT_LE(fm.horizontalAdvance(text) + icon + 8, button->width()) << name;
            EXPECT_LE(fm.height() + 4, button->height()) << name;
        } else if (auto* lw = dynamic_cast<platform::qt::LabelWidget*>(w);
                   lw && lw->control() &&
                   static_cast<platform::Label*>(lw->control())->wordWrap()) {
            auto* label = static_cast<platform::Label*>(lw->control());
            const QRect needed =
                fm.boundingRect(w->rect(), platform::qt::wrapFlags(*label), e2e::qs(label->text()));
            EXPECT_TRUE(w->rect().contains(needed)) << name << " \"" << label->text() << "\"";
        } else if (auto* lw = dynamic_cast<platform::qt::LabelWidget*>(w); lw && lw->control()) {
            auto* label = static_cast<platform::Label*>(lw->control());
            QFont raised = w->font();
            raised.setBold(false);
            raised.setPointSizeF(w->font().pointSizeF() * 0.8);
            const QFontMetrics rm(raised);
            int width = 0;
            for (const auto& run : label->runs())
                width +=
                    run.swatch ? 24 : (run.raised ? rm : fm).horizontalAdvance(e2e::qs(run.text));
            EXPECT_LE(width, w->width()) << name << " \"" << label->text() << "\"";
            EXPECT_LE(fm.ascent() + fm.descent() - 2, w->height()) << name;
            // Raised parts too: "-7" whose top is cut reads "-/".
            for (const QRect& ink : lw->raisedInkRects())
                EXPECT_TRUE(w->rect().contains(ink))
                    << name << " \"" << label->text() << "\": a raised part at " << ink.y()
                    << " to " << ink.bottom() << " in a box " << w->height() << " high";
        }
    }
}

// What a screen reader hears of a value field beside its name: the value
// and the role its colour tells.
QString described(platform::qt::StaticTextWidget* w) {
    const QColor c = w->palette().color(w->backgroundRole());
    const char* role = c == kLime ? "entered" : c == kYellow ? "calculated" : "not used";
    return w->text() + ", " + role;
}

// The names of the widgets that Tab reaches from the one with the focus, in
// order, until it comes round again.
std::vector<std::string> tabCycle() {
    std::vector<std::string> names;
    QWidget* start = QApplication::focusWidget();
    if (!start)
        return names;
    names.push_back(start->objectName().toStdString());
    for (int i = 0; i < 40; ++i) {
        key(Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        if (!now || now == start)
            break;
        names.push_back(now->objectName().toStdString());
    }
    return names;
}

// Tab until the widget of that name has the focus.
void tabTo(const std::string& name) {
    for (int i = 0; i < 40; ++i) {
        QWidget* now = QApplication::focusWidget();
        if (now && now->objectName().toStdString() == name)
            return;
        key(Qt::Key_Tab);
    }
    ADD_FAILURE() << "Tab never reaches " << name;
}

std::string focusName() {
    e2e::waitFor([] { return QApplication::focusWidget() != nullptr; }, 1000);
    QWidget* w = QApplication::focusWidget();
    return w ? w->objectName().toStdString() : "(none)";
}

class EndToEnd : public e2e::ProgramSession {
  protected:
    // The log as the report window shows it, or holds it before it was
    // first shown.
    QString logText() const {
        QWidget* report = windowOf(forms::ReportFrm);
        if (!report)
            return e2e::qs(forms::ReportFrm->RichEdit1->Text()).replace("\r\n", "\n");
        auto* edit = e2e::find<QTextEdit>(report, "RichEdit1");
        return edit ? edit->toPlainText() : QString();
    }
    QStringList logLines() const { return logText().split('\n'); }
    int logEntries() const { return static_cast<int>(logLines().count(QString(61, '-'))); }
    // The report window, shown through the main window's menu.
    QWidget* viewLog() {
        menu(main, "Viewlog1");
        QWidget* report = windowOf(forms::ReportFrm);
        EXPECT_TRUE(report && report->isVisible());
        return report;
    }
    QVector<QCPGraphData> graphPoints() const {
        QVector<QCPGraphData> points;
        auto* plot = e2e::find<QCustomPlot>(main, "plot");
        if (!plot)
            return points;
        // The graph's redraw, still queued (see runProgram).
        QCoreApplication::sendPostedEvents();
        QApplication::processEvents();
        for (auto it = plot->graph(0)->data()->constBegin();
             it != plot->graph(0)->data()->constEnd(); ++it)
            points.push_back(*it);
        return points;
    }
    void expectField(const char* name, const char* text, const QColor& colour) {
        auto* f = field(name);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->text().toStdString(), text) << name;
        EXPECT_EQ(e2e::background(f), colour) << name;
    }
    // The electrokinetic models window from the Analysis menu, once the rows
    // of the models not linear in z are in from their thread.
    QWidget* openModelsWindow() {
        menu(main, "HenryModels1");
        QWidget* w = windowOf(forms::OpeningForm->henryModelsWindow());
        EXPECT_TRUE(w && w->isVisible());
        EXPECT_TRUE(e2e::waitFor([] { return !forms::OpeningForm->henryModelsWindow()->working(); },
                                 20000));
        return w;
    }
    // The value of a window's field as a screen reader reads it.
    static std::string accessibleValue(QWidget* window, const char* name) {
        QAccessibleInterface* a =
            QAccessible::queryAccessibleInterface(e2e::find<QWidget>(window, name));
        EXPECT_NE(a, nullptr) << name;
        return a ? a->text(QAccessible::Value).toStdString() : std::string();
    }
    // The texts and colours of all main window fields, to compare before and
    // after.
    std::vector<std::string> mainFields() {
        std::vector<std::string> all;
        for (auto* l : main->findChildren<platform::qt::StaticTextWidget*>())
            if (l->window() == main && l->objectName().endsWith("Txt"))
                all.push_back((l->objectName() + " " + l->text() + " " + e2e::background(l).name())
                                  .toStdString());
        return all;
    }
};

// The z field typed as 10: every result, colour, the graph, the log entry,
// and at exit the save prompt and the saved file.
TEST_F(EndToEnd, RoadOfOneEvent) {
    runProgram([&] {
        expectField("ZTxt", "17.13", kYellow);
        expectField("SigTxt", "22.00", kLime);
        EXPECT_EQ(graphPoints().size(), 35);
        expectDialog("NumberEntry", [&](Dialog& d) {
            EXPECT_EQ(d.text("HintTxt").toStdString(), "Value between: -9999 and 9999");
            auto* edit = d.child<QLineEdit>("Value");
            ASSERT_NE(edit, nullptr);
            EXPECT_EQ(edit->text().toStdString(), "17.13");
            screenshot(d.window, "number-entry");
            clearEntry(d);
            typeText("10");
            EXPECT_EQ(edit->text().toStdString(), "10");
            d.click("BitBtn1");
        });
        click(field("ZTxt"));

        expectField("ZTxt", "10", kLime);
        expectField("SigTxt", "12.84", kYellow);
        expectField("ZstarTxt", "2.64", kYellow);
        expectField("MuTxt", "0.773", kYellow);
        expectField("ATxt", "3.027", kYellow);
        expectField("KTxt", "1.051E+07", kYellow);
        expectField("KaTxt", "3.183", kYellow);
        expectField("HTxt", "1.1026", kYellow);
        expectField("DHHTxt", "0.264", kYellow);
        expectField("WTxt", "8.313", kYellow);
        const auto points = graphPoints();
        ASSERT_EQ(points.size(), 21);
        for (int i = 0; i < 21; ++i)
            EXPECT_EQ(points[i].key, i - 10);
        EXPECT_NEAR(points[20].value, 8.31311, 1e-4);
        EXPECT_NEAR(points[0].value, points[20].value, 1e-12);
        EXPECT_EQ(points[10].value, 0);
        screenshot(main, "main-after-z-10");

        QWidget* report = viewLog();
        const QStringList lines = logLines();
        ASSERT_EQ(lines.size(), 8 + 21);
        EXPECT_EQ(lines[0], QString(61, '-'));
        EXPECT_EQ(lines[1], "Sigma and Z* calculated from Z: 10");
        EXPECT_EQ(lines[2],
                  "  E = 0.123 V/cm calculated from i = 0.18 mA, k= 19.2 mS, Cuvette = 0.04 cm^2");
        EXPECT_EQ(lines[3], "  Sigma = 12.84 cm^-1, Z* = 2.64 and Z = 10");
        EXPECT_EQ(lines[4], "  Using T = 20.0 C, I = 0.10 M, Rs = 2.90 nm, Ri = 0.127 nm, D = 78");
        EXPECT_EQ(lines[5], "  Inverse Debye length= 1.051E+07 cm^-1, Ka= 3.183");
        EXPECT_EQ(lines[6], "  Henry's function= 1.1026, and DHH slope (z*/z) = 0.264");
        EXPECT_EQ(lines[7], "   z          We kJ/mol ");
        EXPECT_EQ(lines[8], "   -10        8.31");
        EXPECT_EQ(lines.back(), "   10         8.31");
        EXPECT_TRUE(forms::ReportFrm->LogUnsaved);
        screenshot(report, "report-with-log");
        expectNothingClipped(report);

        expectDialog("SaveLog", [&](Dialog& d) {
            EXPECT_EQ(d.window->windowTitle().toStdString(), "Save log?");
            EXPECT_EQ(d.text("StaticText1").toStdString(),
                      "There are data in the log file which have not been saved");
            EXPECT_EQ(d.text("StaticText2").toStdString(), "Save Log File?");
            expectNothingClipped(d.window);
            screenshot(d.window, "save-prompt");
            key(Qt::Key_Return);  // Yes
        });
        expectDialog("SaveDialog1", [&](Dialog& d) {
            EXPECT_EQ(d.window->windowTitle().toStdString(), "Save Marlix log");
            screenshot(d.window, "save-dialog");
            typeText("road");
            key(Qt::Key_Return);
        });
        menu(main, "Exit1");
    });
    const std::string saved = testing_support::readFile(m_dir / "road.RTF");
    EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(saved.find("Sigma and Z* calculated from Z: 10"), std::string::npos);
    EXPECT_NE(saved.find("Henry's function= 1.1026"), std::string::npos);
}

// The graph's menu commands after z* is typed as 3: the .DAT file holds the
// graph's points as "z Ge" lines with CR LF, and the copied graph is an SVG
// and a picture.
TEST_F(EndToEnd, GraphMenuCommandsExportThePointsShown) {
    runProgram([&] {
        expectDialog("NumberEntry", typeNumber("3"));
        click(field("ZstarTxt"));
        const auto points = graphPoints();
        ASSERT_FALSE(points.empty());

        expectDialog("SaveDialog1", [&](Dialog& d) {
            EXPECT_EQ(d.window->windowTitle().toStdString(), "Save Marlix DAT file");
            typeText("points");
            key(Qt::Key_Return);
        });
        menu(main, "CopyGevszvaluestoclipboard1");
        const std::string dat = testing_support::readFile(m_dir / "points.DAT");
        std::string expected;
        for (const QCPGraphData& p : points)
            expected += std::to_string(static_cast<int>(p.key)) + " " +
                        platform::FormatFloat("0.000E+00", p.value) + "\r\n";
        EXPECT_EQ(dat, expected);

        menu(main, "Copygraphtoclipboard1");
        const QMimeData* data = QApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        EXPECT_TRUE(data->hasFormat("image/svg+xml"));
        EXPECT_TRUE(data->hasImage());
        EXPECT_EQ(logEntries(), 1) << "exporting writes no log entry";
    });
}

// Each calculator, with one value changed in it, accepted or cancelled.
struct CalculatorCase {
    const char* name;
    const char* opener;      // the main window field that opens it
    const char* calculator;  // its window
    const char* innerField;  // the field changed in it
    const char* typed;
    bool accept;
    // Main window fields after OK: name, text, colour.
    std::vector<std::tuple<const char*, const char*, QColor>> after;
};

void PrintTo(const CalculatorCase& c, std::ostream* os) {
    *os << c.name;
}

class Calculators : public EndToEnd, public ::testing::WithParamInterface<CalculatorCase> {};

TEST_P(Calculators, AcceptedChangesTheMainWindowCancelledChangesNothing) {
    const CalculatorCase& c = GetParam();
    runProgram([&] {
        const auto before = mainFields();
        const auto pointsBefore = graphPoints();
        expectDialog(c.calculator, [&](Dialog& d) {
            expectNothingClipped(d.window);
            screenshot(d.window, std::string("calculator-") + c.calculator);
            expectDialog("NumberEntry", typeNumber(c.typed));
            d.click(c.innerField);
            EXPECT_EQ(d.text(c.innerField).toStdString(), c.typed) << "shown as typed";
            expectNothingClipped(d.window);
            d.click(c.accept ? "BitBtn2" : "BitBtn1");
        });
        click(field(c.opener));
        if (!c.accept) {
            EXPECT_EQ(mainFields(), before);
            EXPECT_EQ(graphPoints().size(), pointsBefore.size());
            EXPECT_FALSE(forms::ReportFrm->LogUnsaved) << "no pass, no entry";
            return;
        }
        for (const auto& [name, text, colour] : c.after)
            expectField(name, text, colour);
        EXPECT_EQ(logEntries(), 1);
        expectNothingClipped(main);
    });
}

INSTANTIATE_TEST_SUITE_P(
    EachCalculator, Calculators,
    ::testing::Values(
        CalculatorCase{"EFieldAccepted",
                       "CurrTxt",
                       "EFieldCalculator",
                       "CurrTxt",
                       "0.36",
                       true,
                       {{"CurrTxt", "0.36", kLime},
                        {"CondTxt", "19.20", kLime},
                        {"ETxt", "0.469", kYellow},
                        {"SigTxt", "22.00", kLime},
                        {"ZTxt", "4.50", kYellow}}},
        CalculatorCase{"EFieldCancelled", "XTxt", "EFieldCalculator", "CurrTxt", "0.36", false, {}},
        CalculatorCase{"DfRsAccepted",
                       "RsTxt",
                       "DCalculator",
                       "Rtxt",
                       "3.5",
                       true,
                       {{"RsTxt", "3.5", kLime}, {"ATxt", "3.627", kYellow}}},
        CalculatorCase{"DfRsCancelled", "RsTxt", "DCalculator", "Rtxt", "3.5", false, {}},
        CalculatorCase{"MobilityAccepted",
                       "SigTxt",
                       "MuCalculator",
                       "SigTxt",
                       "30",
                       true,
                       {{"SigTxt", "30.0", kLime}, {"MuTxt", "1.805", kYellow}}},
        CalculatorCase{"MobilityCancelled", "MuTxt", "MuCalculator", "SigTxt", "30", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// E typed into the E field calculator, then calculated again from the
// current, conductivity and cross-section.
TEST_F(EndToEnd, EFieldEnteredDirectlyThenCalculatedAgain) {
    runProgram([&] {
        expectDialog("EFieldCalculator", [&](Dialog& d) {
            for (const char* input : {"CurrTxt", "CondTxt", "XTxt"})
                EXPECT_EQ(e2e::background(d.child(input)), kRed) << input;
            EXPECT_EQ(e2e::background(d.child("ETxt")), kLime);
            expectDialog("NumberEntry", typeNumber("0.2"));
            d.click("ETxt");
            EXPECT_EQ(d.text("ETxt").toStdString(), "0.2");
            d.click("BitBtn2");
        });
        click(field("ETxt"));
        expectField("ETxt", "0.20", kLime);
        for (const char* input : {"CurrTxt", "CondTxt", "XTxt"})
            expectField(input,
                        input == std::string("CondTxt")   ? "19.2"
                        : input == std::string("CurrTxt") ? "0.18"
                                                          : "0.04",
                        kRed);
        EXPECT_TRUE(logLines().contains("  E = 0.20 V/cm entered"));

        expectDialog("EFieldCalculator", [&](Dialog& d) {
            EXPECT_EQ(d.text("ETxt").toStdString(), "0.234") << "calculated again at once";
            EXPECT_EQ(e2e::background(d.child("ETxt")), kYellow);
            d.click("BitBtn2");
        });
        click(field("CondTxt"));
        expectField("ETxt", "0.234", kYellow);
        expectField("CurrTxt", "0.18", kLime);
        expectField("CondTxt", "19.20", kLime);
        expectField("XTxt", "0.04", kLime);
        EXPECT_EQ(logEntries(), 2);
        const QStringList fieldLines = logLines().filter("  E = ");
        ASSERT_EQ(fieldLines.size(), 2);
        EXPECT_EQ(fieldLines.back().toStdString(),
                  "  E = 0.234 V/cm calculated from i = 0.18 mA, k= 19.20 mS, Cuvette = 0.04 cm^2");
    });
}

// A mobility typed into the mobility calculator: Sigma follows from it, and
// the valences from Sigma.
TEST_F(EndToEnd, MobilityEnteredSetsAllThreeValenceModes) {
    runProgram([&] {
        expectDialog("MuCalculator", [&](Dialog& d) {
            expectDialog("NumberEntry", typeNumber("1.5"));
            d.click("MuTxt");
            EXPECT_EQ(e2e::background(d.child("MuTxt")), kLime);
            EXPECT_EQ(e2e::background(d.child("SigTxt")), kYellow);
            d.click("BitBtn2");
        });
        click(field("MuTxt"));
        expectField("MuTxt", "1.5", kLime);
        EXPECT_EQ(e2e::background(field("SigTxt")), kYellow);
        // Sigma 1.5 x 0.0001 x 0.123 / 7.3998e-7 = 24.93 and z from it: the
        // valences come from Sigma, which comes from the mobility.
        expectField("SigTxt", "24.933", kYellow);
        expectField("ZTxt", "19.41", kYellow);
        expectField("ZstarTxt", "5.12", kYellow);
        const QStringList lines = logLines();
        EXPECT_EQ(lines.filter("Z and Z* calculated from Sigma: 24.933 cm^-1").size(), 1);
        EXPECT_EQ(lines.filter("calculated from Z").size(), 0) << logText().toStdString();
        expectNothingClipped(main);
    });
}

// The mobility first, the temperature after it: Sigma is converted with the
// diffusion coefficient at the new temperature, as when the temperature
// comes first.
TEST_F(EndToEnd, TemperatureAfterTheMobilityMovesTheDiffusionCoefficient) {
    runProgram([&] {
        expectDialog("MuCalculator", [&](Dialog& d) {
            expectDialog("NumberEntry", typeNumber("1.8"));
            d.click("MuTxt");
            d.click("BitBtn2");
        });
        click(field("MuTxt"));
        expectDialog("NumberEntry", typeNumber("37"));
        click(field("TTxt"));
        expectField("TTxt", "37", kLime);
        expectField("RsTxt", "2.90", kLime);
        expectField("SigTxt", "28.279", kYellow);
        expectField("ZTxt", "22.87", kYellow);
        EXPECT_EQ(logLines().filter("Z and Z* calculated from Sigma: 28.279 cm^-1").size(), 1);
    });
}

// The smallest E the E field calculator gives makes a valence of some 1e10:
// the graph keeps a bounded number of points, the log a short table, and the
// program goes on answering.
TEST_F(EndToEnd, HugeDerivedValenceStaysResponsive) {
    runProgram([&] {
        expectDialog("EFieldCalculator", [&](Dialog& d) {
            expectDialog("NumberEntry", typeNumber("1e-7"));
            d.click("CurrTxt");
            expectDialog("NumberEntry", typeNumber("500"));
            d.click("CondTxt");
            expectDialog("NumberEntry", typeNumber("1"));
            d.click("XTxt");
            EXPECT_EQ(d.text("ETxt").toStdString(), "0.00");
            d.click("BitBtn2");
        });
        click(field("CurrTxt"));
        bool ok = false;
        const double z = field("ZTxt")->text().toDouble(&ok);
        EXPECT_TRUE(ok) << field("ZTxt")->text().toStdString();
        EXPECT_GT(z, 1e9);
        const auto points = graphPoints();
        EXPECT_LE(points.size(), 2 * 9999 + 1);
        EXPECT_GT(points.size(), 1000);
        EXPECT_EQ(points.front().key, -points.back().key);
        EXPECT_LE(logLines().size(), 8 + 26);
        screenshot(main, "main-huge-valence");
        expectNothingClipped(main);
        // Whatever the box shows, the whole text is told and in the log.
        QAccessibleInterface* ge = QAccessible::queryAccessibleInterface(field("WTxt"));
        EXPECT_GE(ge->text(QAccessible::Value).size(), 15);
        const QString zText =
            QAccessible::queryAccessibleInterface(field("ZTxt"))->text(QAccessible::Value);
        EXPECT_TRUE(logText().contains(" and Z = " + zText)) << zText.toStdString();

        // Still answering: the About box, then a normal valence again.
        expectDialog("AboutBox", [&](Dialog& d) {
            expectNothingClipped(d.window);
            screenshot(d.window, "about");
            key(Qt::Key_Return);
        });
        menu(main, "About1");
        expectDialog("NumberEntry", typeNumber("5"));
        click(field("ZTxt"));
        EXPECT_EQ(graphPoints().size(), 11);
    });
}

// The report window's own commands: save, find, replace, open.
TEST_F(EndToEnd, ReportWindowSavesFindsReplacesAndOpens) {
    runProgram([&] {
        expectDialog("NumberEntry", typeNumber("10"));
        click(field("ZTxt"));
        QWidget* report = viewLog();
        ASSERT_NE(report, nullptr);
        e2e::waitFor([&] { return report->isActiveWindow(); });

        expectDialog("SaveDialog1", [&](Dialog&) {
            typeText("log1");
            key(Qt::Key_Return);
        });
        menu(report, "Save1");
        EXPECT_FALSE(forms::ReportFrm->LogUnsaved);
        ASSERT_TRUE(std::filesystem::is_regular_file(m_dir / "log1.RTF"));

        menu(report, "Replace1");
        QWidget* replace = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "ReplaceDialog1" && w->isVisible())
                replace = w;
        ASSERT_NE(replace, nullptr);
        EXPECT_TRUE(e2e::waitFor([&] { return replace->isActiveWindow(); }));
        expectNothingClipped(replace);
        EXPECT_EQ(focusName(), "findText");
        typeText("Sigma");
        key(Qt::Key_Tab);
        EXPECT_EQ(focusName(), "replaceText");
        typeText("SIGMA");
        screenshot(replace, "replace");
        click(e2e::find(replace, "replaceAll"));
        EXPECT_TRUE(logText().contains("SIGMA and Z* calculated from Z: 10"));
        EXPECT_FALSE(logText().contains("Sigma"));
        key(Qt::Key_Escape);
        EXPECT_FALSE(replace->isVisible());

        menu(report, "Find1");
        QWidget* findWindow = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "FindDialog1" && w->isVisible())
                findWindow = w;
        ASSERT_NE(findWindow, nullptr);
        EXPECT_TRUE(e2e::waitFor([&] { return findWindow->isActiveWindow(); }));
        expectNothingClipped(findWindow);
        typeText("Henry");
        screenshot(findWindow, "find");
        click(e2e::find(findWindow, "cancel"));
        auto* edit = e2e::find<QTextEdit>(report, "RichEdit1");
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->textCursor().selectedText().toStdString(), "Henry");

        expectDialog("OpenDialog1", [&](Dialog& d) {
            EXPECT_EQ(d.window->windowTitle().toStdString(), "Open Marlix log");
            typeText("log1.RTF");
            key(Qt::Key_Return);
        });
        menu(report, "Open1");
        EXPECT_TRUE(logText().contains("Sigma and Z* calculated from Z: 10"));
        EXPECT_FALSE(logText().contains("SIGMA"));
        EXPECT_FALSE(forms::ReportFrm->LogUnsaved) << "opening is no new entry";
        // Exit now asks nothing: the fixture would fail on a save prompt.
    });
}

struct ExitCase {
    const char* name;
    bool recalculate;
    bool byFrame;                 // the window's close button instead of File > Exit
    std::vector<int> promptKeys;  // pressed in the save prompt, none: no prompt
    const char* fileName;         // typed into the save dialog, null: cancelled
    bool written;
    bool copyKept = false;  // the log's recovery copy stays for the next start
};

void PrintTo(const ExitCase& c, std::ostream* os) {
    *os << c.name;
}

class ExitFlow : public EndToEnd, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(ExitFlow, OffersToSaveOnlyUnsavedEntries) {
    const ExitCase& c = GetParam();
    runProgram([&] {
        if (c.recalculate) {
            expectDialog("NumberEntry", typeNumber("10"));
            click(field("ZTxt"));
        }
        if (!c.promptKeys.empty()) {
            expectDialog("SaveLog", [&](Dialog&) {
                EXPECT_EQ(focusName(), "BitBtn1") << "Yes has the focus";
                for (int k : c.promptKeys)
                    key(k);
            });
            if (c.promptKeys.back() == Qt::Key_Return)
                expectDialog("SaveDialog1", [&](Dialog&) {
                    if (!c.fileName) {
                        key(Qt::Key_Escape);
                        return;
                    }
                    typeText(c.fileName);
                    key(Qt::Key_Return);
                });
        }
        if (c.byFrame)
            main->close();
        else
            menu(main, "Exit1");
        EXPECT_TRUE(platform::Application::current().terminated());
    });
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir))
        files.push_back(entry.path().filename().string());
    if (c.written)
        EXPECT_EQ(files, std::vector<std::string>{std::string(c.fileName) + ".RTF"});
    else
        EXPECT_TRUE(files.empty()) << files.front();
    std::error_code ec;
    const auto copies = std::distance(std::filesystem::directory_iterator(stateFolder(), ec),
                                      std::filesystem::directory_iterator());
    EXPECT_EQ(copies, c.copyKept ? 1 : 0);
    std::filesystem::remove_all(stateFolder(), ec);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExitFlow,
    ::testing::Values(
        ExitCase{"RightAfterStart", false, false, {}, nullptr, false},
        ExitCase{"RightAfterStartByFrame", false, true, {}, nullptr, false},
        ExitCase{"No", true, false, {Qt::Key_Tab, Qt::Key_Space}, nullptr, false},
        ExitCase{"EscapeIsNo", true, true, {Qt::Key_Escape}, nullptr, false},
        ExitCase{"YesSaves", true, false, {Qt::Key_Return}, "atexit", true},
        ExitCase{
            "YesThenCancelledSavesNothing", true, false, {Qt::Key_Return}, nullptr, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The solvent by mouse: the viscosity field opens the dialog, water is
// chosen and its relative viscosity typed; the window shows water's values
// at the temperature, as calculated, and the log names the solvent.
TEST_F(EndToEnd, SolventDialogChoosesWaterAtTheTemperature) {
    runProgram([&] {
        expectField("VTxt", "1", kLime);
        expectField("DTxt", "78", kLime);
        expectDialog("SolventDialog", [&](Dialog& d) {
            d.click("ChoiceTxt");
            EXPECT_EQ(d.text("ChoiceTxt").toStdString(), "Water at the temperature");
            expectDialog("NumberEntry", typeNumber("1.1"));
            d.click("RTxt");
            EXPECT_EQ(d.text("VTxt").toStdString(), "1.102");
            EXPECT_EQ(d.text("DTxt").toStdString(), "80.10");
            d.click("BitBtn2");
        });
        click(field("VTxt"));
        expectField("VTxt", "1.102", kYellow);
        expectField("DTxt", "80.10", kYellow);
        expectField("ZTxt", "16.98", kYellow);  // Ka with 80.10; Sigma needs no viscosity
        EXPECT_EQ(logEntries(), 1);
        EXPECT_TRUE(
            logLines().contains("  Solvent: water at 20.0 C, viscosity 1.102 cP (Huber 2009, "
                                "times 1.1 for the buffer), dielectric constant 80.10 "
                                "(Malmberg & Maryott 1956)"));
    });
}

// The whole program by keyboard: Tab reaches every value field in reading
// order and then the graph, Space and Enter open it, in the dialogs as well.
TEST_F(EndToEnd, KeyboardReachesAndOpensEveryField) {
    runProgram([&] {
        EXPECT_EQ(focusName(), "SigTxt");
        EXPECT_EQ(tabCycle(), (std::vector<std::string>{
                                  "SigTxt",   "MuTxt", "RsTxt",   "RiTxt",    "ITxt",  "TTxt",
                                  "DTxt",     "VTxt",  "CurrTxt", "CondTxt",  "XTxt",  "ETxt",
                                  "ZstarTxt", "ZTxt",  "ATxt",    "KTxt",     "KaTxt", "HTxt",
                                  "DHHTxt",   "WTxt",  "ZetaTxt", "ModelTxt", "plot"}));
        // Space steps through the electrokinetic models and back.
        tabTo("ModelTxt");
        for (const char* model :
             {"Henry (exact)", "Ohshima (1994)", "Ohshima (2001)", "Standard model", "DHH fit"}) {
            key(Qt::Key_Space);
            expectField("ModelTxt", model, kLime);
        }
        expectField("ZTxt", "17.13", kYellow);
        tabTo("ZTxt");
        expectDialog("NumberEntry", [&](Dialog& d) {
            EXPECT_EQ(tabCycle(), (std::vector<std::string>{"Value", "BitBtn2", "BitBtn1"}));
            typeNumber("10")(d);
        });
        key(Qt::Key_Space);
        expectField("ZTxt", "10", kLime);
        EXPECT_EQ(focusName(), "ZTxt") << "the focus comes back to the field";

        // The solvent: Space switches to water at the temperature, whose
        // values the dialog shows before OK and the window after it.
        tabTo("VTxt");
        expectDialog("SolventDialog", [&](Dialog& d) {
            EXPECT_EQ(tabCycle(), (std::vector<std::string>{"ChoiceTxt", "VTxt", "DTxt", "RTxt",
                                                            "BitBtn1", "BitBtn2"}));
            tabTo("ChoiceTxt");
            key(Qt::Key_Space);
            EXPECT_EQ(d.text("ChoiceTxt").toStdString(), "Water at the temperature");
            screenshot(d.window, "solvent-dialog");
            tabTo("BitBtn2");
            key(Qt::Key_Return);
        });
        key(Qt::Key_Space);
        expectField("VTxt", "1.002", kYellow);
        screenshot(main, "main-water");

        tabTo("ITxt");
        screenshot(main, "main-keyboard-focus");
        expectDialog("NumberEntry", [&](Dialog&) { key(Qt::Key_Escape); });
        key(Qt::Key_Return);
        expectField("ITxt", "0.10", kLime);

        tabTo("ETxt");
        expectDialog("EFieldCalculator", [&](Dialog& d) {
            EXPECT_EQ(focusName(), "CurrTxt");
            EXPECT_EQ(tabCycle(), (std::vector<std::string>{"CurrTxt", "CondTxt", "XTxt", "ETxt",
                                                            "BitBtn1", "BitBtn2"}));
            tabTo("ETxt");
            expectDialog("NumberEntry", typeNumber("0.3"));
            key(Qt::Key_Return);  // opens the field, does not press OK
            EXPECT_EQ(d.text("ETxt").toStdString(), "0.3");
            EXPECT_EQ(focusName(), "ETxt");
            tabTo("BitBtn2");
            key(Qt::Key_Space);
        });
        key(Qt::Key_Return);
        expectField("ETxt", "0.30", kLime);

        tabTo("RsTxt");
        expectDialog("DCalculator", [&](Dialog&) {
            EXPECT_EQ(tabCycle(), (std::vector<std::string>{"Dtxt", "Ttxt", "Vtxt", "Ftxt", "Rtxt",
                                                            "BitBtn1", "BitBtn2"}));
            key(Qt::Key_Escape);
        });
        key(Qt::Key_Space);

        tabTo("MuTxt");
        expectDialog("MuCalculator", [&](Dialog&) {
            EXPECT_EQ(tabCycle(), (std::vector<std::string>{"SigTxt", "MuTxt", "RsTxt", "VTxt",
                                                            "TTxt", "CurrTxt", "CondTxt", "XTxt",
                                                            "ETxt", "BitBtn1", "BitBtn2"}));
            tabTo("TTxt");
            expectDialog("NumberEntry", typeNumber("25"));
            key(Qt::Key_Space);
            tabTo("BitBtn2");
            key(Qt::Key_Return);
        });
        key(Qt::Key_Space);
        expectField("TTxt", "25", kLime);
        // Five models, z, E, the solvent and the mobility calculator.
        EXPECT_EQ(logEntries(), 9);

        expectDialog("AboutBox", [&](Dialog&) {
            EXPECT_EQ(tabCycle(), std::vector<std::string>{"OKButton"});
            key(Qt::Key_Escape);
        });
        menu(main, "About1");
        expectDialog("SaveLog", [&](Dialog&) {
            EXPECT_EQ(tabCycle(), (std::vector<std::string>{"BitBtn1", "BitBtn2"}));
            key(Qt::Key_Escape);
        });
        menu(main, "Exit1");
    });
}

// What assistive technology is told of each value field: its name, the
// text it shows, whether it can be pressed, also after every change.
TEST_F(EndToEnd, ValueFieldsTellTheirNameAndValue) {
    struct Named {
        const char* field;
        const char* name;
        bool pressable;
    };
    const Named fields[] = {
        {"SigTxt", "Sigma", true},
        {"MuTxt", "Mobility", true},
        {"RsTxt", "Stokes radius", true},
        {"RiTxt", "Salt ion radius", true},
        {"ITxt", "Ionic strength", true},
        {"TTxt", "Temperature", true},
        {"DTxt", "Dielectric", true},
        {"CurrTxt", "Current", true},
        {"CondTxt", "Conductivity", true},
        {"XTxt", "Cuvette x-section", true},
        {"ETxt", "E", true},
        {"ZstarTxt", "z*", true},
        {"ZTxt", "z", true},
        {"ATxt", "Rs + Ri (a)", false},
        {"KTxt", "Inverse Debye length (K)", false},
        {"KaTxt", "Ka", false},
        {"HTxt", "Henry's function H(Ka)", false},
        {"DHHTxt", "DHH slope", false},
        {"WTxt", "Ge(max)", false},
        {"ZetaTxt", "Zeta potential", false},
    };
    runProgram([&] {
        for (const Named& n : fields) {
            auto* w = field(n.field);
            ASSERT_NE(w, nullptr);
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            ASSERT_NE(a, nullptr);
            EXPECT_EQ(a->text(QAccessible::Name).toStdString(), n.name) << n.field;
            EXPECT_EQ(a->text(QAccessible::Value), w->text()) << n.field;
            EXPECT_EQ(a->text(QAccessible::Description), described(w)) << n.field;
            EXPECT_EQ(a->role(), n.pressable ? QAccessible::Button : QAccessible::StaticText)
                << n.field;
            EXPECT_TRUE(a->state().focusable) << n.field;
            const QStringList actions = a->actionInterface()->actionNames();
            EXPECT_EQ(actions.contains(QAccessibleActionInterface::pressAction()), n.pressable)
                << n.field;
        }
        EXPECT_EQ(QAccessible::queryAccessibleInterface(field("ZTxt"))
                      ->text(QAccessible::Value)
                      .toStdString(),
                  "17.13");

        // Pressed by assistive technology, the field opens its dialog.
        expectDialog("NumberEntry", typeNumber("10"));
        QAccessible::queryAccessibleInterface(field("ZTxt"))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_TRUE(e2e::waitFor([] { return forms::ReportFrm->LogUnsaved; }));
        EXPECT_EQ(field("ZTxt")->text().toStdString(), "10");
        for (const Named& n : fields) {
            auto* w = field(n.field);
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            EXPECT_EQ(a->text(QAccessible::Value), w->text()) << n.field << " after the change";
            EXPECT_EQ(a->text(QAccessible::Description), described(w)) << n.field;
        }
        EXPECT_EQ(QAccessible::queryAccessibleInterface(field("SigTxt"))
                      ->text(QAccessible::Value)
                      .toStdString(),
                  "12.84");

        // The calculators' fields are named too.
        expectDialog("MuCalculator", [&](Dialog& d) {
            for (const auto& [field, name] :
                 std::vector<std::pair<const char*, const char*>>{{"SigTxt", "Sigma"},
                                                                  {"MuTxt", "Mobility"},
                                                                  {"RsTxt", "Stokes radius"},
                                                                  {"TTxt", "Temperature"},
                                                                  {"CurrTxt", "Current"},
                                                                  {"ETxt", "E"}}) {
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(d.child(field));
                ASSERT_NE(a, nullptr);
                EXPECT_EQ(a->text(QAccessible::Name).toStdString(), name);
                EXPECT_EQ(a->text(QAccessible::Value), d.text(field));
            }
            QAccessibleInterface* ok = QAccessible::queryAccessibleInterface(d.child("BitBtn2"));
            EXPECT_EQ(ok->text(QAccessible::Name).toStdString(), "OK");
            key(Qt::Key_Escape);
        });
        click(field("SigTxt"));
    });
}

// The electrokinetic models window from the Analysis menu: the table as a
// screen reader hears it, the models not linear in z filled in from their
// thread, and Escape closes it.
TEST_F(EndToEnd, HenryModelsWindowReadsOutItsTable) {
    runProgram([&] {
        QWidget* w = openModelsWindow();
        ASSERT_TRUE(w);
        expectNothingClipped(w);
        screenshot(w, "henry-models");
        const std::pair<const char*, const char*> cells[] = {
            {"HenryTxt0", "1.10258"}, {"ZTxt0", "17.13"},    {"ZetaTxt0", "29.52"},
            {"DiffTxt0", "chosen"},   {"DiffTxt1", "-0.07"}, {"HenryTxt5", "1.00000"},
            {"HenryTxt6", "1.50000"}};
        for (const auto& [name, text] : cells)
            EXPECT_EQ(accessibleValue(w, name), text) << name;
        QAccessibleInterface* exact =
            QAccessible::queryAccessibleInterface(e2e::find<QWidget>(w, "ZTxt1"));
        EXPECT_EQ(exact->text(QAccessible::Name).toStdString(), "z, Henry (exact)");
        w->activateWindow();
        e2e::waitFor([&] { return QApplication::activeWindow() == w; });
        key(Qt::Key_Escape);
        EXPECT_TRUE(e2e::waitFor([&] { return !w->isVisible(); }));
    });
}

// The standard model chosen by clicks and a mobility typed as measured: z,
// z* and zeta as quorvin-batch gives them for the start-up sample, the
// models window's row for the model marked chosen with the same z, and its
// mobility graph with the measured point on the standard model's curve.
TEST_F(EndToEnd, StandardModelGivesTheValenceOfATypedMobility) {
    runProgram([&] {
        for (int k = 0; k < 4; ++k)
            click(field("ModelTxt"));
        expectField("ModelTxt", "Standard model", kLime);
        expectDialog("MuCalculator", [&](Dialog& d) {
            expectDialog("NumberEntry", typeNumber("2"));
            d.click("MuTxt");
            d.click("BitBtn2");
        });
        click(field("MuTxt"));
        expectField("MuTxt", "2.0", kLime);
        expectField("ZTxt", "29.17", kYellow);
        expectField("ZstarTxt", "6.82", kYellow);
        expectField("ZetaTxt", "42.40", kYellow);

        QWidget* w = openModelsWindow();
        ASSERT_TRUE(w);
        const std::pair<const char*, const char*> cells[] = {
            {"ZTxt4", "29.17"}, {"ZetaTxt4", "42.40"}, {"DiffTxt4", "chosen"}};
        for (const auto& [name, text] : cells)
            EXPECT_EQ(accessibleValue(w, name), text) << name;
        EXPECT_NE(accessibleValue(w, "DiffTxt0"), "chosen");

        auto* plot = e2e::find<QWidget>(w, "Chart2")->findChild<QCustomPlot*>("plot");
        ASSERT_NE(plot, nullptr);
        QCoreApplication::sendPostedEvents();
        QApplication::processEvents();
        const QCPGraph* curve = nullptr;
        const QCPGraph* measured = nullptr;
        for (int g = 0; g < plot->graphCount(); ++g) {
            if (plot->graph(g)->name() == "Standard model")
                curve = plot->graph(g);
            if (plot->graph(g)->name() == "Measured (Standard model)")
                measured = plot->graph(g);
        }
        ASSERT_TRUE(curve && measured);
        ASSERT_EQ(measured->data()->size(), 1);
        const QCPGraphData point = *measured->data()->constBegin();
        // kT/e at 20 C with the program's constants: the point's zeta in mV.
        EXPECT_NEAR(point.key * 1.38054e-16 * 293 / 1.6021e-12 * 1000, 42.40, 0.01);
        auto after = curve->data()->findBegin(point.key, false);
        ASSERT_NE(after, curve->data()->constEnd());
        ASSERT_NE(after, curve->data()->constBegin());
        auto before = after - 1;
        const double t = (point.key - before->key) / (after->key - before->key);
        EXPECT_NEAR(before->value + t * (after->value - before->value), point.value,
                    1e-3 * point.value);
        screenshot(w, "henry-models-standard");
    });
}

// The uncertainty window from the Analysis menu: a u typed through the
// number entry, a distribution changed from the keyboard, the run in the
// background, and its block added to the log.
TEST_F(EndToEnd, UncertaintyWindowRunsAndAddsItsBlockToTheLog) {
    runProgram([&] {
        menu(main, "Uncertainty1");
        QWidget* w = windowOf(forms::OpeningForm->uncertaintyWindow());
        ASSERT_TRUE(w && w->isVisible());
        expectDialog("NumberEntry", typeNumber("0.5"));
        e2e::click(e2e::find<QWidget>(w, "UTxt0"));
        QWidget* sigmaDist = e2e::find<QWidget>(w, "DistTxt6");
        w->activateWindow();
        sigmaDist->setFocus();
        key(Qt::Key_Space);
        EXPECT_EQ(forms::OpeningForm->uncertaintyWindow()->Rows[6].distribution->text(),
                  "rectangular");
        ASSERT_TRUE(e2e::waitFor(
            [] { return forms::OpeningForm->uncertaintyWindow()->resultCurrent(); }, 30000));
        expectNothingClipped(w);
        screenshot(w, "uncertainty");
        QAccessibleInterface* u =
            QAccessible::queryAccessibleInterface(e2e::find<QWidget>(w, "UTxt0"));
        EXPECT_EQ(u->text(QAccessible::Name).toStdString(),
                  "Temperature (\u00b0C), standard uncertainty");
        EXPECT_EQ(u->text(QAccessible::Value).toStdString(), "0.5");

        forms::ReportFrm->LogUnsaved = false;
        e2e::click(e2e::find<QWidget>(w, "AddToLogBtn"));
        EXPECT_TRUE(forms::ReportFrm->LogUnsaved);
        EXPECT_NE(forms::ReportFrm->RichEdit1->Text().find(
                      "  Uncertainty of Z: GUM law of propagation and Monte Carlo (N = 200000, "
                      "seed 1)\r\n    Temperature = 20 C, u = 0.5, normal"),
                  std::string::npos);
        expectNothingClipped(w);  // the status says what was added
        screenshot(w, "uncertainty-added");
        // Its smallest size is the one it opens at, scrolled on a screen
        // too small for it; enlarged, the room goes to the graph and the
        // buttons keep to the corner.
        QWidget* client = e2e::find<QWidget>(w, "client");
        EXPECT_EQ(client->minimumSize(), client->size());
        if (auto* scroll = w->findChild<QScrollArea*>("scroll")) {
            EXPECT_GT(client->width() + client->height(),
                      scroll->viewport()->width() + scroll->viewport()->height());
            w->resize(client->size());
            EXPECT_TRUE(e2e::waitFor([&] { return scroll->viewport()->size() == client->size(); }));
        }
        QWidget* chart = e2e::find<QWidget>(w, "Chart1");
        const QSize before = chart->size();
        w->resize(w->width() + 200, w->height() + 120);
        EXPECT_TRUE(e2e::waitFor([&] { return chart->width() == before.width() + 200; }));
        EXPECT_EQ(chart->height(), before.height() + 120);
        expectNothingClipped(w);
        screenshot(w, "uncertainty-enlarged");
        forms::ReportFrm->LogUnsaved = false;
        w->activateWindow();
        e2e::waitFor([&] { return QApplication::activeWindow() == w; });
        key(Qt::Key_Escape);
        EXPECT_TRUE(e2e::waitFor([&] { return !w->isVisible(); }));
    });
}

// Sigma from a profile: two scans chosen together in the file dialog,
// fitted, and used; the main window's Sigma and the uncertainty window's
// u(Sigma) read back.
TEST_F(EndToEnd, SigmaFromAProfileIsFittedAndUsed) {
    runProgram([&] {
        menu(main, "Uncertainty1");
        menu(main, "SigmaProfile1");
        QWidget* w = windowOf(forms::OpeningForm->sigmaProfileWindow());
        ASSERT_TRUE(w && w->isVisible());
        expectDialog("OpenDialog1", [&](Dialog&) {
            const std::string dir = std::string(QUORVIN_TEST_DATA) + "/scans/";
            typeText(
                QString::fromStdString("\"" + dir + "radial-1.txt\" \"" + dir + "radial-2.txt\""));
            key(Qt::Key_Return);
        });
        e2e::click(e2e::find<QWidget>(w, "OpenBtn"));
        ASSERT_TRUE(e2e::waitFor(
            [] { return forms::OpeningForm->sigmaProfileWindow()->result().has_value(); }));
        EXPECT_EQ(forms::OpeningForm->sigmaProfileWindow()->result()->scans.size(), 2u);
        // The residuals under the profile on its x axis: the same range and
        // the plots' edges in the same screen columns, after the fit, with a
        // logarithmic signal axis and in a larger window.
        auto* profile = e2e::find<QWidget>(w, "Chart1")->findChild<QCustomPlot*>("plot");
        auto* residuals = e2e::find<QWidget>(w, "Chart2")->findChild<QCustomPlot*>("plot");
        ASSERT_TRUE(profile && residuals);
        const auto edges = [](const QCustomPlot* p) {
            const QRect r = p->axisRect()->rect().translated(p->mapToGlobal(QPoint()));
            return std::pair{r.left(), r.right()};
        };
        for (int change = 0; change < 3; ++change) {
            if (change == 1)
                e2e::click(e2e::find<QWidget>(w, "AxisTxt"));
            if (change == 2)
                w->resize(w->width() + 100, w->height() + 60);
            for (int i = 0; i < 5; ++i)
                QApplication::processEvents();
            EXPECT_EQ(edges(profile), edges(residuals)) << "change " << change;
            EXPECT_EQ(profile->xAxis->range(), residuals->xAxis->range());
        }
        EXPECT_EQ(profile->yAxis->scaleType(), QCPAxis::stLogarithmic);
        expectNothingClipped(w);
        screenshot(w, "sigma-profile");
        e2e::click(e2e::find<QWidget>(w, "UseBtn"));
        const forms::TSigmaProfileFrm& fit = *forms::OpeningForm->sigmaProfileWindow();
        EXPECT_EQ(forms::OpeningForm->Sigma, platform::StrToFloat(fit.sigmaText()));
        EXPECT_EQ(forms::OpeningForm->uncertaintyWindow()->Rows[6].u->text(),
                  analysis::quotedText(fit.result()->sigmaSE, fit.result()->sigmaSE));
        forms::ReportFrm->LogUnsaved = false;
        e2e::click(e2e::find<QWidget>(w, "CloseBtn"));
        e2e::click(
            e2e::find<QWidget>(windowOf(forms::OpeningForm->uncertaintyWindow()), "CloseBtn"));
    });
}

// State: a mobility entered, the uncertainty window open on its rows.
// Action: Sigma fitted from a scan and used. Expected: each row's u tells
// assistive technology the input the row now shows, Sigma among them.
TEST_F(EndToEnd, UsedSigmaRenamesTheUncertaintyRowsForAssistiveTechnology) {
    runProgram([&] {
        expectDialog("MuCalculator", [&](Dialog& d) {
            expectDialog("NumberEntry", typeNumber("1.5"));
            d.click("MuTxt");
            d.click("BitBtn2");
        });
        click(field("MuTxt"));
        menu(main, "Uncertainty1");
        menu(main, "SigmaProfile1");
        QWidget* w = windowOf(forms::OpeningForm->sigmaProfileWindow());
        expectDialog("OpenDialog1", [&](Dialog&) {
            typeText(QString(QUORVIN_TEST_DATA) + "/scans/radial-1.txt");
            key(Qt::Key_Return);
        });
        e2e::click(e2e::find<QWidget>(w, "OpenBtn"));
        ASSERT_TRUE(e2e::waitFor(
            [] { return forms::OpeningForm->sigmaProfileWindow()->result().has_value(); }));
        e2e::click(e2e::find<QWidget>(w, "UseBtn"));
        std::string names;
        for (const auto& row : forms::OpeningForm->uncertaintyWindow()->Rows)
            if (row.u->visible())
                names +=
                    QAccessible::queryAccessibleInterface(dynamic_cast<QWidget*>(row.u->peer()))
                        ->text(QAccessible::Name)
                        .toStdString() +
                    "; ";
        EXPECT_NE(names.find("Stokes radius (nm), standard uncertainty; E (V/cm), standard "
                             "uncertainty; Sigma (cm\u207b\u00b9), standard uncertainty; "),
                  std::string::npos)
            << names;
        EXPECT_EQ(names.find("Mobility"), std::string::npos) << names;
    });
}

// Charge from the sequence: a sequence pasted from the clipboard, shown
// whole with its curves.
TEST_F(EndToEnd, ChargeFromSequenceShowsAPastedSequence) {
    runProgram([&] {
        menu(main, "ChargeSequence1");
        QWidget* w = windowOf(forms::OpeningForm->chargeWindow());
        ASSERT_TRUE(w && w->isVisible());
        QApplication::clipboard()->setText(
            ">ubiquitin\nMQIFVKTLTGKTITLEVEPSDTIENVKAKIQDKEGIPPDQQRLIFAGKQLEDGRTLSDYNIQKESTLHLVLRLR"
            "GG");
        e2e::click(e2e::find<QWidget>(w, "PasteBtn"));
        EXPECT_EQ(forms::OpeningForm->chargeWindow()->NameLbl->text(), "ubiquitin, 76 residues");
        expectNothingClipped(w);
        screenshot(w, "charge");
        e2e::click(e2e::find<QWidget>(w, "CloseBtn"));
    });
}

// Every window and dialog: nothing clipped, at whatever scale the test runs.
TEST_F(EndToEnd, EveryWindowShowsItsTextsWhole) {
    runProgram([&] {
        expectNothingClipped(main);
        screenshot(main, "main-start");
        // A wider window gives its room to the graph.
        QWidget* chart = e2e::find<QWidget>(main, "Chart1");
        ASSERT_NE(chart, nullptr);
        const int chartWidth = chart->width();
        main->resize(main->width() + 200, main->height());
        EXPECT_TRUE(e2e::waitFor([&] { return chart->width() == chartWidth + 200; }));
        expectNothingClipped(main);
        main->resize(main->width() - 200, main->height());
        EXPECT_TRUE(e2e::waitFor([&] { return chart->width() == chartWidth; }));
        expectDialog("NumberEntry", [&](Dialog& d) {
            expectNothingClipped(d.window);
            key(Qt::Key_Escape);
        });
        click(field("TTxt"));
        expectDialog("DCalculator", [&](Dialog& d) {
            expectNothingClipped(d.window);
            screenshot(d.window, "calculator-DCalculator");
            key(Qt::Key_Escape);
        });
        click(field("RsTxt"));
        expectDialog("MuCalculator", [&](Dialog& d) {
            expectNothingClipped(d.window);
            expectDialog("EFieldCalculator", [](Dialog& e) {
                expectNothingClipped(e.window);
                key(Qt::Key_Escape);
            });
            d.click("ETxt");
            key(Qt::Key_Escape);
        });
        click(field("MuTxt"));
        expectDialog("SolventDialog", [&](Dialog& d) {
            expectNothingClipped(d.window);
            key(Qt::Key_Escape);
        });
        click(field("VTxt"));
        expectDialog("AboutBox", [&](Dialog& d) {
            expectNothingClipped(d.window);
            d.click("OKButton");
        });
        menu(main, "About1");
    });
}

// The README's salt series from the command line: its table, a cell typed,
// the plot saved as SVG (one marker a row) and as PDF, and the prompt for
// the unsaved change on closing.
TEST_F(EndToEnd, SaltSeriesFromTheCommandLine) {
    const std::filesystem::path file = m_dir / "salt-series.csv";
    std::filesystem::copy_file(QUORVIN_EXAMPLES "/salt-series.csv", file);
    runProgram(
        [&] {
            ASSERT_FALSE(forms::OpeningForm->seriesWindows().empty());
            forms::TSeriesFrm& series = *forms::OpeningForm->seriesWindows().front();
            QWidget* window = windowOf(&series);
            ASSERT_TRUE(window && window->isVisible());
            EXPECT_EQ(window->windowTitle().toStdString(), "salt-series.csv - Series");
            auto* view = e2e::find<QTableView>(window, "Grid1");
            ASSERT_NE(view, nullptr);
            const int rows = static_cast<int>(series.document().rowCount());
            EXPECT_EQ(view->model()->rowCount(), rows + 1);
            const auto& headers = series.Grid1->headers();
            const int mobility = static_cast<int>(
                std::find_if(headers.begin(), headers.end(),
                             [](const std::string& h) { return h.rfind("Mobility", 0) == 0; }) -
                headers.begin());

            screenshot(window, "series-opened");
            EXPECT_EQ(view->columnAt(1), 0) << "the Sample column shows at the left";
            view->setFocus();
            series.Grid1->setCurrent(0, mobility);
            key(Qt::Key_F2);
            key(Qt::Key_A, {}, Qt::ControlModifier);
            typeText("2.10");
            key(Qt::Key_Return);
            e2e::waitFor([&] { return series.document().cellText(0, mobility) == "2.10"; });
            EXPECT_EQ(series.document().cellText(0, mobility), "2.10");
            EXPECT_EQ(window->windowTitle().toStdString(), "salt-series.csv * - Series");
            EXPECT_EQ(series.Grid1->currentRow(), 1) << "Enter moves down";
            screenshot(window, "series-window");
            expectNothingClipped(window);

            const std::string svg = (m_dir / "series.svg").string();
            series.Chart1->SaveImage({svg, platform::ImageFormat::Svg, 300});
            series.Chart1->SaveImage(
                {(m_dir / "series.pdf").string(), platform::ImageFormat::Pdf, 300});
            const std::string drawing = testing_support::readFile(svg);
            std::size_t markers = 0;
            for (std::size_t at = 0; (at = drawing.find("<circle", at)) != std::string::npos; ++at)
                ++markers;
            EXPECT_EQ(markers, static_cast<std::size_t>(rows));
            EXPECT_NE(drawing.find("Quorvin " QUORVIN_VERSION), std::string::npos);
            // The axis as the main window names the quantity, with its unit.
            EXPECT_NE(drawing.find("Ionic strength (M)"), std::string::npos);
            EXPECT_EQ(testing_support::readFile(m_dir / "series.pdf").rfind("%PDF", 0), 0u);

            expectDialog("SaveSeries", [](Dialog& d) { d.click("NoBtn"); });
            menu(window, "Close1");
            EXPECT_FALSE(window->isVisible());
        },
        file.string());
}

// A titration at three ionic strengths: the plot's groups, each in its own
// symbol and with its legend entry, go into the saved SVG, PNG and PDF.
TEST_F(EndToEnd, GroupedSeriesPlotIsSavedWhole) {
    const std::filesystem::path file = m_dir / "titration.csv";
    {
        std::ofstream out(file, std::ios::binary);
        out << "Sample,IonicStrength,Mobility,pH\n";
        for (const char* i : {"0.010", "0.050", "0.150"})
            for (int k = 0; k < 3; ++k)
                out << "s," << i << "," << 1.5 - 0.8 * k << "," << 5 + k << "\n";
    }
    runProgram(
        [&] {
            ASSERT_FALSE(forms::OpeningForm->seriesWindows().empty());
            forms::TSeriesFrm& series = *forms::OpeningForm->seriesWindows().front();
            while (series.XTxt->text() != "pH")
                series.XTxt->userClick();
            screenshot(windowOf(&series), "series-grouped");
            const std::string svg = (m_dir / "grouped.svg").string();
            series.Chart1->SaveImage({svg, platform::ImageFormat::Svg, 300});
            series.Chart1->SaveImage(
                {(m_dir / "grouped.png").string(), platform::ImageFormat::Png, 150});
            series.Chart1->SaveImage(
                {(m_dir / "grouped.pdf").string(), platform::ImageFormat::Pdf, 300});
            const std::string drawing = testing_support::readFile(svg);
            for (const char* text : {"Ionic strength = 0.010 M", "Ionic strength = 0.050 M",
                                     "Ionic strength = 0.150 M", ">pH<", ">z<"})
                EXPECT_NE(drawing.find(text), std::string::npos) << text;
            EXPECT_EQ(testing_support::readFile(m_dir / "grouped.png").substr(1, 3), "PNG");
            EXPECT_EQ(testing_support::readFile(m_dir / "grouped.pdf").rfind("%PDF", 0), 0u);
            // The plot's choices are kept with the series: closing asks.
            expectDialog("SaveSeries", [](Dialog& d) { d.click("NoBtn"); });
            menu(windowOf(&series), "Close1");
        },
        file.string());
}

}  // namespace

namespace {

// A spreadsheet's file with the mobility's unit in its header, in the ";"
// dialect with decimal commas and a byte order mark: the window shows the
// file's z (that of 1.31 at 0.050 M), not the start-up Sigma's, names the
// conditions left to the start-up values, and reads its own save back.
TEST_F(EndToEnd, MobilityWithItsUnitOpensWithTheFilesZ) {
    const std::filesystem::path file = m_dir / "lysozyme.csv";
    std::ofstream(file, std::ios::binary)
        << "\xEF\xBB\xBFSample;IonicStrength [mM];Temperature (\xC2\xB0"
           "C);Stokes radius (nm);Mobility (10^-4 cm^2/(V s))\r\n"
           "A;50;25;3,5;1,31\r\n"
           "B;100;25;3,5;1,12\r\n";
    runProgram(
        [&] {
            ASSERT_FALSE(forms::OpeningForm->seriesWindows().empty());
            forms::TSeriesFrm& series = *forms::OpeningForm->seriesWindows().front();
            QWidget* window = windowOf(&series);
            ASSERT_TRUE(window && window->isVisible());
            auto* view = e2e::find<QTableView>(window, "Grid1");
            ASSERT_NE(view, nullptr);
            int z = -1;
            for (int c = 0; c < view->model()->columnCount(); ++c)
                if (view->model()->headerData(c, Qt::Horizontal).toString() == "z")
                    z = c;
            ASSERT_GE(z, 0);
            EXPECT_EQ(view->model()->index(0, z).data().toString().toStdString(), "18,27");
            const std::string tip = view->model()
                                        ->headerData(z, Qt::Horizontal, Qt::ToolTipRole)
                                        .toString()
                                        .toStdString();
            EXPECT_NE(tip.find("SaltIonRadius 0.127 nm"), std::string::npos) << tip;
            const std::string status = series.StatusLbl->text();
            EXPECT_NE(status.find("from the start-up values: Dielectric 78"), std::string::npos)
                << status;
            screenshot(window, "series-units");
            std::ofstream(m_dir / "again.csv", std::ios::binary) << series.document().text();
            series::Series again;
            again.open(m_dir / "again.csv");
            EXPECT_EQ(again.resultText(0, 9), "18.27");
            EXPECT_EQ(again.resultDifferences(), 0u);
            menu(window, "Close1");
        },
        file.string());
}

}  // namespace
