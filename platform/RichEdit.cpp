// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/RichEdit.h"

#include <algorithm>
#include <cmath>

#include "platform/Dialogs.h"
#include "platform/richtext/Rtf.h"

namespace platform {

CharFormat toCharFormat(const Font& f) {
    CharFormat c;
    c.face = f.name;
    c.halfPoints = std::max(2, f.size * 2);
    c.bold = f.bold;
    c.italic = f.italic;
    c.underline = f.underline;
    c.strikeOut = f.strikeOut;
    c.color = f.color;
    return c;
}

Font toFont(const CharFormat& c) {
    Font f;
    f.name = c.face;
    f.size = std::max(1, static_cast<int>(std::lround(c.points())));
    f.bold = c.bold;
    f.italic = c.italic;
    f.underline = c.underline;
    f.strikeOut = c.strikeOut;
    f.color = c.color;
    return f;
}

namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ||
           (u >= 'a' && u <= 'z') || u == '_';
}

}  // namespace

RichEdit::RichEdit(Control* parent, std::string name) : Control(parent, std::move(name)) {
    setColor(clWhite);
    setTabStop(true);
    m_defAttributes = toCharFormat(font());
}

void RichEdit::notifyLines(std::size_t first, std::size_t removed, std::size_t added) {
    m_change = RichEditChange{false, first, removed, added};
    notify(Property::Content);
}

template <class EditFn>
void RichEdit::editRange(std::size_t start, std::size_t count, EditFn edit) {
    const std::size_t oldCount = m_doc.paragraphs().size();
    const std::size_t a = m_doc.locate(start).paragraph;
    const std::size_t b = m_doc.locate(start + count).paragraph;
    edit();
    const std::size_t newCount = m_doc.paragraphs().size();
    if (oldCount == 0) {
        m_change = RichEditChange{};
        notify(Property::Content);
        edited();
        return;
    }
    const std::size_t removed = b - a + 1;
    notifyLines(a, removed, removed + newCount - oldCount);
    edited();
}

void RichEdit::setDocument(RichDocument doc) {
    m_doc = std::move(doc);
    m_typingFormat.reset();
    m_change = RichEditChange{};
    notify(Property::Content);
    setSelection(0, 0);
    edited();
}

void RichEdit::appendLine(std::string_view text) {
    const auto& paras = m_doc.paragraphs();
    if (paras.size() == 1 && paras.front().size() == 0) {
        m_doc.replaceParagraphs(0, 1, {Paragraph{{TextRun{{}, m_defAttributes}}}});
        m_doc.appendText(text, m_defAttributes);
        notifyLines(0, 1, m_doc.paragraphs().size());
        return;
    }
    const std::size_t first = paras.size();
    m_doc.appendLine(text, m_defAttributes);
    if (first == 0) {
        m_change = RichEditChange{};
        notify(Property::Content);
        return;
    }
    notifyLines(first, 0, m_doc.paragraphs().size() - first);
}

void RichEdit::edited() {
    if (OnEdit)
        OnEdit();
}

void RichEdit::Clear() {
    setDocument(RichDocument{});
}

std::string RichEdit::Text() const {
    return m_doc.plainText();
}

void RichEdit::clampSelection() {
    const int len = length();
    const int start = std::clamp(m_selStart, 0, len);
    const int end = std::clamp(m_selStart + std::max(0, m_selLength), start, len);
    // Never inside a line break or a UTF-8 sequence.
    m_selStart = static_cast<int>(m_doc.position(m_doc.locate(static_cast<std::size_t>(start))));
    const int snappedEnd =
        static_cast<int>(m_doc.position(m_doc.locate(static_cast<std::size_t>(end))));
    m_selLength = std::max(0, snappedEnd - m_selStart);
}

void RichEdit::setSelection(int start, int length) {
    m_selStart = start;
    m_selLength = length;
    clampSelection();
    m_typingFormat.reset();
    notify(Property::Selection);
}

