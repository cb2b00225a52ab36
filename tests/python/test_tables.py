# SPDX-License-Identifier: GPL-3.0-or-later
"""quorvin.evaluate and quorvin.uncertainty give quorvin-batch's texts."""
import csv
import io
import math
import os
import random

import numpy as np
import pandas as pd
import pytest

import quorvin

EXAMPLES = os.environ.get("QUORVIN_EXAMPLES", "")


def write_csv(path, header, rows, delimiter=","):
    with open(path, "w", newline="", encoding="utf-8") as f:
        writer = csv.writer(f, delimiter=delimiter, lineterminator="\r\n")
        writer.writerow(header)
        writer.writerows(rows)


def records(text, delimiter=","):
    return list(csv.reader(io.StringIO(text, newline=""), delimiter=delimiter))


def frame_records(frame):
    return [list(frame.columns)] + frame.astype(str).values.tolist()


def number_text(v):
    """A number as the module enters it: the shortest text that reads back."""
    text = repr(float(v))
    return text[:-2] if text.endswith(".0") else text


# Random rows of several layouts: values inside and outside the window's
# limits, negative measurements, empty cells and texts as people type them.
LAYOUTS = [
    ("Sample", "IonicStrength", "Temperature", "StokesRadius", "Mobility", "Solvent", "pH"),
    ("Sample", "Dielectric", "IonicStrength", "Temperature", "StokesRadius", "SaltIonRadius",
     "Viscosity", "EField", "Sigma"),
    ("Sample", "Temperature", "IonicStrength", "Current", "Conductivity", "XSection",
     "Valence (1)" if False else "Valence"),
    ("Sample", "Temperature (C)", "IonicStrength (M)", "EffectiveValence", "Solvent",
     "RelativeViscosity"),
]
RANGES = {
    "IonicStrength": (0, 1.2), "Temperature": (-5, 105), "StokesRadius": (0.05, 12),
    "Mobility": (-6, 6), "Dielectric": (1, 120), "SaltIonRadius": (0, 1), "Viscosity": (0.2, 5),
    "EField": (0, 2), "Sigma": (-300, 300), "Current": (0, 10), "Conductivity": (0, 20),
    "XSection": (0, 2), "Valence": (-60, 60), "EffectiveValence": (-30, 30),
    "RelativeViscosity": (0.5, 3), "pH": (2, 11),
}


def random_cell(rng, name):
    base = name.split(" (")[0]
    if base == "Sample":
        return rng.choice(["A", "BSA, 1 mg/ml", 'lysozyme "hen"', ""])
    if base == "Solvent":
        return rng.choice(["water", "Water", ""])
    if rng.random() < 0.08:
        return ""
    low, high = RANGES[base]
    v = rng.uniform(low, high)
    return rng.choice(["%.3g" % v, "%.5f" % v, "%.2e" % v, number_text(round(v, 2))])


@pytest.mark.parametrize("layout", range(len(LAYOUTS)))
def test_random_rows_give_the_texts_of_quorvin_batch(tmp_path, batch, layout):
    rng = random.Random(layout)
    header = list(LAYOUTS[layout])
    rows = [[random_cell(rng, h) for h in header] for _ in range(300)]
    path = tmp_path / "rows.csv"
    write_csv(path, header, rows)
    expected = records(batch(str(path)))
    assert frame_records(quorvin.evaluate(path, texts=True)) == expected
    as_texts = pd.DataFrame(rows, columns=header, dtype=str)
    assert frame_records(quorvin.evaluate(as_texts, texts=True)) == expected
    assert any(row[-1] for row in expected[1:]), "some rows are refused"


