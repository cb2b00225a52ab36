#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The Python module's speed beside its baselines, in one run:

- quorvin.evaluate on 10^6 rows (a DataFrame and the CSV file) beside
  quorvin-batch on the same rows: at most 1.5 times its time per row;
- quorvin.valence and quorvin.henry_function on arrays of 10^6 beside the
  bare C++ loops of python_baseline_bench over the same evaluation: at least
  half as fast per element.

  PYTHONPATH=build/python python3 bench/python_bench.py [BUILD_DIR] [ROWS]

CPU times (the machine may be shared), best of a few runs for the arrays.
"""
import json
import os
import resource
import subprocess
import sys
import tempfile
import time

import numpy as np
import pandas as pd

import quorvin


def rows_table(n):
    rng = np.random.default_rng(1)
    return pd.DataFrame({
        "Sample": ["S%d" % i for i in range(n)],
        "IonicStrength": rng.uniform(0.001, 0.5, n).round(4),
        "Temperature": rng.uniform(5, 40, n).round(1),
        "StokesRadius": rng.uniform(1, 10, n).round(2),
        "Mobility": rng.uniform(-4, 4, n).round(3),
        "Solvent": "water",
        "pH": rng.uniform(3, 10, n).round(2),
    })


def child_cpu():
    r = resource.getrusage(resource.RUSAGE_CHILDREN)
    return r.ru_utime + r.ru_stime


def timed(call):
    wall, cpu = time.perf_counter(), time.process_time()
    result = call()
    return result, time.process_time() - cpu, time.perf_counter() - wall


def best_cpu(call, runs=3):
    return min(timed(call)[1] for _ in range(runs))


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    n = int(sys.argv[2]) if len(sys.argv) > 2 else 1000000
    table = rows_table(n)
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "rows.csv")
        table.to_csv(path, index=False)
        before, wall = child_cpu(), time.perf_counter()
        subprocess.run([os.path.join(build, "batch", "quorvin-batch"), path, "-o",
                        os.path.join(folder, "out.csv")], check=False)
        batch_cpu, batch_wall = child_cpu() - before, time.perf_counter() - wall
        frame, frame_cpu, frame_wall = timed(lambda: quorvin.evaluate(table))
        _, csv_cpu, csv_wall = timed(lambda: quorvin.evaluate(path))
    assert len(frame) == n
    per_row = lambda s: 1e6 * s / n
    print("rows: %d (%d refused)" % (n, (frame["Error"] != "").sum()))
    print("%-34s %10s %10s %8s" % ("", "us/row CPU", "us/row wall", "ratio"))
    print("%-34s %10.2f %10.2f %8s" % ("quorvin-batch", per_row(batch_cpu), per_row(batch_wall),
                                        "1.00"))
    for name, cpu, wall in (("quorvin.evaluate(DataFrame)", frame_cpu, frame_wall),
                            ("quorvin.evaluate(CSV path)", csv_cpu, csv_wall)):
        print("%-34s %10.2f %10.2f %8.2f   (target <= 1.5)" % (
            name, per_row(cpu), per_row(wall), cpu / batch_cpu))

    baseline = subprocess.run(
        [os.path.join(build, "bench", "python_baseline_bench"), "--benchmark_format=json",
         "--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"],
        capture_output=True, check=True, text=True)
    # Milliseconds per pass over 10^6 elements, the median of the runs.
    bare = {b["run_name"]: b["cpu_time"] * 1e-3 / 1e6 for b in json.loads(baseline.stdout)[
        "benchmarks"] if b.get("aggregate_name") == "median"}
    rng = np.random.default_rng(1)
    size = 1000000
    mobility, radius = rng.uniform(-4, 4, size), rng.uniform(1, 10, size)
    strength, temperature = rng.uniform(0.001, 0.5, size), rng.uniform(5, 40, size)
    ka = 0.01 + 0.00002 * np.arange(size)
    module = {
        "BareValence": best_cpu(lambda: quorvin.valence(
            mobility=mobility, stokes_radius=radius, ionic_strength=strength,
            temperature=temperature, solvent="water")) / size,
        "BareHenryFunction": best_cpu(lambda: quorvin.henry_function(ka)) / size,
    }
    print()
    print("%-34s %12s %12s %8s" % ("arrays of 10^6", "bare C++ ns", "module ns", "speed"))
    for name, label in (("BareValence", "quorvin.valence(mobility=...)"),
                        ("BareHenryFunction", "quorvin.henry_function(ka)")):
        print("%-34s %12.1f %12.1f %8.2f   (target >= 0.5)" % (
            label, 1e9 * bare[name], 1e9 * module[name], bare[name] / module[name]))


if __name__ == "__main__":
    main()
