// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

class Form;
class Chart;
class DesktopServices;
class Timer;
enum class ModalResult : int;

// A test script that did not match what the program did (an unexpected
// dialog, a dialog left open). Never shown as a message box: it ends the
// test.
class ScriptFailure : public std::logic_error {
  public:
    using std::logic_error::logic_error;
};

// What a toolkit provides to the program: modal loops, windows, message
// boxes. The Qt back end shows real windows; the headless one keeps plain
// state and answers dialogs from test scripts.
class Backend {
  public:
    virtual ~Backend() = default;
    // A form was created by the application (lives for the whole run).
    virtual void formCreated(Form& form) = 0;
    // A form is about to be deleted.
    virtual void formDestroyed(Form& form) = 0;
    virtual ModalResult runModal(Form& form) = 0;
    virtual void showForm(Form& form) = 0;
    virtual void hideForm(Form& form) = 0;
    // A message box: an error or a warning.
    virtual void showMessage(const std::string& text) = 0;
    // A message box that reports what was done, not what went wrong.
    virtual void showInformation(const std::string& text) { showMessage(text); }
    // Shows the main form and runs until it has closed.
    virtual void run(Form& mainForm) = 0;
    virtual void terminate() = 0;
    // Runs task on the user-interface thread once it is free. The one call
    // that may come from any thread: work done elsewhere reports back by it.
    virtual void post(std::function<void()> task) = 0;
    // Arms a one-shot timer (again) or disarms it; the back end calls
    // timer.fire() when the time is up.
    virtual void startTimer(Timer& timer, int ms) = 0;
    virtual void stopTimer(Timer& timer) = 0;
    // Common dialogs, printer and clipboard; none by default.
    virtual DesktopServices* services() { return nullptr; }
};

// The application object: creates the forms that live for the whole run,
// runs the program, and shows any exception that escapes an event handler.
class Application {
  public:
    explicit Application(Backend& backend);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application& current();
    static bool exists();

    void Initialize() {}
    // Creates a form into its global pointer; the first is the main form.
    template <class T>
    void CreateForm(T*& ref) {
        auto form = std::make_unique<T>(nullptr);
        ref = form.get();
        adoptForm(std::move(form));
    }
    void Run();
    void Terminate();
    bool terminated() const { return m_terminated; }
    void ShowException(const std::exception& e);
    void ShowMessage(const std::string& text);
    // What a command did ("The graph was saved to ..."), in a box that does
    // not look like an error.
    void ShowInformation(const std::string& text) { m_backend.showInformation(text); }

    // Runs a reaction to a user action: an exception is shown in a message
    // box and the program goes on; afterwards a modal form whose result was
    // set closes.
    void dispatch(Form* form, const std::function<void()>& action);

    Form* MainForm() const { return m_forms.empty() ? nullptr : m_forms.front().get(); }
    const std::string& Title() const { return m_title; }
    Backend& backend() { return m_backend; }

  private:
    void adoptForm(std::unique_ptr<Form> form);
    Backend& m_backend;
    std::vector<std::unique_ptr<Form>> m_forms;
    std::string m_title = "Quorvin";
    bool m_terminated = false;
};

inline Application& app() {
    return Application::current();
}

}  // namespace platform
