// SPDX-License-Identifier: GPL-3.0-or-later

// The charge a sequence predicts: the pKa sets, Henderson-Hasselbalch
// against other programs' values, and the charge screened at the
// conditions of a measurement.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "charge/Titration.h"
#include "model/Electrostatics.h"

using charge::Group;

namespace {

std::vector<charge::Site> sitesOf(const std::string& text, const charge::PkaSet& set,
                                  const charge::TitrationOptions& options = {}) {
    return charge::titrationSites(charge::countGroups(charge::readSequence(text), options), set);
}

// Each record of the test proteins' FASTA file as a text of its own.
std::vector<std::string> fastaRecords() {
    std::ifstream in(QUORVIN_CHARGE_PROTEINS);
    std::vector<std::string> records;
    for (std::string line; std::getline(in, line);)
        (line.starts_with('>') ? records.emplace_back() : records.back()) += line + "\n";
    return records;
}

// Every group of every set, alone (the termini blocked but for its own), is
// half charged with its sign at its own pKa.
TEST(PkaSets, EachGroupIsHalfChargedAtItsPka) {
    const char* const alone[charge::kGroupCount] = {"G", "G", "D", "E", "C", "Y", "H", "K", "R"};
    for (const charge::PkaSet& set : charge::pkaSets()) {
        EXPECT_EQ(&charge::findPkaSet(set.name), &set);
        for (int i = 0; i < charge::kGroupCount; ++i) {
            const auto g = static_cast<Group>(i);
            const auto sites =
                sitesOf(alone[i], set, {0, g != Group::NTerminus, g != Group::CTerminus});
            ASSERT_EQ(sites.size(), 1u) << set.name << " " << charge::groupName(g);
            EXPECT_NEAR(charge::netCharge(sites, set.pKa[i]), 0.5 * charge::chargeSign(g), 1e-12)
                << set.name << " " << charge::groupName(g);
        }
    }
    EXPECT_EQ(charge::findPkaSet("ipc PROTEIN").name, "IPC protein");
    EXPECT_THROW(charge::findPkaSet("Dawson"), platform::Exception);
}

// Biopython's values for the Bjellqvist set, terminal residues included, and
// EMBOSS iep's for its own set with bridges and blocked termini
// (tests/data/charge_reference.py); iep prints Z to two decimals.
TEST(Titration, MatchesOtherProgramsOnKnownProteins) {
    const std::vector<std::string> records = fastaRecords();
    std::ifstream in(QUORVIN_CHARGE_REFERENCE);
    std::string line;
    std::getline(in, line);  // header
    int rows = 0;
    for (; std::getline(in, line); ++rows) {
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream row(line);
        std::size_t record;
        std::string set;
        charge::TitrationOptions options;
        double pI, charge7;
        row >> record >> set >> options.disulfideBridges >> options.nTerminusBlocked >>
            options.cTerminusBlocked >> pI >> charge7;
        ASSERT_TRUE(row && record < records.size()) << line;
        const auto sites = sitesOf(records[record], charge::findPkaSet(set), options);
        EXPECT_NEAR(charge::isoelectricPoint(sites).value(), pI, 1e-3) << line;
        EXPECT_NEAR(charge::netCharge(sites, 7), charge7, set == "EMBOSS" ? 0.00501 : 1e-8) << line;
    }
    EXPECT_EQ(rows, 14);
}

// No group of one sign, or none at all: no zero crossing in 0..14.
TEST(Titration, HasNoIsoelectricPointWithoutAChangeOfSign) {
    for (const bool nTerminusBlocked : {false, true}) {
        const auto sites = sitesOf("DEG", charge::pkaSets()[0], {0, nTerminusBlocked, true});
        EXPECT_EQ(charge::isoelectricPoint(sites).has_value(), !nTerminusBlocked);
        EXPECT_EQ(charge::screenedIsoelectricPoint(sites, 0.1).has_value(), !nTerminusBlocked);
    }
    EXPECT_FALSE(charge::isoelectricPoint(sitesOf("GAV", charge::pkaSets()[0], {0, true, true})));
}

// Water at 25 C around a sphere of 3.5 nm in salt of ionic strength I (M).
model::ModelState conditions(double ionicStrength, double saltIonRadius) {
    return {.Temperature = 25,
            .StokesRadius = 3.5,
            .SaltIonRadius = saltIonRadius,
            .InverseDebyeLength = model::CalcInverseDebyeLength(25, ionicStrength, 78.3, {}),
            .Dielectric = 78.3};
}

// Without salt the shift is the Bjerrum length e^2/(eps k T) over the
// radius and ln 10: CalcGe's kJ/mol, R T and the factor 2 checked at once.
TEST(Screening, ShiftWithoutSaltIsBjerrumLengthOverRadius) {
    model::ModelState s = conditions(0, 0.2);
    const double bjerrum = s.ElementaryCharge * s.ElementaryCharge /
                           (s.Dielectric * s.Boltzmann * (s.Temperature + 273)) * 1e7;  // nm
    EXPECT_NEAR(charge::pkShiftPerCharge(s), bjerrum / (s.StokesRadius * std::log(10.0)), 1e-12);
    EXPECT_NEAR(charge::pkShiftPerCharge(s), 0.08876, 5e-5);
    s.Dielectric = 0;
    EXPECT_THROW(charge::pkShiftPerCharge(s), platform::Exception);
    s = conditions(0.1, std::nan(""));
    EXPECT_THROW(charge::pkShiftPerCharge(s), platform::Exception);
}

// In strong salt, the salt ions touching the sphere, the screened curve is
// Henderson-Hasselbalch's; in weak salt it is flatter. Either way the
// isoelectric point stays and every point solves its equation.
TEST(Screening, FollowsHendersonHasselbalchInStrongSaltAndFlattensInWeak) {
    const struct {
        int record;  // lysozyme, ribonuclease A
        const char* set;
        double ionicStrength, saltIonRadius;
    } cases[] = {{1, "EMBOSS", 1e6, 0}, {2, "Grimsley", 0.001, 0.2}};
    for (const auto& c : cases) {
        const auto sites = sitesOf(fastaRecords()[c.record], charge::findPkaSet(c.set));
        const model::ModelState s = conditions(c.ionicStrength, c.saltIonRadius);
        const charge::ChargeCurve curve = charge::chargeCurve(sites, s, 141);
        ASSERT_EQ(curve.points.size(), 141u);
        const double pI = curve.isoelectricPoint.value(), shift = charge::pkShiftPerCharge(s);
        EXPECT_NEAR(curve.screenedIsoelectricPoint.value(), pI, 1e-3);
        for (const charge::ChargePoint& p : curve.points) {
            SCOPED_TRACE(testing::Message() << c.set << " pH " << p.pH);
            EXPECT_NEAR(p.screened, charge::netCharge(sites, p.pH + shift * p.screened), 1e-9);
            if (c.ionicStrength > 1) {
                EXPECT_NEAR(p.screened, p.charge, 1e-3);
            } else if (std::abs(p.pH - pI) > 0.5) {
                EXPECT_EQ(std::signbit(p.screened), std::signbit(p.charge));
                EXPECT_LT(std::abs(p.screened), std::abs(p.charge) - 0.01);
            }
        }
        EXPECT_TRUE(charge::chargeCurve(sites, s, 1).points.empty());
        EXPECT_TRUE(std::isnan(charge::screenedCharge(sites, std::nan(""), shift)));
    }
}

TEST(BoundCharge, IsValenceLessPredictionWithCombinedUncertainty) {
    EXPECT_DOUBLE_EQ(charge::boundCharge(8.0, 0.3, 9.5).value, -1.5);
    EXPECT_DOUBLE_EQ(charge::boundCharge(8.0, 0.3, 9.5, 0.4).uncertainty, 0.5);
    EXPECT_THROW(charge::boundCharge(8.0, -0.3, 9.5), platform::Exception);
    EXPECT_THROW(charge::boundCharge(8.0, std::nan(""), 9.5), platform::Exception);
}

}  // namespace
