// SPDX-License-Identifier: GPL-3.0-or-later

// The charge a sequence predicts: the pKa sets, Henderson-Hasselbalch
// against other programs' values, and the screened charge at the
// conditions of a measurement.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "charge/Titration.h"
#include "model/Electrostatics.h"

using charge::Group;

namespace {

std::vector<charge::Site> sitesOf(const std::string& residues, const charge::PkaSet& set,
                                  const charge::TitrationOptions& options = {}) {
    return charge::titrationSites(charge::countGroups(charge::readSequence(residues), options),
                                  set);
}

// Every group of every set is half charged, with its sign, at its own pKa.
TEST(PkaSets, EachGroupIsHalfChargedAtItsPka) {
    const char* const alone[charge::kGroupCount] = {"G", "G", "D", "E", "C", "Y", "H", "K", "R"};
    for (const charge::PkaSet& set : charge::pkaSets()) {
        EXPECT_FALSE(set.citation.empty());
        for (int i = 0; i < charge::kGroupCount; ++i) {
            const auto g = static_cast<Group>(i);
            // The other terminus blocked, and both for a side chain.
            const charge::TitrationOptions options{0, g != Group::NTerminus, g != Group::CTerminus};
            const auto sites = sitesOf(alone[i], set, options);
            ASSERT_EQ(sites.size(), 1u) << set.name << " " << charge::groupName(g);
            EXPECT_NEAR(charge::netCharge(sites, set.pKa[i]), 0.5 * charge::chargeSign(g), 1e-12)
                << set.name << " " << charge::groupName(g);
        }
    }
}

TEST(PkaSets, FindsASetByNameInAnyCase) {
    EXPECT_EQ(charge::findPkaSet("ipc PROTEIN").name, "IPC protein");
    try {
        charge::findPkaSet("Dawson");
        ADD_FAILURE() << "found";
    } catch (const platform::Exception& e) {
        EXPECT_EQ(std::string(e.what()),
                  "No pKa set is called \"Dawson\"; the sets are EMBOSS, DTASelect, Solomon, "
                  "Sillero, Rodwell, Lehninger, Grimsley, Thurlkill, Nozaki-Tanford, "
                  "Bjellqvist, IPC protein, IPC peptide");
    }
}

// Each record of the test proteins' FASTA file as a text of its own.
std::vector<std::string> fastaRecords() {
    std::ifstream in(QUORVIN_CHARGE_PROTEINS);
    std::vector<std::string> records;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with('>')) {
            records.emplace_back();
        }
        records.back() += line + "\n";
    }
    return records;
}

// Biopython's values for the Bjellqvist set, with its terminal residues, and
// EMBOSS iep's for its own set with bridges and blocked termini
// (tests/data/charge_reference.py). iep prints Z to two decimals.
TEST(Titration, MatchesOtherProgramsOnKnownProteins) {
    const std::vector<std::string> records = fastaRecords();
    ASSERT_EQ(records.size(), 6u);
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
        const charge::ProteinSequence sequence = charge::readSequence(records[record]);
        EXPECT_TRUE(sequence.notes.empty());
        const auto sites =
            charge::titrationSites(charge::countGroups(sequence, options), charge::findPkaSet(set));
        const double chargeTolerance = set == "EMBOSS" ? 0.005 + 1e-9 : 1e-8;
        EXPECT_NEAR(charge::isoelectricPoint(sites).value(), pI, 1e-3) << line;
        EXPECT_NEAR(charge::netCharge(sites, 7), charge7, chargeTolerance) << line;
    }
    EXPECT_EQ(rows, 14);
}

// No group of one sign, or no group at all: no zero crossing in 0..14.
TEST(Titration, HasNoIsoelectricPointWithoutAChangeOfSign) {
    const charge::PkaSet& set = charge::findPkaSet("EMBOSS");
    for (const auto& [residues, options] :
         {std::pair{"DDE", charge::TitrationOptions{0, true, false}},
          std::pair{"KRH", charge::TitrationOptions{0, false, true}},
          std::pair{"GAV", charge::TitrationOptions{0, true, true}}}) {
        const auto sites = sitesOf(residues, set, options);
        EXPECT_FALSE(charge::isoelectricPoint(sites)) << residues;
        EXPECT_FALSE(charge::screenedIsoelectricPoint(sites, 0.1)) << residues;
    }
}

