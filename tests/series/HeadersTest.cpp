// SPDX-License-Identifier: GPL-3.0-or-later

// Headers as spreadsheets, instruments and Quorvin itself write them: names,
// synonyms, units and their conversions, refusals with their place, the
// notice of start-up values, and texts protected against formulas.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "series/Headers.h"
#include "series/Series.h"

using model::Quantity;
using series::HeaderRole;

namespace {

series::Series seriesOf(const std::string& csv) {
    series::Series s;
    std::istringstream in(csv);
    s.read(in);
    return s;
}

}  // namespace

TEST(Headers, NamesSynonymsAndUnitsAreRecognised) {
    const struct {
        const char* header;
        HeaderRole role;
        Quantity quantity;
        double divide;
    } cases[] = {
        {"Mobility (10^-4 cm^2/(V s))", HeaderRole::Input, Quantity::Mobility, 1},
        {"Mobility (10\u207b\u2074 cm\u00b2/(V s))", HeaderRole::Input, Quantity::Mobility, 1},
        {"Mobility [10-4 cm2/Vs]", HeaderRole::Input, Quantity::Mobility, 1},
        {"mobility (1e-4 cm2/(V*s))", HeaderRole::Input, Quantity::Mobility, 1},
        {"Electrophoretic mobility (\u00b5m cm/(V s))", HeaderRole::Input, Quantity::Mobility, 1},
        {"Electrophoretic_Mobility (\u00b5mcm/Vs)", HeaderRole::Input, Quantity::Mobility, 1},
        {"Mobility (x10^{-4} cm^{2}/V-s)", HeaderRole::Input, Quantity::Mobility, 1},
        {"Temperature (\u00b0C)", HeaderRole::Input, Quantity::Temperature, 1},
        {"Temp (C)", HeaderRole::Input, Quantity::Temperature, 1},
        {"T [degC]", HeaderRole::Input, Quantity::Temperature, 1},
        {"Ionic Strength", HeaderRole::Input, Quantity::IonicStrength, 1},
        {"ionic_strength (mol/L)", HeaderRole::Input, Quantity::IonicStrength, 1},
        {"IonicStrength [mM]", HeaderRole::Input, Quantity::IonicStrength, 1000},
        {"I (\u00b5M)", HeaderRole::Input, Quantity::IonicStrength, 1e6},
        {"Stokes radius (nm)", HeaderRole::Input, Quantity::StokesRadius, 1},
        {"Rs (\u00c5)", HeaderRole::Input, Quantity::StokesRadius, 10},
        {"Sigma (cm\u207b\u00b9)", HeaderRole::Input, Quantity::Sigma, 1},
        {"z*", HeaderRole::Input, Quantity::EffectiveValence, 1},
        {"Cuvette x-section (cm\u00b2)", HeaderRole::Input, Quantity::XSection, 1},
        {"Conductivity (\u00b5S/cm)", HeaderRole::Input, Quantity::Conductivity, 1000},
        {"Mobility SD (10^-4 cm^2/(V s))", HeaderRole::SD, Quantity::Mobility, 1},
        {"ionic-strength-sd (mM)", HeaderRole::SD, Quantity::IonicStrength, 1000},
        {"TemperatureDist", HeaderRole::Dist, Quantity::Temperature, 1},
        {"MobilityResult", HeaderRole::Result, Quantity::Mobility, 1},
        {"ValenceResult", HeaderRole::Result, Quantity::Valence, 1},
        {"HenryFunction", HeaderRole::Result, Quantity::HenryFunction, 1},
        {"ValenceGumU", HeaderRole::Uncertainty, {}, 1},
        {"UncertaintyRejected", HeaderRole::Uncertainty, {}, 1},
        {"pH", HeaderRole::Text, {}, 1},
        {"Buffer", HeaderRole::Text, {}, 1},
        {"Notes", HeaderRole::Text, {}, 1},
        {"ID", HeaderRole::Text, {}, 1},
        {"sample", HeaderRole::Sample, {}, 1},
    };
    for (const auto& c : cases) {
        const series::HeaderReading r = series::readHeader(c.header);
        EXPECT_EQ(r.refusal, "") << c.header;
        EXPECT_EQ(r.header.role, c.role) << c.header;
        if (c.role != HeaderRole::Text && c.role != HeaderRole::Uncertainty &&
            c.role != HeaderRole::Sample)
            EXPECT_EQ(r.header.quantity, c.quantity) << c.header;
        EXPECT_EQ(r.header.divide, c.divide) << c.header;
    }
}

TEST(Headers, ResemblingColumnsAndUnitsNotTakenAreRefusedWithTheirPlace) {
    const std::pair<const char*, const char*> cases[] = {
        {"Sample,Temperature (K)", "line 1, column 2: the column Temperature in K is refused"},
        {"Mobility (m/s)", "line 1, column 1: the column Mobility is in 10^-4 cm^2/(V s), not"},
        {"Electrophoretic mobility (cm/s)", "column 1: the column Mobility is in"},
        {"Dielectric (F/m)", "column 1: the column Dielectric has no unit, but the header gives"},
        {"Sample,Mobilty",
         "line 1, column 2: the column \"Mobilty\" is not a column Quorvin knows"},
        {"Sigma value", "resembles Sigma"},
        {"Ionic strenght", "resembles IonicStrength"},
        {"Mobility,Temperature,temperature (C)",
         "column 3: the column \"temperature (C)\" appears "
         "twice"},
        {"Mobility,TemperatureSD",
         "column 2: the column \"TemperatureSD\" gives the uncertainty "
         "of Temperature, which the file does not hold"},
        {"Mobility,ValenceSD", "the column Valence is not measured and has no SD column"},
    };
    for (const auto& [header, error] : cases) {
        try {
            seriesOf(std::string(header) + "\n");
            ADD_FAILURE() << header << " was taken";
        } catch (const platform::InputError& e) {
            EXPECT_NE(std::string(e.what()).find(error), std::string::npos) << e.what();
        }
    }
}

