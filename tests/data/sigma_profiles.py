#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the synthetic concentration profiles of tests/data/scans/.

Each is signal(x) = A exp(Sigma (x - 6.5)) + delta plus normal noise of a
known SD, from a fixed seed, so the files are the same on every run:
  python3 tests/data/sigma_profiles.py tests/data/scans
Standard library only. The true values are those of PROFILES below; the
tests in tests/fit/ state them again.
"""
import math
import os
import random
import sys

SIGMA = 2.5
PROFILES = [
    # name, layout, A, delta, noise SD, elapsed seconds
    ("columns-sd.txt", "columns", 0.40, 0.080, 0.004, None),
    ("radial-1.txt", "radial", 0.55, 0.020, 0.003, 7200),
    ("radial-2.txt", "radial", 0.35, 0.050, 0.003, 10800),
]


def main(folder):
    rng = random.Random(20260101)
    os.makedirs(folder, exist_ok=True)
    for name, layout, amplitude, delta, sd, seconds in PROFILES:
        lines = []
        if layout == "columns":
            lines.append("# synthetic profile, Sigma %g cm^-1" % SIGMA)
            lines.append("x;signal;sd")
        else:
            lines.append("synthetic profile, Sigma %g cm^-1" % SIGMA)
            lines.append("R 1 20.0 3000 %d 7.1E+08 280 1" % seconds)
        for i in range(200):
            x = 6.0 + i * 0.005
            y = amplitude * math.exp(SIGMA * (x - 6.5)) + delta + rng.gauss(0.0, sd)
            sep = ";" if layout == "columns" else " "
            lines.append(sep.join(["%.4f" % x, "%.6f" % y, "%.4f" % sd]))
        with open(os.path.join(folder, name), "w", newline="\n") as f:
            f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "scans"))
