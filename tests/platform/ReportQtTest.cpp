// SPDX-License-Identifier: GPL-3.0-or-later

// The report window on the Qt back end, offscreen: what the widgets show,
// typing and selecting in them, the find window, a file dialog and printing
// to PDF. QUORVIN_SCREENSHOT_DIR, when set, receives a picture of the window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>
#include <filesystem>

#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "platform/Application.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtRichEdit.h"
#include "platform/qt/QtServices.h"
#include "platform/richtext/Rtf.h"
#include "tests/support/Files.h"

using forms::ReportFrm;

namespace {

class ReportQt : public ::testing::Test {
  protected:
    void SetUp() override {
        application.Initialize();
        application.CreateForm(forms::OpeningForm);
        application.CreateForm(ReportFrm);
    }
    void TearDown() override {
        forms::OpeningForm = nullptr;
        ReportFrm = nullptr;
    }
    platform::qt::RichEditWidget& widget() {
        auto* w = backend.window(*ReportFrm).findChild<platform::qt::RichEditWidget*>("RichEdit1");
        EXPECT_NE(w, nullptr);
        return *w;
    }
    // Every block of the widget as the control's lines: text and format.
    void expectMirrored() {
        const auto& paras = ReportFrm->document().paragraphs();
        QTextDocument* doc = widget().document();
        ASSERT_EQ(doc->blockCount(), static_cast<int>(std::max<size_t>(1, paras.size())));
        int i = 0;
        for (QTextBlock b = doc->begin(); b.isValid() && !paras.empty(); b = b.next(), ++i)
            EXPECT_EQ(platform::qt::paragraphOfBlock(b), paras[static_cast<size_t>(i)])
                << "line " << i << ": " << b.text().toStdString();
        const platform::RichEdit& e = *ReportFrm->RichEdit1;
        const QTextCursor c = widget().textCursor();
        EXPECT_EQ(widget().fromQtPosition(c.selectionStart()), e.SelStart());
        EXPECT_EQ(widget().fromQtPosition(c.selectionEnd()), e.SelStart() + e.SelLength());
    }
    void key(QWidget* to, int code, const QString& text = {}) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(to, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(to, &release);
    }
    void type(QWidget* to, const QString& text) {
        for (QChar c : text)
            key(to, 0, QString(c));
    }
    void click(const std::vector<std::string>& path) {
        ReportFrm->menu()->findPath(path)->userClick(ReportFrm);
    }

