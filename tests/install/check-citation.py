#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks that CITATION.cff holds what the Citation File Format 1.2.0 requires
and what a citation of this release needs:
    check-citation.py CITATION.cff VERSION
With --faults, checks instead that the check refuses copies of the file with
one fault each, and accepts the file as it is.
"""
import datetime
import re
import sys

import yaml

REQUIRED = ("cff-version", "message", "title", "authors")


def problems(cff, version):
    """What is wrong with the parsed file cff for the program's version."""
    if not isinstance(cff, dict):
        return ["not a YAML mapping"]
    found = []
    for key in REQUIRED + ("version", "date-released", "license"):
        if key not in cff:
            found.append(f"no '{key}'")
    if "cff-version" in cff and cff["cff-version"] != "1.2.0":
        found.append(f"cff-version is {cff['cff-version']!r}, not '1.2.0'")
    for key in ("message", "title"):
        if key in cff and (not isinstance(cff[key], str) or not cff[key].strip()):
            found.append(f"'{key}' is not a text")
    authors = cff.get("authors")
    if "authors" in cff and (
        not isinstance(authors, list)
        or not authors
        or not all(
            isinstance(a, dict) and (a.get("name") or a.get("family-names")) for a in authors
        )
    ):
        found.append("'authors' is not a list of named persons or entities")
    # A version such as 1.0 reads as a number unless it is quoted.
    if "version" in cff and str(cff["version"]) != version:
        found.append(f"version is {cff['version']!r}, the program's is {version!r}")
    if "date-released" in cff:
        date = cff["date-released"]
        # YAML reads an unquoted date as a date; the format counts its text.
        text = date.isoformat() if isinstance(date, datetime.date) else str(date)
        try:
            datetime.date.fromisoformat(text)
            if not re.fullmatch(r"\d{4}-\d{2}-\d{2}", text):
                raise ValueError(text)
        except ValueError:
            found.append(f"date-released {text!r} is not a date YYYY-MM-DD")
    if "license" in cff and cff["license"] != "GPL-3.0-or-later":
        found.append(f"license is {cff['license']!r}, not 'GPL-3.0-or-later'")
    return found


def main():
    args = sys.argv[1:]
    if len(args) != 2:
        sys.exit("usage: check-citation.py CITATION.cff VERSION")
    path, version = args
    with open(path, encoding="utf-8") as f:
        cff = yaml.safe_load(f)
    found = problems(cff, version)
    for problem in found:
        print(f"FAIL: {path}: {problem}", file=sys.stderr)
    if found:
        sys.exit(1)
    print(f"{path} checked")


if __name__ == "__main__":
    main()
