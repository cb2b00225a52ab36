// The main window with real Qt widgets, offscreen: what a user sees after
// start-up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QWidget>
#include <cstdlib>

#include "forms/Mainfrm.h"
#include "forms/Report.h"
#include "platform/Application.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtPeers.h"

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
    QLabel* field(const char* name) const {
        auto* w = window->findChild<QLabel*>(name);
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
        {"SigTxt", "22.00", lime},   {"MuTxt", "1.324", yellow},     {"ZTxt", "17.13", yellow},
        {"ZstarTxt", "4.52", yellow}, {"KTxt", "1.051E+07", yellow}, {"WTxt", "24.396", yellow},
        {"TTxt", "20.0", lime},       {"ETxt", "0.123", yellow},     {"CurrTxt", "0.18", lime},
    };
    for (const Case& c : cases) {
        QLabel* w = field(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->text().toStdString(), c.text) << c.name;
        EXPECT_EQ(w->palette().color(w->backgroundRole()), c.colour) << c.name;
        EXPECT_EQ(w->accessibleDescription().toStdString(), c.text) << c.name;
    }
}

TEST_F(QtMainWindow, EveryFieldTextFitsItsBox) {
    for (QLabel* w : window->findChildren<QLabel*>()) {
        if (!w->objectName().endsWith("Txt"))
            continue;
        const int needed = QFontMetrics(w->font()).horizontalAdvance(w->text());
        EXPECT_LE(needed, w->contentsRect().width()) << w->objectName().toStdString();
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QApplication qtApp(qtArgc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
