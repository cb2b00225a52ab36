// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Form.h"

#include "platform/Application.h"

namespace platform {

Form::Form(Form* owner, std::string name) : Control(nullptr, std::move(name)), m_owner(owner) {
    setVisible(false);
}

Form::~Form() {
    if (Application::exists())
        Application::current().backend().formDestroyed(*this);
}

void Form::setClientSize(int width, int height) {
    setBounds(0, 0, width, height);
}

MainMenu* Form::createMenu() {
    if (!m_menu)
        m_menu = std::make_unique<MainMenu>();
    return m_menu.get();
}

ModalResult Form::ShowModal() {
    return Application::current().backend().runModal(*this);
}

void Form::beginModal() {
    m_modal = true;
    m_modalResult = ModalResult::None;
}

void Form::doShow() {
    Application::current().dispatch(this, [this] {
        if (OnShow)
            OnShow(*this);
    });
}

bool Form::closeIfRequested() {
    if (m_modalResult == ModalResult::None)
        return false;
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(*this, canClose);
    if (canClose) {
        CloseAction action = CloseAction::Hide;
        if (OnClose)
            OnClose(*this, action);
        canClose = action != CloseAction::None;
    }
    if (!canClose)
        m_modalResult = ModalResult::None;
    return canClose;
}

void Form::Show() {
    Application::current().backend().showForm(*this);
}

void Form::Hide() {
    Application::current().backend().hideForm(*this);
}

void Form::Close() {
    if (m_modal) {
        m_modalResult = ModalResult::Cancel;
        return;
    }
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(*this, canClose);
    if (!canClose)
        return;
    Application& application = Application::current();
    const bool isMain = application.MainForm() == this;
    CloseAction action = isMain ? CloseAction::Free : CloseAction::Hide;
    if (OnClose)
        OnClose(*this, action);
    if (action == CloseAction::None)
        return;
    Hide();
    if (isMain)
        application.Terminate();
}

void Form::userCloseRequest() {
    Application::current().dispatch(this, [this] {
        if (m_modal) {
            m_modalResult = ModalResult::Cancel;
        } else {
            Close();
        }
    });
}

namespace {

Button* findButton(const Control& c, bool wantDefault) {
    for (const auto& child : c.children()) {
        if (auto* b = dynamic_cast<Button*>(child.get())) {
            if (b->showing() && b->enabled() && (wantDefault ? b->isDefault() : b->isCancel()))
                return b;
        }
        if (Button* b = findButton(*child, wantDefault))
            return b;
    }
    return nullptr;
}

}  // namespace

Button* Form::defaultButton() const {
    return findButton(*this, true);
}

Button* Form::cancelButton() const {
    return findButton(*this, false);
}

bool Form::userStandardKey(StandardKey key) {
    if (!m_menu || key == StandardKey::None)
        return false;
    MenuItem* item = m_menu->findShortcut(key);
    if (!item || !item->enabled())
        return false;
    item->userClick(this);
    return true;
}

bool Form::userDialogKey(int key) {
    Button* b = key == VK_RETURN ? defaultButton() : key == VK_ESCAPE ? cancelButton() : nullptr;
    if (!b)
        return false;
    b->userPress();
    return true;
}

}  // namespace platform
