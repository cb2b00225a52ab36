// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/qt/QtPeers.h"

#include "platform/Grid.h"
#include "platform/Image.h"
#include "platform/LineChart.h"
#include "platform/RichEdit.h"
#include "platform/qt/QtPeerSupport.h"

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
        case Property::AccessibleName:
            w.setAccessibleName(qs(c.accessibleName()));
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
    } else if (auto* c = dynamic_cast<platform::Grid*>(&control)) {
        w = createGridWidget(*c, parent);
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

}  // namespace platform::qt
