// SPDX-License-Identifier: GPL-3.0-or-later

// The number entry dialog with real Qt widgets, offscreen: whatever the line
// edit is asked to do, it shows the dialog's buffer and nothing else.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "forms/Enternumber.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "platform/Application.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtPeers.h"

using forms::NumberEntry;
using forms::TNumberEntry;

namespace {

void press(QWidget* w, int key, const QString& text = {},
           Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(w, &up);
}

void typeKeys(QWidget* w, const QString& text) {
    for (QChar c : text)
        press(w, c.toUpper().unicode(), QString(c));
}

class QtNumberEntry : public ::testing::Test {
  protected:
    struct Dialog {
        TNumberEntry& form;
        platform::qt::FormWindow& window;
        QLineEdit& edit;
        // The buffer is what the edit shows, at every step.
        void expectShowsBuffer(const char* step) const {
            EXPECT_EQ(edit.text().toStdString(), form.EntryText) << step;
            EXPECT_EQ(edit.displayText().toStdString(), form.EntryText) << step;
            EXPECT_EQ(form.Value->text(), form.EntryText) << step;
        }
    };

    // Shows the dialog on text and runs script in its modal loop; a script
    // that leaves it open fails and the dialog is cancelled.
    platform::ModalResult run(const std::string& text, const std::function<void(Dialog&)>& script,
                              platform::Form* owner = nullptr) {
        platform::DialogRef<TNumberEntry> dlg(NumberEntry, owner);
        dlg->EntryText = text;
        actWhenActive(*dlg, script);
        return dlg->ShowModal();
    }

    // The window system activates a shown window a little later; the user
    // acts once it has.
    void actWhenActive(TNumberEntry& form, const std::function<void(Dialog&)>& script,
                       int triesLeft = 200) {
        QTimer::singleShot(triesLeft == 200 ? 0 : 5, [this, &form, script, triesLeft] {
            if (!backend.window(form).isActiveWindow() && triesLeft > 0)
                actWhenActive(form, script, triesLeft - 1);
            else
                act(form, script);
        });
    }

    void act(TNumberEntry& form, const std::function<void(Dialog&)>& script) {
        platform::qt::FormWindow& window = backend.window(form);
        EXPECT_TRUE(window.isActiveWindow());
        auto* edit = window.findChild<QLineEdit*>("Value");
        if (!edit) {
            ADD_FAILURE() << "no edit";
        } else {
            Dialog d{form, window, *edit};
            script(d);
        }
        if (form.modalResult() == platform::ModalResult::None && form.isModal() &&
            NumberEntry == &form) {
            ADD_FAILURE() << "the script left the dialog open";
            form.setModalResult(platform::ModalResult::Cancel);
        }
    }

