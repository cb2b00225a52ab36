#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reference isoelectric points and net charges at pH 7 of the proteins in
charge_proteins.fasta, for the charge tests: the Bjellqvist set from
Biopython's ProteinAnalysis, the EMBOSS set from EMBOSS iep (its Epk.dat),
each with the options it offers.

    python3 tests/data/charge_reference.py > tests/data/charge_reference.csv

Needs the Debian packages python3-biopython and emboss; the program itself
does not.
"""
import os
import re
import subprocess
import tempfile

from Bio import SeqIO
from Bio.SeqUtils.ProtParam import ProteinAnalysis

HERE = os.path.dirname(os.path.abspath(__file__))
PROTEINS = os.path.join(HERE, "charge_proteins.fasta")

# (record, disulfide bridges, N-terminus blocked, C-terminus blocked) for
# EMBOSS iep; cytochrome c's N-terminus is acetylated.
EMBOSS_CASES = [
    (0, 0, 0, 0),
    (1, 0, 0, 0),
    (1, 4, 0, 0),
    (2, 4, 0, 0),
    (3, 0, 1, 0),
    (4, 0, 0, 1),
    (4, 0, 1, 1),
    (5, 1, 0, 0),
]


def iep(sequence, bridges, n_blocked, c_blocked):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "protein.fasta")
        with open(path, "w") as f:
            f.write(">protein\n" + sequence + "\n")
        out = subprocess.run(
            ["iep", "-sequence", path, "-outfile", "stdout", "-step", "0.5",
             "-disulphides", str(bridges), "-amino", str(1 - n_blocked),
             "-carboxyl", str(1 - c_blocked)],
            check=True, capture_output=True, text=True).stdout
    pi = float(re.search(r"Isoelectric Point = (\S+)", out).group(1))
    charge = float(re.search(r"^\s*7\.00\s+\S+\s+(\S+)", out, re.M).group(1))
    return pi, charge


def main():
    records = [str(r.seq) for r in SeqIO.parse(PROTEINS, "fasta")]
    print("Record,Set,Disulfides,NBlocked,CBlocked,IsoelectricPoint,ChargeAt7")
    for i, sequence in enumerate(records):
        protein = ProteinAnalysis(sequence)
        print(f"{i},Bjellqvist,0,0,0,{protein.isoelectric_point():.6f},"
              f"{protein.charge_at_pH(7.0):.9f}")
    for i, bridges, n_blocked, c_blocked in EMBOSS_CASES:
        pi, charge = iep(records[i], bridges, n_blocked, c_blocked)
        print(f"{i},EMBOSS,{bridges},{n_blocked},{c_blocked},{pi},{charge}")


if __name__ == "__main__":
    main()
