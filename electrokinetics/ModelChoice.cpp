// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/ModelChoice.h"

#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <tuple>

#include "electrokinetics/MobilityTable.h"
#include "electrokinetics/Salts.h"
#include "model/Electrostatics.h"

namespace electrokinetics {

namespace {

// z* per reduced mobility: E = z* lB / a.
double zstarPerMobility(const Reduced& r) {
    return 1 / (r.chargePerValence * r.ka);
}

// The standard model's tables of the run, one per electrolyte.
const MobilityTable& tableFor(const model::Conditions& c, const Reduced& r) {
    using Key = std::tuple<std::string, double, double>;
    static std::mutex mutex;
    static std::map<Key, std::unique_ptr<MobilityTable>> tables;
    const std::lock_guard<std::mutex> lock(mutex);
    std::unique_ptr<MobilityTable>& t = tables[Key{c.salt, c.temperature, c.dielectric}];
    if (!t)
        t = std::make_unique<MobilityTable>(r.electrolyte);
    return *t;
}

bool inTable(const Reduced& r) {
    return r.ka >= MobilityTable::kMinKa && r.ka <= MobilityTable::kMaxKa;
}

double standardZstar(const model::Conditions& c, double valence) {
    const Conditions s = sphereOf(c);
    const Reduced r = reduce(s);
    const double charge = valence * r.chargePerValence;
    if (inTable(r)) {
        const MobilityTable& t = tableFor(c, r);
        try {
            return t.mobility(r.ka, t.zetaForCharge(r.ka, charge)) * zstarPerMobility(r);
        } catch (const std::exception&) {
            // Beyond the table's zeta: the solver answers.
        }
    }
    return mobility(s, valence, Method::Standard) / r.mobilityUnit * zstarPerMobility(r);
}

std::vector<double> standardValences(const model::Conditions& c, double zstar) {
    const Conditions s = sphereOf(c);
    const Reduced r = reduce(s);
    if (!std::isfinite(zstar))
        throw std::invalid_argument("z* is not a number.");
    // The table's zeta range is the solver's search range: its answers agree.
    if (!inTable(r))
        return valencesOf(c, zstar, Method::Standard);
    const MobilityTable& t = tableFor(c, r);
    std::vector<double> valences;
    for (const double zeta : t.zetasForMobility(r.ka, zstar / zstarPerMobility(r)))
        valences.push_back(t.charge(r.ka, zeta) / r.chargePerValence);
    return valences;
}

double ohshimaZstar(const model::Conditions& c, double valence) {
    return effectiveValence(c, valence, Method::Ohshima2001);
}

std::vector<double> ohshimaValences(const model::Conditions& c, double zstar) {
    return valencesOf(c, zstar, Method::Ohshima2001);
}

double sphereZeta(const model::Conditions& c, double valence) {
    return zetaPotential(sphereOf(c), valence);
}

}  // namespace

Conditions sphereOf(const model::Conditions& c) {
    Conditions s;
    s.radius = c.stokesRadius;
    s.ionicStrength = c.ionicStrength;
    s.temperature = c.temperature;
    s.dielectric = c.dielectric;
    s.inverseDebyeLength =
        model::CalcInverseDebyeLength(c.temperature, c.ionicStrength, c.dielectric, c.constants);
    s.salt = c.salt;
    s.constants = c.constants;
    return s;
}

double effectiveValence(const model::Conditions& c, double valence, Method m) {
    const Conditions s = sphereOf(c);
    const Reduced r = reduce(s);
    return mobility(s, valence, m) / r.mobilityUnit * zstarPerMobility(r);
}

std::vector<double> valencesOf(const model::Conditions& c, double zstar, Method m) {
    const Conditions s = sphereOf(c);
    const Reduced r = reduce(s);
    return valenceFromMobility(s, zstar / zstarPerMobility(r) * r.mobilityUnit, m).valences;
}

double reducedMobilityAt(const model::Conditions& c, double reducedZeta, Method m) {
    const Conditions s = sphereOf(c);
    const Reduced r = reduce(s);
    if (m == Method::Standard && inTable(r) && std::abs(reducedZeta) <= MobilityTable::kMaxZeta)
        return tableFor(c, r).mobility(r.ka, reducedZeta);
    return mobilityForZeta(s, reducedZeta * r.thermalVoltage, m) / r.mobilityUnit;
}

void registerModels() {
    model::registerNonlinearModel(model::ElectrokineticModel::OhshimaRelaxation,
                                  {ohshimaZstar, ohshimaValences, sphereZeta});
    model::registerNonlinearModel(model::ElectrokineticModel::Standard,
                                  {standardZstar, standardValences, sphereZeta});
}

}  // namespace electrokinetics