    platform::qt::QtBackend backend;
    platform::Application application{backend};
    testing_support::TempFolder m_temp{"quorvin-qt"};
    const std::filesystem::path m_dir = m_temp.path();
};

TEST_F(ReportQt, WidgetMirrorsEveryChangeOfTheLog) {
    ReportFrm->Show();
    for (const char* line : {"first line", "second line", "", "fourth"})
        ReportFrm->AddLogLine(line);
    expectMirrored();
    platform::RichEdit& e = *ReportFrm->RichEdit1;
    platform::Font f;
    f.name = "Times New Roman";
    f.size = 14;
    f.bold = true;
    f.color = platform::clBlue;
    e.setSelection(6, 10);  // "line\r\nseco"
    e.SetSelAttributes(f);
    expectMirrored();
    e.setSelection(3, 20);
    e.SetSelText("X\r\nY\r\nZ");
    expectMirrored();
    e.setSelection(0, e.length());
    e.SetSelText("");
    expectMirrored();
    ReportFrm->AddLogLine("after clearing");
    expectMirrored();
    EXPECT_EQ(widget().toPlainText().toStdString(), "after clearing");
    EXPECT_EQ(widget().verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(widget().lineWrapMode(), QTextEdit::WidgetWidth);
}

// Built once, the window follows the log also while hidden; built late, it
// takes the whole log in when first shown.
TEST_F(ReportQt, HiddenWindowKeepsUpWithTheLog) {
    for (int i = 0; i < 3000; ++i)
        ReportFrm->AddLogLine("early " + std::to_string(i));
    ReportFrm->Show();
    while (!widget().filled())
        QApplication::processEvents();
    expectMirrored();
    ReportFrm->Hide();
    for (int i = 0; i < 3000; ++i)
        ReportFrm->AddLogLine("hidden " + std::to_string(i));
    expectMirrored();
}

TEST_F(ReportQt, TypingAndSelectingInTheWidgetReachTheControl) {
    ReportFrm->Show();
    ReportFrm->AddLogLine("abc");
    ReportFrm->AddLogLine("déf");
    ReportFrm->LogUnsaved = false;
    QTextCursor c = widget().textCursor();
    c.setPosition(5);  // after "d" of the second line
    widget().setTextCursor(c);
    EXPECT_EQ(ReportFrm->RichEdit1->SelStart(), 6) << "CR LF counts two";
    type(&widget(), "ü");
    EXPECT_EQ(ReportFrm->RichEdit1->Text(), "abc\r\ndüéf");
    key(&widget(), Qt::Key_Return);
    type(&widget(), "new");
    EXPECT_EQ(ReportFrm->RichEdit1->Text(), "abc\r\ndü\r\nnewéf");
    c = widget().textCursor();
    c.setPosition(1);
    c.setPosition(3, QTextCursor::KeepAnchor);
    widget().setTextCursor(c);
    EXPECT_EQ(ReportFrm->RichEdit1->SelText(), "bc");
    key(&widget(), Qt::Key_Delete);
    EXPECT_EQ(ReportFrm->RichEdit1->Text(), "a\r\ndü\r\nnewéf");
    EXPECT_FALSE(ReportFrm->LogUnsaved) << "typing does not mark the log";
    expectMirrored();
}

// A long log opens in steps; edits and searches made meanwhile are kept.
TEST_F(ReportQt, LongLogOpensInStepsWithoutLosingEdits) {
    ReportFrm->Show();
    platform::RichDocument big;
    for (int i = 0; i < 50000; ++i)
        big.appendLine("line " + std::to_string(i));
    platform::saveRtfFile(m_dir / "big.rtf", big);
    ReportFrm->RichEdit1->LoadFromFile(m_dir / "big.rtf");
    EXPECT_FALSE(widget().filled()) << "the first screens come at once, the rest later";
    QTextCursor c = widget().textCursor();
    c.setPosition(0);
    widget().setTextCursor(c);
    type(&widget(), "X");
    ReportFrm->AddLogLine("appended meanwhile");
    while (!widget().filled())
        QApplication::processEvents();
    expectMirrored();
    EXPECT_EQ(ReportFrm->document().paragraphs().front().text(), "Xline 0");
    EXPECT_EQ(ReportFrm->document().paragraphs().back().text(), "appended meanwhile");

    // A search needs the whole text in the widget at once.
    ReportFrm->RichEdit1->LoadFromFile(m_dir / "big.rtf");
    ReportFrm->RichEdit1->setSelection(ReportFrm->RichEdit1->FindText("line 49999", 0, 1 << 30, 0),
                                       10);
    EXPECT_TRUE(widget().filled());
    EXPECT_EQ(widget().textCursor().selectedText().toStdString(), "line 49999");
    expectMirrored();
}

TEST_F(ReportQt, MenusCarryTheirAccessKeys) {
    QMenuBar* bar = backend.window(*ReportFrm).findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    QStringList menus;
    for (QAction* a : bar->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "F&ormat"}));
    QStringList file;
    for (QAction* a : bar->actions().front()->menu()->actions())
        file << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(file,
              (QStringList{"&Save", "&Open", "-", "P&rint setup...", "&Print", "-", "&Exit"}));
}

