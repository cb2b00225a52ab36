// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTextCharFormat>
#include <QTextEdit>

#include "platform/RichEdit.h"
#include "platform/qt/QtPeers.h"

class QTextCursor;
class QTextDocument;

namespace platform::qt {

QTextCharFormat toQTextCharFormat(const CharFormat& f);
CharFormat fromQTextCharFormat(const QTextCharFormat& f);
// The document's lines as blocks of formatted fragments.
void fillTextDocument(QTextDocument& target, const RichDocument& doc);
// Lines [from, to) at the cursor; afterBlock starts a new block first.
void appendParagraphs(QTextCursor& cur, const RichDocument& doc, std::size_t from, std::size_t to,
                      bool afterBlock);
Paragraph paragraphOfBlock(const QTextBlock& block);

// The editor's widget. The control's document is the source of truth: its
// changes arrive as replaced lines and are copied into the text document;
// the user's edits in the widget go back to the control the same way.
class RichEditWidget : public QTextEdit, public PeerBase {
  public:
    RichEditWidget(RichEdit& edit, QWidget* parent);
    void changed(Property what) override;

    // A control position as a position of the text document, and back.
    int toQtPosition(int pos) const;
    int fromQtPosition(int pos) const;
    // A long document is shown in steps; true once the widget holds it all.
    bool filled() const { return m_pendingFrom < 0; }
    // Takes in what is still missing, at once.
    void completeFill();

  protected:
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    RichEdit& edit() const { return static_cast<RichEdit&>(*m_control); }
    void rebuild();
    void watch(QTextDocument* d);
    static constexpr std::size_t kFirstLines = 2000;
    static constexpr std::size_t kLinesPerStep = 20000;
    void fillMore(std::size_t lines = kLinesPerStep);
    // Completes the filling when the selection lies beyond it.
    void fillForSelection();
    // The first line the widget does not hold yet, or -1.
    int m_pendingFrom = -1;
    void applyLines(const RichEditChange& c);
    // The control's selection into the widget; reveal scrolls it into view.
    void syncSelection(bool reveal);
    void follow(Property what);
    void onContentsChange(int position, int removed, int added);
    void onCursorMoved();
    bool m_syncing = false;
    // The text document's block count as the control last knew it; an empty
    // control still shows one empty block.
    int m_blocks = 1;
    bool m_empty = true;
};

}  // namespace platform::qt
