// SPDX-License-Identifier: GPL-3.0-or-later

// The grid's Qt widget: a table of 100,000 rows asks only for the cells it
// shows, also when scrolled to its end, and an edit typed in it reaches the
// owner.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/Grid.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtPeers.h"

namespace {

void press(QWidget* to, int key, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &up);
}

class GridForm : public platform::Form {
  public:
    GridForm() : Form(nullptr, "GridForm") {
        setClientSize(400, 300);
        Grid1 = add<platform::Grid>("Grid1");
        Grid1->setAlign(platform::Align::Client);
        realign();
    }
    std::string className() const override { return "TGridForm"; }
    platform::Grid* Grid1;
};

TEST(QtGrid, AsksOnlyForTheRowsItShows) {
    platform::qt::QtBackend backend;
    platform::Application application{backend};
    GridForm form;
    int calls = 0, middle = 0, highest = -1;
    form.Grid1->OnGetCell = [&](int r, int c) {
        ++calls;
        middle += r >= 100 && r < 99800;
        highest = std::max(highest, r);
        platform::GridCell cell;
        cell.text = std::to_string(r) + ":" + std::to_string(c);
        return cell;
    };
    std::string edited;
    form.Grid1->OnCellEdited = [&](platform::Grid&, int r, int, const std::string& text) {
        edited = std::to_string(r) + "=" + text;
    };
    form.Grid1->setShape({"A", "B", "C"}, 100000);
    form.Show();
    QApplication::processEvents();
    auto* view = backend.window(form).findChild<QTableView*>("Grid1");
    ASSERT_NE(view, nullptr);
    view->grab();
    EXPECT_GT(calls, 0);
    EXPECT_LT(highest, 100) << "only the first screen";

    calls = 0;
    highest = -1;
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    view->grab();
    EXPECT_GT(calls, 0);
    EXPECT_LT(calls, 3000);
    EXPECT_EQ(middle, 0) << "none between the first and the last screen";
    EXPECT_EQ(highest, 99999);

    view->setFocus();
    form.Grid1->setCurrent(99999, 1);
    press(view, Qt::Key_F2);
    auto* editor = view->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr) << "F2 opens an editor";
    for (QChar ch : QString("2.5"))
        press(editor, ch.unicode(), ch);
    press(editor, Qt::Key_Return);
    QApplication::processEvents();  // the editor commits in a queued call
    EXPECT_EQ(edited, "99999=2.5");
    form.Hide();
}

}  // namespace