def test_numbers_enter_as_their_shortest_text(tmp_path, batch):
    # State: a table of floats, NaN for a missing value.
    rng = np.random.default_rng(7)
    n = 200
    table = {
        "IonicStrength": rng.uniform(0.001, 0.5, n).round(4),
        "Temperature": rng.uniform(4, 40, n).round(1),
        "StokesRadius": rng.uniform(1, 10, n).round(2),
        "Mobility": rng.uniform(-4, 4, n).round(3),
        "Solvent": ["water"] * n,
    }
    table["Temperature"][::17] = np.nan
    table["Mobility"][5] = 1e-5  # below its limits: a refused row
    path = tmp_path / "floats.csv"
    texts = [[("" if math.isnan(v) else number_text(v)) if isinstance(v, float) else v
              for v in row] for row in zip(*(list(c) for c in table.values()))]
    write_csv(path, list(table), texts)
    expected = records(batch(str(path)))
    assert frame_records(quorvin.evaluate(pd.DataFrame(table), texts=True)) == expected

    # The float columns hold the window's values, NaN and a reason where refused.
    frame = quorvin.evaluate(table)
    header = expected[0]
    for row, (_, got) in zip(expected[1:], frame.iterrows()):
        if row[-1]:
            assert got["Error"] == row[-1] and math.isnan(got["ValenceResult"])
            continue
        for name in ("Ka", "SigmaResult", "MobilityResult", "ValenceResult", "GeMax",
                     "ViscosityResult"):
            shown = float(row[header.index(name)])
            assert abs(got[name] - shown) <= 0.0051 * max(1, abs(shown)), (name, row)
    assert frame["Error"].iloc[5].startswith("Mobility = 1e-05 is not between")
    # The copied inputs are the caller's numbers.
    np.testing.assert_array_equal(frame["Mobility"], table["Mobility"])


def test_example_series_and_semicolon_files_as_quorvin_batch(tmp_path, batch):
    example = os.path.join(EXAMPLES, "salt-series.csv")
    assert frame_records(quorvin.evaluate(example, texts=True)) == records(batch(example))
    rows = [["A", "0,05", "25", "3,5", "2,1"], ["B", "0,1", "25", "3,5", "-1,75"]]
    path = tmp_path / "semicolon.csv"
    write_csv(path, ["Sample", "IonicStrength", "Temperature", "StokesRadius", "Mobility"],
              rows, delimiter=";")
    expected = records(batch(str(path)), delimiter=";")
    assert frame_records(quorvin.evaluate(path, texts=True)) == expected
    frame = quorvin.evaluate(path)
    assert frame["Mobility"].tolist() == [2.1, -1.75]
    assert frame["MobilityResult"].tolist() == [2.1, -1.75]


def test_inputs_in_other_units_come_back_in_the_programs(tmp_path, batch):
    path = tmp_path / "mM.csv"
    write_csv(path, ["Sample", "Ionic strength (mM)", "IonicStrengthSD (mM)", "T (°C)",
                     "Sigma", "SigmaSD", "pH"],
              [["A", "50", "1", "25", "22", "0,5", "5,5"],
               ["B", "", "2", "25", "23", "0,5", "7"]], delimiter=";")
    expected = records(batch(str(path)), delimiter=";")
    assert frame_records(quorvin.evaluate(path, texts=True)) == expected
    frame = quorvin.evaluate(path)
    assert frame["IonicStrength"].tolist()[0] == 0.05 and math.isnan(frame["IonicStrength"][1])
    assert frame["IonicStrengthSD"].tolist() == [0.001, 0.002]
    assert frame["T (°C)"].tolist() == [25.0, 25.0] and frame["SigmaSD"].tolist() == [0.5, 0.5]
    assert frame["pH"].tolist() == [5.5, 7.0]
    header = expected[0]
    for row, (_, got) in zip(expected[1:], frame.iterrows()):
        assert got["ValenceGumU"] == float(row[header.index("ValenceGumU")].replace(",", "."))


