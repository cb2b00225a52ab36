// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/richtext/RichText.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace platform {

namespace {

constexpr std::size_t lineBreakSize = 2;  // CR LF

// A plain loop: find_first_of runs memchr over the set for every character.
std::size_t findLineBreak(std::string_view text, std::size_t from = 0) {
    for (std::size_t i = from; i < text.size(); ++i)
        if (text[i] == '\r' || text[i] == '\n')
            return i;
    return std::string_view::npos;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t from = 0;
    for (;;) {
        const std::size_t brk = findLineBreak(text, from);
        if (brk == std::string_view::npos) {
            lines.push_back(text.substr(from));
            return lines;
        }
        lines.push_back(text.substr(from, brk - from));
        from = brk + 1;
        if (text[brk] == '\r' && from < text.size() && text[from] == '\n')
            ++from;
    }
}

void appendRun(Paragraph& p, std::string_view text, const CharFormat& format) {
    if (text.empty())
        return;
    if (!p.runs.empty() && p.runs.back().format == format)
        p.runs.back().text.append(text);
    else
        p.runs.push_back(TextRun{std::string(text), format});
}

// Restores the paragraph's invariants after an edit: no empty runs except the
// sole run of an empty line (which gets emptyFormat), equal neighbours merged.
void normalize(Paragraph& p, const CharFormat& emptyFormat) {
    std::vector<TextRun> runs;
    runs.reserve(p.runs.size());
    for (TextRun& run : p.runs) {
        if (run.text.empty())
            continue;
        if (!runs.empty() && runs.back().format == run.format)
            runs.back().text += run.text;
        else
            runs.push_back(std::move(run));
    }
    if (runs.empty())
        runs.push_back(TextRun{{}, emptyFormat});
    p.runs = std::move(runs);
}

// Makes a run boundary at offset; returns the index of the run starting there.
std::size_t splitAt(Paragraph& p, std::size_t offset) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < p.runs.size(); ++i) {
        if (offset == start)
            return i;
        const std::size_t size = p.runs[i].text.size();
        if (offset < start + size) {
            TextRun tail{p.runs[i].text.substr(offset - start), p.runs[i].format};
            p.runs[i].text.resize(offset - start);
            p.runs.insert(p.runs.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
            return i + 1;
        }
        start += size;
    }
    return p.runs.size();
}

// The run holding the byte at offset (offset < p.size()).
const TextRun& runAt(const Paragraph& p, std::size_t offset) {
    for (const TextRun& run : p.runs) {
        if (offset < run.text.size())
            return run;
        offset -= run.text.size();
    }
    return p.runs.back();
}

bool isContinuationByte(const Paragraph& p, std::size_t offset) {
    if (offset >= p.size())
        return false;
    std::size_t within = offset;
    for (const TextRun& run : p.runs) {
        if (within < run.text.size())
            return (static_cast<unsigned char>(run.text[within]) & 0xC0) == 0x80;
        within -= run.text.size();
    }
    return false;
}

// The ends of the count bytes from start, cut to the document.
std::pair<TextPosition, TextPosition> locateRange(const RichDocument& doc, std::size_t start,
                                                  std::size_t count) {
    const std::size_t total = doc.length();
    start = std::min(start, total);
    return {doc.locate(start), doc.locate(start + std::min(count, total - start))};
}

}  // namespace

std::string Paragraph::text() const {
    std::string out;
    out.reserve(size());
    for (const TextRun& run : runs)
        out += run.text;
    return out;
}

std::size_t Paragraph::size() const {
    std::size_t n = 0;
    for (const TextRun& run : runs)
        n += run.text.size();
    return n;
}

std::size_t RichDocument::lineStart(std::size_t paragraph) const {
    while (m_starts.size() <= paragraph) {
        const std::size_t i = m_starts.size();
        m_starts.push_back(i == 0 ? 0
                                  : m_starts[i - 1] + m_paragraphs[i - 1].size() + lineBreakSize);
    }
    return m_starts[paragraph];
}

void RichDocument::touched(std::size_t paragraph) {
    if (m_starts.size() > paragraph + 1)
        m_starts.resize(paragraph + 1);
}

