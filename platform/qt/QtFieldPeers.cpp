// SPDX-License-Identifier: GPL-3.0-or-later

// Labels and value fields.

#include <algorithm>
#include <vector>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>

#include "platform/qt/QtPeerSupport.h"
#include "platform/qt/QtPeers.h"

namespace platform::qt {

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

namespace {

// One run of a label placed for drawing.
struct PlacedRun {
    const LabelRun* run;
    int x;
    int width;
    int baseline;
};

struct LabelLayout {
    QFont base, raised;
    std::vector<PlacedRun> runs;
};

constexpr int kSwatchWidth = 18, kSwatchGap = 3;

LabelLayout layOut(const Label& label, int width, int height) {
    LabelLayout l;
    l.base = toQFont(label.font());
    l.raised = l.base;
    l.raised.setBold(false);
    l.raised.setPointSizeF(l.base.pointSizeF() * 0.8);
    const QFontMetrics fm(l.base), rm(l.raised);
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
        x = width - total;
    if (label.textAlign() == TextAlign::Center)
        x = (width - total) / 2;
    const int baseline = (height + fm.ascent() - fm.descent()) / 2 + 1;
    for (const auto& run : label.runs()) {
        int y = baseline;
        if (run.raised && !run.swatch) {
            // Half the ascent up, but never above the label's top edge, where
            // "-7" would lose its top and read "-/".
            const int inkTop = rm.tightBoundingRect(qs(run.text)).top();
            y = std::max(baseline - fm.ascent() / 2, -inkTop);
        }
        const int w = runWidth(run);
        l.runs.push_back({&run, x, w, y});
        x += w;
    }
    return l;
}

}  // namespace

QList<QRect> LabelWidget::raisedInkRects() const {
    QList<QRect> rects;
    if (!m_control)
        return rects;
    const LabelLayout l = layOut(static_cast<const Label&>(*m_control), width(), height());
    for (const PlacedRun& r : l.runs) {
        if (r.run->swatch || r.run->text.empty() || !r.run->raised)
            continue;
        const QFontMetrics m(l.raised);
        rects.push_back(m.tightBoundingRect(qs(r.run->text)).translated(r.x, r.baseline));
    }
    return rects;
}

int wrapFlags(const Label& label) {
    const int horizontal = label.textAlign() == TextAlign::Center  ? Qt::AlignHCenter
                           : label.textAlign() == TextAlign::Right ? Qt::AlignRight
                                                                   : Qt::AlignLeft;
    return Qt::TextWordWrap | Qt::AlignTop | horizontal;
}

void LabelWidget::paintEvent(QPaintEvent*) {
    if (!m_control)
        return;
    auto& label = static_cast<Label&>(*m_control);
    QPainter p(this);
    if (label.wordWrap()) {
        p.setPen(toQColor(label.font().color));
        p.drawText(rect(), wrapFlags(label), qs(label.text()));
        return;
    }
    const LabelLayout l = layOut(label, width(), height());
    const QFontMetrics fm(l.base);
    p.setPen(toQColor(label.font().color));
    for (const PlacedRun& r : l.runs) {
        if (r.run->swatch) {
            const QRect box(r.x + kSwatchGap, r.baseline - fm.ascent() + 1, kSwatchWidth,
                            fm.ascent());
            p.fillRect(box, toQColor(*r.run->swatch));
            p.setPen(Qt::black);
            p.drawRect(box.adjusted(0, 0, -1, -1));
            p.setPen(toQColor(label.font().color));
        } else {
            p.setFont(r.run->raised ? l.raised : l.base);
            p.drawText(r.x, r.baseline, qs(r.run->text));
        }
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
    const QString role = qs(static_cast<StaticText&>(*m_control).roleWord());
    if (role.isEmpty())
        setToolTip(cut ? full : QString());
    else
        setToolTip(cut ? full + ", " + role : role);
}

void StaticTextWidget::describe() {
    auto& st = static_cast<StaticText&>(*m_control);
    const QString role = qs(st.roleWord());
    const QString full = qs(st.text()) + (role.isEmpty() ? QString() : ", " + role);
    if (full == accessibleDescription())
        return;
    // A screen reader says "z, 17.13, calculated": the value and what the
    // field's colour tells.
    setAccessibleDescription(full);
    QAccessibleEvent described(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
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
            const bool same = full == m_announced;
            fitText();
            describe();
            if (same)
                break;
            // Every new value is heard.
            m_announced = full;
            QAccessibleValueChangeEvent value(this, full);
            QAccessible::updateAccessibility(&value);
            break;
        }
        case Property::Font:
            fitText();
            break;
        case Property::Color:
            setBackground(*this, st.color());
            fitText();
            describe();
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

}  // namespace platform::qt
