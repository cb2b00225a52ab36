// SPDX-License-Identifier: GPL-3.0-or-later

// The three calculators with real Qt widgets, offscreen: every caption,
// label and value fits its box, also with the longest texts they show.
// With QUORVIN_SCREENSHOT_DIR set, each calculator is saved there as a PNG.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "forms/Dcalc.h"
#include "forms/Efield.h"
#include "forms/Mainfrm.h"
#include "forms/Mucalc.h"
#include "forms/Report.h"
#include "platform/Application.h"
#include "platform/qt/QtBackend.h"
#include "platform/qt/QtPeers.h"

namespace {

class QtCalculators : public ::testing::Test {
  protected:
    // Shows form modeless, as a user would see it when it opens, checks
    // that nothing is clipped and saves a picture of it.
    void look(platform::Form& form, const std::string& file) {
        form.Show();
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        QWidget& w = backend.window(form);
        EXPECT_EQ(w.windowTitle().toStdString(), form.caption());
        expectFits(form);
        if (const char* dir = std::getenv("QUORVIN_SCREENSHOT_DIR"))
            w.grab().save(QString::fromStdString(std::string(dir) + "/" + file));
        form.Hide();
    }

    void expectFits(const platform::Control& parent) {
        for (const auto& child : parent.children()) {
            const platform::Control& c = *child;
            const platform::Rect r = c.bounds();
            EXPECT_LE(r.right(), parent.bounds().width) << c.name() << " leaves its parent";
            EXPECT_LE(r.bottom(), parent.bounds().height) << c.name() << " leaves its parent";
            const QFont base = platform::qt::toQFont(c.font());
            const QFontMetrics fm(base);
            if (auto* label = dynamic_cast<const platform::Label*>(&c)) {
                QFont raised = base;
                raised.setBold(false);
                raised.setPointSizeF(base.pointSizeF() * 0.8);
                const QFontMetrics rm(raised);
                int width = 0;
                for (const auto& run : label->runs())
                    width +=
                        (run.raised ? rm : fm).horizontalAdvance(QString::fromStdString(run.text));
                EXPECT_LE(width, r.width) << c.name() << " \"" << c.text() << "\"";
                EXPECT_LE(fm.height(), r.height + 2) << c.name();
            } else if (dynamic_cast<const platform::StaticText*>(&c)) {
                // One pixel of sunken frame a side.
                const int width = fm.horizontalAdvance(QString::fromStdString(c.text()));
                EXPECT_LE(width, r.width - 2) << c.name() << " \"" << c.text() << "\"";
                EXPECT_LE(fm.height(), r.height - 2) << c.name();
            } else if (dynamic_cast<const platform::GroupBox*>(&c)) {
                const int width = fm.horizontalAdvance(QString::fromStdString(c.text()));
                EXPECT_LE(width + 12, r.width) << c.name();
            }
            expectFits(c);
        }
    }

    platform::qt::QtBackend backend;
    platform::Application application{backend};
};

TEST_F(QtCalculators, EFieldCalculatorShowsEverythingUnclipped) {
    forms::TEFieldCalculator calc(nullptr);
    calc.Current = 0.18;
    calc.Conductance = 19.2;
    calc.XSection = 0.04;
    calc.EField = 0.123;
    look(calc, "efield.png");
    EXPECT_EQ(calc.ETxt->text(), "0.234");
    // The largest E the ranges allow: 100 mA / (1e-6 mS/cm x 0.01 cm^2).
    calc.Current = 100;
    calc.Conductance = 1e-6;
    calc.XSection = 0.01;
    look(calc, "efield-largest.png");
    EXPECT_EQ(calc.ETxt->text(), "10000000000.00");
}

TEST_F(QtCalculators, DCalculatorShowsEverythingUnclipped) {
    forms::TDCalculator calc(nullptr);
    calc.Temperature = 20;
    calc.Viscosity = 1;
    calc.StokesRadius = 2.9;
    look(calc, "dcalc.png");
    EXPECT_EQ(calc.Dtxt->text(), "7.4");
    // The largest D the ranges allow: Rs 0.1 nm at 0.001 cP and 100 degrees.
    calc.Temperature = 100;
    calc.Viscosity = 0.001;
    calc.StokesRadius = 0.1;
    look(calc, "dcalc-largest.png");
    EXPECT_EQ(calc.Dtxt->text(), "273184.908");
}

TEST_F(QtCalculators, MobilityCalculatorShowsEverythingUnclipped) {
    forms::TMuCalculator calc(nullptr);
    calc.Diffusion = 7.399757615912117;
    calc.Viscosity = 1;
    calc.Temperature = 20;
    calc.StokesRadius = 2.9;
    calc.EField = 0.123;
    calc.Conductivity = 19.2;
    calc.XSection = 0.04;
    calc.Current = 0.18;
    calc.StokesRadiusEntered = true;
    calc.ECalculated = true;
    // Sigma as the main window holds it after a z entry: 15 digits.
    calc.Sigma = -1284.12345678901;
    look(calc, "mucalc.png");
    EXPECT_EQ(calc.SigTxt->text(), "-1284.12345678901");
    calc.Sigma = 22;
    calc.Temperature = 37.123456789;
    calc.ECalculated = false;
    look(calc, "mucalc-entered-e.png");
}

// The main window opens the mobility calculator, which opens the E field
// calculator, each in a real modal loop; OK at both levels reaches the main
// window's fields.
TEST_F(QtCalculators, NestedCalculatorsRunModallyFromTheMainWindow) {
    application.CreateForm(forms::OpeningForm);
    application.CreateForm(forms::ReportFrm);
    forms::OpeningForm->Show();
    QApplication::processEvents();
    // A dialog left open would hang the test.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        std::fprintf(stderr, "a calculator did not close\n");
        std::_Exit(1);
    });
    watchdog.start(20000);

    bool sawMobility = false, sawField = false;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(forms::MuCalculator, nullptr);
        sawMobility = backend.window(*forms::MuCalculator).isVisible();
        QTimer::singleShot(0, [&] {
            ASSERT_NE(forms::EFieldCalculator, nullptr);
            QWidget& w = backend.window(*forms::EFieldCalculator);
            sawField = w.isVisible() && w.isModal();
            forms::EFieldCalculator->BitBtn2->userPress();
        });
        forms::MuCalculator->ETxt->userClick();
        forms::MuCalculator->BitBtn2->userPress();
    });
    forms::OpeningForm->MuTxt->userClick();

    EXPECT_TRUE(sawMobility);
    EXPECT_TRUE(sawField);
    EXPECT_EQ(forms::MuCalculator, nullptr);
    EXPECT_EQ(forms::EFieldCalculator, nullptr);
    EXPECT_FALSE(forms::OpeningForm->ECalculated) << "E was opened for direct entry";
    QApplication::processEvents();
    auto* curr =
        backend.window(*forms::OpeningForm).findChild<platform::qt::StaticTextWidget*>("CurrTxt");
    ASSERT_NE(curr, nullptr);
    EXPECT_EQ(curr->palette().color(curr->backgroundRole()), QColor(255, 0, 0));
    forms::OpeningForm->Hide();
    forms::OpeningForm = nullptr;
    forms::ReportFrm = nullptr;
}

}  // namespace
