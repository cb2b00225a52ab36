// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/Graph.h"

namespace platform::headless {

// Answers one modal dialog: it acts on the dialog as a user would (types,
// presses keys, clicks) and must leave it closed.
using DialogScript = std::function<void(Form& dialog)>;
// Answers one common dialog (file, font, printer set-up): it sets what the
// user chose and returns true for OK, false for Cancel.
using CommonDialogScript = std::function<bool(CommonDialog& dialog)>;

// A print job as the printer received it.
struct PrintJob {
    std::string title;
    std::string text;
    PrinterChoice printer;
    bool landscape = false;
};

// The back end of the tests. Windows are plain state; each modal dialog
// takes the next queued script, and a dialog that opens without one, or
// stays open after its script, ends the test with a ScriptFailure.
class HeadlessBackend : public Backend, public DesktopServices {
  public:
    // Queues the answer to the next modal dialog; it must be of this class
    // ("TNumberEntry"). Scripts are used in the order the dialogs open.
    void expectModal(std::string className, DialogScript script);
    template <class T>
    void expect(std::string className, std::function<void(T&)> script) {
        expectModal(std::move(className),
                    [s = std::move(script)](Form& f) { s(dynamic_cast<T&>(f)); });
    }
    // Queues the answer to the next common dialog, in the same order as the
    // modal dialogs.
    void expectDialog(std::string className, CommonDialogScript script);
    template <class T>
    void expectDialog(std::string className, std::function<bool(T&)> script) {
        expectDialog(std::move(className),
                     [s = std::move(script)](CommonDialog& d) { return s(dynamic_cast<T&>(d)); });
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
    void post(std::function<void()> task) override;
    // Runs the tasks posted so far and those they post, as an event loop
    // would; returns how many ran.
    int runPosted();
    // Runs posted tasks as they come until done() holds; false when it does
    // not within the time.
    bool runPostedUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Timers keep no time here: a test fires them when it means the time
    // to be up.
    void startTimer(Timer& timer, int ms) override;
    void stopTimer(Timer& timer) override;
    // Fires every timer armed now, in the order they were armed; returns
    // how many fired.
    int fireTimers();
    std::size_t armedTimers() const { return m_timers.size(); }
    DesktopServices* services() override { return this; }

    // The common dialogs, the printer and the clipboard.
    bool runFileDialog(FileDialog& dialog) override { return runCommon(dialog); }
    bool runFontDialog(FontDialog& dialog) override { return runCommon(dialog); }
    bool runPrinterSetup(PrinterSetupDialog& dialog) override { return runCommon(dialog); }
    void showFindDialog(FindDialog& dialog) override;
    void hideFindDialog(FindDialog& dialog) override;
    void forgetFindDialog(FindDialog& dialog) override { hideFindDialog(dialog); }
    PrinterChoice currentPrinter() override { return m_printer; }
    void setCurrentPrinter(const PrinterChoice& choice) override { m_printer = choice; }
    void printRichText(const RichDocument& doc, const std::string& title) override;
    // A graph's job holds its title, its points as "x y" lines (a line
    // chart's curve after curve) and its caption last.
    void printGraph(Graph& graph, bool landscape) override;
    void copyGraphImage(Graph& graph) override { m_graphCopies.push_back(&graph); }
    const std::vector<Graph*>& graphCopies() const { return m_graphCopies; }
    // Images are not drawn here: each save is kept with the caption it had.
    struct SavedImage {
        Graph* graph;
        ImageRequest request;
        std::string caption;
    };
    void saveGraphImage(Graph& graph, const ImageRequest& request) override;
    const std::vector<SavedImage>& savedImages() const { return m_savedImages; }
    void setClipboard(const ClipboardText& text) override { m_clipboard = text; }
    ClipboardText clipboard() override { return m_clipboard; }
    void showUserGuide() override { ++m_userGuideShown; }
    int userGuideShown() const { return m_userGuideShown; }

    // The find and replace dialogs now shown, in the order they opened.
    const std::vector<FindDialog*>& shownFindDialogs() const { return m_findDialogs; }
    const std::vector<PrintJob>& printJobs() const { return m_printJobs; }
    // The next print job fails with this reason, as a printer error would.
    void failNextPrint(std::string reason) { m_printFailure = std::move(reason); }

  private:
    struct Pending {
        std::string className;
        DialogScript script;
        CommonDialogScript common;
    };
    Pending takeScript(const std::string& className, const std::string& who);
    bool runCommon(CommonDialog& dialog);
    std::vector<Timer*> m_timers;
    std::vector<FindDialog*> m_findDialogs;
    std::vector<PrintJob> m_printJobs;
    int m_userGuideShown = 0;
    std::vector<Graph*> m_graphCopies;
    std::vector<SavedImage> m_savedImages;
    std::string m_printFailure;
    PrinterChoice m_printer{"Default printer", ""};
    ClipboardText m_clipboard;
    std::deque<Pending> m_scripts;
    std::mutex m_postedMutex;
    std::condition_variable m_postedArrived;
    std::deque<std::function<void()>> m_posted;
    std::vector<std::string> m_history;
    std::vector<std::string> m_messages;
    bool m_terminated = false;
};

// Types each character as a key press.
void typeText(Edit& edit, std::string_view text);
// Clears an edit as a user would: End, then Backspace until it is empty.
void clearByBackspace(Edit& edit);

}  // namespace platform::headless
