// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Application.h"

#include "platform/Form.h"
#include "platform/base/MessageText.h"

namespace platform {

namespace {
Application* g_current = nullptr;
}

Application::Application(Backend& backend) : m_backend(backend) {
    g_current = this;
}

Application::~Application() {
    // Dialogs are gone by now; the whole-run forms go in reverse order of
    // creation while the back end still exists.
    while (!m_forms.empty())
        m_forms.pop_back();
    if (g_current == this)
        g_current = nullptr;
}

Application& Application::current() {
    if (!g_current)
        throw std::logic_error("no application object");
    return *g_current;
}

bool Application::exists() {
    return g_current != nullptr;
}

void Application::adoptForm(std::unique_ptr<Form> form) {
    Form& f = *form;
    m_forms.push_back(std::move(form));
    m_backend.formCreated(f);
}

void Application::Run() {
    if (Form* main = MainForm())
        m_backend.run(*main);
}

void Application::Terminate() {
    m_terminated = true;
    m_backend.terminate();
}

void Application::ShowException(const std::exception& e) {
    m_backend.showMessage(safeForTerminal(e.what()));
}

void Application::ShowMessage(const std::string& text) {
    m_backend.showMessage(safeForTerminal(text));
}

void Application::dispatch(Form* form, const std::function<void()>& action) {
    auto guarded = [this](const std::function<void()>& step) {
        try {
            step();
            return true;
        } catch (const ScriptFailure&) {
            throw;
        } catch (const std::exception& e) {
            ShowException(e);
        } catch (...) {
            ShowMessage("An unknown error occurred.");
        }
        return false;
    };
    guarded(action);
    if (form && form->isModal() && form->modalResult() != ModalResult::None) {
        // A close query that throws keeps the dialog open, like one that
        // refuses.
        if (!guarded([form] { form->closeIfRequested(); }))
            form->setModalResult(ModalResult::None);
    }
}

}  // namespace platform
