#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs two builds of quorvin-batch on the same random input files and counts
the files whose output, log, .DAT files, messages or exit status differ.

    bench/compare_batch.py OLD_BATCH NEW_BATCH [--rows N] [--seed S] [--results]

With --results, each output row's result columns (from ClosestApproach to
Error) and the exit status are compared, and a row whose Sigma or mobility
is negative or zero, or a file with a column unknown to the old build, is
counted apart: these are what a build that passes input columns through and
takes signed measurements answers differently on purpose.

The rows mix every mode of entry (Sigma, mobility, z, z*; E entered or from
current, conductivity and cross-section; Stokes radius and viscosity; the
temperature), values inside, at and outside their limits, extreme and
oddly written numbers, refused rows, and files with uncertainty columns."""

import argparse
import csv
import filecmp
import io
import os
import random
import subprocess
import sys
import tempfile

LIMITS = {
    "Temperature": (0, 100),
    "IonicStrength": (0.0001, 6.5),
    "Dielectric": (1, 100),
    "StokesRadius": (0.1, 1000),
    "SaltIonRadius": (0.05, 10),
    "Viscosity": (0.001, 10),
    "EField": (1e-5, 100),
    "Current": (1e-7, 100),
    "Conductivity": (1e-6, 500),
    "XSection": (0.01, 1),
    "Sigma": (0, 300),
    "Mobility": (0.0001, 100),
    "Valence": (-9999, 9999),
    "EffectiveValence": (-9999, 9999),
}
CONDITIONS = ["Temperature", "IonicStrength", "Dielectric", "StokesRadius",
              "SaltIonRadius", "Viscosity"]
MEASURED = ["Temperature", "IonicStrength", "Dielectric", "StokesRadius",
            "SaltIonRadius", "Viscosity", "EField", "Current", "Conductivity",
            "XSection", "Sigma", "Mobility"]


def number(rng, low, high):
    """A value written as a user might: mostly inside the limits, some at or
    beyond them, some extreme, in several notations."""
    r = rng.random()
    if r < 0.70:
        v = rng.uniform(low, high) if rng.random() < 0.5 else \
            low + (high - low) * rng.random() ** 4
    elif r < 0.78:
        v = rng.choice([low, high])
    elif r < 0.86:
        v = rng.choice([low - abs(low) * 0.01 - 1e-9, high * 1.01 + 1e-9, -1, 0,
                        1e-300, 1e300, -1e300, 2 ** 31, -(2 ** 31) - 5])
    else:
        v = rng.uniform(low, high)
    style = rng.random()
    if style < 0.45:
        return repr(round(v, rng.randint(0, 6)))
    if style < 0.6:
        return "%.*e" % (rng.randint(0, 8), v)
    if style < 0.7:
        return "%.*E" % (rng.randint(0, 4), v)
    if style < 0.8:
        text = repr(v)
        return text.replace("0.", ".", 1) if text.startswith("0.") else text
    if style < 0.85:
        return ("+" if v >= 0 else "") + repr(round(v, 3))
    if style < 0.9:
        text = repr(round(v, 2))
        return text[:-1] if text.endswith(".0") else text
    return repr(v)


def header_for(rng, uncertainty):
    columns = ["Sample"] if rng.random() < 0.8 else []
    columns += [c for c in CONDITIONS if rng.random() < 0.5]
    field = rng.random()
    if field < 0.3:
        columns.append("EField")
    elif field < 0.6:
        columns += ["Current", "Conductivity", "XSection"]
    chain = rng.random()
    if chain < 0.8 or uncertainty:
        columns.append(rng.choice(["Sigma", "Mobility"]))
    elif chain < 0.95:
        columns.append(rng.choice(["Valence", "EffectiveValence"]))
    rng.shuffle(columns)
    if uncertainty:
        for c in [c for c in columns if c in MEASURED]:
            if rng.random() < 0.5:
                columns.append(c + "SD")
                if rng.random() < 0.3:
                    columns.append(c + "Dist")
        if not any(c.endswith("SD") for c in columns):
            columns.append("TemperatureSD")
    # Now and then a header the reader refuses.
    if rng.random() < 0.01:
        columns.append(rng.choice(["pH", "Sigma", "EField", "Current"]))
    return columns


def field_for(rng, column, row):
    if column == "Sample":
        return rng.choice(["s%d" % row, "", "NaCl 0.1 M", "\"a, b\"", "x/y"])
    if rng.random() < 0.1:
        return ""
    if column.endswith("Dist"):
        return rng.choice(["normal", "rectangular", "Rectangular", "uniform"])
    if column.endswith("SD"):
        low, high = LIMITS[column[:-2]]
        return repr(round(abs(rng.gauss(0, (high - low) * 0.001)), 6)) \
            if rng.random() < 0.97 else repr(high - low + 1)
    if column not in LIMITS:  # a column the reader does not know
        return "%.1f" % rng.uniform(2, 12)
    low, high = LIMITS[column]
    return number(rng, low, high)


def make_file(rng, path, rows, uncertainty):
    columns = header_for(rng, uncertainty)
    lines = [",".join(columns)]
    for row in range(rows):
        lines.append(",".join(field_for(rng, c, row) for c in columns))
    if rng.random() < 0.005:
        lines.append("not,a,number," + "x" * 3)
    with open(path, "w", newline="") as f:
        f.write("\r\n".join(lines) + ("\r\n" if rng.random() < 0.5 else ""))
    return rows


def run(batch, path, out_dir, options):
    os.makedirs(out_dir, exist_ok=True)
    args = [batch, path] + options
    args = [a.replace("{out}", out_dir) for a in args]
    p = subprocess.run(args, capture_output=True)
    return p.returncode, p.stdout, p.stderr


def same_tree(a, b):
    if not os.path.exists(a) and not os.path.exists(b):
        return True
    cmp = filecmp.dircmp(a, b)
    if cmp.left_only or cmp.right_only or cmp.diff_files or cmp.funny_files:
        return False
    return all(filecmp.cmp(os.path.join(a, f), os.path.join(b, f), shallow=False)
               for f in cmp.common_files)


def signed_measurement(row):
    """Whether a row's Sigma or mobility is a number at or below zero."""
    for column in ("Sigma", "Mobility"):
        try:
            if float(row.get(column, "").strip()) <= 0:
                return True
        except ValueError:
            pass
    return False


