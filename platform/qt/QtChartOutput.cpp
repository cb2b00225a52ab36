// SPDX-License-Identifier: GPL-3.0-or-later

// The chart on paper and on the clipboard, drawn by the plot itself so that
// both look like the window.
#include <qcustomplot.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>
#include <QSvgGenerator>

#include "platform/Chart.h"
#include "platform/base/Exception.h"
#include "platform/qt/QtPeers.h"
#include "platform/qt/QtServices.h"

namespace platform::qt {

namespace {

ChartWidget& chartWidget(Chart& chart) {
    auto* widget = dynamic_cast<ChartWidget*>(chart.peer());
    if (!widget)
        throw Exception("The graph is not shown, so it cannot be output");
    // Points added since the last event are not in the plot yet.
    widget->refresh();
    return *widget;
}

}  // namespace

void QtServices::printChart(Chart& chart, bool landscape) {
    ChartWidget& widget = chartWidget(chart);
    const std::string where = readyPrinter();
    QPrinter& p = printer();
    const QPageLayout::Orientation before = p.pageLayout().orientation();
    p.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    p.setDocName(QString::fromStdString(chart.title.text));
    // Fonts are sized by the device's resolution: at the screen's one the
    // page shows the plot as the window does, only larger.
    const int resolution = p.resolution();
    p.setResolution(96);
    {
        QCPPainter painter;
        if (!painter.begin(&p)) {
            p.setResolution(resolution);
            p.setPageOrientation(before);
            throw Exception("Cannot print to \"" + where + "\": the printer did not start");
        }
        const QRect page = painter.viewport();
        const QSize shown = widget.plot()->size();
        // The window's plot, scaled to fill the page's width or height.
        const int w = shown.width(), h = shown.height();
        const double scale = std::min(page.width() / double(w), page.height() / double(h));
        painter.setViewport(page.left(), page.top(), int(w * scale), int(h * scale));
        painter.setWindow(0, 0, w, h);
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        widget.plot()->toPainter(&painter, w, h);
        painter.end();
    }
    p.setResolution(resolution);
    p.setPageOrientation(before);
    checkPrinted(where);
}

void QtServices::copyChartToClipboard(Chart& chart) {
    ChartWidget& widget = chartWidget(chart);
    QCustomPlot* plot = widget.plot();
    const QSize size = plot->size();

    QByteArray svg;
    {
        QBuffer buffer(&svg);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setTitle(QString::fromStdString(chart.title.text));
        QCPPainter painter;
        painter.begin(&generator);
        painter.setMode(QCPPainter::pmVectorized);
        plot->toPainter(&painter, size.width(), size.height());
        painter.end();
    }
    auto* data = new QMimeData;
    data->setData("image/svg+xml", svg);
    data->setImageData(plot->toPixmap(size.width(), size.height()).toImage());
    QApplication::clipboard()->setMimeData(data);
}

}  // namespace platform::qt
