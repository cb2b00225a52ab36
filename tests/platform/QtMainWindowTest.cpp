// SPDX-License-Identifier: GPL-3.0-or-later

// The main window with real Qt widgets, offscreen: what a user sees after
// start-up.
#include <gtest/gtest.h>

#include <qcustomplot.h>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QWidget>
#include <QXmlStreamReader>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "forms/Henrymodels.h"
#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "forms/Uncertainty.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtPeers.h"
#include "tests/support/Files.h"

namespace {

class QtMainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        application.CreateForm(forms::OpeningForm);
        application.CreateForm(forms::ReportFrm);
        forms::OpeningForm->Show();
        QApplication::processEvents();
        window = &backend.window(*forms::OpeningForm);
    }
    void TearDown() override {
        forms::OpeningForm->Hide();
        forms::OpeningForm = nullptr;
        forms::ReportFrm = nullptr;
    }
    platform::qt::StaticTextWidget* field(const char* name) const {
        auto* w = window->findChild<platform::qt::StaticTextWidget*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    platform::qt::QtBackend backend;
    platform::Application application{backend};
    platform::qt::FormWindow* window = nullptr;
};

TEST_F(QtMainWindow, ShowsTheStartUpResultsInTheirColours) {
    struct Case {
        const char* name;
        const char* text;
        QColor colour;
    };
    const QColor lime(0, 255, 0), yellow(255, 255, 0);
    const Case cases[] = {
        {"SigTxt", "22.00", lime},    {"MuTxt", "1.324", yellow},    {"ZTxt", "17.13", yellow},
        {"ZstarTxt", "4.52", yellow}, {"KTxt", "1.051E+07", yellow}, {"WTxt", "24.396", yellow},
        {"TTxt", "20.0", lime},       {"ETxt", "0.123", yellow},     {"CurrTxt", "0.18", lime},
    };
    for (const Case& c : cases) {
        auto* w = field(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->text().toStdString(), c.text) << c.name;
        EXPECT_EQ(w->palette().color(w->backgroundRole()), c.colour) << c.name;
        // Not by colour alone: the description and the tooltip say the role.
        const std::string role = c.colour == lime ? "entered" : "calculated";
        EXPECT_EQ(w->accessibleDescription().toStdString(), std::string(c.text) + ", " + role)
            << c.name;
        EXPECT_EQ(w->toolTip().toStdString(), role) << c.name;
    }
}

TEST_F(QtMainWindow, EveryFieldTextFitsItsBox) {
    for (auto* w : window->findChildren<platform::qt::StaticTextWidget*>()) {
        if (!w->objectName().endsWith("Txt"))
            continue;
        const int needed = QFontMetrics(w->font()).horizontalAdvance(w->text());
        EXPECT_LE(needed, w->textRect().width()) << w->objectName().toStdString();
    }
}

// The output of a command line, or empty when it cannot run.
// Closes the next message box when it shows, keeping its text.
void closeMessageBox(std::string& text) {
    QTimer::singleShot(0, [&text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text().toStdString();
            box->close();
        }
    });
}

std::string commandOutput(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return out;
    std::array<char, 4096> buffer{};
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe.get()))
        out.append(buffer.data(), n);
    return out;
}