def compare_results(path, old, new):
    """The rows whose result texts differ, and those that differ on purpose."""
    with open(path, newline="") as f:
        inputs = list(csv.DictReader(f))
    header = inputs and list(inputs[0].keys()) or []
    if old[0] == 2 and any(c not in LIMITS and c not in ("Sample",) and
                           not c.endswith(("SD", "Dist")) for c in header):
        return 0, 1
    if (old[0] == 2) != (new[0] == 2):
        return 1, 0
    if old[0] == 2:
        return (0 if old[2] == new[2] else 1), 0
    old_rows = list(csv.reader(io.StringIO(old[1].decode())))
    new_rows = list(csv.reader(io.StringIO(new[1].decode())))
    width = len(old_rows[0]) - 1
    differ = expected = 0
    for i, (o, n) in enumerate(zip(old_rows, new_rows)):
        if o[1:] == n[-width:] and o[0] == n[0]:
            continue
        if i > 0 and signed_measurement(inputs[i - 1]):
            expected += 1
        else:
            differ += 1
    return differ + abs(len(old_rows) - len(new_rows)), expected


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--rows", type=int, default=100000)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--results", action="store_true")
    a = parser.parse_args()
    rng = random.Random(a.seed)
    total = files = differences = on_purpose = 0
    with tempfile.TemporaryDirectory(prefix="quorvin-compare-") as tmp:
        while total < a.rows:
            uncertainty = rng.random() < 0.03
            rows = rng.randint(1, 40) if uncertainty else rng.randint(1, 1500)
            path = os.path.join(tmp, "in.csv")
            total += make_file(rng, path, rows, uncertainty)
            files += 1
            options = []
            if uncertainty:
                options += ["--draws", "10000", "--seed", str(rng.randint(0, 99))]
            if rng.random() < 0.3:
                options += ["--log", "{out}/log." + rng.choice(["rtf", "txt"])]
            if rows < 50 and rng.random() < 0.3:
                options += ["--dat", "{out}/dat"]
            results = []
            for side, batch in (("old", a.old), ("new", a.new)):
                out = os.path.join(tmp, side)
                subprocess.run(["rm", "-rf", out])
                results.append(run(batch, path, out, options))
            if a.results:
                differ, expected = compare_results(path, results[0], results[1])
                on_purpose += expected
                same = differ == 0
            else:
                same = results[0] == results[1] and same_tree(os.path.join(tmp, "old"),
                                                              os.path.join(tmp, "new"))
            if not same:
                differences += 1
                keep = os.path.join(tempfile.gettempdir(), "quorvin-compare-diff-%d.csv" % files)
                os.replace(path, keep)
                print("difference in file %d (%d rows, options %s), kept as %s"
                      % (files, rows, " ".join(options), keep), file=sys.stderr)
    print("%d rows in %d files, %d files differ" % (total, files, differences))
    if a.results:
        print("%d rows or files differ on purpose (signed measurements, passed columns)"
              % on_purpose)
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
