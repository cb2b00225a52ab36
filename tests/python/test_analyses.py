# SPDX-License-Identifier: GPL-3.0-or-later
"""The charge of a sequence and the fit of Sigma against the C++ tests' references."""
import csv
import io
import math
import os

import numpy as np
import pytest

import quorvin
from conftest import DATA


def fasta_records():
    text = open(os.path.join(DATA, "charge_proteins.fasta"), encoding="utf-8").read()
    return [">" + r for r in text.split(">")[1:]]


def test_charge_and_isoelectric_point_as_the_reference_programs():
    records = fasta_records()
    with open(os.path.join(DATA, "charge_reference.csv"), newline="") as f:
        rows = list(csv.DictReader(f))
    assert len(rows) == 14
    for row in rows:
        options = dict(pka_set=row["Set"], disulfides=int(row["Disulfides"]),
                       n_terminus_blocked=row["NBlocked"] == "1",
                       c_terminus_blocked=row["CBlocked"] == "1")
        sequence = quorvin.read_sequence(records[int(row["Record"])])
        assert quorvin.isoelectric_point(sequence, **options) == pytest.approx(
            float(row["IsoelectricPoint"]), abs=1e-3)
        tolerance = 0.00501 if row["Set"] == "EMBOSS" else 1e-8
        assert quorvin.net_charge(sequence, 7, **options) == pytest.approx(
            float(row["ChargeAt7"]), abs=tolerance)


def test_charge_on_arrays_of_ph_and_screened_at_conditions():
    ubiquitin = quorvin.read_sequence(os.path.join(DATA, "charge_proteins.fasta"))
    assert ubiquitin.name.startswith("ubiquitin") and len(ubiquitin) == 76
    pH = np.linspace(2, 12, 41)
    charge = quorvin.net_charge(ubiquitin, pH, pka_set="bjellqvist")
    assert charge.shape == pH.shape and np.all(np.diff(charge) < 0)
    conditions = {"temperature": 25, "ionic_strength": 0.1, "stokes_radius": 1.6}
    screened = quorvin.net_charge(ubiquitin, pH, pka_set="Bjellqvist", screened_at=conditions)
    # Screening pulls the charge toward zero on both sides of the pI.
    assert np.all(np.abs(screened) <= np.abs(charge) + 1e-12)
    pi = quorvin.isoelectric_point(ubiquitin, pka_set="Bjellqvist", screened_at=conditions)
    assert quorvin.net_charge(ubiquitin, pi, pka_set="Bjellqvist",
                              screened_at=conditions) == pytest.approx(0, abs=1e-4)
    assert quorvin.isoelectric_point("DDEE", pka_set="Bjellqvist",
                                     n_terminus_blocked=True) is None
    assert [s["name"] for s in quorvin.pka_sets()][:2] == ["EMBOSS", "DTASelect"]


@pytest.mark.parametrize("call, message", [
    (lambda: quorvin.read_sequence("MKV#"), "column 4"),
    (lambda: quorvin.net_charge("MKV", 7, pka_set="none"), 'No pKa set is called "none"'),
    (lambda: quorvin.net_charge("MCK", 7, disulfides=1), "bridge"),
    (lambda: quorvin.net_charge("MK", 7, screened_at={"temperature": 200}),
     "Temperature = 200"),
])
def test_sequence_refusals_raise_the_programs_message(call, message):
    with pytest.raises(ValueError) as error:
        call()
    assert message in str(error.value)


def fit_row(fit_program, *args):
    rows = list(csv.DictReader(io.StringIO(fit_program(*args), newline="")))
    return rows


def close(value, text):
    return value == pytest.approx(float(text), rel=6e-6, abs=1e-12)


def test_fit_of_a_scan_as_quorvin_fit(fit_program):
    path = os.path.join(DATA, "scans", "columns-sd.txt")
    expected = fit_row(fit_program, "--draws", "300", "--seed", "5", path)[0]
    fit = quorvin.fit_sigma(quorvin.read_scan(path), draws=300, seed=5)
    for value, name in ((fit.sigma, "Sigma"), (fit.sigma_se, "SigmaSE"),
                        (fit.low95, "SigmaLow95"), (fit.high95, "SigmaHigh95"),
                        (fit.scans[0].amplitude, "Amplitude"),
                        (fit.scans[0].baseline, "Baseline"),
                        (fit.reduced_chi_square, "ReducedChiSquare"), (fit.runs_z, "RunsZ")):
        assert close(value, expected[name]), name
    assert abs(fit.sigma - 2.5) < 2 * fit.sigma_se, "the profile's true Sigma"
    scan = quorvin.read_scan(path)
    assert len(fit.residuals) == fit.points == len(scan)
    curve = fit.scans[0].amplitude * np.exp(fit.sigma * (scan.x - fit.scans[0].x_ref)) \
        + fit.scans[0].baseline
    np.testing.assert_allclose(fit.residuals, scan.signal - curve, atol=1e-12)
    np.testing.assert_allclose(fit.residual_x, scan.x)
    # The same points as arrays give the same fit.
    again = quorvin.fit_sigma(scan.x, scan.signal, scan.sd, draws=300, seed=5)
    assert (again.sigma, again.low95) == (fit.sigma, fit.low95)


def test_global_fit_of_radial_scans_as_quorvin_fit(fit_program):
    paths = [os.path.join(DATA, "scans", n) for n in ("radial-1.txt", "radial-2.txt")]
    rows = fit_row(fit_program, "--global", "--draws", "0", "--from", "6.1", *paths)
    fit = quorvin.fit_sigma([quorvin.read_scan(p) for p in paths], draws=0, x_from=6.1)
    assert rows[-1]["Scan"] == "global" and close(fit.sigma, rows[-1]["Sigma"])
    assert close(fit.sigma_se, rows[-1]["SigmaSE"]) and fit.low95 is None
    assert [s.elapsed_seconds for s in fit.scans] == [7200, 10800]


@pytest.mark.parametrize("call, message", [
    (lambda: quorvin.fit_sigma([1, 2, 3], [1, 2, 3]), "too few for the fit"),
    (lambda: quorvin.fit_sigma([1, 2], [1]), "differ in length"),
    (lambda: quorvin.read_scan(os.path.join(DATA, "nist_misra1a.txt") + ".none"), "none"),
])
def test_fit_refusals_raise_value_errors(call, message):
    with pytest.raises(ValueError, match=message):
        call()
