// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fit/Scan.h"

namespace {

TEST(ScanReader, ReadsEitherLayout) {
    struct Case {
        const char* text;
        std::vector<double> x;
        std::vector<double> signal;
        std::vector<double> sd;
        std::optional<double> temperature;
        std::optional<double> elapsed;
    };
    const std::vector<Case> cases = {
        {"6.0 0.10\n6.1\t0.20\n", {6.0, 6.1}, {0.10, 0.20}, {}, {}, {}},
        // Spreadsheets' ";" with decimal commas; a unit of x converted to cm,
        // a blank before a bracketed unit kept with its name.
        {"6,0;0,1\n6,1 ; 0,2\n", {6.0, 6.1}, {0.1, 0.2}, {}, {}, {}},
        {"\xEF\xBB\xBFPosition (mm);Absorbance (AU);SD (AU)\r\n60,0;0,10;0,01\r\n"
         "61,5;0,20;0,02\r\n",
         {6.0, 6.15},
         {0.1, 0.2},
         {0.01, 0.02},
         {},
         {}},
        {"x [cm]\tsignal\n6.0\t0.1\n6.1\t0.2\n", {6.0, 6.1}, {0.1, 0.2}, {}, {}, {}},
        {"Radius (cm) Absorbance (OD) SD (OD)\n6.0 0.1 0.01\n6.1 0.2 0.02\n",
         {6.0, 6.1},
         {0.1, 0.2},
         {0.01, 0.02},
         {},
         {}},
        {"x (\u00b5m),c (g/L),c SD (g / L)\n60000,1,0.1\n61000,2,0.2\n",
         {6.0, 6.1},
         {1, 2},
         {0.1, 0.2},
         {},
         {}},
        {"r (m);Fluorescence\n0,0625;1200\n", {6.25}, {1200}, {}, {}, {}},
        {"\xEF\xBB\xBFx,signal,sd\r\n6.0, 0.1 ,0.01\r\n# a comment\r\n\r\n6.1;0.2;0.02 # note\r\n",
         {6.0, 6.1},
         {0.1, 0.2},
         {0.01, 0.02},
         {},
         {}},
        {"# made on the 3rd\nposition\tabsorbance\n  6.0   1e-1\n6.1 2E-1",
         {6.0, 6.1},
         {0.1, 0.2},
         {},
         {},
         {}},
        {"Cell 1, BSA in 0.1 M NaCl\nR 1 20.0 3000 7200 7.1E+08 280 1\n6.0 0.1 0.005\n"
         "6.1 0.2 0.006\n",
         {6.0, 6.1},
         {0.1, 0.2},
         {0.005, 0.006},
         20.0,
         7200},
        {"Intensity scan\rI 2 4.5 42000 360 2.5E+09 500 3\r6.0 1200\r6.1 1500\r",
         {6.0, 6.1},
         {1200, 1500},
         {},
         4.5,
         360},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const fit::Scan scan = fit::readScan(c.text, "s.txt");
        EXPECT_EQ(scan.x, c.x);
        EXPECT_EQ(scan.signal, c.signal);
        EXPECT_EQ(scan.sd, c.sd);
        EXPECT_EQ(scan.temperature, c.temperature);
        EXPECT_EQ(scan.elapsedSeconds, c.elapsed);
    }
}

TEST(ScanReader, RefusesWithTheFileLineAndColumn) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"", "s.txt, line 1, column 1: the file holds no data rows"},
        {"# only a comment\nx y\n", "s.txt, line 2, column 1: the file holds no data rows"},
        {"6.0 0.1 0.01 1\n", "s.txt, line 1, column 4: a row has at most three columns"},
        {"6.0 0,1\n", "s.txt, line 1, column 3: \",\" after \" \" in one row"},
        {"6,0;0,1 2\n", "s.txt, line 1, column 2: the signal \"0,1 2\" is not a number"},
        // A unit of x that is not a length, never taken as cm; columns out of
        // place; an SD in another unit than the signal's.
        {"Position (px);Absorbance\n1;2\n",
         "s.txt, line 1, column 1: the position x is read in cm, mm, \u00b5m or m, not \"px\""},
        {"Absorbance (AU),Position (mm)\n1,2\n",
         "s.txt, line 1, column 1: the position x is read in cm, mm, \u00b5m or m, not \"AU\""},
        {"Signal\tRadius (cm)\n1\t2\n",
         "s.txt, line 1, column 2: the header \"Radius (cm)\" reads as the position x, but "
         "column 2 holds the signal"},
        {"x sd signal\n", "s.txt, line 1, column 2: the header \"sd\" reads as the SD"},
        {"x,Postion,sd\n",
         "s.txt, line 1, column 2: the header \"Postion\" reads as the "
         "position x"},
        {"x;signal (AU);SD (%)\n1;2;3\n",
         "s.txt, line 1, column 3: the SD is in \"%\", the signal in \"AU\": the SD must be in "
         "the signal's unit"},
        {"x;signal;SD (AU)\n1;2;3\n",
         "s.txt, line 1, column 3: the SD is in \"AU\", but the signal's header gives no unit"},
        {"6.0 0.1\n6.1 O.2\n", "s.txt, line 2, column 2: the signal \"O.2\" is not a number"},
        {"6.0 0.1\n6.1\n", "s.txt, line 2, column 2: a row needs the position and the signal"},
        {"6.0 0.1\n6.1 0.2 0.01\n",
         "s.txt, line 2, column 3: this row has 3 columns, the first row 2"},
        {"6.0 0.1 0\n", "s.txt, line 1, column 3: the standard deviation must be greater than 0"},
        {"6.0,,0.1\n", "s.txt, line 1, column 2: an empty field"},
        {"6.0;0.1;\n", "s.txt, line 1, column 3: an empty field after the last separator"},
        {"x y\n6.0 0.1\nx y\n", "s.txt, line 3, column 1: the position \"x\" is not a number"},
        {"x 0.5\n6.0 0.1\n", "s.txt, line 1, column 1: the position \"x\" is not a number"},
        {"6.0 nan\n", "s.txt, line 1, column 2: the signal \"nan\" is not a number"},
        {"6.0 1e999\n", "s.txt, line 1, column 2: the signal \"1e999\" is not a number"},
        {"6.0 \x1b[2J\n", "s.txt, line 1, column 2: the signal \"\\x1b[2J\" is not a number"},
        {"d\nR 1 20 3000 -5 7.1E+08 280 1\n6 1\n",
         "s.txt, line 2, column 5: the elapsed time is negative"},
        {"d\nR 1 20 3000 7200 7.1E+08 280 1\n6 1\n7 x\n",
         "s.txt, line 4, column 2: the signal \"x\" is not a number"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        try {
            fit::readScan(text, "s.txt");
            ADD_FAILURE() << "accepted";
        } catch (const fit::ScanError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(message, 0), 0u) << e.what();
        }
    }
}

}  // namespace