TEST_F(ReportQt, FindWindowSearchesWhenClosed) {
    ReportFrm->Show();
    ReportFrm->AddLogLine("one two");
    ReportFrm->AddLogLine("two");
    click({"&Edit", "&Find..."});
    auto& services = backend.qtServices();
    QDialog* find = services.findWindow(*ReportFrm->FindDialog1);
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    EXPECT_EQ(find->pos(), QPoint(ReportFrm->clientWidth(), 0));
    type(find->findChild<QLineEdit*>("findText"), "two");
    find->findChild<QPushButton*>("findNext")->click();
    EXPECT_EQ(ReportFrm->RichEdit1->SelLength(), 0) << "find next does nothing";
    find->findChild<QPushButton*>("cancel")->click();
    EXPECT_FALSE(find->isVisible());
    EXPECT_EQ(ReportFrm->RichEdit1->SelStart(), 4);
    EXPECT_EQ(widget().textCursor().selectedText().toStdString(), "two");

    click({"&Edit", "&Replace..."});
    QDialog* replace = services.findWindow(*ReportFrm->ReplaceDialog1);
    ASSERT_NE(replace, nullptr);
    type(replace->findChild<QLineEdit*>("findText"), "two");
    type(replace->findChild<QLineEdit*>("replaceText"), "2");
    replace->findChild<QPushButton*>("replaceAll")->click();
    EXPECT_EQ(ReportFrm->RichEdit1->Text(), "one 2\r\n2");
    expectMirrored();
    key(replace, Qt::Key_Escape);
    EXPECT_FALSE(replace->isVisible());
}

TEST_F(ReportQt, SaveThroughTheFileDialogAndPrintToPdf) {
    ReportFrm->AddLogLine("Sigma and Z* calculated from Z: 10");
    const std::string target = (m_dir / "saved").string();
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle().toStdString(), "Save Marlix log");
        dlg->selectFile(QString::fromStdString(target));
        QMetaObject::invokeMethod(dlg, "accept", Qt::DirectConnection);
    });
    ReportFrm->Save1Click(*ReportFrm->Save1);
    EXPECT_FALSE(ReportFrm->LogUnsaved);
    EXPECT_EQ(platform::loadRtfFile(target + ".RTF"), ReportFrm->document());

    const std::string pdf = (m_dir / "log.pdf").string();
    backend.qtServices().setCurrentPrinter({"", pdf});
    ReportFrm->Print1Click(*ReportFrm->Print1);
    EXPECT_EQ(testing_support::readFile(pdf).rfind("%PDF", 0), 0u) << "a PDF file";

    backend.qtServices().setCurrentPrinter({"", (m_dir / "no" / "such" / "x.pdf").string()});
    try {
        ReportFrm->Print1Click(*ReportFrm->Print1);
        ADD_FAILURE() << "printing into a missing folder succeeded";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("x.pdf"), std::string::npos) << e.what();
    }
}

TEST_F(ReportQt, Screenshot) {
    const char* dir = std::getenv("QUORVIN_SCREENSHOT_DIR");
    forms::OpeningForm->Viewlog1Click(*forms::OpeningForm->Viewlog1);
    for (int n = 0; n < 40; ++n)
        ReportFrm->AddLogLine(
            "   " + std::to_string(n - 20) +
            "          8.31  a long line that wraps at the window's edge, as "
            "every line of the log does when the window is narrower than the line it shows");
    platform::Font f;
    f.bold = true;
    f.size = 12;
    ReportFrm->RichEdit1->setSelection(0, 6);
    ReportFrm->RichEdit1->SetSelAttributes(f);
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    QWidget& w = backend.window(*ReportFrm);
    QScrollBar* bar = widget().verticalScrollBar();
    EXPECT_EQ(bar->value(), 0) << "appending keeps the view where the reader left it";
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle().toStdString(), "Report");
    if (dir)
        w.grab().save(QString::fromStdString(std::string(dir) + "/report.png"));

    // The dialogs the commands open, each pictured and closed again.
    click({"&Edit", "&Replace..."});
    QDialog* replace = backend.qtServices().findWindow(*ReportFrm->ReplaceDialog1);
    ASSERT_NE(replace, nullptr);
    QApplication::processEvents();
    if (dir)
        replace->grab().save(QString::fromStdString(std::string(dir) + "/replace.png"));
    replace->findChild<QPushButton*>("cancel")->click();
    bool fontShown = false;
    QTimer::singleShot(0, [&] {
        QWidget* font = QApplication::activeModalWidget();
        ASSERT_NE(font, nullptr);
        fontShown = font->findChild<QPushButton*>("apply") != nullptr;
        if (dir)
            font->grab().save(QString::fromStdString(std::string(dir) + "/font.png"));
        QMetaObject::invokeMethod(font, "reject", Qt::DirectConnection);
    });
    click({"F&ormat", "&Font..."});
    EXPECT_TRUE(fontShown) << "the font dialog has an Apply button";
}

}  // namespace
