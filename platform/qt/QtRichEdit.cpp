// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/qt/QtRichEdit.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <cmath>
#include <limits>

#include "platform/Application.h"
#include "platform/richtext/Rtf.h"

namespace platform::qt {

namespace {

// The face name as the program knows it ("MS Sans Serif"), beside the face
// that stands in for it here.
constexpr int kFaceProperty = QTextFormat::UserProperty + 1;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QString mappedFamily(const std::string& face) {
    Font f;
    f.name = face;
    return toQFont(f).family();
}

}  // namespace

QTextCharFormat toQTextCharFormat(const CharFormat& c) {
    QTextCharFormat q;
    q.setFontFamilies(QStringList{mappedFamily(c.face)});
    q.setFontPointSize(c.points());
    q.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    q.setFontItalic(c.italic);
    q.setFontUnderline(c.underline);
    q.setFontStrikeOut(c.strikeOut);
    q.setForeground(QColor(c.color.r, c.color.g, c.color.b));
    q.setProperty(kFaceProperty, qs(c.face));
    return q;
}

CharFormat fromQTextCharFormat(const QTextCharFormat& f) {
    CharFormat c;
    const QStringList families = f.fontFamilies().toStringList();
    const QString family = families.isEmpty() ? QString() : families.first();
    const QString face = f.property(kFaceProperty).toString();
    if (!face.isEmpty() && (family.isEmpty() || mappedFamily(face.toStdString()) == family))
        c.face = face.toStdString();
    else if (!family.isEmpty())
        c.face = family.toStdString();
    if (f.fontPointSize() > 0)
        c.halfPoints = std::max(2, static_cast<int>(std::lround(f.fontPointSize() * 2)));
    c.bold = f.fontWeight() >= QFont::DemiBold;
    c.italic = f.fontItalic();
    c.underline = f.fontUnderline();
    c.strikeOut = f.fontStrikeOut();
    if (f.hasProperty(QTextFormat::ForegroundBrush)) {
        const QColor col = f.foreground().color();
        c.color =
            Color{static_cast<std::uint8_t>(col.red()), static_cast<std::uint8_t>(col.green()),
                  static_cast<std::uint8_t>(col.blue())};
    }
    return c;
}

namespace {

void insertRuns(QTextCursor& cur, const Paragraph& p) {
    cur.setBlockCharFormat(toQTextCharFormat(p.runs.front().format));
    for (const TextRun& run : p.runs) {
        if (!run.text.empty())
            cur.insertText(qs(run.text), toQTextCharFormat(run.format));
    }
}

}  // namespace

void appendParagraphs(QTextCursor& cur, const RichDocument& doc, std::size_t from, std::size_t to,
                      bool afterBlock) {
    cur.beginEditBlock();
    // Text of one format goes in as one piece, line breaks included: a log
    // of a single format is one insertion however long it is.
    QString pending;
    CharFormat pendingFormat;
    bool havePending = false;
    const auto flush = [&] {
        if (havePending && !pending.isEmpty())
            cur.insertText(pending, toQTextCharFormat(pendingFormat));
        pending.clear();
        havePending = false;
    };
    const auto add = [&](const QString& text, const CharFormat& format) {
        if (havePending && !(format == pendingFormat))
            flush();
        pending += text;
        pendingFormat = format;
        havePending = true;
    };
    const auto& paras = doc.paragraphs();
    for (std::size_t i = from; i < std::min(to, paras.size()); ++i) {
        const Paragraph& p = paras[i];
        const CharFormat& lineFormat = p.runs.front().format;
        if (i > from || afterBlock)
            add(QString(QChar::ParagraphSeparator), lineFormat);
        else
            cur.setBlockCharFormat(toQTextCharFormat(lineFormat));
        for (const TextRun& run : p.runs) {
            if (!run.text.empty())
                add(qs(run.text), run.format);
        }
    }
    flush();
    cur.endEditBlock();
}

void fillTextDocument(QTextDocument& target, const RichDocument& doc) {
    target.clear();
    QTextCursor cur(&target);
    appendParagraphs(cur, doc, 0, doc.paragraphs().size(), false);
}

Paragraph paragraphOfBlock(const QTextBlock& block) {
    Paragraph p;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (frag.isValid() && frag.length() > 0)
            p.runs.push_back(
                TextRun{frag.text().toStdString(), fromQTextCharFormat(frag.charFormat())});
    }
    if (p.runs.empty())
        p.runs.push_back(TextRun{{}, fromQTextCharFormat(block.charFormat())});
    return p;
}

