// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "electrokinetics/Electrolyte.h"

namespace electrokinetics {

// The standard electrokinetic model of a rigid, non-conducting sphere with a
// uniformly smeared charge in an electrolyte of point ions: R. W. O'Brien and
// L. R. White, J. Chem. Soc. Faraday Trans. 2 74 (1978) 1607, in the form of
// H. Ohshima, T. W. Healy and L. R. White, J. Chem. Soc. Faraday Trans. 2 79
// (1983) 1613 (restated in Ohshima, "Theory of Colloid and Interfacial
// Electric Phenomena", Elsevier 2006). Everything is reduced: x = kappa r,
// the potential y = e psi / kT, the surface charge sigma = -dy/dx at the
// surface (z lB / (kappa a^2), lB = e^2 / (eps kT) the Bjerrum length), and
// the mobility E = 6 pi eta e mu / (eps kT) (Gaussian units; 3 eta e mu /
// (2 eps eps0 kT) in SI), so that Hueckel's limit is E = zeta and
// Smoluchowski's E = 1.5 zeta.
//
// The method (electrokinetics/README.md): inward integration from the far
// field, where the solutions are known exactly, by eighth-order Runge-Kutta
// steps on a grid graded in a transformed variable; the Poisson-Boltzmann
// solution by Newton iteration on its far-field amplitude, the linear
// perturbation equations by superposition of their far-field solutions.

// The grid: steps of `step` in t = ln((x - ka + d)/d) + ln(x/ka) + (x - ka),
// d the length over which the potential falls near a highly charged
// surface, out to x = ka + extent, beyond which the double layer is below
// rounding. Halving the step and widening the extent refines it.
struct Grid {
    double step = 0.2;
    double extent = 32;
    Grid refined() const { return {step / 2, extent + 8}; }
};

// The equilibrium double layer at the surface.
struct SurfaceState {
    double potential = 0;  // reduced surface potential y(ka) (the zeta potential)
    double charge = 0;     // reduced surface charge -y'(ka)
};

// The nonlinear Poisson-Boltzmann solution for a sphere of reduced radius ka
// carrying the reduced surface charge, or held at the reduced surface
// potential. Throw for ka outside (0, 1e4], a charge or potential that is not
// finite, or one beyond reduced potential 40.
SurfaceState surfaceForCharge(double ka, double charge, const Electrolyte& e,
                              const Grid& grid = {});
SurfaceState surfaceForPotential(double ka, double potential, const Electrolyte& e,
                                 const Grid& grid = {});

struct MobilityState {
    SurfaceState surface;
    double mobility = 0;  // reduced mobility E
};

// The reduced mobility by the standard model.
MobilityState mobilityForCharge(double ka, double charge, const Electrolyte& e,
                                const Grid& grid = {});
MobilityState mobilityForPotential(double ka, double potential, const Electrolyte& e,
                                   const Grid& grid = {});

}  // namespace electrokinetics
