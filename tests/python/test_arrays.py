# SPDX-License-Identifier: GPL-3.0-or-later
"""The keyword functions on arrays: the window's relations with broadcasting."""
import csv
import math
import os

import numpy as np
import pytest

import quorvin
from conftest import DATA


def random_conditions(n, seed=3):
    rng = np.random.default_rng(seed)
    return {
        "ionic_strength": rng.uniform(0.001, 0.5, n),
        "temperature": rng.uniform(2, 60, n),
        # The window takes the Stokes radius over from its calculator as
        # shown, to three decimals.
        "stokes_radius": rng.uniform(0.5, 10, n).round(2),
        "salt_ion_radius": rng.uniform(0.05, 0.5, n),
        "e_field": rng.uniform(0.05, 1, n),
        "sigma": rng.uniform(-200, 200, n),
    }


@pytest.mark.parametrize("model", ["dhh", "henry", "ohshima"])
def test_valence_on_arrays_is_the_windows_for_sigma_entered(model):
    conditions = random_conditions(200)
    table = dict(conditions, solvent="water")
    frame = quorvin.evaluate(table, model=model)
    assert not frame["Error"].any()
    for function, column in ((quorvin.valence, "ValenceResult"),
                             (quorvin.effective_valence, "EffectiveValenceResult"),
                             (quorvin.ge_max, "GeMax")):
        np.testing.assert_allclose(function(**conditions, model=model), frame[column],
                                   rtol=1e-12)
    everything = quorvin.quantities(**conditions, model=model)
    np.testing.assert_allclose(everything["ka"], frame["Ka"], rtol=1e-12)
    np.testing.assert_allclose(quorvin.henry_function(everything["ka"], model=model),
                               frame["HenryFunction"], rtol=1e-12)
    np.testing.assert_allclose(quorvin.dhh_slope(everything["ka"], model=model),
                               frame["DhhSlope"], rtol=1e-12)
    np.testing.assert_allclose(
        quorvin.inverse_debye_length(ionic_strength=conditions["ionic_strength"],
                                     temperature=conditions["temperature"]),
        frame["InverseDebyeLength"], rtol=1e-12)


def test_the_worked_example_of_the_readme():
    z = quorvin.valence(mobility=2.1, stokes_radius=3.5, ionic_strength=0.05, temperature=25)
    assert isinstance(z, float) and round(z, 2) == 26.04
    assert round(quorvin.henry_function(2.669), 4) == 1.0844
    assert round(quorvin.water_viscosity(25), 3) == 0.890
    assert round(quorvin.water_dielectric(25), 2) == 78.30


def test_arguments_broadcast_and_negative_measurements_give_their_sign():
    z = quorvin.valence(mobility=np.array([[1.0], [-1.0]]), ionic_strength=[0.01, 0.05, 0.1],
                        stokes_radius=3.5, temperature=25)
    assert z.shape == (2, 3)
    np.testing.assert_array_equal(z[1], -z[0])
    assert np.all(np.diff(z[0]) > 0), "screening raises z for the same mobility"
    nan = quorvin.valence(sigma=[np.nan, 22.0])
    assert math.isnan(nan[0]) and not math.isnan(nan[1])
    k = quorvin.inverse_debye_length(ionic_strength=[0.01, 0.1])
    np.testing.assert_allclose(quorvin.debye_length(ionic_strength=[0.01, 0.1]), 1e7 / k)


def test_water_at_the_temperature_as_the_reference_values():
    with open(os.path.join(DATA, "solvent_reference.csv"), newline="") as f:
        rows = [[float(v) for v in row] for row in list(csv.reader(f))[1:]]
    t, viscosity, dielectric = (np.array(c) for c in zip(*rows))
    np.testing.assert_allclose(quorvin.water_viscosity(t), viscosity, rtol=1e-9)
    np.testing.assert_allclose(quorvin.water_dielectric(t), dielectric, rtol=1e-9)


@pytest.mark.parametrize("call, message", [
    (lambda: quorvin.valence(sigma=22, temperature=[20, 120]),
     "Temperature = 120 is not between 0 and 100 (element 1)"),
    (lambda: quorvin.valence(mobility=[1, -500]),
     "Mobility = -500 is not between -100 and 100 (element 1)"),
    (lambda: quorvin.valence(sigma=22, dielectric=78), 'with solvent="water"'),
    (lambda: quorvin.valence(sigma=22, mobility=1), "give sigma or mobility, not both"),
    (lambda: quorvin.valence(temperature=20), "give sigma"),
    (lambda: quorvin.valence(sigma=22, current=1), "give e_field or all of current"),
    (lambda: quorvin.henry_function(1, model="smoluchowski"), 'model = "smoluchowski"'),
    (lambda: quorvin.water_viscosity([20, -1]), "Temperature = -1 is not between 0 and 100"),
])
def test_values_the_window_refuses_raise_value_errors(call, message):
    with pytest.raises(ValueError) as error:
        call()
    assert message in str(error.value)


def test_an_unknown_keyword_is_a_type_error():
    with pytest.raises(TypeError, match="no condition is called mobilty"):
        quorvin.valence(mobilty=2.1)


def test_every_function_has_help_and_type_hints():
    stub = open(os.path.join(os.path.dirname(quorvin.__file__), "__init__.pyi")).read()
    for name in quorvin.__all__:
        assert len(getattr(quorvin, name).__doc__ or "") > 20, name
        assert any(form % name in stub for form in ("def %s(", "class %s:", "class %s(")), name
    assert quorvin.__version__ == "1.0"
