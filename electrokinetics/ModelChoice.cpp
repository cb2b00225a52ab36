// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/ModelChoice.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <system_error>
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

// The standard model's tables of the run, one per electrolyte. A table
// takes seconds to make: it is made on a thread of its own when its
// electrolyte is first asked for, and until it is ready the solver answers
// (the two agree to the table's 1e-6, far below the digits shown), so that
// no window waits for it. Null while it is being made.
const MobilityTable* tableFor(const model::Conditions& c, const Reduced& r) {
    using Key = std::tuple<std::string, double, double>;
    using Table = std::shared_future<std::shared_ptr<const MobilityTable>>;
    static std::mutex mutex;
    // Destroyed at exit after waiting for a table still being made.
    static std::map<Key, Table> tables;
    Table table;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        const Key key{c.salt, c.temperature, c.dielectric};
        auto at = tables.find(key);
        // One table made at a time: rows at many temperatures start no
        // flood of threads, and wait for none.
        const bool making = std::any_of(tables.begin(), tables.end(), [](const auto& t) {
            return t.second.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
        });
        if (at == tables.end() && making)
            return nullptr;
        if (at == tables.end()) {
            try {
                at = tables
                         .emplace(key,
                                  std::async(std::launch::async,
                                             [e = r.electrolyte] {
                                                 return std::make_shared<const MobilityTable>(e);
                                             })
                                      .share())
                         .first;
            } catch (const std::system_error&) {
                return nullptr;  // no thread to be had now: the solver answers
            }
        }
        table = at->second;
    }
    if (table.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return nullptr;
    try {
        return table.get().get();
    } catch (const std::exception&) {
        return nullptr;  // a table that could not be made: the solver answers
    }
}

bool inTable(const Reduced& r) {
    return r.ka >= MobilityTable::kMinKa && r.ka <= MobilityTable::kMaxKa;
}

double standardZstar(const model::Conditions& c, double valence) {
    const Conditions s = sphereOf(c);
    const Reduced r = reduce(s);
    const double charge = valence * r.chargePerValence;
    if (const MobilityTable* t = inTable(r) ? tableFor(c, r) : nullptr) {
        try {
            return t->mobility(r.ka, t->zetaForCharge(r.ka, charge)) * zstarPerMobility(r);
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
    const MobilityTable* t = inTable(r) ? tableFor(c, r) : nullptr;
    if (!t)
        return valencesOf(c, zstar, Method::Standard);
    std::vector<double> valences;
    for (const double zeta : t->zetasForMobility(r.ka, zstar / zstarPerMobility(r)))
        valences.push_back(t->charge(r.ka, zeta) / r.chargePerValence);
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