std::size_t RichDocument::length() const {
    if (m_paragraphs.empty())
        return 0;
    const std::size_t last = m_paragraphs.size() - 1;
    return lineStart(last) + m_paragraphs[last].size();
}

std::string RichDocument::plainText() const {
    std::string out;
    out.reserve(length());
    for (std::size_t i = 0; i < m_paragraphs.size(); ++i) {
        if (i > 0)
            out += "\r\n";
        for (const TextRun& run : m_paragraphs[i].runs)
            out += run.text;
    }
    return out;
}

TextPosition RichDocument::snap(TextPosition where) const {
    if (m_paragraphs.empty())
        return {};
    where.paragraph = std::min(where.paragraph, m_paragraphs.size() - 1);
    const Paragraph& p = m_paragraphs[where.paragraph];
    where.offset = std::min(where.offset, p.size());
    for (int step = 0; step < 3 && where.offset > 0 && isContinuationByte(p, where.offset); ++step)
        --where.offset;
    return where;
}

TextPosition RichDocument::locate(std::size_t pos) const {
    if (m_paragraphs.empty())
        return {};
    lineStart(m_paragraphs.size() - 1);
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), pos);
    const auto paragraph = static_cast<std::size_t>(std::distance(m_starts.begin(), after)) - 1;
    return snap({paragraph, pos - m_starts[paragraph]});
}

std::size_t RichDocument::position(TextPosition where) const {
    if (m_paragraphs.empty())
        return 0;
    where = snap(where);
    return lineStart(where.paragraph) + where.offset;
}

CharFormat RichDocument::formatAt(std::size_t pos) const {
    if (m_paragraphs.empty())
        return {};
    const TextPosition at = locate(pos);
    const Paragraph& p = m_paragraphs[at.paragraph];
    return at.offset > 0 ? runAt(p, at.offset - 1).format : p.runs.front().format;
}

CharFormat RichDocument::charFormatAfter(TextPosition where) const {
    const Paragraph& p = m_paragraphs[where.paragraph];
    if (where.offset < p.size())
        return runAt(p, where.offset).format;
    return where.offset > 0 ? runAt(p, where.offset - 1).format : p.runs.front().format;
}

void RichDocument::appendLine(std::string_view text, const CharFormat& format) {
    if (findLineBreak(text) == std::string_view::npos) {  // the log's case: one run, one copy
        m_paragraphs.emplace_back();
        m_paragraphs.back().runs.push_back(TextRun{std::string(text), format});
        return;
    }
    m_paragraphs.push_back(Paragraph{{TextRun{{}, format}}});
    appendText(text, format);
}

void RichDocument::appendText(std::string_view text, const CharFormat& format) {
    if (m_paragraphs.empty())
        m_paragraphs.push_back(Paragraph{{TextRun{{}, format}}});
    touched(m_paragraphs.size() - 1);
    const auto appendToLast = [&](std::string_view line) {
        Paragraph& last = m_paragraphs.back();
        if (line.empty())
            return;
        if (last.runs.size() == 1 && last.runs.front().text.empty())
            last.runs.front() = TextRun{std::string(line), format};
        else
            appendRun(last, line, format);
    };
    if (findLineBreak(text) == std::string_view::npos) {
        appendToLast(text);
        return;
    }
    const std::vector<std::string_view> lines = splitLines(text);
    appendToLast(lines.front());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        m_paragraphs.push_back(Paragraph{{TextRun{{}, format}}});
        appendToLast(lines[i]);
    }
}

void RichDocument::insert(std::size_t pos, std::string_view text, const CharFormat& format) {
    if (m_paragraphs.empty()) {
        appendText(text, format);
        return;
    }
    const TextPosition at = locate(pos);
    Paragraph& first = m_paragraphs[at.paragraph];
    const std::size_t split = splitAt(first, at.offset);
    std::vector<TextRun> tail(std::make_move_iterator(first.runs.begin() + split),
                              std::make_move_iterator(first.runs.end()));
    first.runs.erase(first.runs.begin() + split, first.runs.end());

    const std::vector<std::string_view> lines = splitLines(text);
    appendRun(first, lines.front(), format);
    std::vector<Paragraph> added;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        added.emplace_back();
        appendRun(added.back(), lines[i], format);
    }
    Paragraph& last = added.empty() ? first : added.back();
    for (TextRun& run : tail)
        appendRun(last, run.text, run.format);
    normalize(first, format);
    for (Paragraph& p : added)
        normalize(p, format);
    m_paragraphs.insert(m_paragraphs.begin() + static_cast<std::ptrdiff_t>(at.paragraph) + 1,
                        std::make_move_iterator(added.begin()),
                        std::make_move_iterator(added.end()));
    touched(at.paragraph);
}

