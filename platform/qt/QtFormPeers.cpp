// SPDX-License-Identifier: GPL-3.0-or-later

// The windows of the forms with their menus, and the containers, shapes and
// splitters inside them.

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/QtPeerSupport.h"
#include "platform/qt/QtPeers.h"

namespace platform::qt {

FormWindow::FormWindow(Form& form, QWidget* ownerWindow)
    : QWidget(ownerWindow, Qt::Window), PeerBase(form) {
    setObjectName(qs(form.name()));
    setWindowTitle(qs(form.caption()));
    Qt::WindowFlags flags = Qt::Window;
    switch (form.borderStyle()) {
        case BorderStyle::Sizeable:
            break;
        case BorderStyle::Dialog:
            flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                    Qt::WindowCloseButtonHint;
            break;
        case BorderStyle::NoIcons:
            flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
            break;
    }
    setWindowFlags(flags);
    setFont(toQFont(form.font()));
    setBackground(*this, form.color());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (form.menu()) {
        m_menuBar = new QMenuBar(this);
        buildMenu(m_menuBar);
        layout->setMenuBar(m_menuBar);
    }
    m_client = new QWidget(this);
    m_client->setObjectName("client");
    layout->addWidget(m_client);
    for (const auto& child : form.children())
        createPeerTree(*child, m_client);

    const QSize client(form.clientWidth(), form.clientHeight());
    if (form.borderStyle() == BorderStyle::Sizeable) {
        m_client->setMinimumSize(form.minClientWidth(), form.minClientHeight());
        resize(client.width(), client.height() + (m_menuBar ? m_menuBar->sizeHint().height() : 0));
    } else {
        m_client->setFixedSize(client);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }
    m_client->installEventFilter(this);
    qApp->installEventFilter(this);

    // A dialog of buttons only opens on its default button, so that Enter
    // answers with it, as its look promises.
    QWidget* first = m_client->nextInFocusChain();
    while (first != m_client && !(first->focusPolicy() & Qt::TabFocus))
        first = first->nextInFocusChain();
    if (qobject_cast<QPushButton*>(first)) {
        for (auto* b : m_client->findChildren<QPushButton*>())
            if (b->isDefault())
                b->setFocus(Qt::OtherFocusReason);
    }
}

namespace {

QKeySequence::StandardKey toQKey(StandardKey key) {
    switch (key) {
        case StandardKey::None:
            break;
        case StandardKey::Undo:
            return QKeySequence::Undo;
        case StandardKey::Redo:
            return QKeySequence::Redo;
        case StandardKey::Cut:
            return QKeySequence::Cut;
        case StandardKey::Copy:
            return QKeySequence::Copy;
        case StandardKey::Paste:
            return QKeySequence::Paste;
        case StandardKey::Delete:
            return QKeySequence::Delete;
        case StandardKey::SelectAll:
            return QKeySequence::SelectAll;
        case StandardKey::Save:
            return QKeySequence::Save;
    }
    return QKeySequence::UnknownKey;
}

}  // namespace

void addMenuItems(QWidget* into, MenuItem& menu, PeerBase& peer) {
    for (const auto& item : menu.items()) {
        MenuItem* mi = item.get();
        if (mi->isSeparator()) {
            if (auto* m = qobject_cast<QMenu*>(into))
                m->addSeparator();
            continue;
        }
        if (!mi->items().empty()) {
            QMenu* sub = qobject_cast<QMenuBar*>(into)
                             ? qobject_cast<QMenuBar*>(into)->addMenu(qs(mi->caption()))
                             : qobject_cast<QMenu*>(into)->addMenu(qs(mi->caption()));
            sub->setObjectName(qs(mi->name()));
            addMenuItems(sub, *mi, peer);
            continue;
        }
        auto* action = new QAction(qs(mi->caption()), into);
        action->setObjectName(qs(mi->name()));
        action->setEnabled(mi->enabled());
        // All of the desktop's keys for the command; the menu shows the first.
        if (mi->shortcut() != StandardKey::None) {
            QList<QKeySequence> keys = QKeySequence::keyBindings(toQKey(mi->shortcut()));
            // Ctrl+Y redoes on every desktop, as in the office programs.
            if (mi->shortcut() == StandardKey::Redo && !keys.contains(QKeySequence("Ctrl+Y")))
                keys.append(QKeySequence("Ctrl+Y"));
            action->setShortcuts(keys);
        }
        mi->setPeerListener([action = QPointer<QAction>(action), mi] {
            if (action)
                action->setEnabled(mi->enabled());
        });
        QObject::connect(action, &QAction::triggered, into, [mi, &peer] {
            if (peer.control())
                mi->userClick(peer.control()->form());
        });
        into->addAction(action);
    }
}

void FormWindow::fitTo(const QSize& room) {
    const int menu = m_menuBar ? m_menuBar->sizeHint().height() : 0;
    const bool sizeable = form().borderStyle() == BorderStyle::Sizeable;
    const QSize least = sizeable ? m_client->minimumSize() : m_client->size();
    QSize wanted = size();
    if (!m_scroll && (least.width() > room.width() || least.height() + menu > room.height())) {
        // The client keeps its size and layout inside a view that scrolls,
        // so that rows never overlap and every button can be reached.
        auto* box = static_cast<QVBoxLayout*>(layout());
        box->removeWidget(m_client);
        m_scroll = new QScrollArea(this);
        m_scroll->setObjectName("scroll");
        m_scroll->setFrameShape(QFrame::NoFrame);
        // Tab goes from control to control; the view follows the focus.
        m_scroll->setFocusPolicy(Qt::NoFocus);
        m_scroll->setWidgetResizable(true);
        m_scroll->setWidget(m_client);
        box->addWidget(m_scroll);
        box->setSizeConstraint(QLayout::SetDefaultConstraint);
        setMinimumSize(0, 0);
        // A fixed form grows no larger than all of it.
        if (!sizeable) {
            wanted = QSize(least.width(), least.height() + menu);
            setMaximumSize(wanted + QSize(m_scroll->verticalScrollBar()->sizeHint().width(),
                                          m_scroll->horizontalScrollBar()->sizeHint().height()));
        }
    }
    resize(std::min(wanted.width(), room.width()), std::min(wanted.height(), room.height()));
}

void FormWindow::buildMenu(QMenuBar* bar) {
    addMenuItems(bar, *form().menu(), *this);
}

void FormWindow::changed(Property what) {
    if (!m_control)
        return;
    switch (what) {
        case Property::Text:
            setWindowTitle(qs(form().caption()));
            break;
        case Property::Visible:
            setVisible(form().visible());
            break;
        case Property::Color:
            setBackground(*this, form().color());
            break;
        case Property::Bounds:
            if (form().borderStyle() != BorderStyle::Sizeable)
                m_client->setFixedSize(form().clientWidth(), form().clientHeight());
            break;
        default:
            break;
    }
}

void FormWindow::closeEvent(QCloseEvent* e) {
    // The form decides: a modal one ends with Cancel, the main one runs its
    // close handler, others hide.
    e->ignore();
    if (m_control)
        form().userCloseRequest();
}

bool FormWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_client && e->type() == QEvent::Resize && m_control &&
        form().borderStyle() == BorderStyle::Sizeable) {
        form().setClientSize(m_client->width(), m_client->height());
        return false;
    }
    if (e->type() != QEvent::KeyPress || !m_control)
        return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this || !isActiveWindow())
        return false;
    auto* key = static_cast<QKeyEvent*>(e);
    const int code = toKeyCode(key->key());
    if (code != VK_RETURN && code != VK_ESCAPE)
        return false;
    // Enter on a focused button presses that button, on a focused value
    // field opens that field.
    if (code == VK_RETURN && qobject_cast<QPushButton*>(w))
        return false;
    if (auto* field = dynamic_cast<StaticTextWidget*>(w);
        code == VK_RETURN && field && field->activatable())
        return false;
    if (form().userDialogKey(code))
        return true;
    // Escape does what the close box does, also where no Cancel button is,
    // and closes an analysis window (a modeless one of its owner's, without
    // a menu bar: those hold documents).
    const bool analysisWindow = !form().isModal() && form().owner() && !form().menu();
    if (code == VK_ESCAPE && (form().isModal() || analysisWindow) &&
        form().borderStyle() != BorderStyle::NoIcons) {
        form().userCloseRequest();
        return true;
    }
    return false;
}