// mM and µM are the file's numbers in the table, and the program's M in
// the row; the results are those of the same values in M.
TEST(Headers, ConvertedUnitsEnterTheRowInTheProgramsUnit) {
    const series::Series inM = seriesOf("IonicStrength,Mobility\n0.05,1.8\n");
    for (const char* csv :
         {"IonicStrength (mM),Mobility\n50,1.8\n", "I [\u00b5M],Mobility\n50000,1.8\n",
          "Ionic strength (mmol/L);Mobility\n50;1,8\n"}) {
        const series::Series s = seriesOf(csv);
        ASSERT_EQ(s.rowEntries(0).entries.size(), 2u) << csv;
        EXPECT_EQ(s.rowEntries(0).entries[0].text, "0.05") << csv;
        EXPECT_EQ(s.resultText(0, 9), inM.resultText(0, 9)) << csv;
        EXPECT_EQ(seriesOf(s.text()).text(), s.text()) << "the unit reads back";
    }
}

// Every header Quorvin writes reads back as the same column.
TEST(Headers, EveryHeaderQuorvinWritesReadsBackAlike) {
    const series::Series s = seriesOf(
        "Sample,Temperature,IonicStrength,Dielectric,StokesRadius,SaltIonRadius,Viscosity,EField,"
        "Sigma,RelativeViscosity,SigmaSD,SigmaDist,Solvent\n");
    for (std::size_t c = 0; c < s.columnCount(); ++c) {
        const series::HeaderReading r = series::readHeader(s.headerText(c));
        EXPECT_EQ(r.refusal, "") << s.headerText(c);
        if (s.column(c).kind == series::ColumnKind::Input)
            EXPECT_EQ(r.header.quantity, s.column(c).quantity) << s.headerText(c);
    }
    for (std::size_t i = 0; i < series::kResultFields.size(); ++i) {
        const series::HeaderReading r =
            series::readHeader(series::resultColumnName(series::kResultFields[i]));
        EXPECT_EQ(r.header.role, HeaderRole::Result);
        EXPECT_EQ(r.header.result, i);
    }
}

TEST(Headers, ConditionsFromTheStartUpValuesAreNamed) {
    const std::pair<const char*, const char*> cases[] = {
        {"Mobility",
         "Temperature 20.0 \u00b0C, IonicStrength 0.10 M, Dielectric 78, StokesRadius "
         "2.90 nm, SaltIonRadius 0.127 nm, Viscosity 1 cP"},
        {"Sigma,Temperature,IonicStrength,StokesRadius,SaltIonRadius,Solvent",
         "EField 0.123 V/cm (from the start-up current, conductivity and cross-section)"},
        {"Sigma,Temperature,IonicStrength,StokesRadius,SaltIonRadius,Solvent,Current,"
         "Conductivity,XSection",
         ""},
    };
    for (const auto& [header, notice] : cases)
        EXPECT_EQ(seriesOf(std::string(header) + "\n").startUpNotice(), notice) << header;
    const series::Series s = seriesOf("Temperature,Mobility\n,1.8\n25,\n");
    EXPECT_EQ(s.cellNote(0, 0), "Empty: the row takes the start-up value Temperature 20.0 \u00b0C");
    EXPECT_EQ(
        s.rowError(1),
        "the row gives none of Sigma, Mobility, Valence, EffectiveValence and Zeta, and is not "
        "calculated from the start-up Sigma 22.00");
}

// OWASP's protection: a text a spreadsheet would run is written after a
// quote, a signed number is not, and each reads back as it was.
TEST(Csv, FormulaTextsAreProtectedAndReadBack) {
    const std::pair<const char*, const char*> cases[] = {
        {"=SUM(A1:A3)", "'=SUM(A1:A3)"},
        {"+1+2", "'+1+2"},
        {"-", "'-"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"-12.5", "-12.5"},
        {"+3E-5", "+3E-5"},
        {"'=x", "''=x"},
        {"'plain", "'plain"},
        {"lysozyme", "lysozyme"},
    };
    for (const auto& [text, written] : cases) {
        const std::string field = platform::csvField(text);
        EXPECT_NE(field.find(written), std::string::npos) << text << " as " << field;
        std::istringstream in(field + ",x\n");
        platform::CsvReader reader(in);
        platform::CsvRecord record;
        ASSERT_TRUE(reader.next(record));
        EXPECT_EQ(record.fields[0], text);
    }
    EXPECT_EQ(platform::csvField("-12,5", ';'), "-12,5") << "a number in the ; dialect";
    const series::Series s = seriesOf("Sample,Mobility,Notes\n'=1+1,-1.8,'@x\n");
    EXPECT_EQ(s.cellText(0, 0), "=1+1");
    EXPECT_EQ(s.text().find("'=1+1,-1.8,'@x,"), s.text().find('\n') + 1);
}
