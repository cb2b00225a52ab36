// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class Form;

// The commands whose keys the desktop sets (Ctrl+Z, Ctrl+Shift+Z or Ctrl+Y,
// ...): the back end binds each to the platform's own keys and shows them.
enum class StandardKey { None, Undo, Redo, Cut, Copy, Paste, Delete, SelectAll, Save };

// A menu item; "-" as caption makes a separator. "&" marks the access key.
class MenuItem {
  public:
    MenuItem(MenuItem* parent, std::string name, std::string caption);
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    const std::string& name() const { return m_name; }
    const std::string& caption() const { return m_caption; }
    bool isSeparator() const { return m_caption == "-"; }
    MenuItem* parent() const { return m_parent; }
    const std::vector<std::unique_ptr<MenuItem>>& items() const { return m_items; }

    MenuItem* add(std::string name, std::string caption,
                  std::function<void(MenuItem&)> onClick = {});
    MenuItem* addSeparator();
    // By name, depth-first.
    MenuItem* find(const std::string& name);
    // By the captions along the way, e.g. {"&File", "&Exit"}.
    MenuItem* findPath(const std::vector<std::string>& captions);
    // The item bound to a desktop key, depth-first; none for None.
    MenuItem* findShortcut(StandardKey key);
    // The caption without the access key marker: "Exit".
    std::string plainCaption() const;

    std::function<void(MenuItem&)> OnClick;
    // A choice by the user: runs OnClick under the application's handler,
    // unless the item is disabled.
    void userClick(Form* form);

    // The keys that choose it while its window is active; set before the
    // window shows.
    StandardKey shortcut() const { return m_shortcut; }
    MenuItem* setShortcut(StandardKey key) {
        m_shortcut = key;
        return this;
    }

    // Whether the user can choose it; the form decides.
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // For the back end: told when the enabled state changes.
    void setPeerListener(std::function<void()> changed) { m_peerChanged = std::move(changed); }

  private:
    MenuItem* m_parent;
    std::string m_name;
    std::string m_caption;
    std::vector<std::unique_ptr<MenuItem>> m_items;
    int m_separators = 0;
    bool m_enabled = true;
    StandardKey m_shortcut = StandardKey::None;
    std::function<void()> m_peerChanged;
};

// The menu bar of a form: its items are the top-level menus.
class MainMenu : public MenuItem {
  public:
    MainMenu() : MenuItem(nullptr, "MainMenu1", {}) {}
};

}  // namespace platform
