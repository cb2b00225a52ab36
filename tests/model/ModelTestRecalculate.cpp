// SPDX-License-Identifier: GPL-3.0-or-later

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model/FieldTable.h"
#include "model/Recalculate.h"
#include "model/Sampling.h"
#include "model/ValenceConversions.h"
#include "platform/base/NumberText.h"
#include "tests/support/ModelPass.h"

namespace {

using namespace model;
using platform::clLime;
using platform::clRed;
using platform::clYellow;
using platform::Color;

using Pass = testing_support::ModelPass;

TEST(Recalculate, StartUpTextsAndNoLogEntry) {
    const Pass p;
    const std::pair<FieldId, const char*> expected[] = {
        {FieldId::ATxt, "3.027"},  {FieldId::KTxt, "1.051E+07"}, {FieldId::KaTxt, "3.183"},
        {FieldId::HTxt, "1.1026"}, {FieldId::ETxt, "0.123"},     {FieldId::DHHTxt, "0.264"},
        {FieldId::ZTxt, "17.13"},  {FieldId::ZstarTxt, "4.52"},  {FieldId::MuTxt, "1.324"},
        {FieldId::WTxt, "24.396"}, {FieldId::SigTxt, "22.00"},
    };
    for (const auto& [id, text] : expected) {
        EXPECT_EQ(p.text(id), text) << fieldName(id);
    }
    EXPECT_TRUE(p.log.lines().empty());
    EXPECT_FALSE(p.s.SkipLogEntry);
    EXPECT_EQ(p.s.Mobility, 1.324);  // kept as shown
    EXPECT_NEAR(p.s.Valence, 17.1308, 5e-5);
    EXPECT_NEAR(p.s.EffectiveValence, 4.51590, 5e-6);
    EXPECT_NEAR(p.s.Friction, 5.466371, 5e-7);
    EXPECT_NEAR(p.s.Diffusion, 7.399758, 5e-7);
    ASSERT_EQ(p.series.points().size(), 35u);
    EXPECT_EQ(p.series.points().front().first, -17);
    EXPECT_EQ(p.series.points().back().first, 17);
}

TEST(Recalculate, ValenceTenGivesTheLoggedEntry) {
    Pass p;
    p.enterZ("10");
    EXPECT_EQ(p.text(FieldId::SigTxt), "12.84");
    EXPECT_EQ(p.text(FieldId::ZstarTxt), "2.64");
    EXPECT_EQ(p.text(FieldId::ZTxt), "10");
    EXPECT_EQ(p.text(FieldId::MuTxt), "0.773");
    EXPECT_EQ(p.text(FieldId::WTxt), "8.313");
    EXPECT_EQ(p.series.points().size(), 21u);

    const std::vector<std::string> expected = {
        "-------------------------------------------------------------",
        "Sigma and Z* calculated from Z: 10",
        "  E = 0.123 V/cm calculated from i = 0.18 mA, k= 19.2 mS, Cuvette = 0.04 cm^2",
        "  Sigma = 12.84 cm^-1, Z* = 2.64 and Z = 10",
        "  Using T = 20.0 C, I = 0.10 M, Rs = 2.90 nm, Ri = 0.127 nm, D = 78",
        "  Inverse Debye length= 1.051E+07 cm^-1, Ka= 3.183",
        "  Henry's function= 1.1026, and DHH slope (z*/z) = 0.264",
        "   z          We kJ/mol ",
        "   -10        8.31",
        "   -9         6.73",
        "   -8         5.32",
        "   -7         4.07",
        "   -6         2.99",
        "   -5         2.08",
        "   -4         1.33",
        "   -3         0.75",
        "   -2         0.33",
        "   -1         0.08",
        "   0          0.0",
        "   1          0.08",
        "   2          0.33",
        "   3          0.75",
        "   4          1.33",
        "   5          2.08",
        "   6          2.99",
        "   7          4.07",
        "   8          5.32",
        "   9          6.73",
        "   10         8.31",
    };
    EXPECT_EQ(p.log.lines(), expected);

    // A pass whose inputs did not change writes the same entry again.
    p.log.clear();
    p.run();
    EXPECT_EQ(p.log.lines(), expected);
}

TEST(Recalculate, ZstarEnteredSurvivesThePass) {
    Pass p;
    p.enterZstar("3");
    EXPECT_EQ(p.text(FieldId::ZstarTxt), "3.00");
    EXPECT_EQ(p.text(FieldId::ZTxt), "11.38");
    EXPECT_EQ(p.text(FieldId::SigTxt), "14.62");
    EXPECT_NEAR(p.s.EffectiveValence, 3, 1e-12);
    ASSERT_FALSE(p.log.lines().empty());
    EXPECT_EQ(p.log.lines()[1], "Sigma and Z calculated from Z*: 3.00");
}

TEST(Recalculate, ZeroValence) {
    Pass p;
    p.enterZ("0");
    EXPECT_EQ(p.text(FieldId::SigTxt), ".00");
    EXPECT_EQ(p.text(FieldId::ZstarTxt), ".00");
    ASSERT_EQ(p.series.points().size(), 1u);
    EXPECT_EQ(p.series.points()[0], std::make_pair(0.0, 0.0));
    EXPECT_EQ(p.log.lines().back(), "   0          0.0");
}

TEST(Recalculate, ColoursOfEveryState) {
    struct Case {
        const char* name;
        bool zCalc, zstarCalc, sigmaCalc, mobFromSigma, sigmaFromMob, eCalc, rsEntered;
        Color sig, mu, z, zstar;
        const char* header;
    };
    const Case cases[] = {
        {"start-up", true, true, false, true, false, true, true,  //
         clLime, clYellow, clYellow, clYellow, "Z and Z* calculated from Sigma: "},
        {"z entered", false, true, true, true, false, true, true,  //
         clYellow, clYellow, clLime, clYellow, "Sigma and Z* calculated from Z: "},
        {"z* entered", true, false, true, true, false, true, true,  //
         clYellow, clYellow, clYellow, clLime, "Sigma and Z calculated from Z*: "},
        {"mobility entered", true, true, true, false, true, false, false,  //
         clYellow, clLime, clYellow, clYellow, "Z and Z* calculated from Sigma: "},
        {"calculator kept z mode", true, true, true, true, false, false, true,  //
         clLime, clYellow, clYellow, clYellow, "Z and Z* calculated from Sigma: "},
    };
    for (const Case& c : cases) {
        Pass p;
        p.s.ZCalculated = c.zCalc;
        p.s.ZstarCalculated = c.zstarCalc;
        p.s.SigmaCalculated = c.sigmaCalc;
        p.s.MobilityFromSigma = c.mobFromSigma;
        p.s.SigmaFromMobility = c.sigmaFromMob;
        p.s.ECalculated = c.eCalc;
        p.s.StokesRadiusEntered = c.rsEntered;
        p.run();
        SCOPED_TRACE(c.name);
        EXPECT_EQ(p.fields.color(FieldId::SigTxt), c.sig);
        EXPECT_EQ(p.fields.color(FieldId::MuTxt), c.mu);
        EXPECT_EQ(p.fields.color(FieldId::ZTxt), c.z);
        EXPECT_EQ(p.fields.color(FieldId::ZstarTxt), c.zstar);
        EXPECT_EQ(p.fields.color(FieldId::ETxt), c.eCalc ? clYellow : clLime);
        for (FieldId id : {FieldId::CurrTxt, FieldId::CondTxt, FieldId::XTxt}) {
            EXPECT_EQ(p.fields.color(id), c.eCalc ? clLime : clRed);
        }
        EXPECT_EQ(p.fields.color(FieldId::RsTxt), c.rsEntered ? clLime : clYellow);
        for (FieldId id : {FieldId::ATxt, FieldId::KTxt, FieldId::KaTxt, FieldId::HTxt,
                           FieldId::DHHTxt, FieldId::WTxt}) {
            EXPECT_EQ(p.fields.color(id), clYellow);
        }
        for (FieldId id : {FieldId::TTxt, FieldId::ITxt, FieldId::DTxt, FieldId::RiTxt}) {
            EXPECT_EQ(p.fields.color(id), clLime);
        }
        // Exactly one header, whatever the flags.
        int headers = 0;
        for (const std::string& line : p.log.lines()) {
            if (line.find(" calculated from ") != std::string::npos && line[0] != ' ') {
                ++headers;
                EXPECT_EQ(line.rfind(c.header, 0), 0u) << line;
            }
        }
        EXPECT_EQ(headers, 1);
        EXPECT_EQ(p.log.lines()[2].find(c.eCalc ? "V/cm calculated" : "V/cm entered") !=
                      std::string::npos,
                  true)
            << p.log.lines()[2];
    }
}

TEST(Recalculate, AllThreeFlagsGiveTheValuesDerivedFromSigma) {
    // After the mobility calculator with a mobility entered: Sigma comes from
    // the mobility, z and z* from that Sigma, and nothing else runs.
    Pass p;
    p.s.Mobility = 1.0;
    p.s.SigmaCalculated = true;
    p.s.MobilityFromSigma = false;
    p.s.SigmaFromMobility = true;
    p.run();
    const double sigma = p.s.Sigma;
    EXPECT_EQ(p.text(FieldId::SigTxt), platform::FormatFloat("##0.0##", sigma));
    EXPECT_EQ(sigma, platform::StrToFloat(p.text(FieldId::SigTxt)));

    ModelState reference = p.s;
    FieldTable scratch;
    CalcZFromSigma(reference, scratch);
    CalcZstarFromSigma(reference, scratch);
    EXPECT_EQ(p.s.Valence, reference.Valence);
    EXPECT_EQ(p.s.EffectiveValence, reference.EffectiveValence);
    EXPECT_EQ(p.text(FieldId::ZTxt), scratch.text(FieldId::ZTxt));
    EXPECT_EQ(p.log.lines()[1],
              "Z and Z* calculated from Sigma: " + p.text(FieldId::SigTxt) + " cm^-1");
}

TEST(Recalculate, SigmaFromMobilityIsRoundedBeforeZ) {
    Pass p;
    p.s.Mobility = 1.2345;
    p.s.MobilityFromSigma = false;
    p.s.SigmaFromMobility = true;
    p.run();
    const double shown = platform::StrToFloat(p.text(FieldId::SigTxt));
    EXPECT_EQ(p.s.Sigma, shown);
    ModelState reference = p.s;
    FieldTable scratch;
    CalcZFromSigma(reference, scratch);
    EXPECT_EQ(p.s.Valence, reference.Valence);
}

TEST(Recalculate, HugeDerivedValenceStaysBounded) {
    // E from the smallest current with the largest conductivity and
    // cross-section: the valence derived from Sigma exceeds 1e14.
    Pass p;
    p.s.EField = 2e-10;
    p.s.Sigma = 300;
    p.s.IonicStrength = 6.5;
    p.s.StokesRadius = 1000;
    p.run();
    EXPECT_GT(std::abs(p.s.Valence), 1e14);
    const auto& points = p.series.points();
    EXPECT_LE(points.size(), 19999u);
    EXPECT_EQ(points.front().first, -points.back().first);
    const std::int64_t n = valenceMagnitude(p.s.Valence);
    const double step = points[1].first - points[0].first;
    EXPECT_GT(points.back().first, static_cast<double>(n) - step);
    EXPECT_LE(points.back().first, static_cast<double>(n));
    EXPECT_EQ(p.log.lines().size(), 8u + 26u);
}

}  // namespace
