// SPDX-License-Identifier: GPL-3.0-or-later

#include <qcustomplot.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include <QMouseEvent>
#include <QPointer>
#include <QToolTip>

#include "platform/LineChart.h"
#include "platform/qt/QtPeers.h"

namespace platform::qt {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

void applyAxis(QCPAxis& axis, const AxisRange& range, const ChartText& title) {
    axis.setLabel(qs(title.text));
    axis.setLabelFont(toQFont(title.font));
    axis.setLabelColor(toQColor(title.font.color));
    if (range.logarithmic) {
        axis.setScaleType(QCPAxis::stLogarithmic);
        QSharedPointer<QCPAxisTickerLog> ticker(new QCPAxisTickerLog);
        ticker->setLogBase(10);
        ticker->setSubTickCount(8);
        axis.setTicker(ticker);
        axis.setNumberFormat("eb");
        axis.setNumberPrecision(0);
    } else {
        axis.setScaleType(QCPAxis::stLinear);
        axis.setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
        axis.setNumberFormat("g");
        axis.setNumberPrecision(6);
    }
    axis.setRange(range.min, range.max);
}

QCPScatterStyle::ScatterShape shapeOf(Marker m) {
    switch (m) {
        case Marker::Square:
            return QCPScatterStyle::ssSquare;
        case Marker::Triangle:
            return QCPScatterStyle::ssTriangle;
        case Marker::Diamond:
            return QCPScatterStyle::ssDiamond;
        case Marker::InvertedTriangle:
            return QCPScatterStyle::ssTriangleInverted;
        case Marker::Cross:
            return QCPScatterStyle::ssCross;
        case Marker::Plus:
            return QCPScatterStyle::ssPlus;
        case Marker::Star:
            return QCPScatterStyle::ssStar;
        case Marker::Circle:
            break;
    }
    return QCPScatterStyle::ssCircle;
}

class LineChartWidget : public QWidget, public GraphPeer {
  public:
    LineChartWidget(LineChart& chart, QWidget* parent)
        : QWidget(parent), GraphPeer(chart), m_plot(new QCustomPlot(this)) {
        m_plot->setObjectName("plot");
        m_plot->setAutoAddPlottableToLegend(false);
        m_plot->layer("overlay")->setMode(QCPLayer::lmLogical);
        m_plot->plotLayout()->insertRow(0);
        m_plot->plotLayout()->addElement(0, 0, new QCPTextElement(m_plot, QString()));
        m_plot->legend->setVisible(true);
        m_plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignRight | Qt::AlignBottom);
        m_plot->setMouseTracking(true);
        watchPlot(*this, *m_plot);
        QObject::connect(m_plot, &QCustomPlot::mouseMove, m_plot,
                         [this](QMouseEvent* e) { showPointLabel(e->pos(), e->globalPosition()); });
    }

    void changed(Property what) override {
        syncCommon(*this, what);
        if (!m_control)
            return;
        auto& chart = static_cast<LineChart&>(*m_control);
        if (what == Property::Layout) {
            auto* title = static_cast<QCPTextElement*>(m_plot->plotLayout()->element(0, 0));
            title->setText(qs(chart.title.text));
            title->setFont(toQFont(chart.title.font));
            title->setTextColor(toQColor(chart.title.font.color));
            applyAxis(*m_plot->xAxis, chart.bottomAxis, chart.bottomAxisTitle);
            applyAxis(*m_plot->yAxis, chart.leftAxis, chart.leftAxisTitle);
            m_plot->legend->setFont(toQFont(chart.font()));
            placeLegend(chart);
            joinPartner(chart);
        }
        if (what == Property::Content)
            loadSeries(chart);
        if (what == Property::Layout || what == Property::Content)
            m_plot->replot(QCustomPlot::rpQueuedReplot);
    }

    QCustomPlot* outputPlot() override { return m_plot; }

  protected:
    void resizeEvent(QResizeEvent*) override { m_plot->setGeometry(rect()); }

  private:
    // One margin group across both plots gives each the wider of their
    // labels' margins; it is worked out when a plot lays itself out, so
    // the other one lays itself out again when its edges differ.
    void joinPartner(const LineChart& chart) {
        const LineChart* other = chart.axisPartner();
        auto* peer = other ? dynamic_cast<LineChartWidget*>(other->peer()) : nullptr;
        if (!peer || m_partner == peer->m_plot)
            return;
        m_partner = peer->m_plot;
        peer->m_partner = m_plot;
        auto* group = new QCPMarginGroup(m_plot);
        m_plot->axisRect()->setMarginGroup(QCP::msLeft | QCP::msRight, group);
        peer->m_plot->axisRect()->setMarginGroup(QCP::msLeft | QCP::msRight, group);
        for (auto [plot, partner] :
             {std::pair{m_plot, &m_partner}, {peer->m_plot, &peer->m_partner}})
            QObject::connect(plot, &QCustomPlot::afterLayout, plot, [plot, partner] {
                const QCustomPlot* p = *partner;
                const QMargins mine = plot->axisRect()->margins();
                if (!p)
                    return;
                const QMargins theirs = p->axisRect()->margins();
                if (theirs.left() != mine.left() || theirs.right() != mine.right())
                    (*partner)->replot(QCustomPlot::rpQueuedReplot);
            });
    }

