// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/Evaluation.h"

namespace electrokinetics {

// What one row of the comparison stands for: an electrokinetic model, or a
// limit of Henry's function (1.0 Hückel's, 1.5 Smoluchowski's).
struct Compared {
    std::optional<model::ElectrokineticModel> model;
    double limit = 0;
    friend bool operator==(const Compared&, const Compared&) = default;
};

// The available models in the order of their table, then the two limits.
std::vector<Compared> comparedModels();
// Linear in z: a model with a Henry's function, or a limit.
bool isLinear(const Compared& m);

// One sample under one model, for the measurement the chosen model read:
// its Sigma, so z* is the same in every row.
struct ModelRow {
    Compared compared;
    bool chosen = false;
    // H(Ka) and the DHH slope of a model linear in z.
    std::optional<double> henry, slope;
    // The model's Ka: a is the closest approach when linear in z, the Stokes
    // radius otherwise (the ions points).
    double ka = 0;
    // E over the reduced zeta of a model linear in z: H(Ka) / (1 + K Ri),
    // zeta being the potential at the sphere's surface (the Stokes radius).
    std::optional<double> mobilityPerZeta;
    double effectiveValence = 0;
    // Every valence that gives the measurement, lowest first: none above the
    // maximum of the mobility against z, two below it. The chosen model's
    // row holds the main window's z (an entered z as it stands).
    std::vector<double> valences;
    std::vector<double> zetas;  // mV, one per valence, as model::Derived::zeta
    // z - z of the chosen model, one per valence; none when the chosen
    // model has no valence. In percent of the chosen z, none when it is 0.
    std::vector<double> differences, percents;
    double thermalVoltage = 0;  // kT/e, mV
    // The measurement's reduced mobility E = 6 pi eta e mu / (eps kT) =
    // z* lB / Rs (the Stokes radius's drag), the same under every model.
    double reducedMobility = 0;
    std::string error;  // the model could not be worked out
};

// The row of a model. chosen: the main window's evaluation of the sample
// under its model (sample.model). A model whose numerics fail gives a row
// with its error rather than throwing.
ModelRow compareModel(const model::Conditions& sample, const model::Derived& chosen,
                      const Compared& m);
// z - z of the chosen model in the rows, once the chosen row is known.
void setDifferences(ModelRow& row, const ModelRow& chosen);

// count reduced zeta potentials from 0 to past the farthest point of any
// row (at least 1, at most the models' range), signed as the measurement.
std::vector<double> curveZetas(const std::vector<ModelRow>& rows, int count);

// The reduced mobility E of the row's model at each reduced zeta potential
// at its Ka: mobilityPerZeta times zeta for a model linear in z; Ohshima's 2001 approximation;
// the standard model from the run's table (see ModelChoice.h).
std::vector<double> reducedMobilities(const model::Conditions& sample, const ModelRow& row,
                                      const std::vector<double>& reducedZetas);

}  // namespace electrokinetics
