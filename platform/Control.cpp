// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Control.h"

#include <algorithm>

#include "platform/Application.h"
#include "platform/Form.h"

namespace platform {

Control::Control(Control* parent, std::string name) : m_parent(parent), m_name(std::move(name)) {
    if (parent) {
        m_font = parent->font();
        m_color = parent->color();
    }
}

Control::~Control() = default;

Form* Control::form() const {
    for (const Control* c = this; c; c = c->m_parent) {
        if (auto* f = dynamic_cast<const Form*>(c))
            return const_cast<Form*>(f);
    }
    return nullptr;
}

Control* Control::findChild(const std::string& name) const {
    for (const auto& child : m_children) {
        if (child->name() == name)
            return child.get();
        if (Control* found = child->findChild(name))
            return found;
    }
    return nullptr;
}

void Control::adopt(std::unique_ptr<Control> child) {
    m_children.push_back(std::move(child));
}

void Control::setBounds(int left, int top, int width, int height) {
    Rect r{left, top, std::max(0, width), std::max(0, height)};
    if (r == m_bounds)
        return;
    const bool resized = r.width != m_bounds.width || r.height != m_bounds.height;
    m_bounds = r;
    notify(Property::Bounds);
    if (resized) {
        if (OnResize)
            OnResize(*this);
        realign();
    }
}

void Control::setAlign(Align align) {
    m_align = align;
    if (m_parent)
        m_parent->realign();
}

void Control::realign() {
    Rect area = alignArea();
    auto place = [](Control& c, const Rect& r) {
        if (c.m_bounds == r)
            return false;
        const bool resized = r.width != c.m_bounds.width || r.height != c.m_bounds.height;
        c.m_bounds = r;
        c.notify(Property::Bounds);
        if (resized && c.OnResize)
            c.OnResize(c);
        return true;
    };
    // Top and bottom take the full width first, then left and right share
    // what is left between them; the client control gets the rest.
    for (Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client}) {
        for (auto& child : m_children) {
            Control& c = *child;
            if (c.m_align != pass || !c.m_visible)
                continue;
            Rect r;
            switch (pass) {
                case Align::Top:
                    r = {area.left, area.top, area.width, c.m_bounds.height};
                    area.top += r.height;
                    area.height = std::max(0, area.height - r.height);
                    break;
                case Align::Bottom:
                    r = {area.left, area.bottom() - c.m_bounds.height, area.width,
                         c.m_bounds.height};
                    area.height = std::max(0, area.height - r.height);
                    break;
                case Align::Left:
                    r = {area.left, area.top, c.m_bounds.width, area.height};
                    area.left += r.width;
                    area.width = std::max(0, area.width - r.width);
                    break;
                case Align::Right:
                    r = {area.right() - c.m_bounds.width, area.top, c.m_bounds.width, area.height};
                    area.width = std::max(0, area.width - r.width);
                    break;
                default:
                    r = area;
                    break;
            }
            place(c, r);
        }
    }
    for (auto& child : m_children)
        child->realign();
}

void Control::setVisible(bool visible) {
    if (visible == m_visible)
        return;
    m_visible = visible;
    notify(Property::Visible);
    if (m_parent && m_align != Align::None)
        m_parent->realign();
}

bool Control::showing() const {
    for (const Control* c = this; c; c = c->m_parent) {
        if (!c->m_visible)
            return false;
    }
    return true;
}

void Control::setEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    notify(Property::Enabled);
}

void Control::setText(const std::string& text) {
    if (text == m_text)
        return;
    m_text = text;
    notify(Property::Text);
}

void Control::setColor(Color color) {
    if (color == m_color)
        return;
    m_color = color;
    notify(Property::Color);
}

void Control::setFont(const Font& font) {
    if (font == m_font)
        return;
    m_font = font;
    notify(Property::Font);
}

void Control::setAccessibleName(const std::string& name) {
    if (name == m_accessibleName)
        return;
    m_accessibleName = name;
    notify(Property::AccessibleName);
}

void Control::setTextAlign(TextAlign a) {
    m_textAlign = a;
    notify(Property::Layout);
}

void Control::userClick() {
    if (!m_enabled)
        return;
    Application::current().dispatch(form(), [this] {
        if (OnClick)
            OnClick(*this);
    });
}

void Control::notify(Property what) {
    if (m_peer)
        m_peer->changed(what);
}

Label::Label(Control* parent, std::string name, const std::string& caption)
    : Control(parent, std::move(name)) {
    Label::setText(caption);
}

void Label::setText(const std::string& text) {
    m_runs = {LabelRun{text}};
    Control::setText(text);
    notify(Property::Content);
}

void Label::setRuns(std::vector<LabelRun> runs) {
    std::string joined;
    for (const auto& run : runs) {
        if (!run.swatch)
            joined += run.text;
    }
    m_runs = std::move(runs);
    Control::setText(joined);
    notify(Property::Content);
}

StaticText::StaticText(Control* parent, std::string name, const std::string& text)
    : Control(parent, std::move(name)) {
    setText(text);
    setTextAlign(TextAlign::Center);
}

std::string StaticText::roleWord() const {
    if (color() == clLime)
        return "entered";
    if (color() == clYellow)
        return "calculated";
    if (color() == clRed)
        return "not used";
    return {};
}

void StaticText::setSunken(bool on) {
    m_sunken = on;
    notify(Property::Layout);
}

Edit::Edit(Control* parent, std::string name) : Control(parent, std::move(name)) {
    setColor(clWhite);
    setTabStop(true);
}

void Edit::setText(const std::string& text) {
    if (text == this->text())
        return;
    Control::setText(text);
    clampSelection();
    changed();
}

