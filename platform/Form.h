// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Control.h"
#include "platform/Menu.h"

namespace platform {

enum class BorderStyle {
    Sizeable,  // resizable frame with minimise, maximise and close boxes
    Dialog,    // fixed frame with a close box
    NoIcons,   // fixed frame without any title-bar button
};

enum class CloseAction { None, Hide, Free };

// A window. Its bounds are its client area; the menu bar, if any, stands
// above it. Forms created by the application live for the whole run; every
// other form is created by its caller, shown and deleted.
class Form : public Control {
  public:
    explicit Form(Form* owner, std::string name);
    ~Form() override;

    Form* owner() const { return m_owner; }
    const std::string& caption() const { return text(); }
    void setCaption(const std::string& caption) { setText(caption); }
    void setClientSize(int width, int height);
    // How small the user may make a sizeable form; set before it shows.
    void setMinClientSize(int width, int height) {
        m_minClientWidth = width;
        m_minClientHeight = height;
    }
    int minClientWidth() const { return m_minClientWidth; }
    int minClientHeight() const { return m_minClientHeight; }
    int clientWidth() const { return bounds().width; }
    int clientHeight() const { return bounds().height; }
    BorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(BorderStyle s) { m_borderStyle = s; }
    bool centered() const { return m_centered; }
    void setCentered(bool on) { m_centered = on; }

    MainMenu* menu() const { return m_menu.get(); }
    MainMenu* createMenu();

    std::function<void(Form& sender)> OnShow;
    std::function<void(Form& sender, bool& canClose)> OnCloseQuery;
    std::function<void(Form& sender, CloseAction& action)> OnClose;

    // Runs the form in a nested modal loop and returns its modal result;
    // closing by the frame gives Cancel.
    ModalResult ShowModal();
    bool isModal() const { return m_modal; }
    ModalResult modalResult() const { return m_modalResult; }
    // Asks a modal form to close with this result once the current event
    // has been handled.
    void setModalResult(ModalResult r) { m_modalResult = r; }

    // Modeless.
    void Show();
    void Hide();
    // Runs the close query and the close handler; hides the form, or ends
    // the program when it is the main form.
    void Close();

    // The user's close request by the window frame, system menu or Alt+F4.
    void userCloseRequest();
    // A key that the form handles before its controls: Enter presses the
    // default button, Escape the cancel button. True when handled.
    bool userDialogKey(int key);
    // A desktop key of a menu command (Ctrl+X for Cut...) pressed while
    // the form is active: chooses the enabled item bound to it. True when
    // one was.
    bool userStandardKey(StandardKey key);

    Button* defaultButton() const;
    Button* cancelButton() const;

    // For the back ends: run OnShow; and after an event, close a modal form
    // whose modal result was set unless its close query refuses.
    void doShow();
    bool closeIfRequested();
    void beginModal();
    void endModal() { m_modal = false; }

  private:
    Form* m_owner;
    std::unique_ptr<MainMenu> m_menu;
    BorderStyle m_borderStyle = BorderStyle::Sizeable;
    bool m_centered = false;
    int m_minClientWidth = 200;
    int m_minClientHeight = 150;
    bool m_modal = false;
    ModalResult m_modalResult = ModalResult::None;
};

// Creates a dialog, keeps it in its global pointer while it exists, and
// deletes it when it goes out of scope, also when an exception passes.
template <class T>
class DialogRef {
  public:
    template <class... Args>
    explicit DialogRef(T*& global, Args&&... args)
        : m_global(global), m_dialog(std::make_unique<T>(std::forward<Args>(args)...)) {
        m_global = m_dialog.get();
    }
    ~DialogRef() { m_global = nullptr; }
    DialogRef(const DialogRef&) = delete;
    DialogRef& operator=(const DialogRef&) = delete;
    T* operator->() const { return m_dialog.get(); }
    T& operator*() const { return *m_dialog; }

  private:
    T*& m_global;
    std::unique_ptr<T> m_dialog;
};

}  // namespace platform
