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

// The sphere of a model linear in z: a the closest approach. Its salt plays
// no part; only the constants and K are read.
Conditions linearSphere(const model::Conditions& c, const model::Screening& s) {
    Conditions sphere;
    sphere.radius = s.closestApproach;
    sphere.temperature = c.temperature;
    sphere.dielectric = c.dielectric;
    sphere.inverseDebyeLength = s.inverseDebyeLength;
    sphere.constants = c.constants;
    return sphere;
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
    if (row.compared.model)
        c.model = *row.compared.model;
    else
        c.model = ElectrokineticModel::Henry;  // the screening of the models linear in z
    model::Screening s = model::screeningOf(c);
    if (row.compared.model) {
        const model::Derived d = evaluateUnder(sample, chosen, *row.compared.model);
        row.effectiveValence = d.effectiveValence;
        row.valences = valencesOf(d);
    } else {
        s.henry = row.compared.limit;
        s.slope = model::dhhSlopeOf(s.henry, s.ka);
        const model::PhysicalConstants& k = c.constants;
        row.effectiveValence = model::effectiveValenceFromSigma(
            chosen.sigma, c.temperature, c.eField, k.Boltzmann, k.ElectronVolt);
        row.valences = {model::valenceFromSigma(chosen.sigma, c.temperature, c.eField, s.slope, k)};
    }
    row.henry = s.henry;
    row.slope = s.slope;
    const Reduced r = reduce(linearSphere(c, s));
    row.ka = r.ka;
    row.thermalVoltage = r.thermalVoltage;
    row.reducedMobility = row.effectiveValence * r.chargePerValence * r.ka;
    // Debye-Hückel: zeta = z lB / (a (1 + Ka)), which is E / H.
    for (const double z : row.valences)
        row.zetas.push_back(z * r.chargePerValence * r.ka / (1 + r.ka) * r.thermalVoltage);
}

void fillNonlinear(const model::Conditions& sample, const model::Derived& chosen, ModelRow& row) {
    model::Conditions c = sample;
    c.model = *row.compared.model;
    const model::Derived d = evaluateUnder(sample, chosen, c.model);
    const Conditions sphere = sphereOf(c);
    const Reduced r = reduce(sphere);
    row.ka = r.ka;
    row.thermalVoltage = r.thermalVoltage;
    row.effectiveValence = d.effectiveValence;
    row.reducedMobility = d.effectiveValence * r.chargePerValence * r.ka;
    row.valences = valencesOf(d);
    for (const double z : row.valences)
        row.zetas.push_back(zetaPotential(sphere, z));
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
    if (row.henry) {
        for (const double zeta : reducedZetas)
            mobilities.push_back(*row.henry * zeta);
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
