// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/ModelChoice.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <string>
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

using TableFuture = std::shared_future<std::shared_ptr<const MobilityTable>>;

// The table of c's electrolyte, its making started if need be; none when
// another is being made and `always` is false: one table made at a time,
// so that rows at many temperatures start no flood of threads.
std::optional<TableFuture> tableFuture(const model::Conditions& c, const Reduced& r, bool always) {
    using Key = std::tuple<std::string, double, double>;
    static std::mutex mutex;
    // Destroyed at exit after waiting for a table still being made.
    static std::map<Key, TableFuture> tables;
    const std::lock_guard<std::mutex> lock(mutex);
    const Key key{c.salt, c.temperature, c.dielectric};
    auto at = tables.find(key);
    if (at != tables.end())
        return at->second;
    const bool making = std::any_of(tables.begin(), tables.end(), [](const auto& t) {
        return t.second.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
    });
    if (making && !always)
        return std::nullopt;
    try {
        return tables
            .emplace(key, std::async(std::launch::async,
                                     [e = r.electrolyte] {
                                         return std::make_shared<const MobilityTable>(e);
                                     })
                              .share())
            .first->second;
    } catch (const std::system_error&) {
        if (!always)
            return std::nullopt;  // no thread to be had now: the solver answers
        TableFuture made = std::async(std::launch::deferred, [e = r.electrolyte] {
                               return std::make_shared<const MobilityTable>(e);
                           }).share();
        made.wait();
        return tables.emplace(key, made).first->second;
    }
}