TEST_F(QtMainWindow, GraphPrintsToPdfInBothOrientations) {
    testing_support::TempFolder temp("quorvin-print");
    const std::filesystem::path& dir = temp.path();
    std::string sizes[2];
    for (int landscape = 0; landscape < 2; ++landscape) {
        const auto pdf = dir / (landscape ? "landscape.pdf" : "portrait.pdf");
        platform::services().setCurrentPrinter({"PDF", pdf.string()});
        forms::TOpeningForm& f = *forms::OpeningForm;
        std::string said;
        closeMessageBox(said);
        (landscape ? f.Printgraphlandscape1 : f.Printgraph1)->userClick(&f);
        EXPECT_EQ(said, "The graph was printed to \"" + pdf.string() + "\".");
        ASSERT_TRUE(std::filesystem::is_regular_file(pdf));
        const std::string text = commandOutput("pdftotext '" + pdf.string() + "' -");
        EXPECT_NE(text.find("Ge as a function of z"), std::string::npos) << text;
        EXPECT_NE(text.find("Ge (kJ/mol)"), std::string::npos) << text;
        EXPECT_NE(text.find("T = 20.0 \u00b0C, I = 0.10 M"), std::string::npos) << text;
        const std::string info = commandOutput("pdfinfo '" + pdf.string() + "'");
        const auto at = info.find("Page size:");
        ASSERT_NE(at, std::string::npos) << info;
        sizes[landscape] = info.substr(at, info.find('\n', at) - at);
    }
    // "Page size: 595 x 842 pts (A4)": width and height swap.
    const auto dims = [](const std::string& line) {
        double w = 0, h = 0;
        std::sscanf(line.c_str(), "Page size: %lf x %lf", &w, &h);
        return std::pair(w, h);
    };
    const auto [pw, ph] = dims(sizes[0]);
    const auto [lw, lh] = dims(sizes[1]);
    EXPECT_LT(pw, ph) << sizes[0];
    EXPECT_GT(lw, lh) << sizes[1];
    if (HasFailure() || std::getenv("KEEPPDF"))
        temp.keep();
}

// Every graph of the program written as PNG, SVG and PDF: a journal column
// wide, the caption under the plot as text in the drawings.
TEST_F(QtMainWindow, EveryGraphIsSavedInEachFormatWithItsCaption) {
    forms::TOpeningForm& f = *forms::OpeningForm;
    f.HenryModels1->userClick(&f);
    f.Uncertainty1->userClick(&f);
    QApplication::processEvents();
    testing_support::TempFolder temp("quorvin-images");
    const std::pair<const char*, platform::Graph*> graphs[] = {
        {"main", f.Chart1},
        {"henry", forms::OpeningForm->henryModelsWindow()->Chart1},
        {"mobility", forms::OpeningForm->henryModelsWindow()->Chart2},
        {"uncertainty", forms::OpeningForm->uncertaintyWindow()->Chart1}};
    for (const auto& [name, graph] : graphs) {
        SCOPED_TRACE(name);
        ASSERT_EQ(graph->caption, f.Chart1->caption);
        const auto path = [&](const char* ext) { return (temp.path() / name).string() + ext; };
        graph->SaveImage({path(".png"), platform::ImageFormat::Png, 600});
        const QImage png(QString::fromStdString(path(".png")));
        EXPECT_NEAR(png.width(), 8.5 / 2.54 * 600, 3);
        EXPECT_NEAR(png.dotsPerMeterX() * 0.0254, 600, 1);

        graph->SaveImage({path(".svg"), platform::ImageFormat::Svg, 0});
        const std::string svg = testing_support::readFile(path(".svg"));
        for (const char* piece : {"T = 20.0 \u00b0C", "Sigma = 22.00 cm\u207b\u00b9 entered",
                                  "Quorvin " QUORVIN_VERSION})
            EXPECT_NE(svg.find(piece), std::string::npos) << piece;

        graph->SaveImage({path(".pdf"), platform::ImageFormat::Pdf, 0});
        const std::string text = commandOutput("pdftotext '" + path(".pdf") + "' -");
        EXPECT_NE(text.find("Rs = 2.90 nm"), std::string::npos) << text;
        EXPECT_NE(text.find("Quorvin " QUORVIN_VERSION), std::string::npos) << text;
    }
    forms::OpeningForm->uncertaintyWindow()->Hide();
    forms::OpeningForm->henryModelsWindow()->Hide();
    if (HasFailure() || std::getenv("KEEPPDF"))
        temp.keep();
}

TEST_F(QtMainWindow, CopiedGraphIsAnSvgWithEveryPointAndAPng) {
    forms::TOpeningForm& f = *forms::OpeningForm;
    f.Copygraphtoclipboard1->userClick(&f);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat("image/svg+xml"));
    EXPECT_TRUE(data->hasImage());
    EXPECT_FALSE(qvariant_cast<QImage>(data->imageData()).isNull());

    QXmlStreamReader svg(data->data("image/svg+xml"));
    int markers = 0;
    bool titled = false;
    while (!svg.atEnd()) {
        svg.readNext();
        if (svg.isStartElement() && svg.name() == u"rect")
            ++markers;
        if (svg.isCharacters() && svg.text().contains(u"Ge as a function of z"))
            titled = true;
    }
    EXPECT_FALSE(svg.hasError()) << svg.errorString().toStdString();
    EXPECT_TRUE(titled);
    // The 35 red squares of the start-up curve, besides any frame.
    EXPECT_GE(markers, 35);
}

