// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/Report.h"

#include <utility>
#include <vector>

#include "forms/LogJournal.h"
#include "platform/base/NumberText.h"

namespace forms {

using platform::MenuItem;

TReportFrm* ReportFrm = nullptr;

TReportFrm::TReportFrm(platform::Form* owner) : Form(owner, "ReportFrm") {
    setCaption("Report");
    // 696 x 480 outside; the frame and the menu bar take the rest.
    setClientSize(688, 434);
    RichEdit1 = add<platform::RichEdit>("RichEdit1");
    RichEdit1->setAlign(platform::Align::Client);
    RichEdit1->setScrollBars(platform::ScrollStyle::Vertical);
    RichEdit1->setWordWrap(true);
    RichEdit1->OnEdit = [this] {
        if (m_journal)
            m_journal->edited();
    };
    buildMenu();
    realign();

    OpenDialog1 = std::make_unique<platform::OpenDialog>(this, "OpenDialog1");
    SaveDialog1 = std::make_unique<platform::SaveDialog>(this, "SaveDialog1");
    SaveDialog1->DefaultExt = "RTF";
    FontDialog1 = std::make_unique<platform::FontDialog>(this, "FontDialog1");
    FontDialog1->OnApply = [this](platform::FontDialog& d) { FontDialog1Apply(d); };
    FontDialog1->OnClose = [this](platform::FontDialog& d) { FontDialog1Close(d); };
    PrinterSetupDialog1 =
        std::make_unique<platform::PrinterSetupDialog>(this, "PrinterSetupDialog1");
    FindDialog1 = std::make_unique<platform::FindDialog>(this, "FindDialog1");
    FindDialog1->OnClose = [this](platform::FindDialog& d) { FindDialog1Close(d); };
    ReplaceDialog1 = std::make_unique<platform::ReplaceDialog>(this, "ReplaceDialog1");
    ReplaceDialog1->OnFind = [this](platform::FindDialog& d) { ReplaceDialog1Find(d); };
    ReplaceDialog1->OnReplace = [this](platform::FindDialog& d) { ReplaceDialog1Replace(d); };
}

void TReportFrm::buildMenu() {
    platform::MainMenu* menu = createMenu();
    auto bind = [this](void (TReportFrm::*handler)(MenuItem&)) {
        return [this, handler](MenuItem& m) { (this->*handler)(m); };
    };
    File1 = menu->add("File1", "&File");
    Save1 = File1->add("Save1", "&Save", bind(&TReportFrm::Save1Click))
                ->setShortcut(platform::StandardKey::Save);
    Open1 = File1->add("Open1", "&Open", bind(&TReportFrm::Open1Click));
    File1->addSeparator();
    PrintSetup1 = File1->add("PrintSetup1", "P&rint setup...", bind(&TReportFrm::PrintSetup1Click));
    Print1 = File1->add("Print1", "&Print", bind(&TReportFrm::Print1Click));
    File1->addSeparator();
    Exit1 = File1->add("Exit1", "&Exit", bind(&TReportFrm::Exit1Click));

    Edit1 = menu->add("Edit1", "&Edit");
    Cut1 = Edit1->add("Cut1", "C&ut", bind(&TReportFrm::Cut1Click))
               ->setShortcut(platform::StandardKey::Cut);
    Copy1 = Edit1->add("Copy1", "&Copy", bind(&TReportFrm::Copy1Click))
                ->setShortcut(platform::StandardKey::Copy);
    Paste1 = Edit1->add("Paste1", "&Paste", bind(&TReportFrm::Paste1Click))
                 ->setShortcut(platform::StandardKey::Paste);
    Edit1->addSeparator();
    Find1 = Edit1->add("Find1", "&Find...", bind(&TReportFrm::Find1Click));
    Replace1 = Edit1->add("Replace1", "&Replace...", bind(&TReportFrm::Replace1Click));

    Format1 = menu->add("Format1", "F&ormat");
    Font1 = Format1->add("Font1", "&Font...", bind(&TReportFrm::Font1Click));
}

void TReportFrm::AddLogLine(std::string line) {
    RichEdit1->appendLine(line);
    LogUnsaved = true;
}

void TReportFrm::Save1Click(MenuItem&) {
    SaveDialog1->Title = "Save Marlix log";
    if (!SaveDialog1->Execute())
        return;
    platform::ForceCurrentDirectory = true;
    RichEdit1->SaveToFile(SaveDialog1->FileName);
    LogUnsaved = false;
    if (m_journal)
        m_journal->removeCopy();
}

void TReportFrm::entryWritten() {
    if (m_journal)
        m_journal->entryWritten();
}

void TReportFrm::discardLog() {
    if (m_journal)
        m_journal->removeCopy();
}

void TReportFrm::recoverLog(platform::RichDocument doc) {
    platform::RichDocument all = RichEdit1->document();
    const auto& held = all.paragraphs();
    if (held.size() == 1 && held.front().size() == 0)
        all.clear();
    std::vector<platform::Paragraph> lines = doc.paragraphs();
    all.replaceParagraphs(all.paragraphs().size(), 0, std::move(lines));
    RichEdit1->setDocument(std::move(all));
    LogUnsaved = true;
}

void TReportFrm::Open1Click(MenuItem&) {
    OpenDialog1->Title = "Open Marlix log";
    OpenDialog1->DefaultExt = "RTF";
    OpenDialog1->FileName = "*.rtf";
    if (OpenDialog1->Execute())
        RichEdit1->LoadFromFile(OpenDialog1->FileName);
}

void TReportFrm::PrintSetup1Click(MenuItem&) {
    PrinterSetupDialog1->Execute();
}

void TReportFrm::Print1Click(MenuItem&) {
    RichEdit1->Print("Marlix log: " + platform::DateToStr(platform::Now()));
}

void TReportFrm::Exit1Click(MenuItem&) {
    Hide();
}

void TReportFrm::Cut1Click(MenuItem&) {
    RichEdit1->CutToClipboard();
}

void TReportFrm::Copy1Click(MenuItem&) {
    RichEdit1->CopyToClipboard();
}

void TReportFrm::Paste1Click(MenuItem&) {
    RichEdit1->PasteFromClipboard();
}

void TReportFrm::Find1Click(MenuItem&) {
    const platform::Rect& r = RichEdit1->bounds();
    FindDialog1->SetPosition({r.left + r.width, r.top});
    FindDialog1->Execute();
}

void TReportFrm::Replace1Click(MenuItem&) {
    const platform::Rect& r = RichEdit1->bounds();
    ReplaceDialog1->SetPosition({r.left + r.width, r.top});
    ReplaceDialog1->Execute();
}

void TReportFrm::findNext(const std::string& text) {
    const int start =
        RichEdit1->SelLength() != 0 ? RichEdit1->SelStart() + RichEdit1->SelLength() : 0;
    const int found =
        RichEdit1->FindText(text, start, RichEdit1->length() - start, platform::stMatchCase);
    if (found == -1)
        return;
    RichEdit1->SetFocus();
    RichEdit1->setSelection(found, static_cast<int>(text.size()));
}

void TReportFrm::FindDialog1Close(platform::FindDialog&) {
    findNext(FindDialog1->FindText);
}

void TReportFrm::ReplaceDialog1Find(platform::FindDialog&) {
    findNext(ReplaceDialog1->FindText);
}

void TReportFrm::ReplaceDialog1Replace(platform::FindDialog&) {
    const std::string& what = ReplaceDialog1->FindText;
    if (what.empty())
        return;
    const std::string text = RichEdit1->Text();
    if (!(ReplaceDialog1->Options & platform::frReplaceAll)) {
        const auto at = text.find(what);
        if (at == std::string::npos)
            return;
        RichEdit1->setSelection(static_cast<int>(at), static_cast<int>(what.size()));
        RichEdit1->SetSelText(ReplaceDialog1->ReplaceText);
        return;
    }
    // Every occurrence, left to right and not overlapping, found in the text
    // as it was; replaced from the last one back so that the earlier
    // positions stay valid.
    std::vector<std::size_t> found;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        found.push_back(at);
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        RichEdit1->setSelection(static_cast<int>(*it), static_cast<int>(what.size()));
        RichEdit1->SetSelText(ReplaceDialog1->ReplaceText);
    }
}

void TReportFrm::Font1Click(MenuItem&) {
    FontDialog1->Options |= platform::fdApplyButton;
    FontDialog1->Execute();
}

void TReportFrm::FontDialog1Apply(platform::FontDialog&) {
    RichEdit1->SetSelAttributes(FontDialog1->Font);
}

void TReportFrm::FontDialog1Close(platform::FontDialog&) {
    RichEdit1->SetDefAttributes(FontDialog1->Font);
}

}  // namespace forms
