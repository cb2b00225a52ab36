// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Runs the whole program on the Qt back end and drives it like a user: real
// mouse and key events to real widgets, answers queued for the modal dialogs
// it expects. A watchdog fails the test when a dialog opens that nobody
// expects, or stays open after its answer, and closes it, so that a test
// ends instead of hanging. Every file goes to a fresh temporary folder, which
// is also the working directory, where the file dialogs start.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/Startup.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/qt/QtPeers.h"
#include "tests/support/Files.h"

namespace e2e {

inline QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// Lets pending events run until ready() holds or the time is up.
inline bool waitFor(const std::function<bool()>& ready, int ms = 3000) {
    QElapsedTimer t;
    t.start();
    while (!ready()) {
        if (t.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline void press(QWidget* to, int key, const QString& text = {},
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
    if (!to) {
        ADD_FAILURE() << "no widget for key " << key;
        return;
    }
    QPointer<QWidget> target(to);
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(to, &down);
    // The press may have closed the window of the widget.
    if (target) {
        QKeyEvent up(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(target, &up);
    }
}

// A key to whatever has the keyboard focus, as the window system sends it;
// after a dialog has closed, once the window system has activated the next
// window, as a user's next key comes.
inline void key(int code, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    waitFor([] { return QApplication::focusWidget() != nullptr; }, 1000);
    press(QApplication::focusWidget(), code, text, mods);
}

inline void typeText(const QString& text) {
    for (QChar c : text)
        key(c.isLetter() ? c.toUpper().unicode() : c.unicode(), QString(c));
}

inline void click(QWidget* w) {
    if (!w) {
        ADD_FAILURE() << "nothing to click";
        return;
    }
    QPointer<QWidget> target(w);
    const QPointF at = QRectF(w->rect()).center();
    QMouseEvent down(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
    if (target) {
        QMouseEvent up(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &up);
    }
}

template <class W = QWidget>
W* find(const QWidget* window, const char* name) {
    W* w = window ? window->findChild<W*>(name) : nullptr;
    if (!w)
        ADD_FAILURE() << "no " << name << " in "
                      << (window ? window->objectName().toStdString() : "(no window)");
    return w;
}

inline QColor background(const QWidget* w) {
    return w ? w->palette().color(w->backgroundRole()) : QColor();
}

// A modal dialog that opened as expected, handed to its answer.
struct Dialog {
    QWidget* window;
    template <class W = QWidget>
    W* child(const char* name) const {
        return find<W>(window, name);
    }
    // The value field, button or other control of that name, clicked.
    void click(const char* name) const { e2e::click(child(name)); }
    QString text(const char* name) const {
        if (auto* field = dynamic_cast<platform::qt::StaticTextWidget*>(child(name)))
            return field->text();
        auto* l = qobject_cast<QLabel*>(child(name));
        return l ? l->text() : QString();
    }
};

// The windows that have painted.
class PaintWatch : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Paint && watched->isWidgetType())
            windows.insert(static_cast<QWidget*>(watched)->window());
        return false;
    }
    QSet<QWidget*> windows;
};

class ProgramSession : public ::testing::Test {
  protected:
    static constexpr int kDialogGraceMs = 5000;
    static constexpr int kActivationMs = 2000;
    static constexpr auto kTestLimit = std::chrono::seconds(90);

    void SetUp() override {
        m_root.emplace("quorvin-e2e");
        m_dir = m_root->path() / "files";
        std::filesystem::create_directory(m_dir);
        m_oldDir = std::filesystem::current_path();
        std::filesystem::current_path(m_dir);
        // The log's recovery copies, too, never in the real home.
        ::setenv("XDG_STATE_HOME", stateFolder().parent_path().c_str(), 1);
        platform::ForceCurrentDirectory = false;
        startAlarm();
    }

    void TearDown() override {
        if (!m_root)
            return;
        stopAlarm();
        std::filesystem::current_path(m_oldDir);
        // Every way the program ended here was a clean one.
        std::error_code ec;
        for (const auto& left : std::filesystem::directory_iterator(stateFolder(), ec))
            ADD_FAILURE() << "recovery copy left behind: " << left.path();
        if (HasFailure()) {
            m_root->keep();
            std::fprintf(stderr, "files of the failed test kept in %s\n", m_root->path().c_str());
        }
        m_root.reset();
    }

    // Starts the program, runs body once its main window is up and ends the
    // program afterwards, unless body did (a save prompt then is answered
    // No). Answers queued before are for the questions at start-up; queued
    // answers that no dialog took are failures.
    // A file, if given, is opened as from the command line.
    void runProgram(const std::function<void()>& body, const std::string& file = {}) {
        QTimer watchdog;
        watchdog.setInterval(20);
        QObject::connect(&watchdog, &QTimer::timeout, [this] { watch(); });
        PaintWatch painted;
        qApp->installEventFilter(&painted);
        std::function<void()> start;
        app::runQuorvin(
            [&] {
                watchdog.start();
                start = [&] {
                    // Questions at start-up come first; the body runs in the
                    // main loop, not inside their modal loops.
                    if (QApplication::activeModalWidget()) {
                        QTimer::singleShot(20, start);
                        return;
                    }
                    main = windowOf(forms::OpeningForm);
                    // As a user, who acts on what the window has drawn. This runs
                    // in a queued call, inside which the nested event loops do not
                    // run the other queued calls (such as the graph's redraw):
                    // those are sent here.
                    if (!waitFor([&] {
                            QCoreApplication::sendPostedEvents();
                            // A recovered log shows the report window in front,
                            // a file opened at start its series window.
                            const bool opened = (forms::ReportFrm && forms::ReportFrm->visible()) ||
                                                (forms::OpeningForm &&
                                                 !forms::OpeningForm->seriesWindows().empty());
                            const bool active = main && (main->isActiveWindow() ||
                                                         (opened && QApplication::activeWindow()));
                            return active && painted.windows.contains(main);
                        }))
                        ADD_FAILURE() << "the main window never became active and painted";
                    qApp->removeEventFilter(&painted);
                    body();
                    if (!platform::Application::current().terminated()) {
                        if (forms::ReportFrm && forms::ReportFrm->LogUnsaved)
                            expectDialog("SaveLog", [](Dialog& d) { d.click("BitBtn2"); });
                        menu(main, "Exit1");
                    }
                    if (!platform::Application::current().terminated()) {
                        ADD_FAILURE() << "the program did not end on Exit";
                        QApplication::quit();
                    }
                };
                QTimer::singleShot(0, start);
            },
            file);
        watchdog.stop();
        for (const Expected& e : m_answers)
            ADD_FAILURE() << "expected dialog " << e.name << " never opened";
        m_answers.clear();
        m_handled.clear();
        main = nullptr;
    }

    // The answer to the next modal dialog that opens; it must be the one
    // named (its object name: "NumberEntry", "SaveDialog1", ...).
    void expectDialog(const std::string& name, std::function<void(Dialog&)> answer) {
        m_answers.push_back({name, std::move(answer)});
    }

    // The window of a form of the running program.
    QWidget* windowOf(platform::Form* form) const {
        if (!form)
            return nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == qs(form->name()) && !w->isHidden())
                return w;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == qs(form->name()))
                return w;
        return nullptr;
    }

    // A menu command, as a click on it does it.
    void menu(QWidget* window, const char* actionName) {
        QAction* a = nullptr;
        if (window)
            for (QAction* each : window->findChildren<QAction*>())
                if (each->objectName() == actionName)
                    a = each;
        if (!a) {
            ADD_FAILURE() << "no menu command " << actionName;
            return;
        }
        EXPECT_TRUE(a->isEnabled()) << actionName;
        a->trigger();
    }

    // A number typed into the number entry dialog in place of its text, and
    // OK pressed with Enter.
    static std::function<void(Dialog&)> typeNumber(const QString& text) {
        return [text](Dialog& d) {
            clearEntry(d);
            typeText(text);
            key(Qt::Key_Return);
        };
    }
    static void clearEntry(Dialog& d) {
        QWidget* edit = d.child("Value");
        if (!edit || !edit->hasFocus()) {
            ADD_FAILURE() << "the number entry has no focus";
            return;
        }
        key(Qt::Key_End);
        for (int i = 0; i < 40; ++i)
            key(Qt::Key_Backspace);
    }

    platform::qt::StaticTextWidget* field(const char* name) const {
        return find<platform::qt::StaticTextWidget>(main, name);
    }

    // Where the program keeps the recovery copies of its log.
    std::filesystem::path stateFolder() const { return m_root->path() / "state" / "quorvin"; }

    // The test's own temporary folder, which holds the others.
    const std::filesystem::path& root() const { return m_root->path(); }

    // The working directory, where the program saves.
    std::filesystem::path m_dir;
    QWidget* main = nullptr;

  private:
    struct Expected {
        std::string name;
        std::function<void(Dialog&)> answer;
    };
    struct Handled {
        QPointer<QWidget> window;
        bool answered = false;
        QElapsedTimer since;  // since it opened, or its answer ended
    };

    void watch() {
        QWidget* top = QApplication::activeModalWidget();
        if (!top || !top->isVisible())
            return;
        for (Handled& h : m_handled) {
            if (h.window != top)
                continue;
            if (h.answered && h.since.elapsed() > kDialogGraceMs) {
                ADD_FAILURE() << "dialog " << describe(top) << " stayed open after its answer";
                closeDialog(top);
                h.since.restart();
            }
            return;
        }
        // Newly opened: answered once the window system has activated it and
        // the application has taken that in (on Wayland the window reports
        // itself active a little before it gets the keyboard).
        if (QApplication::activeWindow() != top) {
            if (!m_waitingFor || m_waitingFor != top) {
                m_waitingFor = top;
                m_waitStart.start();
                return;
            }
            if (m_waitStart.elapsed() < kActivationMs)
                return;
            ADD_FAILURE() << "dialog " << describe(top) << " never became active";
        }
        m_waitingFor = nullptr;
        Handled h{top, false, {}};
        h.since.start();
        m_handled.push_back(h);
        if (m_answers.empty() || qs(m_answers.front().name) != top->objectName()) {
            ADD_FAILURE() << "unexpected dialog " << describe(top)
                          << (m_answers.empty() ? std::string(", none expected")
                                                : ", expected " + m_answers.front().name);
            closeDialog(top);
            return;
        }
        auto answer = std::move(m_answers.front().answer);
        m_answers.pop_front();
        QPointer<QWidget> window(top);
        // Not in this slot: an answer that opens a nested dialog needs the
        // watchdog meanwhile.
        QTimer::singleShot(0, [this, window, answer] {
            if (!window)
                return;
            Dialog d{window};
            answer(d);
            for (Handled& each : m_handled)
                if (each.window == window) {
                    each.answered = true;
                    each.since.restart();
                }
        });
    }

    static std::string describe(QWidget* w) {
        std::string s =
            w->objectName().toStdString() + " \"" + w->windowTitle().toStdString() + "\"";
        if (auto* box = qobject_cast<QMessageBox*>(w))
            s += ": " + box->text().toStdString();
        return s;
    }

    static void closeDialog(QWidget* w) {
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    }

    // The last resort when the program hangs outside any dialog.
    void startAlarm() {
        m_alarmStop = false;
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_alarm = std::thread([this, test] {
            std::unique_lock lock(m_alarmMutex);
            if (!m_alarmCv.wait_for(lock, kTestLimit, [this] { return m_alarmStop; })) {
                std::fprintf(stderr, "%s hangs: aborted\n", test.c_str());
                std::_Exit(3);
            }
        });
    }
    void stopAlarm() {
        {
            std::lock_guard lock(m_alarmMutex);
            m_alarmStop = true;
        }
        m_alarmCv.notify_all();
        if (m_alarm.joinable())
            m_alarm.join();
    }

    std::deque<Expected> m_answers;
    std::vector<Handled> m_handled;
    QPointer<QWidget> m_waitingFor;
    QElapsedTimer m_waitStart;
    std::optional<testing_support::TempFolder> m_root;
    std::filesystem::path m_oldDir;
    std::thread m_alarm;
    std::mutex m_alarmMutex;
    std::condition_variable m_alarmCv;
    bool m_alarmStop = false;
};

}  // namespace e2e
