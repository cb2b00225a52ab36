// SPDX-License-Identifier: GPL-3.0-or-later

#include "electrokinetics/ModelComparison.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "electrokinetics/ModelChoice.h"
#include "electrokinetics/Sphere.h"
#include "model/Electrostatics.h"
#include "model/ValenceConversions.h"

namespace electrokinetics {

namespace {

using model::ElectrokineticModel;

// The sphere of the measurement: the Stokes radius, whose drag turns the
// mobility into z* under every model, so E = z* lB / Rs is one for all.
// Its salt plays no part here: only the constants and K are read.
Reduced measurementUnits(const model::Conditions& c, double inverseDebyeLength) {
    Conditions sphere;
    sphere.radius = c.stokesRadius;
    sphere.temperature = c.temperature;
    sphere.dielectric = c.dielectric;
    sphere.inverseDebyeLength = inverseDebyeLength;
    sphere.constants = c.constants;
    return reduce(sphere);
}

std::vector<double> valencesOf(const model::Derived& d) {
    switch (d.solutions) {
        case model::Solutions::None:
            return {};
        case model::Solutions::TwoLowerTaken:
            return {d.valence, d.otherValence};
        case model::Solutions::One:
            break;
    }
    return {d.valence};
}

// The sample under model m, read from the chosen model's Sigma.
model::Derived evaluateUnder(const model::Conditions& sample, const model::Derived& chosen,
                             ElectrokineticModel m) {
    if (m == sample.model)
        return chosen;
    model::Conditions c = sample;
    c.model = m;
    c.modes = {true, false, false};
    c.sigma = chosen.sigma;
    c.sigmaFromMobility = false;
    c.mobilityFromSigma = false;
    return model::evaluateConditions(c);
}

void fillLinear(const model::Conditions& sample, const model::Derived& chosen, ModelRow& row) {
    model::Conditions c = sample;
    // A limit takes the screening of the models linear in z.
    c.model = row.compared.model.value_or(ElectrokineticModel::Henry);
    model::Screening s = model::screeningOf(c);
    const model::PhysicalConstants& k = c.constants;
    if (row.compared.model) {
        const model::Derived d = evaluateUnder(sample, chosen, *row.compared.model);
        row.effectiveValence = d.effectiveValence;
        row.valences = valencesOf(d);
    } else {
        s.henry = row.compared.limit;
        s.slope = model::dhhSlopeOf(s.henry, s.ka);
        row.effectiveValence = model::effectiveValenceFromSigma(
            chosen.sigma, c.temperature, c.eField, k.Boltzmann, k.ElectronVolt);
        row.valences = {model::valenceFromSigma(chosen.sigma, c.temperature, c.eField, s.slope, k)};
    }
    row.henry = s.henry;
    row.slope = s.slope;
    row.ka = s.ka;
    const Reduced r = measurementUnits(c, s.inverseDebyeLength);
    row.thermalVoltage = r.thermalVoltage;
    row.reducedMobility = row.effectiveValence * r.chargePerValence * r.ka;
    // Henry's E = H zeta holds for zeta at a, where the ion cloud starts;
    // zeta at the sphere's surface Rs is (1 + K Ri) times higher against E.
    const double ri = s.closestApproach - c.stokesRadius;
    row.mobilityPerZeta = s.henry / (1 + s.inverseDebyeLength * ri * 1e-7);
    for (const double z : row.valences)
        row.zetas.push_back(model::debyeHuckelZeta(z, c.dielectric, c.stokesRadius,
                                                   s.closestApproach, s.inverseDebyeLength, k));
}

void fillNonlinear(const model::Conditions& sample, const model::Derived& chosen, ModelRow& row) {
    model::Conditions c = sample;
    c.model = *row.compared.model;
    const model::Derived d = evaluateUnder(sample, chosen, c.model);
    const Reduced r = measurementUnits(c, d.screening.inverseDebyeLength);
    row.ka = r.ka;
    row.thermalVoltage = r.thermalVoltage;
    row.effectiveValence = d.effectiveValence;
    row.reducedMobility = d.effectiveValence * r.chargePerValence * r.ka;
    row.valences = valencesOf(d);
    for (const double z : row.valences)
        row.zetas.push_back(z == d.valence && std::isfinite(d.zeta)
                                ? d.zeta
                                : model::nonlinearModel(c.model)->zeta(c, z));
}

}  // namespace

std::vector<Compared> comparedModels() {
    std::vector<Compared> models;
    for (int m = 0; m < model::kElectrokineticModelCount; ++m) {
        const auto ek = static_cast<ElectrokineticModel>(m);
        if (model::electrokineticModelAvailable(ek))
            models.push_back({ek, 0});
    }
    models.push_back({std::nullopt, 1.0});
    models.push_back({std::nullopt, 1.5});
    return models;
}

bool isLinear(const Compared& m) {
    return !m.model || model::electrokineticModelInfo(*m.model).henry != nullptr;
}

ModelRow compareModel(const model::Conditions& sample, const model::Derived& chosen,
                      const Compared& m) {
    ModelRow row;
    row.compared = m;
    row.chosen = m.model == sample.model;
    try {
        if (isLinear(m))
            fillLinear(sample, chosen, row);
        else
            fillNonlinear(sample, chosen, row);
    } catch (const std::exception& e) {
        row.valences.clear();
        row.zetas.clear();
        row.error = e.what();
    }
    return row;
}

void setDifferences(ModelRow& row, const ModelRow& chosen) {
    row.differences.clear();
    row.percents.clear();
    if (chosen.valences.empty())
        return;
    const double z = chosen.valences.front();
    for (const double v : row.valences) {
        row.differences.push_back(v - z);
        if (z != 0 && std::isfinite(z))
            row.percents.push_back((v - z) / z * 100);
    }
}

std::vector<double> curveZetas(const std::vector<ModelRow>& rows, int count) {
    double farthest = 0;
    double sign = 1;
    for (const ModelRow& row : rows) {
        for (const double zeta : row.zetas)
            if (std::isfinite(zeta) && row.thermalVoltage > 0)
                farthest = std::max(farthest, std::abs(zeta / row.thermalVoltage));
        if (row.chosen && row.effectiveValence < 0)
            sign = -1;
    }
    // Room beyond the farthest point, in half units of kT/e.
    const double end = std::clamp(std::ceil(farthest * 1.4 * 2) / 2, 1.0, kMaxReducedZeta);
    std::vector<double> zetas;
    for (int k = 0; k < count; ++k)
        zetas.push_back(sign * end * k / std::max(count - 1, 1));
    return zetas;
}

std::vector<double> reducedMobilities(const model::Conditions& sample, const ModelRow& row,
                                      const std::vector<double>& reducedZetas) {
    std::vector<double> mobilities;
    if (row.mobilityPerZeta) {
        for (const double zeta : reducedZetas)
            mobilities.push_back(*row.mobilityPerZeta * zeta);
        return mobilities;
    }
    model::Conditions c = sample;
    c.model = *row.compared.model;
    const Method m =
        c.model == ElectrokineticModel::Standard ? Method::Standard : Method::Ohshima2001;
    for (const double zeta : reducedZetas)
        mobilities.push_back(reducedMobilityAt(c, zeta, m));
    return mobilities;
}

}  // namespace electrokinetics
