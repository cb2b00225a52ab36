// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/qt/QtBackend.h"

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "platform/Form.h"
#include "platform/Timer.h"
#include "platform/WindowPlacement.h"
#include "platform/qt/QtPeers.h"
#include "platform/qt/QtServices.h"

namespace platform::qt {

namespace {

// The menu bar asks the style for its overflow arrow at once, and loading
// that picture loads every image format plugin. We draw the arrow instead.
class ProgramStyle : public QProxyStyle {
  public:
    QIcon standardIcon(StandardPixmap sp, const QStyleOption* opt,
                       const QWidget* widget) const override {
        if (sp != SP_ToolBarHorizontalExtensionButton && sp != SP_ToolBarVerticalExtensionButton)
            return QProxyStyle::standardIcon(sp, opt, widget);
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setPen(QPen(Qt::black, 1.5));
        if (sp == SP_ToolBarHorizontalExtensionButton) {
            p.drawPolyline(QPolygonF({{5, 4}, {9, 8}, {5, 12}}));
            p.drawPolyline(QPolygonF({{9, 4}, {13, 8}, {9, 12}}));
        } else {
            p.drawPolyline(QPolygonF({{4, 5}, {8, 9}, {12, 5}}));
            p.drawPolyline(QPolygonF({{4, 9}, {8, 13}, {12, 9}}));
        }
        return QIcon(pm);
    }
};

}  // namespace

QtBackend::QtBackend() {
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setStyle(new ProgramStyle);
}

QtBackend::~QtBackend() {
    // The windows of forms deleted during the run (a series window) went
    // with deleteLater, which no loop runs once the program has ended.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (auto& [timer, qtimer] : m_timers)
        delete qtimer;
    m_services.reset();
    for (auto& [form, window] : m_windows) {
        detachPeerTree(window);
        delete window;
    }
}

FormWindow& QtBackend::window(Form& form) {
    auto it = m_windows.find(&form);
    if (it != m_windows.end())
        return *it->second;
    QWidget* ownerWindow = nullptr;
    if (form.owner())
        ownerWindow = &window(*form.owner());
    auto* w = new FormWindow(form, ownerWindow);
    m_windows[&form] = w;
    return *w;
}

QWidget& QtBackend::windowOf(Form& form) {
    return window(form);
}

void QtBackend::formCreated(Form&) {
    // Windows are built when first shown: a form that stays hidden, like the
    // report window at start-up, costs nothing until it is needed.
}

void QtBackend::formDestroyed(Form& form) {
    auto it = m_windows.find(&form);
    if (it == m_windows.end())
        return;
    FormWindow* w = it->second;
    m_windows.erase(it);
    // Events may still be queued for the widgets: they find no control.
    detachPeerTree(w);
    w->hide();
    w->deleteLater();
}

namespace {

Rect toRect(const QRect& r) {
    return {r.left(), r.top(), r.width(), r.height()};
}

// The title bar and borders around a window: its own once it has shown,
// else its owner's, else the style's title bar.
QMargins frameOf(const QWidget& w, const QWidget* owner) {
    for (const QWidget* shown : {&w, owner}) {
        if (!shown || !shown->isVisible())
            continue;
        const QRect frame = shown->frameGeometry();
        const QRect inside = shown->geometry();
        return {inside.left() - frame.left(), inside.top() - frame.top(),
                frame.right() - inside.right(), frame.bottom() - inside.bottom()};
    }
    return {0, w.style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0};
}

// Sized to the screen and placed by the platform's rule: a modeless window
// beside its owner, clear of the owner's menu bar.
void placeWindow(FormWindow& w, Form& form) {
    if (form.borderStyle() != BorderStyle::Sizeable && !w.scrolls())
        w.adjustSize();
    auto* owner = form.centered() ? nullptr : dynamic_cast<FormWindow*>(w.parentWidget());
    const QMargins frame = frameOf(w, owner);
    const QScreen* screen = owner ? owner->screen() : QApplication::primaryScreen();
    PlacementRequest request;
    request.screen = toRect(screen->availableGeometry());
    if (owner && owner->isVisible()) {
        request.owner = toRect(owner->frameGeometry());
        request.ownerMenuBottom =
            owner->menuBar()
                ? owner->menuBar()->mapToGlobal(QPoint(0, owner->menuBar()->height())).y()
                : request.owner.top;
    }
    request.width = w.width() + frame.left() + frame.right();
    request.height = w.height() + frame.top() + frame.bottom();
    request.beside = !form.isModal();
    const Rect r = platform::placeWindow(request);
    // The main window keeps its size: it fits the screens the program is
    // made for, and its graph would give way to nothing at all.
    if (form.owner())
        w.fitTo(
            QSize(r.width - frame.left() - frame.right(), r.height - frame.top() - frame.bottom()));
    w.move(r.left, r.top);
}

}  // namespace

ModalResult QtBackend::runModal(Form& form) {
    FormWindow& w = window(form);
    form.beginModal();
    w.setWindowModality(Qt::ApplicationModal);
    placeWindow(w, form);
    form.setVisible(true);
    form.doShow();
    w.show();
    w.raise();
    w.activateWindow();
    while (form.modalResult() == ModalResult::None && !m_quitting)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const ModalResult result =
        form.modalResult() == ModalResult::None ? ModalResult::Cancel : form.modalResult();
    form.endModal();
    form.setVisible(false);
    // The keyboard goes back to the window that opened the dialog, to the
    // control it left from.
    if (QWidget* owner = w.parentWidget(); owner && owner->isVisible())
        owner->activateWindow();
    return result;
}

void QtBackend::showForm(Form& form) {
    FormWindow& w = window(form);
    // A window of the program's opens over its owner the first time.
    if (!w.isVisible() && !w.testAttribute(Qt::WA_Moved) && w.parentWidget())
        placeWindow(w, form);
    if (!form.visible()) {
        form.setVisible(true);
        form.doShow();
    }
    w.show();
    w.raise();
    w.activateWindow();
}

void QtBackend::hideForm(Form& form) {
    form.setVisible(false);
}

namespace {

void messageBox(QMessageBox::Icon icon, const std::string& text) {
    QMessageBox box(icon, "Quorvin", QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName("MessageBox");
    box.exec();
}

}  // namespace

void QtBackend::showMessage(const std::string& text) {
    messageBox(QMessageBox::Critical, text);
}

void QtBackend::showInformation(const std::string& text) {
    messageBox(QMessageBox::Information, text);
}

void QtBackend::run(Form& mainForm) {
    FormWindow& w = window(mainForm);
    placeWindow(w, mainForm);
    showForm(mainForm);
    if (!m_quitting)
        QApplication::exec();
}

DesktopServices* QtBackend::services() {
    return &qtServices();
}

QtServices& QtBackend::qtServices() {
    if (!m_services)
        m_services = std::make_unique<QtServices>(*this);
    return *m_services;
}

void QtBackend::post(std::function<void()> task) {
    // A queued call on the application object runs on its thread.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

void QtBackend::terminate() {
    m_quitting = true;
    // Not quit(): Qt would first send every window a close event, which a
    // window still shown (a series) answers with its own close question.
    QApplication::exit(0);
}

}  // namespace platform::qt

namespace platform::qt {

void QtBackend::startTimer(Timer& timer, int ms) {
    QTimer*& q = m_timers[&timer];
    if (!q) {
        q = new QTimer;
        q->setSingleShot(true);
        QObject::connect(q, &QTimer::timeout, [&timer] { timer.fire(); });
    }
    q->start(ms);
}

void QtBackend::stopTimer(Timer& timer) {
    auto it = m_timers.find(&timer);
    if (it == m_timers.end())
        return;
    delete it->second;
    m_timers.erase(it);
}

}  // namespace platform::qt
