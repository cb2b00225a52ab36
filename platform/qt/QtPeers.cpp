#include "platform/qt/QtPeers.h"

#include "platform/Image.h"
#include "platform/LineChart.h"
#include "platform/RichEdit.h"

#include <qcustomplot.h>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace platform::qt {

QColor toQColor(Color c) {
    return QColor(c.r, c.g, c.b);
}

QFont toQFont(const Font& f) {
    QString family = QString::fromStdString(f.name);
    if (family == "MS Sans Serif" || family == "Arial")
        family = "Liberation Sans";
    if (family == "Times New Roman")
        family = "Liberation Serif";
    QFont q(family);
    q.setPointSize(f.size);
    q.setBold(f.bold);
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setStrikeOut(f.strikeOut);
    return q;
}

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

void setBackground(QWidget& w, Color c) {
    QPalette p = w.palette();
    p.setColor(QPalette::Window, toQColor(c));
    w.setPalette(p);
    w.setAutoFillBackground(true);
}

int toKeyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Backspace:
            return VK_BACK;
        case Qt::Key_Delete:
            return VK_DELETE;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_End:
            return VK_END;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        default:
            return 0;
    }
}

}  // namespace

PeerBase::~PeerBase() {
    detach();
}

void PeerBase::detach() {
    if (m_control && m_control->peer() == this)
        m_control->setPeer(nullptr);
    m_control = nullptr;
}

void PeerBase::syncCommon(QWidget& w, Property what) {
    if (!m_control)
        return;
    const Control& c = *m_control;
    switch (what) {
        case Property::Bounds: {
            const Rect& r = c.bounds();
            w.setGeometry(r.left, r.top, r.width, r.height);
            break;
        }
        case Property::Visible:
            w.setVisible(c.visible());
            break;
        case Property::Enabled:
            w.setEnabled(c.enabled());
            break;
        case Property::Font:
            // Fonts pass from parent to child by themselves; setting one on
            // every widget costs a font look-up each at start-up.
            if (!c.parent() || !(c.parent()->font() == c.font()) || w.testAttribute(Qt::WA_SetFont))
                w.setFont(toQFont(c.font()));
            break;
        default:
            break;
    }
}

QWidget* createPeerTree(Control& control, QWidget* parent) {
    QWidget* w = nullptr;
    if (auto* c = dynamic_cast<Label*>(&control)) {
        w = new LabelWidget(*c, parent);
    } else if (auto* c = dynamic_cast<StaticText*>(&control)) {
        w = new StaticTextWidget(*c, parent);
    } else if (auto* c = dynamic_cast<Edit*>(&control)) {
        w = new EditWidget(*c, parent);
    } else if (auto* c = dynamic_cast<Button*>(&control)) {
        w = new ButtonWidget(*c, parent);
    } else if (auto* c = dynamic_cast<platform::Panel*>(&control)) {
        w = new PanelWidget(*c, parent);
    } else if (auto* c = dynamic_cast<GroupBox*>(&control)) {
        w = new GroupBoxWidget(*c, parent);
    } else if (auto* c = dynamic_cast<Shape*>(&control)) {
        w = new ShapeWidget(*c, parent);
    } else if (auto* c = dynamic_cast<Splitter*>(&control)) {
        w = new SplitterWidget(*c, parent);
    } else if (auto* c = dynamic_cast<Chart*>(&control)) {
        w = new ChartWidget(*c, parent);
    } else if (auto* c = dynamic_cast<platform::LineChart*>(&control)) {
        w = createLineChartWidget(*c, parent);
    } else if (auto* c = dynamic_cast<platform::RichEdit*>(&control)) {
        w = createRichEditWidget(*c, parent);
    } else if (auto* c = dynamic_cast<platform::Image*>(&control)) {
        w = createImageWidget(*c, parent);
    } else {
        throw std::logic_error("no widget for control class " + control.className());
    }
    w->setObjectName(qs(control.name()));
    auto* peer = dynamic_cast<PeerBase*>(w);
    for (Property p : {Property::Font, Property::Bounds, Property::Enabled, Property::Text,
                       Property::Color, Property::Layout, Property::Content})
        dynamic_cast<ControlPeer*>(peer)->changed(p);
    if (!control.accessibleName().empty())
        w->setAccessibleName(qs(control.accessibleName()));
    for (const auto& child : control.children())
        createPeerTree(*child, w);
    w->setVisible(control.visible());
    return w;
}

