#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reference uncertainties of z, z* and Ge for random measurements, computed
independently of the program: its relations written out again, derivatives
in 30-digit arithmetic for the first-order budget, and a Monte Carlo run of
Python's own generator with 400,000 draws for the distributions.

    python3 tests/data/uncertainty_reference.py > tests/data/uncertainty_reference.csv

Needs mpmath; the program itself does not. Takes a few minutes.
"""
import math
import random

import mpmath as mp

mp.mp.dps = 30

E, PI, NA, KB, EV = 4.8e-10, 3.14159265, 6.023e23, 1.38054e-16, 1.6021e-12

# name, low, high: the limits of the number entries
INPUTS = [
    ("Temperature", 0, 100), ("IonicStrength", 0.0001, 6.5), ("Dielectric", 1, 100),
    ("SaltIonRadius", 0.05, 10), ("Viscosity", 0.001, 10), ("StokesRadius", 0.1, 1000),
    ("Diffusion", 0.001, 100), ("Friction", 0.1, 1000), ("EField", 1e-5, 100),
    ("Current", 1e-7, 100), ("Conductivity", 1e-6, 500), ("XSection", 0.01, 1),
    ("Sigma", 0, 300), ("Mobility", 0.0001, 100),
]
NAMES = [n for n, _, _ in INPUTS]
LIMITS = {n: (lo, hi) for n, lo, hi in INPUTS}
REF_DRAWS = 400000


def used(mode):
    hydro, field, measured = mode
    names = ["Temperature", "IonicStrength", "Dielectric", "SaltIonRadius"]
    if hydro != "R" or measured == "M":
        names.append("Viscosity")
    names.append({"R": "StokesRadius", "D": "Diffusion", "F": "Friction"}[hydro])
    names += ["EField"] if field == "E" else ["Current", "Conductivity", "XSection"]
    names.append("Sigma" if measured == "S" else "Mobility")
    return names


def outputs(mode, v, m=math):
    """z, z* and Ge at z for the inputs v (a dict), in module m's arithmetic."""
    hydro, field, measured = mode
    t, eta = v["Temperature"], v.get("Viscosity", 1)
    if hydro == "R":
        rs = v["StokesRadius"]
        d = (t + 273) * KB / (6 * PI * eta * rs * 1e-9) * 1e7
    elif hydro == "D":
        d = v["Diffusion"]
        rs = (t + 273) * KB / (6 * PI * eta * d * 1e-7) * 1e9
    else:
        f = v["Friction"]
        rs = 1e-8 * f / (6 * PI * eta * 0.01) * 1e7
        d = (t + 273) * KB / (f * 1e-8) * 1e7
    efield = v["EField"] if field == "E" else v["Current"] / (v["Conductivity"] * v["XSection"])
    sigma = v["Sigma"] if measured == "S" else v["Mobility"] * 1e-4 * efield / (d * 1e-7)
    k = m.sqrt(8 * E * E * PI * NA / (1000 * KB * v["Dielectric"] * (273 + t))) * m.sqrt(
        v["IonicStrength"])
    ri = v["SaltIonRadius"]
    ka = k * (rs + ri) * 1e-7
    x = m.log(ka) / m.log(10)
    y = 1.25 * (0.10392 * x * x - 1.10094 * x + 0.99302)
    h = 1.5 if x > 5 else (5 - m.erf(y)) * 0.25
    zstar = sigma * KB * (273 + t) / (EV * efield)
    z = zstar / (h / (1 + ka))
    b, r = rs * 1e-7, ri * 1e-7
    ge = z * z * E * E / (2 * v["Dielectric"]) * (k * r + 1) / ((k * (b + r) + 1) * b)
    return z, zstar, ge * NA * 1e-7 * 1e-3


def gum(mode, values, u):
    var = [mp.mpf(0)] * 3
    for name in used(mode):
        if u[name] == 0:
            continue
        for j in range(3):
            def f(x, name=name, j=j):
                w = {k: mp.mpf(val) for k, val in values.items()}
                w[name] = x
                return outputs(mode, w, mp)[j]
            c = mp.diff(f, mp.mpf(values[name]))
            var[j] += (c * u[name]) ** 2
    return [float(mp.sqrt(s)) for s in var]


def draw(rng, value, u, dist, lo, hi):
    while True:
        x = value + (u * rng.gauss(0, 1) if dist == "normal"
                     else u * math.sqrt(3) * (2 * rng.random() - 1))
        if lo <= x <= hi:
            return x


