#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Application.h"
#include "platform/Form.h"

namespace platform::headless {

// Answers one modal dialog: it acts on the dialog as a user would (types,
// presses keys, clicks) and must leave it closed.
using DialogScript = std::function<void(Form& dialog)>;

// The back end of the tests. Windows are plain state; each modal dialog
// takes the next queued script, and a dialog that opens without one, or
// stays open after its script, ends the test with a ScriptFailure.
class HeadlessBackend : public Backend {
  public:
    // Queues the answer to the next modal dialog; it must be of this class
    // ("TNumberEntry"). Scripts are used in the order the dialogs open.
    void expectModal(std::string className, DialogScript script);
    template <class T>
    void expect(std::string className, std::function<void(T&)> script) {
        expectModal(std::move(className),
                    [s = std::move(script)](Form& f) { s(dynamic_cast<T&>(f)); });
    }
    size_t pendingScripts() const { return m_scripts.size(); }
    // Class names of the modal dialogs opened so far, in order.
    const std::vector<std::string>& dialogHistory() const { return m_history; }

    // Message boxes shown so far (their texts); take them to acknowledge.
    const std::vector<std::string>& messages() const { return m_messages; }
    std::vector<std::string> takeMessages();

    bool terminated() const { return m_terminated; }

    void formCreated(Form&) override {}
    void formDestroyed(Form&) override {}
    ModalResult runModal(Form& form) override;
    void showForm(Form& form) override;
    void hideForm(Form& form) override;
    void showMessage(const std::string& text) override { m_messages.push_back(text); }
    void run(Form& mainForm) override { showForm(mainForm); }
    void terminate() override { m_terminated = true; }

  private:
    struct Pending {
        std::string className;
        DialogScript script;
    };
    std::deque<Pending> m_scripts;
    std::vector<std::string> m_history;
    std::vector<std::string> m_messages;
    bool m_terminated = false;
};

// Types each character as a key press.
void typeText(Edit& edit, std::string_view text);
// Clears an edit as a user would: End, then Backspace until it is empty.
void clearByBackspace(Edit& edit);

}  // namespace platform::headless