def test_notices_are_quorvin_batchs(tmp_path, batch_stderr):
    path = tmp_path / "notice.csv"
    write_csv(path, ["Sample", "Temperature", "Sigma", "ValenceResult"],
              [["A", "", "22", "1"], ["B", "25", "23", ""]])
    said = [line[len("quorvin-batch: "):] for line in batch_stderr(str(path)).splitlines()]
    assert len(said) == 3, said
    for texts in (False, True):
        with pytest.warns(quorvin.QuorvinNotice) as warned:
            frame = quorvin.evaluate(path, texts=texts)
        assert frame.attrs["notices"] == said == [str(w.message) for w in warned]


@pytest.mark.parametrize("table, message", [
    ({"Sigma": [1], "Mobility": [2]}, "the table, line 1: the columns Sigma and Mobility "
                                      "cannot both be given"),
    ({"Mobilty": [1]}, 'the table, line 1, column 1: the column "Mobilty" is not a column '
                       "Quorvin knows, but resembles Mobility"),
    ({"Sigma": [1], "IonicStrength (mol)": [1]}, "the table, line 1, column 2: the column "),
    ({"Temperature": [25]}, "the table, line 1: the file has none of the columns Sigma, "
                            "Mobility, Valence, EffectiveValence and Zeta"),
    ({"Sigma": [22], "Temperature": ["warm"]}, 'the table, line 2, column 2 (Temperature): '
                                               '"warm" is not a number'),
])
def test_tables_quorvin_batch_refuses_raise_its_message(table, message):
    with pytest.raises(ValueError) as error:
        quorvin.evaluate(table)
    assert str(error.value).startswith(message)


@pytest.mark.parametrize("model", ["dhh", "Henry", "ohshima"])
def test_each_model_gives_quorvin_batchs_texts(tmp_path, batch, model):
    header, rows = EXTREME
    path = tmp_path / "models.csv"
    write_csv(path, header + ["Model"], [r + [m] for r, m in zip(rows, ["", "dhh", "henry"] * 3)])
    expected = records(batch("--model", model, str(path)))
    assert frame_records(quorvin.evaluate(path, texts=True, model=model)) == expected
    frame = quorvin.evaluate(path, model=model)
    for name in ("", "henry"):  # the run's model, and the row's own
        rows = (frame["Model"] == name) & (frame["Error"] == "")
        assert rows.any()
        np.testing.assert_allclose(frame["HenryFunction"][rows],
                                   quorvin.henry_function(frame["Ka"][rows], model=name or model),
                                   rtol=1e-5)


def test_unknown_model_and_missing_file_raise_value_errors(tmp_path):
    with pytest.raises(ValueError, match='model = "smoluchowski" is not one of dhh, henry, '
                                         'ohshima'):
        quorvin.evaluate({"Sigma": [22]}, model="smoluchowski")
    with pytest.raises(ValueError, match="cannot read"):
        quorvin.evaluate(tmp_path / "none.csv")


def test_uncertainty_has_the_digits_of_quorvin_batch_for_the_seed(tmp_path, batch):
    header = ["Sample", "IonicStrength", "Temperature", "TemperatureSD", "StokesRadius",
              "StokesRadiusSD", "StokesRadiusDist", "Mobility", "MobilitySD", "Solvent"]
    rows = [["A", "0.05", "25", "0.1", "3.5", "0.1", "rectangular", "2.1", "0.05", "water"],
            ["B", "0.1", "20", "0.2", "2.9", "0.05", "", "-1.2", "0.03", "water"],
            ["C", "0.1", "20", "0.2", "2.9", "9999", "", "1.2", "0.03", "water"]]
    path = tmp_path / "u.csv"
    write_csv(path, header, rows)
    expected = records(batch("--draws", "10000", "--seed", "7", str(path)))
    got = quorvin.evaluate(path, texts=True, draws=10000, seed=7)
    assert frame_records(got) == expected
    # The same from the conditions and the SDs as keywords.
    frame = quorvin.uncertainty(
        ionic_strength=[0.05, 0.1], temperature=[25, 20], stokes_radius=[3.5, 2.9],
        mobility=[2.1, -1.2], solvent="water",
        sd={"temperature": [0.1, 0.2], "stokes_radius": [0.1, 0.05], "mobility": [0.05, 0.03]},
        dist={"stokes_radius": ["rectangular", ""]}, draws=10000, seed=7, texts=True)
    for name in quorvin._q.uncertainty_columns:
        assert frame[name].tolist() == got[name].tolist()[:2], name
    assert got["Error"].iloc[2].startswith("StokesRadiusSD = 9999 is not between")