void detachPeerTree(QWidget* root) {
    if (auto* peer = dynamic_cast<PeerBase*>(root))
        peer->detach();
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (auto* peer = dynamic_cast<PeerBase*>(w))
            peer->detach();
    }
}

// ---------------------------------------------------------------- forms

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
        m_client->setMinimumSize(200, 150);
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

void FormWindow::buildMenu(QMenuBar* bar) {
    std::function<void(QWidget*, MenuItem&)> addItems = [&](QWidget* into, MenuItem& parent) {
        for (const auto& item : parent.items()) {
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
                addItems(sub, *mi);
                continue;
            }
            auto* action = new QAction(qs(mi->caption()), into);
            action->setObjectName(qs(mi->name()));
            QObject::connect(action, &QAction::triggered, this, [this, mi] {
                if (m_control)
                    mi->userClick(&form());
            });
            into->addAction(action);
        }
    };
    addItems(bar, *form().menu());
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
    // Escape does what the close box does, also where no Cancel button is.
    if (code == VK_ESCAPE && form().isModal() && form().borderStyle() != BorderStyle::NoIcons) {
        form().userCloseRequest();
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- labels

LabelWidget::LabelWidget(Label& label, QWidget* parent) : QWidget(parent), PeerBase(label) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LabelWidget::changed(Property what) {
    syncCommon(*this, what);
    if (what == Property::Text || what == Property::Content) {
        setAccessibleName(qs(m_control ? m_control->text() : std::string()));
    }
    update();
}

void LabelWidget::paintEvent(QPaintEvent*) {
    if (!m_control)
        return;
    auto& label = static_cast<Label&>(*m_control);
    QPainter p(this);
    const QFont base = toQFont(label.font());
    QFont raised = base;
    raised.setBold(false);
    raised.setPointSizeF(base.pointSizeF() * 0.8);
    const QFontMetrics fm(base), rm(raised);
    constexpr int kSwatchWidth = 18, kSwatchGap = 3;

    auto runWidth = [&](const LabelRun& run) {
        if (run.swatch)
            return kSwatchWidth + 2 * kSwatchGap;
        return (run.raised ? rm : fm).horizontalAdvance(qs(run.text));
    };
    int total = 0;
    for (const auto& run : label.runs())
        total += runWidth(run);
    int x = 0;
    if (label.textAlign() == TextAlign::Right)
        x = width() - total;
    if (label.textAlign() == TextAlign::Center)
        x = (width() - total) / 2;
    const int baseline = (height() + fm.ascent() - fm.descent()) / 2 + 1;

    p.setPen(toQColor(label.font().color));
    for (const auto& run : label.runs()) {
        const int w = runWidth(run);
        if (run.swatch) {
            const QRect box(x + kSwatchGap, baseline - fm.ascent() + 1, kSwatchWidth, fm.ascent());
            p.fillRect(box, toQColor(*run.swatch));
            p.setPen(Qt::black);
            p.drawRect(box.adjusted(0, 0, -1, -1));
            p.setPen(toQColor(label.font().color));
        } else {
            p.setFont(run.raised ? raised : base);
            p.drawText(x, run.raised ? baseline - fm.ascent() / 2 : baseline, qs(run.text));
        }
        x += w;
    }
}

namespace {

// A value field for assistive technology: its name ("z"), the text it shows
// as its value and description, and, when it opens a dialog, a button that
// can be pressed.
class ValueFieldAccessible : public QAccessibleWidget {
  public:
    explicit ValueFieldAccessible(StaticTextWidget* w)
        : QAccessibleWidget(w, w->activatable() ? QAccessible::Button : QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                return field()->accessibleName().isEmpty() ? field()->text()
                                                           : field()->accessibleName();
            case QAccessible::Value:
                return field()->fullText();
            default:
                return QAccessibleWidget::text(t);
        }
    }
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (field()->activatable())
            names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && field()->activatable())
            field()->activateLater();
        else
            QAccessibleWidget::doAction(name);
    }

  private:
    StaticTextWidget* field() const { return static_cast<StaticTextWidget*>(widget()); }
};

QAccessibleInterface* valueFieldAccessible(const QString&, QObject* object) {
    if (auto* w = dynamic_cast<StaticTextWidget*>(object))
        return new ValueFieldAccessible(w);
    return nullptr;
}

}  // namespace

StaticTextWidget::StaticTextWidget(StaticText& text, QWidget* parent)
    : QFrame(parent), PeerBase(text) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(valueFieldAccessible);
        return true;
    }();
    (void)factoryInstalled;
    setAutoFillBackground(true);
    if (text.tabStop())
        setFocusPolicy(Qt::StrongFocus);
}