QWidget* createRichEditWidget(RichEdit& edit, QWidget* parent) {
    return new RichEditWidget(edit, parent);
}

RichEditWidget::RichEditWidget(RichEdit& control, QWidget* parent)
    : QTextEdit(parent), PeerBase(control) {
    setAcceptRichText(true);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    watch(document());
    connect(this, &QTextEdit::cursorPositionChanged, this, [this] { onCursorMoved(); });
    connect(this, &QTextEdit::selectionChanged, this, [this] { onCursorMoved(); });
    for (Property p : {Property::Layout, Property::Content, Property::Font})
        changed(p);
}

int RichEditWidget::toQtPosition(int pos) const {
    if (!m_control)
        return 0;
    const RichDocument& doc = edit().document();
    if (doc.empty())
        return 0;
    const TextPosition at = doc.locate(static_cast<std::size_t>(std::max(0, pos)));
    const std::string line = doc.paragraphs()[at.paragraph].text();
    const int within =
        static_cast<int>(QString::fromUtf8(line.data(), static_cast<qsizetype>(at.offset)).size());
    const QTextBlock block = document()->findBlockByNumber(static_cast<int>(at.paragraph));
    return block.isValid() ? block.position() + within : 0;
}

int RichEditWidget::fromQtPosition(int pos) const {
    if (!m_control || edit().document().empty())
        return 0;
    const QTextBlock block = document()->findBlock(pos);
    if (!block.isValid())
        return edit().length();
    const QString prefix = block.text().left(pos - block.position());
    const auto bytes = static_cast<std::size_t>(prefix.toUtf8().size());
    return static_cast<int>(
        edit().document().position({static_cast<std::size_t>(block.blockNumber()), bytes}));
}

void RichEditWidget::watch(QTextDocument* d) {
    connect(d, &QTextDocument::contentsChange, this, [this](int position, int removed, int added) {
        onContentsChange(position, removed, added);
    });
}

void RichEditWidget::rebuild() {
    m_pendingFrom = -1;
    QTextDocument* d = document();
    d->setUndoRedoEnabled(false);
    const RichDocument& doc = edit().document();
    if (doc.empty()) {
        d->clear();
        QTextCursor cur(d);
        cur.setBlockCharFormat(toQTextCharFormat(edit().defAttributes()));
    } else {
        // A long document comes in two steps: the first screens at once,
        // the rest from the event loop, so that the window answers.
        d->clear();
        QTextCursor cur(d);
        const auto count = doc.paragraphs().size();
        const std::size_t now = std::min(count, kFirstLines);
        appendParagraphs(cur, doc, 0, now, false);
        if (now < count) {
            m_pendingFrom = static_cast<int>(now);
            QTimer::singleShot(0, this, [this] { fillMore(); });
        }
    }
    d->setUndoRedoEnabled(true);
    m_blocks = d->blockCount();
    m_empty = doc.empty();
}

void RichEditWidget::fillMore(std::size_t lines) {
    if (m_pendingFrom < 0 || !m_control)
        return;
    const bool wasSyncing = m_syncing;
    m_syncing = true;
    QTextDocument* d = document();
    const RichDocument& doc = edit().document();
    const auto from = static_cast<std::size_t>(m_pendingFrom);
    const std::size_t to = std::min(doc.paragraphs().size(), from + lines);
    d->setUndoRedoEnabled(false);
    QTextCursor cur(d);
    cur.movePosition(QTextCursor::End);
    appendParagraphs(cur, doc, from, to, true);
    d->setUndoRedoEnabled(true);
    m_blocks = d->blockCount();
    m_pendingFrom = to < doc.paragraphs().size() ? static_cast<int>(to) : -1;
    m_syncing = wasSyncing;
    if (m_pendingFrom >= 0)
        QTimer::singleShot(0, this, [this] { fillMore(); });
}

void RichEditWidget::fillForSelection() {
    if (m_pendingFrom < 0)
        return;
    const RichEdit& e = edit();
    const auto end = static_cast<std::size_t>(e.SelStart() + e.SelLength());
    if (e.document().locate(end).paragraph >= static_cast<std::size_t>(m_pendingFrom))
        completeFill();
}

