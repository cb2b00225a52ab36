// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "platform/Chart.h"
#include "platform/Control.h"
#include "platform/Form.h"

class QCustomPlot;
class QMenuBar;
class QScrollArea;

namespace platform {
class Grid;
class Image;
class LineChart;
class RichEdit;
}  // namespace platform

namespace platform::qt {

QColor toQColor(Color c);
// The program's fonts on this system: the Windows faces map to their
// metric-compatible free counterparts.
QFont toQFont(const Font& f);

// What every widget of a control shares: the control it mirrors, until the
// control goes away.
class PeerBase : public ControlPeer {
  public:
    explicit PeerBase(Control& c) : m_control(&c) { c.setPeer(this); }
    ~PeerBase() override;
    Control* control() const { return m_control; }
    void detach();

  protected:
    // Bounds, visibility, enabled state, font and accessibility.
    void syncCommon(QWidget& w, Property what);
    Control* m_control;
};

// The widget of a graph: its plot, up to date, for output; a right click,
// the Menu key or Shift+F10 over the plot opens the graph's popup menu
// (QtChartOutput.cpp).
class GraphPeer : public PeerBase {
  public:
    using PeerBase::PeerBase;
    virtual QCustomPlot* outputPlot() = 0;

  protected:
    // Opens the menu from the plot that fills the widget.
    void watchPlot(QWidget& over, QCustomPlot& plot);
    void showPopupMenu(QWidget& over, const QPoint& globalPos);
};

// Adds a menu's items to a menu bar or a menu, which the peer's widget
// owns; a chosen item runs its click on behalf of the peer's form
// (QtFormPeers.cpp).
void addMenuItems(QWidget* into, MenuItem& menu, PeerBase& peer);

// The picture control's widget (QtImage.cpp).
QWidget* createImageWidget(platform::Image& image, QWidget* parent);

// The line chart's widget (QtLineChart.cpp).
QWidget* createLineChartWidget(platform::LineChart& chart, QWidget* parent);

// The grid's widget (QtGrid.cpp).
QWidget* createGridWidget(platform::Grid& grid, QWidget* parent);

// The rich-text editor's widget (QtRichEdit.cpp).
QWidget* createRichEditWidget(platform::RichEdit& edit, QWidget* parent);

// Creates the widget of a control and, below it, those of its children.
QWidget* createPeerTree(Control& control, QWidget* parent);
// Forgets the controls of a widget tree before it is deleted.
void detachPeerTree(QWidget* root);

class FormWindow : public QWidget, public PeerBase {
  public:
    FormWindow(Form& form, QWidget* ownerWindow);
    Form& form() const { return static_cast<Form&>(*m_control); }
    QWidget* clientArea() const { return m_client; }
    QMenuBar* menuBar() const { return m_menuBar; }
    void changed(Property what) override;
    // Takes at most this size (menu bar and client): a client that the
    // room cannot hold keeps its layout and scrolls, a sizeable one that
    // may shrink that far gives way.
    void fitTo(const QSize& room);
    bool scrolls() const { return m_scroll != nullptr; }

  protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void buildMenu(QMenuBar* bar);
    QWidget* m_client = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QScrollArea* m_scroll = nullptr;  // around the client once it has to scroll
};

// How a label with word wrap breaks and aligns its caption.
int wrapFlags(const Label& label);

class LabelWidget : public QWidget, public PeerBase {
  public:
    LabelWidget(Label& label, QWidget* parent);
    void changed(Property what) override;
    // Where the ink of each raised run lies, as it is drawn: it is lowered as
    // far as needed to stay inside the label.
    QList<QRect> raisedInkRects() const;

  protected:
    void paintEvent(QPaintEvent*) override;
};

// A static text; as a value field it is reached with Tab, opened with a
// click, Space or Enter, and tells assistive technology its name and the
// value it shows. It draws its text itself: a label that takes the focus
// keeps a whole text document per field, which costs at start-up and on
// every new value.
class StaticTextWidget : public QFrame, public PeerBase {
  public:
    StaticTextWidget(StaticText& text, QWidget* parent);
    void changed(Property what) override;
    // A field with a click operation: Enter opens it, also in a dialog.
    bool activatable() const;
    // What a click does; for assistive technology, which must not wait for
    // the dialog that the click opens.
    void activateLater();
    // The control's text; what the widget shows may be smaller or cut.
    QString fullText() const;
    // What the widget shows.
    QString text() const { return m_shown; }
    Qt::Alignment alignment() const { return m_alignment; }
    // Where the text goes: inside the frame, and half an "x" in from a
    // framed side that it is aligned to.
    QRect textRect() const;

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

  private:
    // A text wider than the box is shown in a smaller font, down to three
    // quarters of it, and beyond that cut with an ellipsis and whole in the
    // tooltip. The tooltip also says the role the colour tells.
    void fitText();
    // The accessible description: the value and the role its colour tells.
    void describe();
    QString m_shown;
    QString m_announced;  // the last value told to assistive technology
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    bool m_fitted = false;
};

// Every change of the text goes to the control first: typed characters
// (also those an input method commits) and the deleting keys as key events,
// everything else the line edit does by itself (paste by keyboard, context
// menu or middle click, cut, drag and drop, undo, redo) as a finished edit.
// The control then decides what the edit shows, and the edit shows nothing
// else: no composition of an input method, no undo history of its own.
class EditWidget : public QLineEdit, public PeerBase {
  public:
    EditWidget(Edit& edit, QWidget* parent);
    void changed(Property what) override;

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

  private:
    Edit& edit() const { return static_cast<Edit&>(*m_control); }
    void syncFromControl();
    // Each character as a key press, as far as the core's keys reach.
    void typeCharacters(const QString& text);
    bool m_syncing = false;
};

class ButtonWidget : public QPushButton, public PeerBase {
  public:
    ButtonWidget(Button& button, QWidget* parent);
    void changed(Property what) override;
};

class PanelWidget : public QFrame, public PeerBase {
  public:
    PanelWidget(platform::Panel& panel, QWidget* parent);
    void changed(Property what) override;
};

// Drawn by hand: the style's group box frame is a picture whose loading
// costs more than the rest of the window's first paint.
class GroupBoxWidget : public QWidget, public PeerBase {
  public:
    GroupBoxWidget(GroupBox& box, QWidget* parent);
    void changed(Property what) override;

  protected:
    void paintEvent(QPaintEvent*) override;
};

class ShapeWidget : public QWidget, public PeerBase {
  public:
    ShapeWidget(Shape& shape, QWidget* parent);
    void changed(Property what) override;

  protected:
    void paintEvent(QPaintEvent*) override;
};

class SplitterWidget : public QWidget, public PeerBase {
  public:
    SplitterWidget(Splitter& splitter, QWidget* parent);
    void changed(Property what) override;

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

  private:
    int m_lastX = 0;
};

class ChartWidget : public QWidget, public GraphPeer {
  public:
    ChartWidget(Chart& chart, QWidget* parent);
    void changed(Property what) override;
    QCustomPlot* plot() const { return m_plot; }
    // Brings the plot up to date now, for output that does not wait for
    // the window's next replot.
    void refresh();
    QCustomPlot* outputPlot() override {
        refresh();
        return m_plot;
    }

  protected:
    void resizeEvent(QResizeEvent*) override;

  private:
    void applyAppearance();
    // Copies the series into the plot, once for any number of changes: a
    // recalculation adds thousands of points one by one, and the plot takes
    // them just before it redraws.
    void loadSeries();
    QCustomPlot* m_plot;
    bool m_seriesChanged = true;
};

}  // namespace platform::qt
