// SPDX-License-Identifier: GPL-3.0-or-later

// Graphs on paper, on the clipboard and in files, drawn by the plot itself
// with the caption under it.
#include <qcustomplot.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSvgGenerator>
#include <cmath>
#include <functional>

#include "platform/Chart.h"
#include "platform/Graph.h"
#include "platform/base/AtomicFile.h"
#include "platform/base/Exception.h"
#include "platform/qt/QtPeerSupport.h"
#include "platform/qt/QtPeers.h"
#include "platform/qt/QtServices.h"

namespace platform::qt {

namespace {

constexpr double kLogicalDpi = 96;  // the plot's pixels, as the screen's
constexpr double kCmPerInch = 2.54;

QCustomPlot& outputPlot(Graph& graph) {
    auto* peer = dynamic_cast<GraphPeer*>(graph.peer());
    if (!peer)
        throw Exception("The graph is not shown, so it cannot be output");
    return *peer->outputPlot();
}

QFont journalFont(double points, bool bold = false) {
    Font f;
    f.name = "Arial";
    f.bold = bold;
    QFont q = toQFont(f);
    q.setPointSizeF(points);
    return q;
}

// The caption broken into lines at its commas and semicolons, so that no
// condition is split, each line within width pixels.
QString wrapped(const QString& caption, const QFont& font, double width) {
    const QFontMetricsF metrics(font);
    QStringList pieces;
    QString piece;
    for (int i = 0; i < caption.size(); ++i) {
        piece += caption[i];
        if ((caption[i] == ',' || caption[i] == ';' || caption[i] == '.') &&
            i + 1 < caption.size() && caption[i + 1] == ' ') {
            pieces << piece;
            piece.clear();
        }
    }
    if (!piece.isEmpty())
        pieces << piece;
    QStringList lines;
    QString line;
    for (const QString& p : pieces) {
        const QString longer = line + p;
        if (!line.isEmpty() && metrics.horizontalAdvance(longer.trimmed()) > width) {
            lines << line.trimmed();
            line = p;
        } else {
            line = longer;
        }
    }
    if (!line.trimmed().isEmpty())
        lines << line.trimmed();
    return lines.join('\n');
}

// The plot as it goes out: fonts of a journal's figure and the caption in a
// row of its own under the axes, for as long as it lives; the window's plot
// is as it was afterwards.
class OutputDrawing {
  public:
    // width: the drawing's in the plot's pixels; the fonts scale with it
    // from a journal column's.
    OutputDrawing(QCustomPlot& plot, const std::string& caption, int width)
        : m_plot(plot), m_scale(width / (kImageWidthCm / kCmPerInch * kLogicalDpi)) {
        for (int i = 0; i < plot.plotLayout()->elementCount(); ++i)
            if (auto* text = qobject_cast<QCPTextElement*>(plot.plotLayout()->elementAt(i))) {
                m_titles.push_back({text, text->font()});
                text->setFont(journalFont(9 * m_scale, true));
            }
        for (QCPAxis* axis : {plot.xAxis, plot.yAxis}) {
            m_axes.push_back({axis, axis->labelFont(), axis->tickLabelFont()});
            axis->setLabelFont(journalFont(8 * m_scale, axis->labelFont().bold()));
            axis->setTickLabelFont(journalFont(7 * m_scale));
        }
        m_legendFont = plot.legend->font();
        m_legendIcon = plot.legend->iconSize();
        m_legendPadding = plot.legend->iconTextPadding();
        plot.legend->setFont(journalFont(7 * m_scale));
        // The window's legend swatches would cover a column's curves.
        plot.legend->setIconSize(QSize(int(18 * m_scale), int(7 * m_scale)));
        plot.legend->setIconTextPadding(int(4 * m_scale));
        for (int i = 0; i < plot.legend->itemCount(); ++i)
            if (auto* item = qobject_cast<QCPPlottableLegendItem*>(plot.legend->item(i)))
                item->setFont(journalFont(7 * m_scale));
        if (!caption.empty()) {
            const QFont font = journalFont(7 * m_scale);
            const QString text = wrapped(qs(caption), font, width - 8 * m_scale);
            m_caption = new QCPTextElement(&plot, text, font);
            m_caption->setTextFlags(Qt::AlignLeft | Qt::AlignVCenter);
            const QMargins margins(int(4 * m_scale), int(2 * m_scale), int(4 * m_scale),
                                   int(4 * m_scale));
            m_caption->setMargins(margins);
            m_captionHeight =
                QFontMetrics(font).boundingRect(0, 0, 0, 0, Qt::AlignLeft, text).height() +
                margins.top() + margins.bottom();
            plot.plotLayout()->addElement(plot.plotLayout()->rowCount(), 0, m_caption);
        }
    }
    ~OutputDrawing() {
        if (m_caption) {
            m_plot.plotLayout()->remove(m_caption);
            m_plot.plotLayout()->simplify();
        }
        for (const auto& [text, font] : m_titles)
            text->setFont(font);
        for (const auto& a : m_axes) {
            a.axis->setLabelFont(a.label);
            a.axis->setTickLabelFont(a.ticks);
        }
        m_plot.legend->setFont(m_legendFont);
        m_plot.legend->setIconSize(m_legendIcon);
        m_plot.legend->setIconTextPadding(m_legendPadding);
        for (int i = 0; i < m_plot.legend->itemCount(); ++i)
            if (auto* item = qobject_cast<QCPPlottableLegendItem*>(m_plot.legend->item(i)))
                item->setFont(m_legendFont);
        m_plot.replot(QCustomPlot::rpQueuedReplot);
    }
    OutputDrawing(const OutputDrawing&) = delete;
    OutputDrawing& operator=(const OutputDrawing&) = delete;