void RichEditWidget::completeFill() {
    fillMore(std::numeric_limits<std::size_t>::max() / 2);
}

void RichEditWidget::applyLines(const RichEditChange& c) {
    QTextDocument* d = document();
    const auto& paras = edit().document().paragraphs();
    const int first = static_cast<int>(c.first);
    const int removed = static_cast<int>(c.removed);
    const int added = static_cast<int>(c.added);
    if (first + removed > m_blocks || first + added > static_cast<int>(paras.size())) {
        rebuild();
        return;
    }
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum() && bar->maximum() > 0;

    d->setUndoRedoEnabled(false);
    QTextCursor cur(d);
    cur.beginEditBlock();
    if (removed > 0) {
        const QTextBlock fb = d->findBlockByNumber(first);
        const QTextBlock lb = d->findBlockByNumber(first + removed - 1);
        if (added == 0) {
            // The lines go with one line break.
            if (first > 0) {
                const QTextBlock before = fb.previous();
                cur.setPosition(before.position() + before.length() - 1);
                cur.setPosition(lb.position() + lb.length() - 1, QTextCursor::KeepAnchor);
            } else {
                const QTextBlock next = lb.next();
                cur.setPosition(0);
                cur.setPosition(next.isValid() ? next.position() : lb.position() + lb.length() - 1,
                                QTextCursor::KeepAnchor);
            }
            cur.removeSelectedText();
        } else {
            cur.setPosition(fb.position());
            cur.setPosition(lb.position() + lb.length() - 1, QTextCursor::KeepAnchor);
            cur.removeSelectedText();
            insertRuns(cur, paras[c.first]);
            for (int k = 1; k < added; ++k) {
                const Paragraph& p = paras[c.first + static_cast<std::size_t>(k)];
                cur.insertBlock(QTextBlockFormat(), toQTextCharFormat(p.runs.front().format));
                insertRuns(cur, p);
            }
        }
    } else if (first >= m_blocks) {
        cur.movePosition(QTextCursor::End);
        for (int k = 0; k < added; ++k) {
            const Paragraph& p = paras[c.first + static_cast<std::size_t>(k)];
            cur.insertBlock(QTextBlockFormat(), toQTextCharFormat(p.runs.front().format));
            insertRuns(cur, p);
        }
    } else {
        const QTextBlock fb = d->findBlockByNumber(first);
        const QTextCharFormat existing = fb.charFormat();
        cur.setPosition(fb.position());
        for (int k = 0; k < added; ++k) {
            insertRuns(cur, paras[c.first + static_cast<std::size_t>(k)]);
            cur.insertBlock(QTextBlockFormat(), existing);
        }
    }
    cur.endEditBlock();
    d->setUndoRedoEnabled(true);
    m_blocks = d->blockCount();
    m_empty = paras.empty();
    if (m_blocks != static_cast<int>(std::max<std::size_t>(1, paras.size())))
        rebuild();
    if (atEnd)
        bar->setValue(bar->maximum());
}

void RichEditWidget::syncSelection(bool reveal) {
    if (!m_control)
        return;
    const int anchor = toQtPosition(edit().SelStart());
    const int pos = toQtPosition(edit().SelStart() + edit().SelLength());
    QTextCursor c = textCursor();
    const bool same = c.anchor() == anchor && c.position() == pos;
    if (same && !reveal)
        return;
    const bool wasSyncing = m_syncing;
    m_syncing = true;
    // Setting the cursor scrolls to it; after an edit the view stays put.
    QScrollBar* v = verticalScrollBar();
    QScrollBar* h = horizontalScrollBar();
    const int top = v->value(), left = h->value();
    const bool atEnd = v->value() == v->maximum() && v->maximum() > 0;
    if (!same) {
        c.setPosition(anchor);
        c.setPosition(pos, QTextCursor::KeepAnchor);
        setTextCursor(c);
    }
    if (edit().SelLength() == 0)
        setCurrentCharFormat(toQTextCharFormat(edit().selAttributes()));
    if (reveal) {
        ensureCursorVisible();
    } else {
        v->setValue(atEnd ? v->maximum() : top);
        h->setValue(left);
    }
    m_syncing = wasSyncing;
}