void Edit::clampSelection() {
    const int len = static_cast<int>(text().size());
    m_selStart = std::clamp(m_selStart, 0, len);
    m_selLength = std::clamp(m_selLength, 0, len - m_selStart);
    notify(Property::Selection);
}

void Edit::changed() {
    if (OnChange)
        OnChange(*this);
}

void Edit::SetSelStart(int pos) {
    setSelection(pos, 0);
}

void Edit::setSelection(int start, int length) {
    m_selStart = start;
    m_selLength = length;
    clampSelection();
}

void Edit::userSelect(int start, int length) {
    m_selStart = start;
    m_selLength = length;
    const int len = static_cast<int>(text().size());
    m_selStart = std::clamp(m_selStart, 0, len);
    m_selLength = std::clamp(m_selLength, 0, len - m_selStart);
}

void Edit::userEdit(const std::string& newText, int caret) {
    Application::current().dispatch(form(), [&] {
        const std::string before = text();
        const int oldStart = m_selStart, oldLength = m_selLength;
        m_selStart = caret;
        m_selLength = 0;
        if (newText == before) {
            clampSelection();
            return;
        }
        Control::setText(newText);
        clampSelection();
        changed();
        if (text() == before)
            setSelection(oldStart, oldLength);
    });
}

void Edit::userKeyPress(char key) {
    if (!enabled())
        return;
    Application::current().dispatch(form(), [&] {
        char k = key;
        if (OnKeyPress)
            OnKeyPress(*this, k);
        if (static_cast<unsigned char>(k) < 32)
            return;
        std::string t = text();
        t.replace(static_cast<size_t>(m_selStart), static_cast<size_t>(m_selLength), 1, k);
        const int caret = m_selStart + 1;
        m_selStart = caret;
        m_selLength = 0;
        Control::setText(t);
        clampSelection();
        changed();
    });
}

void Edit::userKeyDown(int key) {
    if (!enabled())
        return;
    Application::current().dispatch(form(), [&] {
        int k = key;
        if (OnKeyDown)
            OnKeyDown(*this, k);
        const int len = static_cast<int>(text().size());
        std::string t = text();
        int caret = m_selStart;
        switch (k) {
            case VK_DELETE:
            case VK_BACK:
                if (m_selLength > 0) {
                    t.erase(static_cast<size_t>(m_selStart), static_cast<size_t>(m_selLength));
                } else if (k == VK_DELETE && caret < len) {
                    t.erase(static_cast<size_t>(caret), 1);
                } else if (k == VK_BACK && caret > 0) {
                    t.erase(static_cast<size_t>(--caret), 1);
                } else {
                    return;
                }
                m_selStart = caret;
                m_selLength = 0;
                Control::setText(t);
                clampSelection();
                changed();
                return;
            case VK_LEFT:
                userSelect(caret - (m_selLength > 0 ? 0 : 1), 0);
                break;
            case VK_RIGHT:
                userSelect(caret + std::max(m_selLength, 1), 0);
                break;
            case VK_HOME:
                userSelect(0, 0);
                break;
            case VK_END:
                userSelect(len, 0);
                break;
            default:
                return;
        }
        notify(Property::Selection);
    });
}

Button::Button(Control* parent, std::string name, ButtonKind kind)
    : Control(parent, std::move(name)), m_kind(kind) {
    setTabStop(true);
    switch (kind) {
        case ButtonKind::Ok:
            setText("OK");
            m_modalResult = ModalResult::Ok;
            m_default = true;
            break;
        case ButtonKind::Cancel:
            setText("Cancel");
            m_modalResult = ModalResult::Cancel;
            m_cancel = true;
            break;
        case ButtonKind::Yes:
            setText("&Yes");
            m_modalResult = ModalResult::Yes;
            m_default = true;
            break;
        case ButtonKind::No:
            setText("&No");
            m_modalResult = ModalResult::No;
            m_cancel = true;
            break;
        case ButtonKind::Custom:
            break;
    }
}

void Button::userPress() {
    if (!enabled() || !showing())
        return;
    Application::current().dispatch(form(), [this] {
        if (m_modalResult != ModalResult::None) {
            if (Form* f = form())
                f->setModalResult(m_modalResult);
        }
        if (OnClick)
            OnClick(*this);
    });
}

Panel::Panel(Control* parent, std::string name) : Control(parent, std::move(name)) {}

void Panel::setBevels(Bevel outer, Bevel inner) {
    m_outer = outer;
    m_inner = inner;
    notify(Property::Layout);
    realign();
}

Rect Panel::alignArea() const {
    const int inset = (m_outer != Bevel::None ? 1 : 0) + (m_inner != Bevel::None ? 1 : 0);
    return {inset, inset, std::max(0, bounds().width - 2 * inset),
            std::max(0, bounds().height - 2 * inset)};
}

GroupBox::GroupBox(Control* parent, std::string name, const std::string& caption)
    : Control(parent, std::move(name)) {
    setText(caption);
}

Rect GroupBox::alignArea() const {
    return {2, kCaptionHeight, std::max(0, bounds().width - 4),
            std::max(0, bounds().height - kCaptionHeight - 2)};
}

Shape::Shape(Control* parent, std::string name) : Control(parent, std::move(name)) {}

Splitter::Splitter(Control* parent, std::string name) : Control(parent, std::move(name)) {}

void Splitter::setResizeTarget(Control* target, int minSize) {
    m_target = target;
    m_minSize = minSize;
}

void Splitter::userDrag(int dx) {
    if (!m_target || !parent())
        return;
    const int room = parent()->alignArea().width - bounds().width - m_minSize;
    int width = m_target->bounds().width + (m_target->align() == Align::Right ? -dx : dx);
    width = std::clamp(width, m_minSize, std::max(m_minSize, room));
    m_target->setWidth(width);
    parent()->realign();
}

}  // namespace platform
