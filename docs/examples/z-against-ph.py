#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""z of a titration series with its 95 % interval beside the charge the
sequence predicts, plotted against pH and saved as a PNG:

  python3 z-against-ph.py [SERIES.csv] [SEQUENCE.fasta] [OUT.png]

From the build tree: PYTHONPATH=build/python python3 docs/examples/z-against-ph.py
"""
import os
import sys

import matplotlib
matplotlib.use("Agg")  # no display needed
import matplotlib.pyplot as plt
import numpy as np
import pandas as pd

import quorvin

here = os.path.dirname(os.path.abspath(__file__))
series_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "lysozyme-titration.csv")
sequence_path = sys.argv[2] if len(sys.argv) > 2 else os.path.join(here, "lysozyme.fasta")
out_path = sys.argv[3] if len(sys.argv) > 3 else "z-against-ph.png"

# The series as the instrument's export gives it; quorvin reads the same
# column names and units as quorvin-batch.
series = pd.read_csv(series_path)

# z for every row (ValenceResult: Valence would be an input column), and
# its uncertainty from those of the mobility and the
# temperature (standard uncertainties in their units), by Monte Carlo.
results = quorvin.uncertainty(series, sd={"mobility": 0.03, "temperature": 0.1},
                              draws=100000, seed=1)
refused = results[results["Error"] != ""]
for _, row in refused.iterrows():
    print("%s: %s" % (row["Sample"], row["Error"]), file=sys.stderr)
ok = results[results["Error"] == ""]

# The charge the sequence predicts, by Henderson-Hasselbalch and screened
# at the series' conditions.
sequence = quorvin.read_sequence(sequence_path)
conditions = {"temperature": 25, "ionic_strength": 0.05, "stokes_radius": 1.9}
pH = np.linspace(2, 12, 201)
options = {"pka_set": "Bjellqvist", "disulfides": 4}
predicted = quorvin.net_charge(sequence, pH, **options)
screened = quorvin.net_charge(sequence, pH, screened_at=conditions, **options)

for (_, row), p in zip(ok.iterrows(), ok["pH"]):
    Z = quorvin.net_charge(sequence, p, screened_at=conditions, **options)
    print("pH %4.1f  z = %6.2f  (95 %%: %6.2f to %6.2f)  predicted %6.2f  bound %6.2f" % (
        p, row["ValenceResult"], row["ValenceLow"], row["ValenceHigh"], Z,
        row["ValenceResult"] - Z))

fig, ax = plt.subplots(figsize=(7, 4.5), dpi=120)
ax.plot(pH, predicted, color="0.5", linestyle="--", label="predicted (Henderson-Hasselbalch)")
ax.plot(pH, screened, color="tab:blue", label="predicted, screened at 0.05 M")
z = ok["ValenceResult"]
ax.errorbar(ok["pH"], z, yerr=[z - ok["ValenceLow"], ok["ValenceHigh"] - z],
            fmt="o", color="tab:red", capsize=3, label="z measured (95 % interval)")
ax.axhline(0, color="black", linewidth=0.6)
ax.set_xlabel("pH")
ax.set_ylabel("charge number")
ax.set_title("%s (quorvin %s)" % (sequence.name.split(" (")[0], quorvin.__version__))
ax.legend()
fig.tight_layout()
fig.savefig(out_path)
print("saved", out_path)
