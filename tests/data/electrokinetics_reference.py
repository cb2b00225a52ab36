#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reference values of the standard electrokinetic model for a sphere.

An independent solution of the same equations as electrokinetics/: the
nonlinear Poisson-Boltzmann equation and the linear perturbation equations
(O'Brien and White 1978, in the form of Ohshima, Healy and White 1983) as
one boundary-value problem on [ka, ka + L], solved by scipy's collocation
solver (solve_bvp) with the far-field conditions imposed at x = ka + L and
continuation in the surface potential. Writes
electrokinetics_reference.csv: salt, ka, reduced zeta, reduced surface
charge, reduced mobility; and electrokinetics_spheres.csv: a table of
proteins as quorvin-batch input, each with the mobility of its valence and
that valence and zeta potential to be given back.

Needs python3-scipy (Debian); the tests read the CSV, never this script.
"""

import csv
import math
import os

import numpy as np
from scipy.integrate import solve_bvp

# Reduced drags m = eps kT N_A |z| / (6 pi eta(25) Lambda) with the program's
# constants at 25 degrees Celsius and dielectric constant 78.3 (CRC
# conductivities, per equivalent).
E_ESU, EV, NA, KB, PI = 4.8e-10, 1.6021e-12, 6.023e23, 1.38054e-16, 3.14159265
ETA25 = 0.008899967737  # P, water at 25 (Huber 2009, as model/Solvent gives it)


def drag(valence, conductivity, dielectric=78.3, celsius=25):
    kt = KB * (273 + celsius)
    return (dielectric * kt * NA * abs(valence) * EV * EV /
            (6 * PI * ETA25 * 1e7 * E_ESU * E_ESU * conductivity))


# ions: (valence, amount per formula unit, conductivity)
SALTS = {
    "NaCl": [(1, 1, 50.08), (-1, 1, 76.31)],
    "KCl": [(1, 1, 73.48), (-1, 1, 76.31)],
    "CaCl2": [(2, 1, 59.47), (-1, 2, 76.31)],
}


def electrolyte(name):
    ions = SALTS[name]
    total = sum(a * z * z for z, a, _ in ions)
    return [(z, a * z * z / total, drag(z, lam)) for z, a, lam in ions]


def solve(ka, potentials, ions, extent=30.0, by_charge=False):
    """The surface charge and mobility at each reduced surface potential, or
    with by_charge the surface potential and mobility at each reduced
    surface charge."""
    z = np.array([i[0] for i in ions], float)
    w = np.array([i[1] for i in ions], float)
    m = np.array([i[2] for i in ions], float)
    n = len(ions)
    xb = ka + extent

    def rhs(x, s):
        y, dy = s[0], s[1]
        phi, dphi = s[2:2 + n], s[2 + n:2 + 2 * n]
        h, dh, g, dg = s[2 + 2 * n:6 + 2 * n]
        boltz = np.exp(-np.outer(z, y))
        source = -np.sum((w / z)[:, None] * np.expm1(-np.outer(z, y)), axis=0)
        d = np.empty_like(s)
        d[0] = dy
        d[1] = -2 * dy / x + source
        d[2:2 + n] = dphi
        d[2 + n:2 + 2 * n] = (-2 * dphi / x + 2 * phi / x**2 + z[:, None] * dy * dphi
                              - 3 * m[:, None] * dy * h / x)
        d[2 + 2 * n] = dh
        d[3 + 2 * n] = g - 2 * dh / x + 2 * h / x**2
        d[4 + 2 * n] = dg
        d[5 + 2 * n] = (-2 * dg / x + 2 * g / x**2
                        - dy / x * np.sum(w[:, None] * boltz * phi, axis=0))
        return d

    def bc(sa, sb, y0):
        res = [sa[1] + y0 if by_charge else sa[0] - y0]
        res += list(sa[2 + n:2 + 2 * n])
        res += [sa[2 + 2 * n], sa[3 + 2 * n]]
        res += [sb[1] + sb[0] * (1 + 1 / xb)]
        res += list(sb[2:2 + n] - xb - (1 - sb[2 + n:2 + 2 * n]) * xb / 2)
        res += [sb[4 + 2 * n], sb[5 + 2 * n]]
        return np.array(res)

    # Graded mesh: fine at the surface, where the potential falls fastest.
    u = np.linspace(0, 1, 400)
    x = ka + extent * (np.expm1(8 * u) / np.expm1(8))
    s = np.zeros((6 + 2 * n, x.size))
    s[2:2 + n] = x + ka**3 / (2 * x**2)
    s[2 + n:2 + 2 * n] = 1 - ka**3 / x**3
    out = []
    steps = 40 if by_charge else 10  # a charge reaches higher potentials
    step_path = np.concatenate([np.linspace(0.05, max(potentials), steps), potentials])
    done = {}
    for y0 in sorted(set(np.round(step_path, 12))):
        if y0 > 0 and not done:
            # Debye-Hueckel: the surface potential of a charge.
            surface = y0 * ka / (1 + ka) if by_charge else y0
            s[0] = surface * ka / x * np.exp(-(x - ka))
            s[1] = -s[0] * (1 + 1 / x)
        sol = solve_bvp(rhs, lambda a, b: bc(a, b, y0), x, s, tol=1e-8, max_nodes=200000)
        if not sol.success:
            raise RuntimeError(f"ka {ka} y0 {y0}: {sol.message}")
        x, s = sol.x, sol.y
        done[y0] = True
        if any(abs(y0 - p) < 1e-12 for p in potentials):
            hb, dhb = s[2 + 2 * n, -1], s[3 + 2 * n, -1]
            out.append((y0, s[0, 0] if by_charge else -s[1, 0], dhb + 2 * hb / xb))
    return out


def spheres(path):
    """Proteins of 2 to 3.5 nm with z 5 to 40 in 5 to 150 mM NaCl at 25
    degrees Celsius, dielectric constant 78.3 and 0.89 cP, the ions points:
    the mobility of each as quorvin-batch input, with its valence and zeta
    potential (mV) to compare with what quorvin-batch gives back."""
    eps, celsius, viscosity = 78.3, 25, 0.89
    kt = KB * (273 + celsius)  # the program takes C + 273
    bjerrum = E_ESU**2 / (eps * kt)
    # 10^-4 cm^2/(V s) per reduced mobility, with the program's volt.
    unit = eps * kt / (6 * PI * viscosity * 0.01 * E_ESU) * EV / E_ESU * 1e4
    ions = electrolyte("NaCl")
    rows = []
    for radius in (2.0, 2.75, 3.5):
        for strength in (0.005, 0.03, 0.15):
            kappa = math.sqrt(8 * PI * E_ESU**2 * NA * strength / (1000 * kt * eps))
            ka = kappa * radius * 1e-7
            per_valence = bjerrum * kappa / ka**2
            valences = (5, 20, 40)
            solved = solve(ka, [z * per_valence for z in valences], ions, by_charge=True)
            for z, (_, potential, mobility) in zip(valences, solved):
                rows.append((f"{radius} nm {strength} M z {z}", radius, strength,
                             mobility * unit, z, potential * kt / EV * 1000))
    with open(path, "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(["Sample", "StokesRadius", "IonicStrength", "Temperature", "Dielectric",
                      "Viscosity", "EField", "Mobility", "ReferenceValence", "ReferenceZeta"])
        for sample, radius, strength, mobility, z, zeta in rows:
            out.writerow([sample, radius, strength, celsius, eps, viscosity, 1,
                          f"{mobility:.12g}", z, f"{zeta:.12g}"])


def main():
    rows = []
    for name in ("NaCl", "KCl", "CaCl2"):
        ions = electrolyte(name)
        for ka in (0.1, 1.0, 5.0, 20.0):
            potentials = [0.5, 2.0, 4.0] if name != "KCl" else [1.0, 3.0]
            for y0, charge, mobility in solve(ka, potentials, ions):
                rows.append((name, ka, y0, charge, mobility))
        # A thin double layer, where the thin-layer expression is checked.
        if name == "NaCl":
            for y0, charge, mobility in solve(100.0, [2.0, 4.0, 6.0], ions):
                rows.append((name, 100.0, y0, charge, mobility))
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "electrokinetics_reference.csv"), "w", newline="") as f:
        out = csv.writer(f, lineterminator="\n")
        out.writerow(["Salt", "Ka", "Zeta", "Charge", "Mobility"])
        for name, ka, y0, charge, mobility in rows:
            out.writerow([name, repr(ka), repr(y0), f"{charge:.12g}", f"{mobility:.12g}"])
    spheres(os.path.join(here, "electrokinetics_spheres.csv"))


if __name__ == "__main__":
    main()