bool StaticTextWidget::activatable() const {
    return m_control && m_control->OnClick && (focusPolicy() & Qt::TabFocus) && isEnabled();
}

QString StaticTextWidget::fullText() const {
    return m_control ? qs(m_control->text()) : text();
}

void StaticTextWidget::fitText() {
    if (!m_control)
        return;
    const QString full = fullText();
    const QFont base = toQFont(m_control->font());
    const int room = textRect().width() - 2;
    QFont f = base;
    for (int step = 1; step <= 5 && QFontMetrics(f).horizontalAdvance(full) > room; ++step)
        f.setPointSizeF(base.pointSizeF() * (1.0 - 0.05 * step));
    if (!(f == base) || m_fitted) {
        setFont(f);
        m_fitted = !(f == base);
    }
    const QFontMetrics fm(f);
    const bool cut = fm.horizontalAdvance(full) > room && room > 0;
    const QString shown = cut ? fm.elidedText(full, Qt::ElideRight, room) : full;
    if (shown != m_shown) {
        m_shown = shown;
        update();
    }
    setToolTip(cut ? full : QString());
}

QRect StaticTextWidget::textRect() const {
    QRect r = contentsRect();
    if (frameWidth() == 0)
        return r;
    const int indent = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    if (m_alignment & Qt::AlignLeft)
        r.setLeft(r.left() + indent);
    if (m_alignment & Qt::AlignRight)
        r.setRight(r.right() - indent);
    return r;
}

void StaticTextWidget::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    fitText();
}

void StaticTextWidget::activateLater() {
    QTimer::singleShot(0, this, [this] {
        if (m_control)
            m_control->userClick();
    });
}

void StaticTextWidget::changed(Property what) {
    syncCommon(*this, what);
    if (!m_control)
        return;
    auto& st = static_cast<StaticText&>(*m_control);
    switch (what) {
        case Property::Text: {
            const QString full = qs(st.text());
            const bool same = full == accessibleDescription();
            fitText();
            if (same)
                break;
            // A screen reader says "z, 17.13", not just "z", and hears every
            // new value.
            setAccessibleDescription(full);
            QAccessibleEvent described(this, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&described);
            QAccessibleValueChangeEvent value(this, full);
            QAccessible::updateAccessibility(&value);
            break;
        }
        case Property::Font:
            fitText();
            break;
        case Property::Color:
            setBackground(*this, st.color());
            break;
        case Property::Layout:
            setFrameStyle(st.sunken() ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
            setLineWidth(1);
            m_alignment = (st.textAlign() == TextAlign::Center  ? Qt::AlignHCenter
                           : st.textAlign() == TextAlign::Right ? Qt::AlignRight
                                                                : Qt::AlignLeft) |
                          Qt::AlignVCenter;
            fitText();
            update();
            break;
        default:
            break;
    }
}

void StaticTextWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && m_control) {
        m_control->userClick();
        return;
    }
    QFrame::mousePressEvent(e);
}