void RichEditWidget::changed(Property what) {
    // Whatever the widget signals while it follows the control is no edit
    // of the user's.
    const bool wasSyncing = m_syncing;
    m_syncing = true;
    syncCommon(*this, what);
    if (m_control)
        follow(what);
    m_syncing = wasSyncing;
}

void RichEditWidget::follow(Property what) {
    switch (what) {
        case Property::Content: {
            const RichEditChange& c = edit().lastChange();
            const auto count = edit().document().paragraphs().size();
            if (m_pendingFrom >= 0 && !c.reset && c.removed == 0 && c.first + c.added == count)
                break;  // new last lines: the filling takes them along
            if (c.reset || m_empty || m_pendingFrom >= 0)
                rebuild();
            else
                applyLines(c);
            fillForSelection();
            syncSelection(false);
            break;
        }
        case Property::Selection:
            fillForSelection();
            syncSelection(true);
            break;
        case Property::Focus:
            setFocus(Qt::OtherFocusReason);
            break;
        case Property::Font:
            document()->setDefaultFont(toQFont(toFont(edit().defAttributes())));
            break;
        case Property::Color: {
            QPalette p = palette();
            const Color col = m_control->color();
            p.setColor(QPalette::Base, QColor(col.r, col.g, col.b));
            setPalette(p);
            break;
        }
        case Property::Layout: {
            const ScrollStyle s = edit().scrollBars();
            const bool v = s == ScrollStyle::Vertical || s == ScrollStyle::Both;
            const bool h = s == ScrollStyle::Horizontal || s == ScrollStyle::Both;
            setVerticalScrollBarPolicy(v ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
            setHorizontalScrollBarPolicy(h ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            setLineWrapMode(edit().wordWrap() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
            break;
        }
        default:
            break;
    }
}

void RichEditWidget::onContentsChange(int position, int, int added) {
    if (m_syncing || !m_control)
        return;
    QTextDocument* d = document();
    const int newBlocks = d->blockCount();
    const int last = std::min(position + added, d->characterCount() - 1);
    const int first = d->findBlock(position).blockNumber();
    const int lastNew = d->findBlock(std::max(0, last)).blockNumber();
    const int oldBlocks = m_empty ? 1 : m_blocks;
    const int lastOld = lastNew - (newBlocks - oldBlocks);
    std::vector<Paragraph> lines;
    for (QTextBlock b = d->findBlockByNumber(first); b.isValid() && b.blockNumber() <= lastNew;
         b = b.next())
        lines.push_back(paragraphOfBlock(b));
    const int count = m_empty ? 0 : std::max(0, lastOld - first + 1);
    const int delta = static_cast<int>(lines.size()) - count;
    edit().userReplaceLines(static_cast<std::size_t>(first), static_cast<std::size_t>(count),
                            std::move(lines));
    if (m_pendingFrom >= 0)
        m_pendingFrom += delta;
    m_blocks = newBlocks;
    m_empty = false;
}

void RichEditWidget::onCursorMoved() {
    if (m_syncing || !m_control)
        return;
    const QTextCursor c = textCursor();
    const int a = fromQtPosition(c.selectionStart());
    const int b = fromQtPosition(c.selectionEnd());
    edit().userSelect(a, b - a);
}

QMimeData* RichEditWidget::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    if (!m_control)
        return data;
    const RichDocument piece = edit().selectionDocument();
    data->setText(qs(piece.plainText()));
    const std::string rtf = writeRtf(piece);
    data->setData("text/rtf", QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())));
    return data;
}

bool RichEditWidget::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText() || source->hasFormat("text/rtf") ||
           source->hasFormat("application/rtf");
}

void RichEditWidget::insertFromMimeData(const QMimeData* source) {
    if (!m_control)
        return;
    QByteArray rtf = source->data("text/rtf");
    if (rtf.isEmpty())
        rtf = source->data("application/rtf");
    const std::string plain = source->text().toStdString();
    const std::string rich(rtf.constData(), static_cast<std::size_t>(rtf.size()));
    // The widget's cursor may have moved without a signal during a drop.
    onCursorMoved();
    Application::current().dispatch(m_control->form(), [&] { edit().userPaste(plain, rich); });
}

}  // namespace platform::qt