// Water at 25 C around a sphere of 3.5 nm in salt of ionic strength I (M).
model::ModelState conditions(double ionicStrength, double saltIonRadius) {
    model::ModelState s;
    s.Temperature = 25;
    s.Dielectric = 78.3;
    s.StokesRadius = 3.5;
    s.SaltIonRadius = saltIonRadius;
    s.InverseDebyeLength = model::CalcInverseDebyeLength(s.Temperature, ionicStrength, s.Dielectric,
                                                         model::physicalConstants(s));
    return s;
}

// Without salt the shift is the Bjerrum length e^2/(eps k T) over the
// radius, divided by ln 10: units and the factor 2 checked at once.
TEST(Screening, ShiftWithoutSaltIsBjerrumLengthOverRadius) {
    const model::ModelState s = conditions(0, 0.2);
    const double bjerrum = s.ElementaryCharge * s.ElementaryCharge /
                           (s.Dielectric * s.Boltzmann * (s.Temperature + 273)) * 1e7;  // nm
    EXPECT_NEAR(charge::pkShiftPerCharge(s), bjerrum / (s.StokesRadius * std::log(10.0)), 1e-12);
    EXPECT_NEAR(charge::pkShiftPerCharge(s), 0.08876, 5e-5);
}

TEST(Screening, RefusesConditionsWithoutMeaning) {
    for (double model::ModelState::*member :
         {&model::ModelState::Dielectric, &model::ModelState::StokesRadius}) {
        for (const double value : {0.0, -1.0, std::nan("")}) {
            model::ModelState s = conditions(0.1, 0.2);
            s.*member = value;
            EXPECT_THROW(charge::pkShiftPerCharge(s), platform::Exception);
        }
    }
    model::ModelState s = conditions(0.1, 0.2);
    s.Temperature = -300;
    EXPECT_THROW(charge::pkShiftPerCharge(s), platform::Exception);
}

// Lysozyme under the EMBOSS set, the salt ions touching the sphere.
TEST(Screening, FollowsHendersonHasselbalchInStrongSalt) {
    const auto sites = sitesOf(fastaRecords()[1], charge::findPkaSet("EMBOSS"));
    const charge::ChargeCurve curve = charge::chargeCurve(sites, conditions(1e6, 0), 57);
    ASSERT_EQ(curve.points.size(), 57u);
    for (const charge::ChargePoint& p : curve.points) {
        EXPECT_NEAR(p.screened, p.charge, 1e-3) << "pH " << p.pH;
    }
    EXPECT_NEAR(*curve.screenedIsoelectricPoint, *curve.isoelectricPoint, 1e-3);
}

// In weak salt the charge the sequence carries lowers its own pKa values
// where it is positive and raises them where negative: a flatter curve with
// the same isoelectric point, every point of which solves its equation.
TEST(Screening, FlattensTheCurveInWeakSalt) {
    const auto sites = sitesOf(fastaRecords()[2], charge::findPkaSet("Grimsley"));
    const model::ModelState s = conditions(0.001, 0.2);
    const charge::ChargeCurve curve = charge::chargeCurve(sites, s, 141);
    const double pI = curve.isoelectricPoint.value();
    EXPECT_NEAR(curve.screenedIsoelectricPoint.value(), pI, 1e-3);
    const double shift = charge::pkShiftPerCharge(s);
    for (const charge::ChargePoint& p : curve.points) {
        EXPECT_NEAR(p.screened, charge::netCharge(sites, p.pH + shift * p.screened), 1e-9)
            << "pH " << p.pH;
        if (std::abs(p.pH - pI) > 0.5) {
            EXPECT_EQ(std::signbit(p.screened), std::signbit(p.charge)) << "pH " << p.pH;
            EXPECT_LT(std::abs(p.screened), std::abs(p.charge) - 0.01) << "pH " << p.pH;
        }
    }
    EXPECT_TRUE(charge::chargeCurve(sites, s, 1).points.empty());
    EXPECT_TRUE(std::isnan(charge::screenedCharge(sites, std::nan(""), shift)));
}

TEST(BoundCharge, IsValenceLessPredictionWithCombinedUncertainty) {
    const charge::BoundCharge b = charge::boundCharge(8.0, 0.3, 9.5);
    EXPECT_DOUBLE_EQ(b.value, -1.5);
    EXPECT_DOUBLE_EQ(b.uncertainty, 0.3);
    EXPECT_DOUBLE_EQ(charge::boundCharge(8.0, 0.3, 9.5, 0.4).uncertainty, 0.5);
    EXPECT_THROW(charge::boundCharge(8.0, -0.3, 9.5), platform::Exception);
    EXPECT_THROW(charge::boundCharge(8.0, std::nan(""), 9.5), platform::Exception);
}

}  // namespace