void StaticTextWidget::keyPressEvent(QKeyEvent* e) {
    if (m_control &&
        (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        m_control->userClick();
        return;
    }
    QFrame::keyPressEvent(e);
}

void StaticTextWidget::paintEvent(QPaintEvent* e) {
    QFrame::paintEvent(e);
    QPainter p(this);
    style()->drawItemText(&p, textRect(), static_cast<int>(m_alignment), palette(), isEnabled(),
                          m_shown, foregroundRole());
    if (!hasFocus())
        return;
    // Where the keyboard is, once it is used: a frame that shows on lime,
    // yellow and red alike (the style's own is faint on them).
    if (!window()->testAttribute(Qt::WA_KeyboardFocusChange))
        return;
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawRect(contentsRect().adjusted(1, 1, -2, -2));
    p.setPen(QPen(palette().color(QPalette::Highlight), 1));
    p.drawRect(contentsRect().adjusted(0, 0, -1, -1));
}

// ---------------------------------------------------------------- edit

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

// ---------------------------------------------------------------- buttons

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

// ---------------------------------------------------------------- containers

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

// ---------------------------------------------------------------- chart

namespace {

// Redraws once per turn of the event loop, whatever asks for it: a resize of
// the window that has not been painted yet queues its redraw like any other
// change, so that the first picture is drawn once, with its points.
class Plot : public QCustomPlot {
  public:
    using QCustomPlot::QCustomPlot;

  protected:
    void resizeEvent(QResizeEvent* e) override {
        if (m_painted) {
            QCustomPlot::resizeEvent(e);
            return;
        }
        setViewport(rect());
        replot(rpQueuedReplot);
    }
    void paintEvent(QPaintEvent* e) override {
        m_painted = true;
        QCustomPlot::paintEvent(e);
    }

  private:
    bool m_painted = false;
};

}  // namespace

ChartWidget::ChartWidget(Chart& chart, QWidget* parent)
    : QWidget(parent), PeerBase(chart), m_plot(new Plot(this)) {
    m_plot->setObjectName("plot");
    // The series joins the legend only when the legend shows: laying out a
    // hidden legend still measures its text, in a font of its own.
    m_plot->setAutoAddPlottableToLegend(false);
    // Nothing is drawn over the plot (no selection, no dragging), so the
    // overlay needs no picture of its own.
    m_plot->layer("overlay")->setMode(QCPLayer::lmLogical);
    m_plot->addGraph();
    QCPGraph* graph = m_plot->graph(0);
    graph->setLineStyle(QCPGraph::lsNone);
    m_plot->plotLayout()->insertRow(0);
    m_plot->plotLayout()->addElement(0, 0, new QCPTextElement(m_plot, QString()));
    connect(m_plot, &QCustomPlot::beforeReplot, this, [this] { loadSeries(); });
    applyAppearance();
}

void ChartWidget::applyAppearance() {
    if (!m_control)
        return;
    auto& chart = static_cast<Chart&>(*m_control);
    auto* title = static_cast<QCPTextElement*>(m_plot->plotLayout()->element(0, 0));
    title->setText(qs(chart.title.text));
    title->setFont(toQFont(chart.title.font));
    title->setTextColor(toQColor(chart.title.font.color));
    m_plot->xAxis->setLabel(qs(chart.bottomAxisTitle.text));
    m_plot->xAxis->setLabelFont(toQFont(chart.bottomAxisTitle.font));
    m_plot->xAxis->setLabelColor(toQColor(chart.bottomAxisTitle.font.color));
    m_plot->yAxis->setLabel(qs(chart.leftAxisTitle.text));
    m_plot->yAxis->setLabelFont(toQFont(chart.leftAxisTitle.font));
    m_plot->yAxis->setLabelColor(toQColor(chart.leftAxisTitle.font.color));
    m_plot->legend->setVisible(chart.legendVisible);
    if (chart.legendVisible)
        m_plot->graph(0)->addToLegend();
    else
        m_plot->graph(0)->removeFromLegend();
    m_plot->axisRect()->setBackground(QBrush(toQColor(chart.backWallColor)));
    const QColor red = toQColor(chart.series().color());
    m_plot->graph(0)->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, red, red, 5));
    m_plot->graph(0)->setPen(QPen(red));
}

void ChartWidget::changed(Property what) {
    syncCommon(*this, what);
    if (what == Property::Layout)
        applyAppearance();
    if (what == Property::Layout || what == Property::Content) {
        m_seriesChanged = true;
        m_plot->replot(QCustomPlot::rpQueuedReplot);
    }
}

void ChartWidget::refresh() {
    if (!m_seriesChanged)
        return;
    m_plot->replot();
}

void ChartWidget::loadSeries() {
    if (!m_seriesChanged || !m_control)
        return;
    m_seriesChanged = false;
    const auto& points = static_cast<Chart&>(*m_control).series().points();
    QVector<QCPGraphData> data;
    data.reserve(static_cast<int>(points.size()));
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const ChartPoint& pt = points[i];
        data.append(QCPGraphData(pt.x, pt.y));
        if (i == 0) {
            xmin = xmax = pt.x;
            ymin = ymax = pt.y;
        }
        xmin = std::min(xmin, pt.x);
        xmax = std::max(xmax, pt.x);
        ymin = std::min(ymin, pt.y);
        ymax = std::max(ymax, pt.y);
    }
    m_plot->graph(0)->data()->set(data, true);
    // Room around the outermost points so that their markers show whole.
    auto padded = [](double lo, double hi) {
        const double span = hi - lo;
        const double pad = span > 0 ? span * 0.05 : std::max(1.0, std::abs(hi) * 0.05);
        return QCPRange(lo - pad, hi + pad);
    };
    m_plot->xAxis->setRange(padded(xmin, xmax));
    m_plot->yAxis->setRange(padded(ymin, ymax));
}

void ChartWidget::resizeEvent(QResizeEvent*) {
    m_plot->setGeometry(rect());
}

}  // namespace platform::qt