void RichDocument::insert(std::size_t pos, std::string_view text) {
    insert(pos, text, formatAt(pos));
}

void RichDocument::erase(std::size_t start, std::size_t count) {
    if (m_paragraphs.empty() || count == 0)
        return;
    const auto [a, b] = locateRange(*this, start, count);
    if (a == b)
        return;
    const CharFormat emptyFormat = charFormatAfter(a);
    Paragraph& first = m_paragraphs[a.paragraph];
    const std::size_t from = splitAt(first, a.offset);
    if (a.paragraph == b.paragraph) {
        const std::size_t to = splitAt(first, b.offset);
        first.runs.erase(first.runs.begin() + from, first.runs.begin() + to);
    } else {
        first.runs.erase(first.runs.begin() + from, first.runs.end());
        Paragraph& lastPara = m_paragraphs[b.paragraph];
        const std::size_t keep = splitAt(lastPara, b.offset);
        for (std::size_t i = keep; i < lastPara.runs.size(); ++i)
            first.runs.push_back(std::move(lastPara.runs[i]));
        m_paragraphs.erase(m_paragraphs.begin() + static_cast<std::ptrdiff_t>(a.paragraph) + 1,
                           m_paragraphs.begin() + static_cast<std::ptrdiff_t>(b.paragraph) + 1);
    }
    normalize(m_paragraphs[a.paragraph], emptyFormat);
    touched(a.paragraph);
}

void RichDocument::replace(std::size_t start, std::size_t count, std::string_view text) {
    if (m_paragraphs.empty()) {
        appendText(text, CharFormat{});
        return;
    }
    const TextPosition at = locate(start);
    const CharFormat format = count > 0 ? charFormatAfter(at) : formatAt(start);
    const std::size_t pos = position(at);
    erase(start, count);
    insert(pos, text, format);
}

void RichDocument::setFormat(std::size_t start, std::size_t count, const CharFormat& format) {
    if (m_paragraphs.empty() || count == 0)
        return;
    const auto [a, b] = locateRange(*this, start, count);
    for (std::size_t i = a.paragraph; i <= b.paragraph; ++i) {
        Paragraph& p = m_paragraphs[i];
        if (p.size() == 0) {
            p.runs.front().format = format;
            continue;
        }
        const std::size_t lo = i == a.paragraph ? a.offset : 0;
        const std::size_t hi = i == b.paragraph ? b.offset : p.size();
        if (lo >= hi)
            continue;
        const std::size_t from = splitAt(p, lo);
        const std::size_t to = splitAt(p, hi);
        for (std::size_t r = from; r < to; ++r)
            p.runs[r].format = format;
        normalize(p, format);
    }
}

void RichDocument::replaceParagraphs(std::size_t first, std::size_t count,
                                     std::vector<Paragraph> with) {
    first = std::min(first, m_paragraphs.size());
    count = std::min(count, m_paragraphs.size() - first);
    for (Paragraph& p : with)
        normalize(p, p.runs.empty() ? CharFormat{} : p.runs.front().format);
    const auto at = m_paragraphs.begin() + static_cast<std::ptrdiff_t>(first);
    const auto common = std::min(count, with.size());
    std::move(with.begin(), with.begin() + static_cast<std::ptrdiff_t>(common), at);
    if (count > common)
        m_paragraphs.erase(at + static_cast<std::ptrdiff_t>(common),
                           at + static_cast<std::ptrdiff_t>(count));
    else
        m_paragraphs.insert(
            at + static_cast<std::ptrdiff_t>(common),
            std::make_move_iterator(with.begin() + static_cast<std::ptrdiff_t>(common)),
            std::make_move_iterator(with.end()));
    if (first == 0)
        m_starts.clear();
    else
        touched(first - 1);
}

void RichDocument::clear() {
    m_paragraphs.clear();
    m_starts.clear();
}

}  // namespace platform
