// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Control.h"

namespace platform {

class Graph;
class Form;
struct ImageRequest;
class RichDocument;
class CommonDialog;
class FileDialog;
class FontDialog;
class FindDialog;
class PrinterSetupDialog;

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point, Point) = default;
};

// When on, file dialogs start in the current working directory rather than
// where the last one left off. The program switches it on after a save.
extern bool ForceCurrentDirectory;

// The printer that every print job goes to. With an output file the job is
// written there as PDF instead of going to a device.
struct PrinterChoice {
    std::string name;
    std::string outputFile;
    friend bool operator==(const PrinterChoice&, const PrinterChoice&) = default;
};

// What the clipboard holds as text: plain, and the same as RTF when it came
// from a rich-text editor.
struct ClipboardText {
    std::string plain;
    std::string rtf;
};

// What a back end provides besides windows: the common dialogs, the printer
// and the clipboard.
class DesktopServices {
  public:
    virtual ~DesktopServices() = default;
    // Modal; true when the user confirmed. The file name is the dialog's
    // FileName, set on confirmation.
    virtual bool runFileDialog(FileDialog& dialog) = 0;
    // Modal; the Apply button calls dialog.userApply. True on OK, with the
    // chosen font in dialog.Font.
    virtual bool runFontDialog(FontDialog& dialog) = 0;
    // Modal; on confirmation the choice becomes the current printer.
    virtual bool runPrinterSetup(PrinterSetupDialog& dialog) = 0;
    // Modeless: the dialog reports the user's actions through its user*
    // operations.
    virtual void showFindDialog(FindDialog& dialog) = 0;
    virtual void hideFindDialog(FindDialog& dialog) = 0;
    // The dialog object is going away.
    virtual void forgetFindDialog(FindDialog& dialog) = 0;

    virtual PrinterChoice currentPrinter() = 0;
    virtual void setCurrentPrinter(const PrinterChoice& choice) = 0;
    // One print job on the current printer; throws platform::Exception when
    // it cannot be printed.
    virtual void printRichText(const RichDocument& doc, const std::string& title) = 0;
    // The graph and its caption on one page of the current printer.
    virtual void printGraph(Graph& graph, bool landscape) = 0;
    // The graph and its caption on the clipboard as SVG, with a PNG beside it.
    virtual void copyGraphImage(Graph& graph) = 0;
    // The graph and its caption in a file; throws platform::Exception,
    // naming the file, when it cannot be written.
    virtual void saveGraphImage(Graph& graph, const ImageRequest& request) = 0;

    virtual void setClipboard(const ClipboardText& text) = 0;
    virtual ClipboardText clipboard() = 0;

    // Opens the installed user guide beside the program; throws
    // platform::Exception, naming where it looked, when it cannot.
    virtual void showUserGuide() = 0;
};

// The services of the running application's back end.
DesktopServices& services();

// A dialog that is no window of the program's own: the back end shows the
// system's one, or answers it from a test script.
class CommonDialog {
  public:
    CommonDialog(Form* owner, std::string name) : m_owner(owner), m_name(std::move(name)) {}
    virtual ~CommonDialog() = default;
    CommonDialog(const CommonDialog&) = delete;
    CommonDialog& operator=(const CommonDialog&) = delete;
    virtual std::string className() const = 0;
    Form* owner() const { return m_owner; }
    const std::string& name() const { return m_name; }

  private:
    Form* m_owner;
    std::string m_name;
};

class FileDialog : public CommonDialog {
  public:
    using CommonDialog::CommonDialog;
    virtual bool isSave() const = 0;
    std::string Title;
    // Added with a point to a name that has no extension.
    std::string DefaultExt;
    // The name the dialog offers; a pattern such as "*.rtf" lists the files
    // that match it. After Execute, the chosen path.
    std::string FileName;
    // The kinds of file to choose from, as "description|pattern" pairs joined
    // by "|" ("PNG image|*.png|PDF document|*.pdf"), and the chosen one,
    // counted from 1; it is set again on confirmation.
    std::string Filter;
    int FilterIndex = 1;
    // An open dialog that takes several files: after Execute, Files holds
    // every one chosen, FileName the first.
    bool AllowMultiSelect = false;
    std::vector<std::string> Files;
    bool Execute();
};

class OpenDialog : public FileDialog {
  public:
    using FileDialog::FileDialog;
    std::string className() const override { return "TOpenDialog"; }
    bool isSave() const override { return false; }
};

class SaveDialog : public FileDialog {
  public:
    using FileDialog::FileDialog;
    std::string className() const override { return "TSaveDialog"; }
    bool isSave() const override { return true; }
};

enum FontDialogOption : unsigned { fdApplyButton = 1 };

class FontDialog : public CommonDialog {
  public:
    using CommonDialog::CommonDialog;
    std::string className() const override { return "TFontDialog"; }
    platform::Font Font;
    unsigned Options = 0;
    // After Apply, with Font the font shown in the dialog.
    std::function<void(FontDialog& sender)> OnApply;
    // When the dialog has closed, by OK or by Cancel.
    std::function<void(FontDialog& sender)> OnClose;
    // Runs the dialog; OnClose follows in either case. Cancel keeps the font
    // of the last Apply, or the one the dialog started with.
    bool Execute();

    // The Apply button, with the font the dialog shows.
    void userApply(const platform::Font& shown);

  private:
    platform::Font m_committed;
};

enum FindOption : unsigned {
    frDown = 1,
    frFindNext = 2,
    frMatchCase = 4,
    frWholeWord = 8,
    frReplace = 16,
    frReplaceAll = 32,
};

// The modeless find dialog. Its buttons set the options that say which one
// was pressed, then call the handler.
class FindDialog : public CommonDialog {
  public:
    FindDialog(Form* owner, std::string name);
    ~FindDialog() override;
    std::string className() const override { return "TFindDialog"; }
    virtual bool isReplace() const { return false; }

    std::string FindText;
    unsigned Options = frDown;
    // Top-left corner on the screen.
    Point position() const { return m_position; }
    void SetPosition(Point p) { m_position = p; }
    bool visible() const { return m_visible; }

    // The find-next button.
    std::function<void(FindDialog& sender)> OnFind;
    std::function<void(FindDialog& sender)> OnClose;

    // Shows it modelessly (again, if it is already shown).
    void Execute();
    void CloseDialog();

    // The user's actions.
    void userEditFindText(const std::string& text) { FindText = text; }
    void userSetOption(FindOption option, bool on);
    void userFindNext();
    void userClose();

  protected:
    void run(const std::function<void()>& action);

  private:
    Point m_position;
    bool m_visible = false;
};

class ReplaceDialog : public FindDialog {
  public:
    using FindDialog::FindDialog;
    std::string className() const override { return "TReplaceDialog"; }
    bool isReplace() const override { return true; }

    std::string ReplaceText;
    std::function<void(FindDialog& sender)> OnReplace;

    void userEditReplaceText(const std::string& text) { ReplaceText = text; }
    // The Replace button, or Replace All when all is true.
    void userReplace(bool all);
};

class PrinterSetupDialog : public CommonDialog {
  public:
    using CommonDialog::CommonDialog;
    std::string className() const override { return "TPrinterSetupDialog"; }
    bool Execute();
};

}  // namespace platform
