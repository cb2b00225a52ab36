// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <memory>
#include <string>

#include "model/Outputs.h"
#include "platform/Dialogs.h"
#include "platform/Form.h"
#include "platform/Menu.h"
#include "platform/RichEdit.h"
#include "platform/richtext/RichText.h"

namespace forms {

class LogJournal;

// The report window: it holds the calculation log for the whole run. It is
// created hidden and shown from the main window's "View log" command; its
// own "Exit" and its frame only hide it.
class TReportFrm : public platform::Form, public model::LogSink {
  public:
    explicit TReportFrm(platform::Form* owner);
    std::string className() const override { return "TReportFrm"; }

    // Appends one line at the end of the log and marks it unsaved.
    void AddLogLine(std::string line) override;

    // The log: every line appended, in order, and whatever the user edited.
    const platform::RichDocument& document() const { return RichEdit1->document(); }

    // Set by every appended line; cleared only by a completed save.
    bool LogUnsaved = false;

    // The recovery copy of the log, when the program keeps one.
    void setJournal(LogJournal* journal) { m_journal = journal; }
    LogJournal* journal() const { return m_journal; }
    // A log entry's last line has been appended.
    void entryWritten();
    // The log is discarded by choice: its recovery copy goes.
    void discardLog();
    // A log found after a crash, put after what the window holds; the log
    // is then unsaved.
    void recoverLog(platform::RichDocument doc);

    platform::RichEdit* RichEdit1;

    platform::MenuItem* File1;
    platform::MenuItem* Save1;
    platform::MenuItem* Open1;
    platform::MenuItem* PrintSetup1;
    platform::MenuItem* Print1;
    platform::MenuItem* Exit1;
    platform::MenuItem* Edit1;
    platform::MenuItem* Cut1;
    platform::MenuItem* Copy1;
    platform::MenuItem* Paste1;
    platform::MenuItem* Find1;
    platform::MenuItem* Replace1;
    platform::MenuItem* Format1;
    platform::MenuItem* Font1;

    std::unique_ptr<platform::OpenDialog> OpenDialog1;
    std::unique_ptr<platform::SaveDialog> SaveDialog1;
    std::unique_ptr<platform::FontDialog> FontDialog1;
    std::unique_ptr<platform::PrinterSetupDialog> PrinterSetupDialog1;
    std::unique_ptr<platform::FindDialog> FindDialog1;
    std::unique_ptr<platform::ReplaceDialog> ReplaceDialog1;

    // Writes the log as RTF where the user chooses. A cancelled dialog
    // leaves the log marked unsaved; a failed write throws and leaves it so.
    void Save1Click(platform::MenuItem& sender);
    void Open1Click(platform::MenuItem& sender);
    void PrintSetup1Click(platform::MenuItem& sender);
    void Print1Click(platform::MenuItem& sender);
    void Exit1Click(platform::MenuItem& sender);
    void Cut1Click(platform::MenuItem& sender);
    void Copy1Click(platform::MenuItem& sender);
    void Paste1Click(platform::MenuItem& sender);
    void Find1Click(platform::MenuItem& sender);
    void Replace1Click(platform::MenuItem& sender);
    void Font1Click(platform::MenuItem& sender);
    void FindDialog1Close(platform::FindDialog& sender);
    void ReplaceDialog1Find(platform::FindDialog& sender);
    void ReplaceDialog1Replace(platform::FindDialog& sender);
    void FontDialog1Apply(platform::FontDialog& sender);
    void FontDialog1Close(platform::FontDialog& sender);

  private:
    void buildMenu();
    LogJournal* m_journal = nullptr;
    // Selects the first occurrence of text after the selection, or from the
    // start when nothing is selected.
    void findNext(const std::string& text);
};

extern TReportFrm* ReportFrm;

}  // namespace forms