    // The height the caption takes under a plot of the given height.
    int heightWith(int plotHeight) const { return plotHeight + m_captionHeight; }
    void draw(QPaintDevice& device, int width, int height) {
        QCPPainter painter;
        if (!painter.begin(&device))
            throw Exception("The graph cannot be drawn");
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        m_plot.toPainter(&painter, width, height);
        painter.end();
    }

  private:
    struct AxisFonts {
        QCPAxis* axis;
        QFont label;
        QFont ticks;
    };
    QCustomPlot& m_plot;
    double m_scale;
    std::vector<std::pair<QCPTextElement*, QFont>> m_titles;
    std::vector<AxisFonts> m_axes;
    QFont m_legendFont;
    QSize m_legendIcon;
    int m_legendPadding = 0;
    QCPTextElement* m_caption = nullptr;
    int m_captionHeight = 0;
};

int columnWidth() {
    return int(std::lround(kImageWidthCm / kCmPerInch * kLogicalDpi));
}
int columnPlotHeight() {
    return int(std::lround(kImageHeightCm / kCmPerInch * kLogicalDpi));
}

// The fonts are in points, so the image paints at the screen's resolution,
// scaled up; only then does it take its own.
QImage bitmapOf(QCustomPlot& plot, int width, int height, int dpi) {
    const double scale = dpi / kLogicalDpi;
    QImage image(int(std::lround(width * scale)), int(std::lround(height * scale)),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const auto dotsPerMeter = [](double perInch) { return int(std::lround(perInch / 0.0254)); };
    image.setDotsPerMeterX(dotsPerMeter(kLogicalDpi));
    image.setDotsPerMeterY(dotsPerMeter(kLogicalDpi));
    {
        QCPPainter painter(&image);
        if (!painter.isActive())
            throw Exception("The graph cannot be drawn");
        painter.setMode(QCPPainter::pmNoCaching);
        painter.setMode(QCPPainter::pmNonCosmetic);
        painter.scale(scale, scale);
        plot.toPainter(&painter, width, height);
    }
    image.setDotsPerMeterX(dotsPerMeter(dpi));
    image.setDotsPerMeterY(dotsPerMeter(dpi));
    return image;
}

QByteArray svgOf(OutputDrawing& drawing, const Graph& graph, int width, int height) {
    QByteArray svg;
    QBuffer buffer(&svg);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(int(kLogicalDpi));
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setTitle(qs(graph.title.text));
    generator.setDescription(qs(graph.caption));
    drawing.draw(generator, width, height);
    return svg;
}

}  // namespace

namespace {

// QCustomPlot stops mouse events at itself (Qt::WA_NoMousePropagation), so a
// right click's context menu event never reaches the graph's own widget: the
// plot is watched instead. The keys open the menu where the focus is, under
// the plot's middle when the pointer is elsewhere. A dotted frame shows
// that the plot has the focus.
class PopupMenuKeys : public QObject {
  public:
    PopupMenuKeys(QCustomPlot& plot, std::function<void(const QPoint&)> open)
        : QObject(&plot), m_plot(plot), m_open(std::move(open)), m_frame(new FocusFrame(&plot)) {
        plot.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        // Tab reaches a window's graphs after its fields, whatever the
        // order the controls were made in.
        if (e->type() == QEvent::Show && !m_ordered) {
            m_ordered = true;
            QWidget* last = m_plot.window()->previousInFocusChain();
            while (last != m_plot.window() &&
                   (!(last->focusPolicy() & Qt::TabFocus) || m_plot.isAncestorOf(last)))
                last = last->previousInFocusChain();
            if (last != &m_plot && last != m_plot.window())
                QWidget::setTabOrder(last, &m_plot);
        }
        if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) {
            m_frame->setGeometry(m_plot.rect());
            m_frame->setVisible(m_plot.hasFocus());
            m_frame->raise();
            return false;
        }
        if (e->type() == QEvent::ContextMenu) {
            auto* menu = static_cast<QContextMenuEvent*>(e);
            // The Menu key's own event comes beside its key press, which
            // opens the menu below.
            if (menu->reason() == QContextMenuEvent::Mouse)
                m_open(menu->globalPos());
            menu->accept();
            return true;
        }
        if (e->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(e);
            const bool shiftF10 = key->key() == Qt::Key_F10 &&
                                  (key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
            if (key->key() != Qt::Key_Menu && !shiftF10)
                return false;
            const QPoint pointer = m_plot.mapFromGlobal(QCursor::pos());
            m_open(m_plot.mapToGlobal(m_plot.rect().contains(pointer) ? pointer
                                                                      : m_plot.rect().center()));
            return true;
        }
        return false;
    }

