// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Menu.h"

#include "platform/Application.h"

namespace platform {

MenuItem::MenuItem(MenuItem* parent, std::string name, std::string caption)
    : m_parent(parent), m_name(std::move(name)), m_caption(std::move(caption)) {}

MenuItem* MenuItem::add(std::string name, std::string caption,
                        std::function<void(MenuItem&)> onClick) {
    m_items.push_back(std::make_unique<MenuItem>(this, std::move(name), std::move(caption)));
    m_items.back()->OnClick = std::move(onClick);
    return m_items.back().get();
}

MenuItem* MenuItem::addSeparator() {
    return add(m_name + "Separator" + std::to_string(++m_separators), "-");
}

MenuItem* MenuItem::find(const std::string& name) {
    for (auto& item : m_items) {
        if (item->m_name == name)
            return item.get();
        if (MenuItem* found = item->find(name))
            return found;
    }
    return nullptr;
}

MenuItem* MenuItem::findShortcut(StandardKey key) {
    if (key == StandardKey::None)
        return nullptr;
    for (auto& item : m_items) {
        if (item->m_shortcut == key)
            return item.get();
        if (MenuItem* found = item->findShortcut(key))
            return found;
    }
    return nullptr;
}

MenuItem* MenuItem::findPath(const std::vector<std::string>& captions) {
    MenuItem* at = this;
    for (const auto& caption : captions) {
        MenuItem* next = nullptr;
        for (auto& item : at->m_items) {
            if (item->m_caption == caption)
                next = item.get();
        }
        if (!next)
            return nullptr;
        at = next;
    }
    return at;
}

std::string MenuItem::plainCaption() const {
    std::string out;
    for (size_t i = 0; i < m_caption.size(); ++i) {
        if (m_caption[i] == '&' && i + 1 < m_caption.size())
            ++i;
        out += m_caption[i];
    }
    return out;
}

void MenuItem::setEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (m_peerChanged)
        m_peerChanged();
}

void MenuItem::userClick(Form* form) {
    if (!m_enabled)
        return;
    Application::current().dispatch(form, [this] {
        if (OnClick)
            OnClick(*this);
    });
}

}  // namespace platform
