// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "electrokinetics/Sphere.h"
#include "model/Evaluation.h"

namespace electrokinetics {

// The sphere of a model choice: the Stokes radius, the ions points of the
// salt, the solution's K as the model worked it out.
Conditions sphereOf(const model::Conditions& c);

// z* of the sphere carrying z by the method, and the valences (lowest
// first) of a z*: z* is the mobility over that of a bare sphere of one
// elementary charge, as Sigma times the thermal length is.
double effectiveValence(const model::Conditions& c, double valence, Method m);
std::vector<double> valencesOf(const model::Conditions& c, double effectiveValence, Method m);

// The reduced mobility E at a reduced zeta potential by the method, at the
// sphere's Ka: the standard model from the run's table where it reaches,
// from the solver beyond, as z* is worked out.
double reducedMobilityAt(const model::Conditions& c, double reducedZeta, Method m);

// Registers Ohshima's 2001 approximation and the standard model with the
// model choice (model::registerNonlinearModel); the standard model answers
// from a MobilityTable per salt, temperature and dielectric constant, kept
// for the run and made behind the first calls (which the solver answers),
// and from the solver outside the table.
void registerModels();

}  // namespace electrokinetics