PanelWidget::PanelWidget(platform::Panel& panel, QWidget* parent)
    : QFrame(parent), PeerBase(panel) {}

void PanelWidget::changed(Property what) {
    syncCommon(*this, what);
    if (!m_control)
        return;
    auto& panel = static_cast<platform::Panel&>(*m_control);
    if (what == Property::Color)
        setBackground(*this, panel.color());
    if (what == Property::Layout) {
        const Bevel outer = panel.bevelOuter();
        setFrameStyle(outer == Bevel::None     ? QFrame::NoFrame
                      : outer == Bevel::Raised ? QFrame::Panel | QFrame::Raised
                                               : QFrame::Panel | QFrame::Sunken);
        setLineWidth(1);
    }
}

GroupBoxWidget::GroupBoxWidget(GroupBox& box, QWidget* parent) : QWidget(parent), PeerBase(box) {}

void GroupBoxWidget::changed(Property what) {
    syncCommon(*this, what);
    if (!m_control)
        return;
    if (what == Property::Text)
        setAccessibleName(qs(m_control->text()));
    update();
}

void GroupBoxWidget::paintEvent(QPaintEvent*) {
    if (!m_control)
        return;
    QPainter p(this);
    const QFontMetrics fm(font());
    const int lineY = fm.height() / 2;
    const QRect frame = rect().adjusted(0, lineY, -1, -1);
    // An etched frame: a dark line with a light one beside it.
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(frame.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(frame.adjusted(1, 1, 0, 0));
    const QString title = qs(m_control->text());
    if (title.isEmpty())
        return;
    const QRect titleRect(8, 0, fm.horizontalAdvance(title) + 4, fm.height());
    p.fillRect(titleRect, palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(titleRect, Qt::AlignCenter, title);
}

ShapeWidget::ShapeWidget(Shape& shape, QWidget* parent) : QWidget(parent), PeerBase(shape) {}

void ShapeWidget::changed(Property what) {
    syncCommon(*this, what);
    update();
}

void ShapeWidget::paintEvent(QPaintEvent*) {
    if (!m_control)
        return;
    QPainter p(this);
    p.fillRect(rect(), toQColor(m_control->color()));
    p.setPen(Qt::black);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

SplitterWidget::SplitterWidget(Splitter& splitter, QWidget* parent)
    : QWidget(parent), PeerBase(splitter) {
    setCursor(Qt::SplitHCursor);
}

void SplitterWidget::changed(Property what) {
    syncCommon(*this, what);
}

void SplitterWidget::mousePressEvent(QMouseEvent* e) {
    m_lastX = static_cast<int>(e->globalPosition().x());
}

void SplitterWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton) || !m_control)
        return;
    const int x = static_cast<int>(e->globalPosition().x());
    static_cast<Splitter&>(*m_control).userDrag(x - m_lastX);
    m_lastX = x;
}

}  // namespace platform::qt
