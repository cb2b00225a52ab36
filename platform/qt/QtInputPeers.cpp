// SPDX-License-Identifier: GPL-3.0-or-later

// Edits and buttons.

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStyle>

#include "platform/qt/QtPeerSupport.h"
#include "platform/qt/QtPeers.h"

namespace platform::qt {

EditWidget::EditWidget(Edit& control, QWidget* parent) : QLineEdit(parent), PeerBase(control) {
    setFrame(true);
    // Any change the line edit makes by itself, whatever its cause, comes
    // back here before anything is painted. The current text counts, not the
    // signal's: a change that the control has already undone is stale.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (m_syncing || !m_control || text() == qs(edit().text()))
            return;
        edit().userEdit(text().toStdString(), cursorPosition());
        syncFromControl();
    });
    connect(this, &QLineEdit::cursorPositionChanged, this, [this](int, int) {
        if (m_syncing || !m_control)
            return;
        const int start = hasSelectedText() ? selectionStart() : cursorPosition();
        edit().userSelect(start, static_cast<int>(selectedText().size()));
    });
}

void EditWidget::syncFromControl() {
    if (!m_control)
        return;
    m_syncing = true;
    const QString t = qs(edit().text());
    if (text() != t)
        setText(t);
    if (edit().SelLength() > 0)
        setSelection(edit().SelStart(), edit().SelLength());
    else
        setCursorPosition(edit().SelStart());
    m_syncing = false;
}

void EditWidget::changed(Property what) {
    syncCommon(*this, what);
    if (!m_control)
        return;
    if (what == Property::Text || what == Property::Selection)
        syncFromControl();
    if (what == Property::Color) {
        QPalette p = palette();
        p.setColor(QPalette::Base, toQColor(edit().color()));
        setPalette(p);
    }
}

void EditWidget::typeCharacters(const QString& text) {
    for (const QChar c : text) {
        if (!m_control)
            return;
        if (c.unicode() >= 32 && c.unicode() < 127) {
            edit().userKeyPress(static_cast<char>(c.unicode()));
            syncFromControl();
        } else {
            // No key of the core: the line edit inserts it and the control
            // decides through the change.
            insert(QString(c));
        }
    }
}

void EditWidget::keyPressEvent(QKeyEvent* e) {
    if (!m_control)
        return;
    const int code = toKeyCode(e->key());
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool plain = !(mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    // Shift with the caret keys selects and Shift+Delete cuts, which the line
    // edit does; Shift+Backspace is Backspace.
    const bool coreKey = code != 0 && code != VK_RETURN && code != VK_ESCAPE &&
                         (code == VK_BACK || !(mods & Qt::ShiftModifier));
    if (plain && coreKey) {
        edit().userKeyDown(code);
        syncFromControl();
        return;
    }
    const QString t = e->text();
    if (plain && t.size() == 1 && t[0].unicode() >= 32 && t[0].unicode() < 127) {
        typeCharacters(t);
        return;
    }
    // Shortcuts, shifted selection keys and other characters: the line edit
    // acts, and a changed text comes back through textChanged.
    QLineEdit::keyPressEvent(e);
}

void EditWidget::inputMethodEvent(QInputMethodEvent* e) {
    // Only committed text counts, as typed; a composition in progress is not
    // shown, since the edit shows the control's text and nothing else.
    e->accept();
    if (m_control)
        typeCharacters(e->commitString());
}

void EditWidget::focusInEvent(QFocusEvent* e) {
    // A line edit selects all when focused by Tab; without auto-select the
    // control's caret stays as it is.
    const bool keepCaret = m_control && !edit().autoSelect();
    if (keepCaret)
        m_syncing = true;
    QLineEdit::focusInEvent(e);
    if (keepCaret) {
        m_syncing = false;
        syncFromControl();
    }
}

ButtonWidget::ButtonWidget(Button& button, QWidget* parent)
    : QPushButton(parent), PeerBase(button) {
    setAutoDefault(false);
    setDefault(button.isDefault());
    QStyle::StandardPixmap icon = QStyle::SP_CustomBase;
    switch (button.kind()) {
        case ButtonKind::Ok:
            icon = QStyle::SP_DialogOkButton;
            break;
        case ButtonKind::Cancel:
            icon = QStyle::SP_DialogCancelButton;
            break;
        case ButtonKind::Yes:
            icon = QStyle::SP_DialogYesButton;
            break;
        case ButtonKind::No:
            icon = QStyle::SP_DialogNoButton;
            break;
        case ButtonKind::Custom:
            break;
    }
    if (icon != QStyle::SP_CustomBase)
        setIcon(style()->standardIcon(icon));
    connect(this, &QPushButton::clicked, this, [this] {
        if (m_control)
            static_cast<Button&>(*m_control).userPress();
    });
}

void ButtonWidget::changed(Property what) {
    syncCommon(*this, what);
    if (m_control && what == Property::Text)
        setText(qs(m_control->text()));
}

}  // namespace platform::qt
