// SPDX-License-Identifier: GPL-3.0-or-later

// The chart, drawn by QCustomPlot.

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

#include "platform/qt/QtPeerSupport.h"
#include "platform/qt/QtPeers.h"

namespace platform::qt {

namespace {

// Redraws once per turn of the event loop, whatever asks for it: a resize of
// the window that has not been painted yet queues its redraw like any other
// change, so that the first picture is drawn once, with its points.
class Plot : public QCustomPlot {
  public:
    using QCustomPlot::QCustomPlot;

  protected:
    void resizeEvent(QResizeEvent* e) override {
        if (m_painted) {
            QCustomPlot::resizeEvent(e);
            return;
        }
        setViewport(rect());
        replot(rpQueuedReplot);
    }
    void paintEvent(QPaintEvent* e) override {
        m_painted = true;
        QCustomPlot::paintEvent(e);
    }

  private:
    bool m_painted = false;
};

}  // namespace

ChartWidget::ChartWidget(Chart& chart, QWidget* parent)
    : QWidget(parent), GraphPeer(chart), m_plot(new Plot(this)) {
    m_plot->setObjectName("plot");
    // The series joins the legend only when the legend shows: laying out a
    // hidden legend still measures its text, in a font of its own.
    m_plot->setAutoAddPlottableToLegend(false);
    // Nothing is drawn over the plot (no selection, no dragging), so the
    // overlay needs no picture of its own.
    m_plot->layer("overlay")->setMode(QCPLayer::lmLogical);
    m_plot->addGraph();
    QCPGraph* graph = m_plot->graph(0);
    graph->setLineStyle(QCPGraph::lsNone);
    m_plot->plotLayout()->insertRow(0);
    m_plot->plotLayout()->addElement(0, 0, new QCPTextElement(m_plot, QString()));
    connect(m_plot, &QCustomPlot::beforeReplot, this, [this] { loadSeries(); });
    watchPlot(*this, *m_plot);
    applyAppearance();
}

void ChartWidget::applyAppearance() {
    if (!m_control)
        return;
    auto& chart = static_cast<Chart&>(*m_control);
    auto* title = static_cast<QCPTextElement*>(m_plot->plotLayout()->element(0, 0));
    title->setText(qs(chart.title.text));
    title->setFont(toQFont(chart.title.font));
    title->setTextColor(toQColor(chart.title.font.color));
    m_plot->xAxis->setLabel(qs(chart.bottomAxisTitle.text));
    m_plot->xAxis->setLabelFont(toQFont(chart.bottomAxisTitle.font));
    m_plot->xAxis->setLabelColor(toQColor(chart.bottomAxisTitle.font.color));
    m_plot->yAxis->setLabel(qs(chart.leftAxisTitle.text));
    m_plot->yAxis->setLabelFont(toQFont(chart.leftAxisTitle.font));
    m_plot->yAxis->setLabelColor(toQColor(chart.leftAxisTitle.font.color));
    m_plot->legend->setVisible(chart.legendVisible);
    if (chart.legendVisible)
        m_plot->graph(0)->addToLegend();
    else
        m_plot->graph(0)->removeFromLegend();
    m_plot->axisRect()->setBackground(QBrush(toQColor(chart.backWallColor)));
    const QColor red = toQColor(chart.series().color());
    m_plot->graph(0)->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssSquare, red, red, 5));
    m_plot->graph(0)->setPen(QPen(red));
}

void ChartWidget::changed(Property what) {
    syncCommon(*this, what);
    if (what == Property::Layout)
        applyAppearance();
    if (what == Property::Layout || what == Property::Content) {
        m_seriesChanged = true;
        m_plot->replot(QCustomPlot::rpQueuedReplot);
    }
}

void ChartWidget::refresh() {
    if (!m_seriesChanged)
        return;
    m_plot->replot();
}

void ChartWidget::loadSeries() {
    if (!m_seriesChanged || !m_control)
        return;
    m_seriesChanged = false;
    const auto& points = static_cast<Chart&>(*m_control).series().points();
    QVector<QCPGraphData> data;
    data.reserve(static_cast<int>(points.size()));
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const ChartPoint& pt = points[i];
        data.append(QCPGraphData(pt.x, pt.y));
        if (i == 0) {
            xmin = xmax = pt.x;
            ymin = ymax = pt.y;
        }
        xmin = std::min(xmin, pt.x);
        xmax = std::max(xmax, pt.x);
        ymin = std::min(ymin, pt.y);
        ymax = std::max(ymax, pt.y);
    }
    m_plot->graph(0)->data()->set(data, true);
    // Room around the outermost points so that their markers show whole.
    auto padded = [](double lo, double hi) {
        const double span = hi - lo;
        const double pad = span > 0 ? span * 0.05 : std::max(1.0, std::abs(hi) * 0.05);
        return QCPRange(lo - pad, hi + pad);
    };
    m_plot->xAxis->setRange(padded(xmin, xmax));
    m_plot->yAxis->setRange(padded(ymin, ymax));
}

void ChartWidget::resizeEvent(QResizeEvent*) {
    m_plot->setGeometry(rect());
}

}  // namespace platform::qt