// The standard model's tables of the run, one per electrolyte. A table
// takes seconds to make: it is made on a thread of its own when its
// electrolyte is first asked for, and until it is ready the solver answers
// (the two agree to the table's 1e-6, far below the digits shown), so that
// no window waits for it. Null while it is being made.
const MobilityTable* tableFor(const model::Conditions& c, const Reduced& r) {
    const std::optional<TableFuture> table = tableFuture(c, r, false);
    if (!table || table->wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return nullptr;
    try {
        return table->get().get();
    } catch (const std::exception&) {
        return nullptr;  // a table that could not be made: the solver answers
    }
}

// The same for a run off the window thread, which waits for its table.
const MobilityTable& waitedTableFor(const model::Conditions& c, const Reduced& r) {
    return *tableFuture(c, r, true)->get();
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

// The drags of every ion scale with the dielectric constant times the
// absolute temperature (Salts.cpp): the one parameter the standard model's
// tables differ in between conditions alike but for those two.
double dragScale(double temperature, double dielectric) {
    return dielectric * (273 + temperature);
}

// The standard model's answers for draws whose drag scale lies within
// scale +- width: tables at Chebyshev points of that range, their slices
// weighted as Lagrange's polynomial through the points gives them. An odd
// number of points puts one at the middle, the table of the conditions
// themselves, which alone answers there. Outside the range or the table the
// solver answers.
class StandardAnswers : public model::NonlinearAnswers {
  public:
    StandardAnswers(const model::Conditions& c, double width) {
        const Conditions s = sphereOf(c);
        const Reduced r = reduce(s);
        m_salt = c.salt;
        m_scale = dragScale(c.temperature, c.dielectric);
        // Quadratic in the drag to 1e-6 up to 6 % either way, quartic to 20 %.
        m_width = std::min(width, 0.2 * m_scale);
        const int n = m_width <= 0 ? 1 : m_width <= 0.06 * m_scale ? 3 : 5;
        for (int k = 0; k < n; ++k) {
            const double t = 2 * k + 1 == n ? 0.0 : std::cos(std::numbers::pi * (k + 0.5) / n);
            m_nodes.push_back(t);
            if (t == 0) {
                m_tables.push_back(&waitedTableFor(c, r));
                continue;
            }
            Electrolyte e = r.electrolyte;
            for (Ion& ion : e.ions) {
                ion.drag *= (m_scale + t * m_width) / m_scale;
            }
            m_own.push_back(std::make_unique<MobilityTable>(e));
            m_tables.push_back(m_own.back().get());
        }
    }

    double effectiveValence(const model::Conditions& c, double valence) const override {
        const Conditions s = sphereOf(c);
        const Reduced r = reduce(s);
        const double charge = valence * r.chargePerValence;
        if (std::optional<MobilityTable::Slice> slice = sliceFor(c, r, charge < 0)) {
            try {
                const MobilityTable& t = *m_tables.front();
                return t.mobility(*slice, t.zetaForCharge(*slice, charge)) * zstarPerMobility(r);
            } catch (const std::exception&) {
                // Beyond the table's zeta: the solver answers.
            }
        }
        return mobility(s, valence, Method::Standard) / r.mobilityUnit * zstarPerMobility(r);
    }

    std::vector<double> valences(const model::Conditions& c, double zstar) const override {
        if (!std::isfinite(zstar))
            throw std::invalid_argument("z* is not a number.");
        const Conditions s = sphereOf(c);
        const Reduced r = reduce(s);
        const std::optional<MobilityTable::Slice> slice = sliceFor(c, r, zstar < 0);
        if (!slice)
            return valencesOf(c, zstar, Method::Standard);
        const MobilityTable& t = *m_tables.front();
        std::vector<double> valences;
        for (const double zeta : t.zetasForMobility(*slice, zstar / zstarPerMobility(r)))
            valences.push_back(t.charge(*slice, zeta) / r.chargePerValence);
        return valences;
    }

  private:
    // The interpolant's slice at the conditions, if they lie within it.
    std::optional<MobilityTable::Slice> sliceFor(const model::Conditions& c, const Reduced& r,
                                                 bool negative) const {
        const double offset = dragScale(c.temperature, c.dielectric) - m_scale;
        if (c.salt != m_salt || !inTable(r) || std::abs(offset) > m_width)
            return std::nullopt;
        const double t = m_width > 0 ? offset / m_width : 0.0;
        MobilityTable::Slice sum;
        for (std::size_t k = 0; k < m_nodes.size(); ++k) {
            double weight = 1;
            for (std::size_t j = 0; j < m_nodes.size(); ++j)
                if (j != k)
                    weight *= (t - m_nodes[j]) / (m_nodes[k] - m_nodes[j]);
            const MobilityTable::Slice part = m_tables[k]->slice(r.ka, negative);
            if (k == 0) {
                sum = part;
                for (double& v : sum.mobility)
                    v *= weight;
                for (double& v : sum.charge)
                    v *= weight;
                continue;
            }
            for (std::size_t i = 0; i < part.mobility.size(); ++i) {
                sum.mobility[i] += weight * part.mobility[i];
                sum.charge[i] += weight * part.charge[i];
            }
        }
        return sum;
    }

    std::string m_salt;
    double m_scale = 0;
    double m_width = 0;
    std::vector<double> m_nodes;
    std::vector<const MobilityTable*> m_tables;
    std::vector<std::unique_ptr<MobilityTable>> m_own;
};

// The answers of the last few runs, so that a budget and the Monte Carlo
// run of the same measurement build their tables once.
std::shared_ptr<const model::NonlinearAnswers> prepareStandard(const model::Conditions& c,
                                                               double temperatureLow,
                                                               double temperatureHigh,
                                                               double dielectricLow,
                                                               double dielectricHigh) {
    using Key = std::tuple<std::string, double, double, double>;
    static std::mutex mutex;
    static std::vector<std::pair<Key, std::shared_ptr<const model::NonlinearAnswers>>> kept;
    const double scale = dragScale(c.temperature, c.dielectric);
    const double width = std::max({scale - dragScale(temperatureLow, dielectricLow),
                                   dragScale(temperatureHigh, dielectricHigh) - scale, 0.0});
    const Key key{c.salt, c.temperature, c.dielectric, width};
    const std::lock_guard<std::mutex> lock(mutex);
    for (const auto& [k, answers] : kept)
        if (k == key)
            return answers;
    auto answers = std::make_shared<const StandardAnswers>(c, width);
    kept.insert(kept.begin(), {key, answers});
    if (kept.size() > 4)
        kept.pop_back();
    return answers;
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
        if (const MobilityTable* t = tableFor(c, r))
            return t->mobility(r.ka, reducedZeta);
    return mobilityForZeta(s, reducedZeta * r.thermalVoltage, m) / r.mobilityUnit;
}

void registerModels() {
    model::registerNonlinearModel(model::ElectrokineticModel::OhshimaRelaxation,
                                  {ohshimaZstar, ohshimaValences, sphereZeta});
    model::registerNonlinearModel(model::ElectrokineticModel::Standard,
                                  {standardZstar, standardValences, sphereZeta, prepareStandard});
}

}  // namespace electrokinetics