void RichEdit::userSelect(int start, int length) {
    const int oldStart = m_selStart, oldLength = m_selLength;
    m_selStart = start;
    m_selLength = length;
    clampSelection();
    if (m_selStart != oldStart || m_selLength != oldLength)
        m_typingFormat.reset();
}

std::string RichEdit::SelText() const {
    if (m_selLength == 0)
        return {};
    return selectionDocument().plainText();
}

RichDocument RichEdit::selectionDocument() const {
    RichDocument out;
    if (m_selLength == 0 || m_doc.empty())
        return out;
    const TextPosition a = m_doc.locate(static_cast<std::size_t>(m_selStart));
    const TextPosition b = m_doc.locate(static_cast<std::size_t>(m_selStart + m_selLength));
    for (std::size_t i = a.paragraph; i <= b.paragraph; ++i) {
        const Paragraph& p = m_doc.paragraphs()[i];
        const std::size_t lo = i == a.paragraph ? a.offset : 0;
        const std::size_t hi = i == b.paragraph ? b.offset : p.size();
        Paragraph piece;
        std::size_t at = 0;
        for (const TextRun& run : p.runs) {
            const std::size_t from = std::max(lo, at), to = std::min(hi, at + run.text.size());
            if (from < to)
                piece.runs.push_back(TextRun{run.text.substr(from - at, to - from), run.format});
            at += run.text.size();
        }
        if (piece.runs.empty())
            piece.runs.push_back(TextRun{
                {}, lo < p.size() || p.size() == 0 ? p.runs.front().format : p.runs.back().format});
        std::vector<Paragraph> one{std::move(piece)};
        out.replaceParagraphs(out.paragraphs().size(), 0, std::move(one));
    }
    return out;
}

void RichEdit::SetSelText(std::string_view text) {
    const auto start = static_cast<std::size_t>(m_selStart);
    const auto count = static_cast<std::size_t>(m_selLength);
    if (text.empty() && count == 0)
        return;
    const std::optional<CharFormat> typing = m_typingFormat;
    editRange(start, count, [&] {
        if (m_doc.empty()) {
            m_doc.appendText(text, typing.value_or(m_defAttributes));
        } else if (typing && count == 0) {
            m_doc.insert(start, text, *typing);
        } else {
            m_doc.replace(start, count, text);
        }
    });
    // The caret after the new text: its length as the document counts it.
    const std::size_t before = start;
    RichDocument probe;
    probe.appendText(text);
    setSelection(static_cast<int>(before + probe.length()), 0);
    if (typing && count == 0)
        m_typingFormat = typing;
}

void RichEdit::userType(std::string_view text) {
    if (!enabled())
        return;
    SetSelText(text);
}

void RichEdit::userReplaceLines(std::size_t first, std::size_t count,
                                std::vector<Paragraph> lines) {
    const std::size_t oldCount = m_doc.paragraphs().size();
    first = std::min(first, oldCount);
    count = std::min(count, oldCount - first);
    const std::size_t added = lines.size();
    m_doc.replaceParagraphs(first, count, std::move(lines));
    m_change = RichEditChange{false, first, count, added};
    // The peer made this change itself: it is told nothing.
    clampSelection();
    edited();
}

int RichEdit::FindText(std::string_view text, int start, int length, unsigned options) const {
    if (text.empty())
        return -1;
    const std::string all = Text();
    const std::size_t from =
        static_cast<std::size_t>(std::clamp(start, 0, static_cast<int>(all.size())));
    const std::size_t to =
        std::min(all.size(), from + static_cast<std::size_t>(std::max(0, length)));
    if (to - from < text.size())
        return -1;
    const bool matchCase = options & stMatchCase;
    const bool wholeWord = options & stWholeWord;
    for (std::size_t i = from; i + text.size() <= to; ++i) {
        bool same = true;
        for (std::size_t k = 0; k < text.size() && same; ++k)
            same =
                matchCase ? all[i + k] == text[k] : lowerAscii(all[i + k]) == lowerAscii(text[k]);
        if (!same)
            continue;
        if (wholeWord && ((i > 0 && isWordByte(all[i - 1]) && isWordByte(text.front())) ||
                          (i + text.size() < all.size() && isWordByte(all[i + text.size()]) &&
                           isWordByte(text.back()))))
            continue;
        return static_cast<int>(i);
    }
    return -1;
}