    platform::qt::QtBackend backend;
    platform::Application application{backend};
};

TEST_F(QtNumberEntry, OpensWithTheCaretAfterTheTextAndTypesThroughTheFilter) {
    const auto result = run("17.13", [](Dialog& d) {
        EXPECT_TRUE(d.edit.hasFocus());
        EXPECT_FALSE(d.edit.hasSelectedText()) << "focus selects nothing";
        EXPECT_EQ(d.edit.cursorPosition(), 5);
        d.expectShowsBuffer("open");
        // Tabbing back into the edit selects nothing either.
        d.window.findChild<QPushButton*>("BitBtn1")->setFocus(Qt::TabFocusReason);
        d.edit.setFocus(Qt::BacktabFocusReason);
        EXPECT_FALSE(d.edit.hasSelectedText()) << "Tab selects nothing";
        EXPECT_EQ(d.form.Value->SelLength(), 0);
        press(&d.edit, Qt::Key_End);
        for (int i = 0; i < 5; ++i)
            press(&d.edit, Qt::Key_Backspace);
        d.expectShowsBuffer("cleared");
        EXPECT_EQ(d.form.EntryText, "");
        typeKeys(&d.edit, "1x.5.e-3,");
        EXPECT_EQ(d.form.EntryText, "1.5e-3");
        d.expectShowsBuffer("typed");
        press(&d.edit, Qt::Key_Home);
        press(&d.edit, Qt::Key_Delete);
        press(&d.edit, Qt::Key_Backspace, {}, Qt::ShiftModifier);
        EXPECT_EQ(d.form.EntryText, ".5e-3");
        d.expectShowsBuffer("deleted");
        d.window.findChild<QPushButton*>("BitBtn1")->click();
    });
    EXPECT_EQ(result, platform::ModalResult::Ok);
}

TEST_F(QtNumberEntry, EveryOtherWayOfChangingTheTextLeavesTheBuffer) {
    QApplication::clipboard()->setText("999abc");
    const auto result = run("12", [](Dialog& d) {
        press(&d.edit, Qt::Key_V, {}, Qt::ControlModifier);
        d.expectShowsBuffer("Ctrl+V");
        press(&d.edit, Qt::Key_Insert, {}, Qt::ShiftModifier);
        d.expectShowsBuffer("Shift+Insert");
        d.edit.paste();
        d.expectShowsBuffer("paste");
        {
            // What the context menu offers.
            std::unique_ptr<QMenu> menu(d.edit.createStandardContextMenu());
            for (QAction* a : menu->actions()) {
                if (a->isEnabled() && !a->isSeparator())
                    a->trigger();
                d.expectShowsBuffer(a->text().toStdString().c_str());
            }
        }
        d.edit.selectAll();
        press(&d.edit, Qt::Key_X, {}, Qt::ControlModifier);
        d.expectShowsBuffer("Ctrl+X");
        d.edit.selectAll();
        press(&d.edit, Qt::Key_Delete, {}, Qt::ShiftModifier);
        d.expectShowsBuffer("Shift+Delete");
        press(&d.edit, Qt::Key_Z, {}, Qt::ControlModifier);
        d.edit.undo();
        d.edit.redo();
        d.expectShowsBuffer("undo, redo");
        EXPECT_FALSE(d.edit.isUndoAvailable());
        d.edit.insert("77");
        d.expectShowsBuffer("insert");
        // As an accessibility client would set it.
        d.edit.setText("junk");
        d.expectShowsBuffer("setText");
        {
            QMimeData data;
            data.setText("345");
            const QPointF at(5, 5);
            QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(&d.edit, &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&d.edit, &drop);
            d.expectShowsBuffer("drop");
        }
        {
            QMouseEvent down(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5),
                             Qt::MiddleButton, Qt::MiddleButton, Qt::NoModifier);
            QApplication::sendEvent(&d.edit, &down);
            QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5),
                           Qt::MiddleButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&d.edit, &up);
            d.expectShowsBuffer("middle click");
        }
        d.edit.setCursorPosition(2);
        {
            QInputMethodEvent compose("45", {});
            QApplication::sendEvent(&d.edit, &compose);
            d.expectShowsBuffer("composition");
            QInputMethodEvent commit;
            commit.setCommitString("3x");
            QApplication::sendEvent(&d.edit, &commit);
            d.expectShowsBuffer("commit");
        }
        press(&d.edit, Qt::Key_Backspace, {}, Qt::ControlModifier);
        d.expectShowsBuffer("Ctrl+Backspace");
        EXPECT_EQ(d.form.EntryText, "123") << "only the committed digit went in";
        press(&d.edit, Qt::Key_Escape);
    });
    EXPECT_EQ(result, platform::ModalResult::Cancel);
}