  private:
    class FocusFrame : public QWidget {
      public:
        explicit FocusFrame(QWidget* parent) : QWidget(parent) {
            setAttribute(Qt::WA_TransparentForMouseEvents);
            hide();
        }

      protected:
        void paintEvent(QPaintEvent*) override {
            QPainter p(this);
            p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
            p.drawRect(rect().adjusted(1, 1, -2, -2));
        }
    };

    QCustomPlot& m_plot;
    std::function<void(const QPoint&)> m_open;
    FocusFrame* m_frame;
    bool m_ordered = false;
};

}  // namespace

void GraphPeer::watchPlot(QWidget& over, QCustomPlot& plot) {
    // Tab reaches the graph, so that its menu is there without a mouse.
    plot.setFocusPolicy(Qt::StrongFocus);
    new PopupMenuKeys(plot, [this, &over](const QPoint& at) { showPopupMenu(over, at); });
}

void GraphPeer::showPopupMenu(QWidget& over, const QPoint& globalPos) {
    if (!m_control)
        return;
    MenuItem* menu = static_cast<Graph&>(*m_control).popupMenu();
    if (!menu || menu->items().empty())
        return;
    QMenu popup(&over);
    popup.setObjectName(qs(menu->name()));
    addMenuItems(&popup, *menu, *this);
    popup.exec(globalPos);
}

void QtServices::printGraph(Graph& graph, bool landscape) {
    QCustomPlot& plot = outputPlot(graph);
    const std::string where = readyPrinter();
    QPrinter& p = printer();
    const QPageLayout::Orientation before = p.pageLayout().orientation();
    p.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    p.setDocName(qs(graph.title.text));
    const int resolution = p.resolution();
    p.setResolution(int(kLogicalDpi));
    {
        QCPPainter painter;
        if (!painter.begin(&p)) {
            p.setResolution(resolution);
            p.setPageOrientation(before);
            throw Exception("Cannot print to \"" + where + "\": the printer did not start");
        }
        // The drawing of a two-column figure, shaped like the page and
        // scaled to fill it.
        const QRect page = painter.viewport();
        const int w = 2 * columnWidth();
        const int h = int(std::lround(w * double(page.height()) / page.width()));
        OutputDrawing drawing(plot, graph.caption, w);
        painter.setWindow(0, 0, w, h);
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        plot.toPainter(&painter, w, h);
        painter.end();
    }
    p.setResolution(resolution);
    p.setPageOrientation(before);
    checkPrinted(where);
}

void QtServices::copyGraphImage(Graph& graph) {
    QCustomPlot& plot = outputPlot(graph);
    const int w = columnWidth();
    OutputDrawing drawing(plot, graph.caption, w);
    const int h = drawing.heightWith(columnPlotHeight());
    auto* data = new QMimeData;
    data->setData("image/svg+xml", svgOf(drawing, graph, w, h));
    data->setImageData(bitmapOf(plot, w, h, 300));
    QApplication::clipboard()->setMimeData(data);
}

void QtServices::saveGraphImage(Graph& graph, const ImageRequest& request) {
    QCustomPlot& plot = outputPlot(graph);
    const int w = columnWidth();
    OutputDrawing drawing(plot, graph.caption, w);
    const int h = drawing.heightWith(columnPlotHeight());
    QByteArray bytes;
    switch (request.format) {
        case ImageFormat::Png: {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            if (!bitmapOf(plot, w, h, request.dpi).save(&buffer, "PNG"))
                throw Exception("Cannot save \"" + request.path + "\": the image was not made");
            break;
        }
        case ImageFormat::Svg:
            bytes = svgOf(drawing, graph, w, h);
            break;
        case ImageFormat::Pdf: {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter pdf(&buffer);
            pdf.setTitle(qs(graph.caption));
            pdf.setCreator(QApplication::applicationName());
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setPageSize(QPageSize(QSizeF(w * 25.4 / kLogicalDpi, h * 25.4 / kLogicalDpi),
                                      QPageSize::Millimeter));
            pdf.setResolution(int(kLogicalDpi));
            drawing.draw(pdf, w, h);
            break;
        }
    }
    replaceFile(request.path, std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

}  // namespace platform::qt
