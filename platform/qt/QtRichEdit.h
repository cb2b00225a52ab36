#pragma once

#include <QTextCharFormat>
#include <QTextEdit>

#include "platform/RichEdit.h"
#include "platform/qt/QtPeers.h"

class QTextDocument;

namespace platform::qt {

QTextCharFormat toQTextCharFormat(const CharFormat& f);
CharFormat fromQTextCharFormat(const QTextCharFormat& f);
// The document's lines as blocks of formatted fragments.
void fillTextDocument(QTextDocument& target, const RichDocument& doc);
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

  protected:
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    RichEdit& edit() const { return static_cast<RichEdit&>(*m_control); }
    void rebuild();
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