CharFormat RichEdit::selAttributes() const {
    if (m_doc.empty())
        return m_typingFormat.value_or(m_defAttributes);
    if (m_selLength == 0 && m_typingFormat)
        return *m_typingFormat;
    if (m_selLength == 0)
        return m_doc.formatAt(static_cast<std::size_t>(m_selStart));
    // The first selected character's.
    return m_doc.formatAt(static_cast<std::size_t>(m_selStart) + 1);
}

void RichEdit::SetSelAttributes(const Font& font) {
    const CharFormat format = toCharFormat(font);
    if (m_selLength == 0) {
        m_typingFormat = format;
        notify(Property::Selection);
        return;
    }
    const auto start = static_cast<std::size_t>(m_selStart);
    const auto count = static_cast<std::size_t>(m_selLength);
    editRange(start, count, [&] { m_doc.setFormat(start, count, format); });
}

void RichEdit::SetDefAttributes(const Font& font) {
    m_defAttributes = toCharFormat(font);
    notify(Property::Font);
}

void RichEdit::setScrollBars(ScrollStyle s) {
    m_scrollBars = s;
    notify(Property::Layout);
}

void RichEdit::setWordWrap(bool on) {
    m_wordWrap = on;
    notify(Property::Layout);
}

void RichEdit::LoadFromFile(const std::filesystem::path& path) {
    setDocument(loadRtfFile(path));
}

void RichEdit::SaveToFile(const std::filesystem::path& path) const {
    saveRtfFile(path, m_doc);
}

void RichEdit::Print(const std::string& title) const {
    services().printRichText(m_doc, title);
}

void RichEdit::CopyToClipboard() const {
    if (m_selLength == 0)
        return;
    const RichDocument piece = selectionDocument();
    services().setClipboard(ClipboardText{piece.plainText(), writeRtf(piece)});
}

void RichEdit::CutToClipboard() {
    if (m_selLength == 0)
        return;
    CopyToClipboard();
    SetSelText({});
}

void RichEdit::PasteFromClipboard() {
    const ClipboardText clip = services().clipboard();
    userPaste(clip.plain, clip.rtf);
}

void RichEdit::userPaste(const std::string& plain, const std::string& rtf) {
    if (rtf.empty()) {
        if (!plain.empty())
            SetSelText(plain);
        return;
    }
    const RichDocument fragment = readRtf(rtf);
    if (fragment.empty())
        return;
    const auto start = static_cast<std::size_t>(m_selStart);
    const auto count = static_cast<std::size_t>(m_selLength);
    editRange(start, count, [&] {
        m_doc.erase(start, count);
        insertDocument(start, fragment);
    });
    setSelection(static_cast<int>(start + fragment.length()), 0);
}

void RichEdit::insertDocument(std::size_t pos, const RichDocument& fragment) {
    const auto& paras = fragment.paragraphs();
    for (std::size_t i = 0; i < paras.size(); ++i) {
        if (i > 0) {
            m_doc.insert(pos, "\r\n", paras[i].runs.front().format);
            pos += 2;
        }
        for (const TextRun& run : paras[i].runs) {
            if (run.text.empty())
                continue;
            m_doc.insert(pos, run.text, run.format);
            pos += run.text.size();
        }
    }
}

void RichEdit::SetFocus() {
    m_focusRequested = true;
    notify(Property::Focus);
}

}  // namespace platform
