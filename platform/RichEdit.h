// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Control.h"
#include "platform/richtext/RichText.h"

namespace platform {

// Options of RichEdit::FindText.
enum SearchType : unsigned { stWholeWord = 1, stMatchCase = 2 };

enum class ScrollStyle { None, Horizontal, Vertical, Both };

CharFormat toCharFormat(const Font& f);
Font toFont(const CharFormat& f);

// What the last change of the document did, for the peer: the lines
// [first, first + removed) of the document before it are now the lines
// [first, first + added). A reset replaced everything.
struct RichEditChange {
    bool reset = true;
    std::size_t first = 0;
    std::size_t removed = 0;
    std::size_t added = 0;
};

// A multi-line rich-text editor. The control holds the document, the
// selection and the character attributes; a peer shows them and reports the
// user's edits back as replaced lines.
//
// Positions count bytes of Text(), with each line break as CR LF, as the
// document does.
class RichEdit : public Control {
  public:
    RichEdit(Control* parent, std::string name);
    std::string className() const override { return "TRichEdit"; }

    const RichDocument& document() const { return m_doc; }
    // Replaces the whole document; the caret goes to the start.
    void setDocument(RichDocument doc);
    // A new last line in the default attributes. An editor that shows
    // nothing but an empty line takes it there.
    void appendLine(std::string_view text);
    void Clear();

    std::string Text() const;
    int length() const { return static_cast<int>(m_doc.length()); }

    int SelStart() const { return m_selStart; }
    int SelLength() const { return m_selLength; }
    void SetSelStart(int pos) { setSelection(pos, 0); }
    void SetSelLength(int length) { setSelection(m_selStart, length); }
    void setSelection(int start, int length);
    std::string SelText() const;
    // Replaces the selection; the caret stands after the new text.
    void SetSelText(std::string_view text);

    // The first occurrence of text within [start, start + length), or -1.
    // Without stMatchCase, ASCII letters match either case.
    int FindText(std::string_view text, int start, int length, unsigned options) const;

    // The attributes of the selection's first character; with an empty
    // selection, what typing at the caret gives.
    CharFormat selAttributes() const;
    // Formats the selection; with an empty selection, what is typed next.
    void SetSelAttributes(const Font& font);
    // What new text gets where nothing else decides: appended lines, and
    // typing into an empty editor.
    const CharFormat& defAttributes() const { return m_defAttributes; }
    void SetDefAttributes(const Font& font);

    ScrollStyle scrollBars() const { return m_scrollBars; }
    void setScrollBars(ScrollStyle s);
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on);

    // Throw platform::Exception naming the path and the reason; the
    // document is unchanged after a failed load.
    void LoadFromFile(const std::filesystem::path& path);
    void SaveToFile(const std::filesystem::path& path) const;
    void Print(const std::string& title) const;

    void CutToClipboard();
    void CopyToClipboard() const;
    void PasteFromClipboard();

    // Gives the editor the input focus.
    void SetFocus();
    bool focusRequested() const { return m_focusRequested; }

    // The user's actions, from the peer or a test.
    void userSelect(int start, int length);
    // Typing: the text replaces the selection.
    void userType(std::string_view text);
    // An edit the peer's widget made: count lines from first are now these.
    void userReplaceLines(std::size_t first, std::size_t count, std::vector<Paragraph> lines);
    // A paste from the peer's widget: RTF when there is some, else plain.
    void userPaste(const std::string& plain, const std::string& rtf);

    const RichEditChange& lastChange() const { return m_change; }
    // After every change of the document other than appendLine: the user's
    // edits, and a document loaded or set.
    std::function<void()> OnEdit;
    // The selection as a document of its own (for copying).
    RichDocument selectionDocument() const;

  private:
    void clampSelection();
    // Runs an edit of the document that touches [start, start + count) and
    // tells the peer which lines changed.
    template <class Edit>
    void editRange(std::size_t start, std::size_t count, Edit edit);
    void insertDocument(std::size_t pos, const RichDocument& fragment);
    void notifyLines(std::size_t first, std::size_t removed, std::size_t added);
    void edited();

    RichDocument m_doc;
    int m_selStart = 0;
    int m_selLength = 0;
    CharFormat m_defAttributes;
    std::optional<CharFormat> m_typingFormat;
    ScrollStyle m_scrollBars = ScrollStyle::Vertical;
    bool m_wordWrap = true;
    bool m_focusRequested = false;
    RichEditChange m_change;
};

}  // namespace platform