def coverage(sorted_values):
    n = len(sorted_values)
    q = int(math.floor(0.95 * n + 0.5))
    r = (n - q) // 2 if (n - q) % 2 == 0 else (n - q + 1) // 2
    return sorted_values[r - 1], sorted_values[r + q - 1]


def monte_carlo(mode, values, u, dist, rng):
    names = [n for n in used(mode) if u[n] > 0]
    columns = ([], [], [])
    for _ in range(REF_DRAWS):
        v = dict(values)
        for n in names:
            v[n] = draw(rng, values[n], u[n], dist[n], *LIMITS[n])
        for column, value in zip(columns, outputs(mode, v)):
            column.append(value)
    result = []
    for column in columns:
        mean = math.fsum(column) / len(column)
        sd = math.sqrt(math.fsum((x - mean) ** 2 for x in column) / (len(column) - 1))
        low, high = coverage(sorted(column))
        result += [mean, sd, low, high]
    return result


def random_state(rng, mode, truncated):
    hydro, field, measured = mode
    t = rng.uniform(5, 40)
    # The main window keeps the Stokes radius to two decimals, as it shows it.
    rs = round(rng.uniform(1.5, 15), 2)
    eta = rng.uniform(0.8, 2.0)
    v = {"Temperature": t, "IonicStrength": 10 ** rng.uniform(-3, 0),
         "Dielectric": rng.uniform(60, 85), "SaltIonRadius": rng.uniform(0.1, 0.4)}
    if hydro != "R" or measured == "M":
        v["Viscosity"] = eta
    if hydro == "R":
        v["StokesRadius"] = rs
    elif hydro == "D":
        v["Diffusion"] = (t + 273) * KB / (6 * PI * eta * rs * 1e-9) * 1e7
    else:
        v["Friction"] = 6 * PI * eta * rs * 1e-9 * 1e8
    if field == "E":
        v["EField"] = rng.uniform(0.05, 3)
        efield = v["EField"]
    else:
        v.update(Current=rng.uniform(0.05, 2), Conductivity=rng.uniform(2, 40),
                 XSection=rng.uniform(0.02, 0.5))
        efield = v["Current"] / (v["Conductivity"] * v["XSection"])
    sigma = rng.uniform(2, 150)
    if measured == "S":
        v["Sigma"] = sigma
    else:
        d = (t + 273) * KB / (6 * PI * eta * rs * 1e-9) * 1e7
        v["Mobility"] = sigma * d * 1e-7 / efield * 1e4
    u, dist = {}, {}
    for n in NAMES:
        u[n] = 0.0
        dist[n] = "normal"
    for n in used(mode):
        if rng.random() < 0.15:
            continue  # known exactly
        u[n] = v[n] * rng.uniform(0.003, 0.03)
        dist[n] = rng.choice(["normal", "rectangular"])
    if truncated:
        # Near a limit: the draws are cut there.
        v["Temperature"] = rng.uniform(0.5, 2)
        u["Temperature"] = rng.uniform(1, 3)
        dist["Temperature"] = "normal"
    return v, u, dist


def main():
    rng = random.Random(20261208)
    modes = [(h, f, m) for h in "RDF" for f in "EC" for m in "SM"]
    header = ["Hydro", "Field", "Measured"]
    for n in NAMES:
        header += [n, n + "SD", n + "Dist"]
    for q in ["Valence", "EffectiveValence", "GeMax"]:
        header += [q + "GumU", q + "Mean", q + "U", q + "Low", q + "High"]
    print(",".join(header))
    cases = [(mode, False) for mode in modes] + [(("R", "E", "S"), True), (("R", "C", "M"), True)]
    # More with the Stokes radius, the one hydrodynamic input of the batch program.
    cases += [(("R", f, m), False) for f in "EC" for m in "SM" for _ in range(4)]
    for mode, truncated in cases:
        values, u, dist = random_state(rng, mode, truncated)
        g = gum(mode, values, u)
        mc = monte_carlo(mode, values, u, dist, random.Random(rng.random()))
        row = list(mode)
        for n in NAMES:
            if n in values:
                row += [repr(values[n]), repr(u[n]), dist[n]]
            else:
                row += ["", "", ""]
        for j in range(3):
            row += [repr(g[j])] + [repr(x) for x in mc[4 * j:4 * j + 4]]
        print(",".join(row), flush=True)


if __name__ == "__main__":
    main()
