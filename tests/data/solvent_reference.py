#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reference values of water's viscosity and dielectric constant, from the
published formulas in 30-digit arithmetic, for the model tests.

    python3 tests/data/solvent_reference.py > tests/data/solvent_reference.csv

Needs mpmath; the program itself does not.
"""
import mpmath as mp

mp.mp.dps = 30

# Huber et al., J. Phys. Chem. Ref. Data 38 (2009) 101: liquid water at
# 0.1 MPa, eta = sum a_i (T / 300 K)^b_i in micropascal seconds.
HUBER_A = ["280.68", "511.45", "61.131", "0.45903"]
HUBER_B = ["-1.9", "-7.7", "-19.6", "-40"]

# Malmberg and Maryott, J. Res. Natl. Bur. Stand. 56 (1956) 1:
# eps = 87.740 - 0.40008 t + 9.398e-4 t^2 - 1.410e-6 t^3, t in Celsius.
MALMBERG = ["87.740", "-0.40008", "9.398e-4", "-1.410e-6"]

CELSIUS = [0, 5, 10, 15, 20, 25, 30, 37, 40, 50, 60, 70, 80, 90, 100]


def viscosity_cp(celsius):
    kelvin = mp.mpf(celsius) + mp.mpf("273.15")
    reduced = kelvin / 300
    micropascal_seconds = mp.fsum(mp.mpf(a) * mp.power(reduced, mp.mpf(b))
                                  for a, b in zip(HUBER_A, HUBER_B))
    return micropascal_seconds / 1000


def dielectric(celsius):
    t = mp.mpf(celsius)
    return mp.fsum(mp.mpf(c) * t**n for n, c in enumerate(MALMBERG))


def main():
    # The rounded values the literature gives.
    assert abs(viscosity_cp(25) - mp.mpf("0.890")) < mp.mpf("5e-4")
    assert abs(viscosity_cp(37) - mp.mpf("0.691")) < mp.mpf("5e-4")
    assert abs(dielectric(20) - mp.mpf("80.10")) < mp.mpf("5e-3")
    assert abs(dielectric(25) - mp.mpf("78.30")) < mp.mpf("5e-3")
    assert abs(dielectric(37) - mp.mpf("74.15")) < mp.mpf("5e-3")
    print("celsius,viscosity_cP,dielectric")
    for celsius in CELSIUS:
        print("%d,%s,%s" % (celsius, mp.nstr(viscosity_cp(celsius), 15, strip_zeros=False),
                            mp.nstr(dielectric(celsius), 15, strip_zeros=False)))


if __name__ == "__main__":
    main()
