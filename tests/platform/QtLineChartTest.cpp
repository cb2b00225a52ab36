// SPDX-License-Identifier: GPL-3.0-or-later

// Two line charts, one under the other with a shared x axis, with real Qt
// widgets offscreen: their plots' left and right edges line up on the
// screen, whatever the labels of their y axes and after a resize.

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QApplication>

#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/LineChart.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtPeers.h"

namespace {

using platform::AxisRange;
using platform::LineChart;

class SharedAxisForm : public platform::Form {
  public:
    SharedAxisForm() : Form(nullptr, "SharedAxisForm") {
        setClientSize(500, 400);
        Data = add<LineChart>("Data");
        Data->setBounds(8, 8, 484, 250);
        Data->setTitles("Profile", "x (cm)", "Signal");
        Residuals = add<LineChart>("Residuals");
        Residuals->setBounds(8, 258, 484, 134);
        Residuals->setTitles("", "x (cm)", "Residual");
        Residuals->shareBottomAxisWith(*Data);
    }
    std::string className() const override { return "TSharedAxisForm"; }
    LineChart* Data;
    LineChart* Residuals;
};

QCustomPlot* plotOf(QWidget& window, const char* chart) {
    QWidget* w = window.findChild<QWidget*>(chart);
    return w ? w->findChild<QCustomPlot*>("plot") : nullptr;
}

// State: the data's y labels and the residuals' differ in width (a new fit
// changes them). Expected: one x range, and both axes start and end at the
// same screen columns.
TEST(QtLineChart, GraphUnderAnotherSharesItsXAxisOnTheScreen) {
    platform::qt::QtBackend backend;
    platform::Application application{backend};
    SharedAxisForm form;
    form.Show();
    QWidget& window = backend.window(form);
    QCustomPlot* data = plotOf(window, "Data");
    QCustomPlot* residuals = plotOf(window, "Residuals");
    ASSERT_TRUE(data && residuals);

    struct Fit {
        const char* what;
        AxisRange x, signal, residual;
        int windowWidth;
    };
    const Fit fits[] = {
        {"wide signal labels", {5.9, 7.2}, {0, 125000}, {-0.01, 0.01}, 500},
        {"wide residual labels", {6.0, 7.0}, {0, 1}, {-0.000123456, 0.000123456}, 500},
        {"after a resize", {6.1, 7.1}, {0.001, 1000, true}, {-2, 2}, 640},
    };
    for (const Fit& fit : fits) {
        form.Data->bottomAxis = fit.x;
        form.Data->leftAxis = fit.signal;
        form.Data->appearanceChanged();
        form.Residuals->leftAxis = fit.residual;
        form.Residuals->appearanceChanged();
        form.setClientSize(fit.windowWidth, 400);
        form.Data->setWidth(fit.windowWidth - 16);
        form.Residuals->setWidth(fit.windowWidth - 16);
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents();
        EXPECT_EQ(residuals->xAxis->range(), data->xAxis->range()) << fit.what;
        EXPECT_EQ(residuals->xAxis->range(), QCPRange(fit.x.min, fit.x.max)) << fit.what;
        const QRect top = data->axisRect()->rect().translated(data->mapToGlobal(QPoint()));
        const QRect bottom =
            residuals->axisRect()->rect().translated(residuals->mapToGlobal(QPoint()));
        EXPECT_EQ(bottom.left(), top.left()) << fit.what;
        EXPECT_EQ(bottom.right(), top.right()) << fit.what;
        EXPECT_GT(top.width(), fit.windowWidth / 2) << fit.what;
    }
    form.Hide();
}

}  // namespace
