#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reference values of Henry's function for a sphere and of Ohshima's
approximation, in 80-digit arithmetic, for the analysis tests.

    python3 tests/data/henry_reference.py > tests/data/henry_reference.csv

Needs mpmath; the program itself does not.
"""
import mpmath as mp

# At Ka = 1e6 the closed form cancels about 28 digits.
mp.mp.dps = 80


def henry_exact(x):
    x = mp.mpf(x)
    return (1 + x**2 / 16 - 5 * x**3 / 48 - x**4 / 96 + x**5 / 96
            + (x**4 / 8 - x**6 / 96) * mp.exp(x) * mp.e1(x))


def henry_ohshima(x):
    x = mp.mpf(x)
    delta = mp.mpf(5) / 2 / (1 + 2 * mp.exp(-x))
    return 1 + 1 / (2 * (1 + delta / x) ** 3)


def main():
    # Henry's own values.
    assert abs(henry_exact(1) - mp.mpf("1.0266648")) < 5e-8
    assert abs(henry_exact(10) - mp.mpf("1.2527722")) < 5e-8
    points = set()
    # 30 a decade from 1e-3 to 1e6.
    for i in range(9 * 30 + 1):
        points.add(float(mp.mpf(10) ** (mp.mpf(i) / 30 - 3)))
    # Either side of the seams between henryExact's methods.
    for seam in (2.0, 100.0):
        for delta in (1e-12, 1e-9, 1e-6, 1e-3):
            points.add(seam * (1 - delta))
            points.add(seam * (1 + delta))
        points.add(seam)
    points.update([1.0, 10.0])
    print("ka,exact,ohshima")
    for ka in sorted(points):
        print("%r,%s,%s" % (ka, mp.nstr(henry_exact(ka), 20), mp.nstr(henry_ohshima(ka), 20)))


if __name__ == "__main__":
    main()
