#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs two builds of pass_dump with the same seed and counts the passes whose
log entry, field texts and colours, values or .DAT lines differ.

    bench/compare_passes.py OLD_PASS_DUMP NEW_PASS_DUMP [--passes N] [--seed S]"""

import argparse
import subprocess
import sys


def passes(program, count, seed):
    out = subprocess.run([program, str(count), str(seed)], capture_output=True, check=True).stdout
    return out.split(b"# pass ")[1:]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--passes", type=int, default=1000)
    parser.add_argument("--seed", type=int, default=1)
    a = parser.parse_args()
    old = passes(a.old, a.passes, a.seed)
    new = passes(a.new, a.passes, a.seed)
    differ = [i for i, (o, n) in enumerate(zip(old, new)) if o != n]
    differ += list(range(min(len(old), len(new)), max(len(old), len(new))))
    size = sum(len(p) for p in new)
    print("%d passes (%d bytes), %d differ" % (len(new), size, len(differ)))
    if differ:
        print("first difference in pass %d" % differ[0], file=sys.stderr)
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