    void loadSeries(const LineChart& chart) {
        m_plot->clearPlottables();
        m_plot->legend->clearItems();
        for (const LineSeries& s : chart.series()) {
            QCPGraph* graph = m_plot->addGraph();
            graph->setName(qs(s.name));
            // The graph finds what it shows by searching its points along
            // x: in any other order some would be left out. The error bars
            // follow the points by index, so they take the same order.
            std::vector<std::size_t> order(s.points.size());
            std::iota(order.begin(), order.end(), std::size_t{0});
            std::stable_sort(order.begin(), order.end(), [&s](std::size_t a, std::size_t b) {
                return s.points[a].x < s.points[b].x;
            });
            QVector<QCPGraphData> data;
            data.reserve(static_cast<int>(s.points.size()));
            for (const std::size_t i : order)
                data.append(QCPGraphData(s.points[i].x, s.points[i].y));
            graph->data()->set(data, true);
            const QColor colour = toQColor(s.color);
            QPen pen(colour, s.markers ? 1.5 : 2);
            if (s.dashed)
                pen.setStyle(Qt::DashLine);
            graph->setPen(pen);
            if (s.markers) {
                graph->setLineStyle(s.joined ? QCPGraph::lsLine : QCPGraph::lsNone);
                // Filled shapes, but the line-drawn ones stay lines.
                const bool open = s.marker == Marker::Cross || s.marker == Marker::Plus ||
                                  s.marker == Marker::Star;
                graph->setScatterStyle(QCPScatterStyle(shapeOf(s.marker), QPen(colour, 1.5),
                                                       open ? QBrush() : QBrush(colour), 8));
            }
            if (!s.name.empty())
                graph->addToLegend();
            if (s.errors.size() == s.points.size() && !s.errors.empty()) {
                auto* bars = new QCPErrorBars(m_plot->xAxis, m_plot->yAxis);
                bars->setDataPlottable(graph);
                QVector<QCPErrorBarsData> reach;
                for (const std::size_t i : order)
                    reach.append(QCPErrorBarsData(s.errors[i].below, s.errors[i].above));
                bars->setData(QSharedPointer<QCPErrorBarsDataContainer>(
                    new QCPErrorBarsDataContainer(reach)));
                bars->setPen(QPen(colour, 1));
                bars->setWhiskerWidth(6);
            }
        }
        // No empty frame where no curve has a name.
        m_plot->legend->setVisible(m_plot->legend->itemCount() > 0);
    }

    void placeLegend(const LineChart& chart) {
        using Place = LineChart::LegendPlace;
        QCPLayoutInset* inset = m_plot->axisRect()->insetLayout();
        QCPLayoutGrid* layout = m_plot->plotLayout();
        const bool outside = chart.legendPlace == Place::Outside;
        if (outside && !m_side) {
            // Beside the axes at their top, its own height: a column
            // whose lower part is empty.
            inset->take(m_plot->legend);
            m_side = new QCPLayoutGrid;
            layout->addElement(1, 1, m_side);
            layout->setColumnStretchFactor(1, 0.001);
            m_side->addElement(0, 0, m_plot->legend);
            m_side->addElement(1, 0, new QCPLayoutElement(m_plot));
            m_side->setRowStretchFactor(0, 0.001);
            m_plot->legend->setMargins(QMargins(4, 0, 4, 0));
        } else if (!outside && m_side) {
            m_side->take(m_plot->legend);
            layout->remove(m_side);
            m_side = nullptr;
            layout->simplify();
            inset->addElement(m_plot->legend, Qt::AlignRight | Qt::AlignBottom);
        }
        if (outside)
            return;
        Qt::Alignment at = Qt::AlignRight | (chart.legendAtTop ? Qt::AlignTop : Qt::AlignBottom);
        switch (chart.legendPlace) {
            case Place::TopLeft:
                at = Qt::AlignLeft | Qt::AlignTop;
                break;
            case Place::TopRight:
                at = Qt::AlignRight | Qt::AlignTop;
                break;
            case Place::BottomLeft:
                at = Qt::AlignLeft | Qt::AlignBottom;
                break;
            case Place::BottomRight:
                at = Qt::AlignRight | Qt::AlignBottom;
                break;
            default:
                break;
        }
        inset->setInsetAlignment(0, at);
    }

    // The label of the point nearest the pointer, within a marker's reach.
    void showPointLabel(const QPoint& at, const QPointF& global) {
        if (!m_control)
            return;
        const auto& chart = static_cast<LineChart&>(*m_control);
        const double reach = 8;
        double best = reach * reach;
        QString label;
        for (const LineSeries& s : chart.series()) {
            if (s.labels.size() != s.points.size())
                continue;
            for (std::size_t i = 0; i < s.points.size(); ++i) {
                const double px = m_plot->xAxis->coordToPixel(s.points[i].x) - at.x();
                const double py = m_plot->yAxis->coordToPixel(s.points[i].y) - at.y();
                if (px * px + py * py <= best) {
                    best = px * px + py * py;
                    label = qs(s.labels[i]);
                }
            }
        }
        if (label.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(global.toPoint(), label, m_plot);
    }

    QCustomPlot* m_plot;
    QCPLayoutGrid* m_side = nullptr;  // the legend's column beside the axes
    QPointer<QCustomPlot> m_partner;  // the plot whose x axis this one shares
};

}  // namespace

QWidget* createLineChartWidget(LineChart& chart, QWidget* parent) {
    return new LineChartWidget(chart, parent);
}

}  // namespace platform::qt
