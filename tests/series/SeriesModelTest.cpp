// SPDX-License-Identifier: GPL-3.0-or-later

// A series under the models not linear in z, registered as the programs do
// at start-up: each row's model and salt, and what a row says when no
// valence or two give its z*.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "electrokinetics/ModelChoice.h"
#include "series/Series.h"

namespace {

using series::Series;

Series seriesOf(const std::string& csv) {
    Series s;
    std::istringstream in(csv);
    s.read(in);
    return s;
}

std::string valence(const Series& s, std::size_t row) {
    const std::vector<std::string> names = s.resultNames();
    const auto at = std::find(names.begin(), names.end(), "ValenceResult") - names.begin();
    return s.resultText(row, static_cast<std::size_t>(at));
}

// Each row under its model and salt, as quorvin-batch gives it; the salt a
// note under a model linear in z; an unknown salt refused in its cell; the
// file written in the ';' dialect with the rows' notes, and read back to
// the same rows.
TEST(SeriesModels, ModelAndSaltColumnsChooseEachRowsModel) {
    electrokinetics::registerModels();
    const Series s = seriesOf(
        "\xEF\xBB\xBFSample;Sigma;StokesRadius (nm);Mobility;Model;Salt\r\n"
        "a;22;;;ohshima-relaxation;\r\n"
        "b;22;;;ohshima-relaxation;kcl\r\n"
        "c;22;;;henry;NaFoo\r\n"
        "d;;3;3,7;standard;NaCl\r\n"
        "e;22;;;standard;NaFoo\r\n");
    EXPECT_EQ(valence(s, 0), "17.82");
    EXPECT_EQ(s.rowNotice(0),
              "two valences give z* = 4.5159 under Ohshima (2001) in NaCl: z = 17.8205 and z = "
              "196.3162; the lower taken");
    EXPECT_NE(valence(s, 1), valence(s, 0)) << "KCl's ions are not NaCl's";
    EXPECT_EQ(s.rowEntries(1).salt, "KCl");
    EXPECT_EQ(s.rowEntries(1).model, model::ElectrokineticModel::OhshimaRelaxation);
    EXPECT_EQ(valence(s, 2), "17.06") << "a salt under Henry's function is a note";
    EXPECT_EQ(s.rowError(3),
              "no valence gives z* = 13.06 under Standard model in NaCl: it is "
              "above the largest the model gives");
    EXPECT_EQ(valence(s, 3), "");
    EXPECT_EQ(s.cellError(4, 5).rfind("Salt = \"NaFoo\" is not one of NaCl, KCl,", 0), 0u)
        << s.cellError(4, 5);
    const std::string text = s.text();
    EXPECT_NE(text.find(";ohshima-relaxation;kcl;"), std::string::npos) << text;
    EXPECT_NE(text.find("; the lower taken\"\r\n"), std::string::npos) << text;
    const Series again = seriesOf(text);
    EXPECT_EQ(again.text(), text);
}

}  // namespace