TEST_F(QtNumberEntry, ConversionFailureShowsAMessageAndKeepsTheDialogOpen) {
    const auto result = run("1e+", [](Dialog& d) {
        // The message box is modal in its turn: answer it when it shows.
        QTimer::singleShot(0, [] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->objectName(), "MessageBox");
            box->close();
        });
        d.window.findChild<QPushButton*>("BitBtn1")->click();
        EXPECT_EQ(d.form.modalResult(), platform::ModalResult::None);
        EXPECT_TRUE(d.window.isVisible());
        press(&d.edit, Qt::Key_Backspace);
        typeKeys(&d.edit, "2");
        d.window.findChild<QPushButton*>("BitBtn1")->click();
    });
    EXPECT_EQ(result, platform::ModalResult::Ok);
}

TEST_F(QtNumberEntry, TextsFitTheirBoxes) {
    const auto result = run("-9999", [](Dialog& d) {
        auto fits = [](QWidget* w, const QString& text) {
            return QFontMetrics(w->font()).horizontalAdvance(text) <= w->contentsRect().width();
        };
        auto* hint = d.window.findChild<platform::qt::StaticTextWidget*>("HintTxt");
        ASSERT_NE(hint, nullptr);
        for (const char* t : {"Value between: 0.0001 and 6.5", "Integer between: -9999 and 9999",
                              "Value between: 1E-7 and 100"})
            EXPECT_TRUE(fits(hint, t)) << t;
        auto* only = d.window.findChild<platform::qt::StaticTextWidget*>("IntOnlyTxt");
        ASSERT_NE(only, nullptr);
        EXPECT_TRUE(fits(only, only->text()));
        // Icon, gap, text and the style's margins.
        for (const char* name : {"BitBtn1", "BitBtn2"}) {
            auto* b = d.window.findChild<QPushButton*>(name);
            const int needed = b->iconSize().width() + 4 +
                               QFontMetrics(b->font()).horizontalAdvance(b->text()) + 12;
            EXPECT_LE(needed, b->width()) << name;
        }
        // The widest value of the valence range shows whole.
        const QMargins m = d.edit.textMargins();
        const int room = d.edit.width() - m.left() - m.right() - 4;
        EXPECT_LE(QFontMetrics(d.edit.font()).horizontalAdvance("-9999"), room);
        d.window.findChild<QPushButton*>("BitBtn2")->click();
    });
    EXPECT_EQ(result, platform::ModalResult::Cancel);
}

TEST_F(QtNumberEntry, ClickOnZTypesTheValenceIntoTheMainWindow) {
    application.CreateForm(forms::OpeningForm);
    application.CreateForm(forms::ReportFrm);
    forms::OpeningForm->Show();
    QApplication::processEvents();
    auto* z =
        backend.window(*forms::OpeningForm).findChild<platform::qt::StaticTextWidget*>("ZTxt");
    ASSERT_NE(z, nullptr);
    ASSERT_EQ(z->text(), "17.13");
    QTimer::singleShot(0, [this] {
        ASSERT_NE(NumberEntry, nullptr);
        actWhenActive(*NumberEntry, [](Dialog& d) {
            EXPECT_EQ(d.window.windowTitle(), "Enter number");
            EXPECT_EQ(d.window.findChild<platform::qt::StaticTextWidget*>("HintTxt")->text(),
                      "Value between: -9999 and 9999");
            for (int i = 0; i < 5; ++i)
                press(&d.edit, Qt::Key_Backspace);
            typeKeys(&d.edit, "10");
            d.expectShowsBuffer("10");
            press(&d.edit, Qt::Key_Return, "\r");
        });
    });
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(z, &click);
    EXPECT_EQ(NumberEntry, nullptr);
    EXPECT_EQ(z->text(), "10");
    EXPECT_EQ(z->palette().color(z->backgroundRole()), QColor(0, 255, 0));
    EXPECT_EQ(forms::OpeningForm->Valence, 10.0);
    EXPECT_TRUE(forms::ReportFrm->LogUnsaved);
    forms::OpeningForm->Hide();
    forms::OpeningForm = nullptr;
    forms::ReportFrm = nullptr;
}

}  // namespace