TEST_F(QtMainWindow, OutputRightAfterAPassHasTheNewPoints) {
    forms::TOpeningForm& f = *forms::OpeningForm;
    f.ZTxt->setText("200");
    f.Valence = 200;
    f.ZCalculated = false;
    f.ZstarCalculated = true;
    f.SigmaCalculated = true;
    f.Recalculate();
    // No event has run since the pass: output brings the plot up to date.
    auto* chart = dynamic_cast<platform::qt::ChartWidget*>(f.Chart1->peer());
    ASSERT_NE(chart, nullptr);
    chart->refresh();
    const auto& points = f.Chart1->series().points();
    ASSERT_EQ(chart->plot()->graph(0)->dataCount(), static_cast<int>(points.size()));
    EXPECT_GT(points.size(), 35u);
    EXPECT_DOUBLE_EQ(chart->plot()->graph(0)->data()->at(0)->key, points.front().x);
    EXPECT_GT(chart->plot()->xAxis->range().upper, points.back().x);
}

// The dark pixels of a widget's picture inside the given rectangle.
QRect inkOf(QWidget& w, const QRect& inside) {
    const QImage picture = w.grab().toImage();
    const qreal ratio = picture.devicePixelRatio();
    QRect ink;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (qGray(picture.pixel(int(x * ratio), int(y * ratio))) < 100)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

TEST_F(QtMainWindow, FieldsDrawTheirTextCentredInTheirBox) {
    for (const char* name : {"SigTxt", "ZTxt", "KTxt", "DTxt", "CurrTxt"}) {
        auto* w = field(name);
        ASSERT_NE(w, nullptr);
        const QRect box = w->contentsRect().adjusted(1, 1, -1, -1);
        const QRect ink = inkOf(*w, box);
        ASSERT_FALSE(ink.isEmpty()) << name << " shows no text";
        const int textWidth = QFontMetrics(w->font()).horizontalAdvance(w->text());
        EXPECT_NEAR(ink.width(), textWidth, 3) << name;
        EXPECT_NEAR(ink.center().x(), box.center().x(), 2) << name;
        EXPECT_NEAR(ink.center().y(), box.center().y(), 3) << name;
    }
}

// The first picture of the main window, not a later one, shows the graph
// with its points.
TEST(QtMainWindowStart, FirstPictureOfTheGraphHasItsPoints) {
    // The points of the plot's last redraw, which is what a paint shows.
    class FirstPaint : public QObject {
      public:
        bool eventFilter(QObject* watched, QEvent* e) override {
            auto* plot = qobject_cast<QCustomPlot*>(watched);
            if (!plot || plot->objectName() != "plot")
                return false;
            if (!watching) {
                watching = true;
                connect(plot, &QCustomPlot::afterReplot, this,
                        [this, plot] { pointsDrawn = plot->graph(0)->dataCount(); });
            }
            if (e->type() == QEvent::Paint && pointsShown < 0)
                pointsShown = pointsDrawn;
            return false;
        }
        bool watching = false;
        int pointsDrawn = 0;
        int pointsShown = -1;
    } firstPaint;
    platform::qt::QtBackend backend;
    platform::Application application{backend};
    application.CreateForm(forms::OpeningForm);
    application.CreateForm(forms::ReportFrm);
    qApp->installEventFilter(&firstPaint);
    forms::OpeningForm->Show();
    for (int i = 0; i < 200 && firstPaint.pointsShown < 0; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    qApp->removeEventFilter(&firstPaint);
    EXPECT_EQ(firstPaint.pointsShown,
              static_cast<int>(forms::OpeningForm->Chart1->series().points().size()));
    EXPECT_EQ(firstPaint.pointsShown, 35);
    forms::OpeningForm->Hide();
    forms::OpeningForm = nullptr;
    forms::ReportFrm = nullptr;
}

}  // namespace