def test_columns_copied_from_a_file_are_numbers_where_every_cell_is_one(tmp_path):
    path = tmp_path / "notes.csv"
    write_csv(path, ["Sample", "pH", "Sigma", "Note"],
              [["A", "5.5", "22", "x"], ["B", "", "23", ""], ["C", "7", "24", "y"]])
    frame = quorvin.evaluate(path)
    assert frame["pH"].tolist()[::2] == [5.5, 7.0] and math.isnan(frame["pH"][1])
    assert frame["Note"].tolist() == ["x", "", "y"]
    table = pd.DataFrame({"Sigma": [22, 23], "pH": [6.5, 7.5]}, index=["a", "b"])
    assert quorvin.evaluate(table)["pH"].to_dict() == {"a": 6.5, "b": 7.5}


# Rows at and beyond the limits, and numbers written as people write them.
EXTREME = (["Sample", "Temperature", "IonicStrength", "StokesRadius", "SaltIonRadius",
            "EField", "Mobility"],
           [["low", "0", "0.0001", "0.1", "0", "0.001", "0.0001"],
            ["high", "100", "5", "100", "5", "1000", "100"],
            ["signed", "+25", ".05", "3.5", "0.127", "5.", "-100"],
            ["zero", "-0", "0.1", "2.9", "0.127", "0.123", "0"],
            ["tiny", "1e-320", "1E-4", "2.9", "0.127", "0.123", "1e-300"],
            ["huge", "20", "1e308", "2.9", "0.127", "0.123", "1.2"],
            ["spaces", " 25 ", "0.1", "2.9", "0.127", "0.123", "1.2"],
            ["beyond", "100.0001", "0.1", "2.9", "0.127", "0.123", "-100.5"]])


def test_extreme_rows_give_the_texts_of_quorvin_batch(tmp_path, batch):
    header, rows = EXTREME
    path = tmp_path / "extreme.csv"
    write_csv(path, header, rows)
    expected = records(batch(str(path)))
    assert frame_records(quorvin.evaluate(path, texts=True)) == expected
    as_texts = pd.DataFrame(rows, columns=header, dtype=str)
    assert frame_records(quorvin.evaluate(as_texts, texts=True)) == expected
    frame = quorvin.evaluate(as_texts)
    refused = frame["Error"] != ""
    assert refused.any() and frame.loc[refused, "ValenceResult"].isna().all()
    assert frame.loc[~refused, "ValenceResult"].notna().all()



@pytest.mark.parametrize("model, salt", [("standard", "KCl"), ("ohshima-relaxation", "NaCl")])
def test_models_not_linear_in_z_take_their_salt_as_quorvin_batch(tmp_path, batch, model, salt):
    path = tmp_path / "salts.csv"
    write_csv(path, ["StokesRadius", "Mobility", "Salt"], [["3", "2.5", ""], ["3", "3.9", "nacl"]])
    expected = records(batch("--model", model, "--salt", salt, str(path)))
    with pytest.warns(quorvin.QuorvinNotice):
        assert frame_records(quorvin.evaluate(path, texts=True, model=model, salt=salt)) == expected
    with pytest.raises(ValueError, match='salt = "seawater" is not one of NaCl, KCl'):
        quorvin.evaluate(path, model=model, salt="seawater")
    with pytest.raises(ValueError, match=f'model = "{model}" is not linear in z'):
        quorvin.valence(sigma=22, model=model)
