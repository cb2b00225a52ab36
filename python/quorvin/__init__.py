# SPDX-License-Identifier: GPL-3.0-or-later
"""Quorvin from Python: the valence z of a macromolecule from one
electrophoresis measurement by Debye-Hueckel-Henry theory, on NumPy arrays
and pandas tables.

evaluate() runs quorvin-batch's calculation on every row of a table and
uncertainty() adds its GUM and Monte Carlo columns; valence(),
effective_valence(), ge_max(), henry_function(), debye_length() and the
other keyword functions evaluate one quantity on arrays with broadcasting;
read_sequence(), net_charge() and isoelectric_point() give the charge a
sequence predicts, and fit_sigma() and read_scan() fit Sigma to measured
profiles. Every refusal is a ValueError with the program's message.
"""

import math
import os
import re

from . import _quorvin as _q

__version__ = _q.__version__

__all__ = [
    "QuorvinNotice", "evaluate", "uncertainty", "valence", "effective_valence", "ge_max",
    "quantities", "henry_function", "dhh_slope", "inverse_debye_length", "debye_length",
    "water_viscosity", "water_dielectric", "read_sequence", "pka_sets", "net_charge",
    "isoelectric_point", "read_scan", "fit_sigma", "Sequence", "Scan", "SigmaFit",
]

class QuorvinNotice(UserWarning):
    """What quorvin-batch says on stderr beside its output: the conditions
    taken from the start-up values, a result the table held that the
    calculation does not give. evaluate() also keeps them, a line each, in
    the DataFrame's attrs["notices"]."""


Sequence = _q.Sequence
Scan = _q.Scan
SigmaFit = _q.SigmaFit


def _snake(name):
    """"IonicStrength" -> "ionic_strength", "EField" -> "e_field"."""
    return re.sub(r"(?<=[a-z])(?=[A-Z])|(?<=[A-Z])(?=[A-Z][a-z])", "_", name).lower()


# quorvin-batch's input columns and the other inputs of the relations, by
# their keyword names.
_COLUMNS = {_snake(name): name for name in _q.input_columns()}
_INPUTS = dict(_COLUMNS, diffusion="Diffusion", friction="Friction")


def _column_name(key):
    key = str(key)
    return _COLUMNS.get(key, key)


# --- Tables -------------------------------------------------------------


def _is_missing(value):
    if value is None:
        return True
    try:
        return bool(value != value)  # NaN, pandas.NA
    except (TypeError, ValueError):
        return False


def _column(values):
    import numpy as np
    array = np.asarray(values)
    if array.dtype.kind in "fiub":
        return np.ascontiguousarray(array, dtype=float).reshape(-1)
    return ["" if _is_missing(v) else str(v) for v in array.reshape(-1).tolist()]


def _dict_columns(table):
    import numpy as np
    arrays = {_column_name(k): np.asarray(v) for k, v in table.items()}
    rows = max((a.size for a in arrays.values() if a.ndim > 0), default=1)
    return {k: (np.full(rows, a.item(), dtype=a.dtype) if a.ndim == 0 else a)
            for k, a in arrays.items()}


def _table_input(table):
    """(header, columns, original columns or None) of a table, or the path."""
    if isinstance(table, (str, os.PathLike)):
        return os.fspath(table)
    if isinstance(table, dict):
        table = _dict_columns(table)
        names = list(table)
        return names, [table[n] for n in names], None
    if hasattr(table, "columns") and hasattr(table, "iloc"):
        names = [str(c) for c in table.columns]
        originals = [table.iloc[:, i] for i in range(len(names))]
        return names, originals, table.index
    raise TypeError("a table is a pandas DataFrame, a dict of columns or a CSV path, not "
                    + type(table).__name__)


def _run(table, texts, draws, seed, model, salt):
    _q.check_model(model)
    source = _table_input(table)
    if isinstance(source, str):
        return _q.run_csv(source, True, texts, draws, seed, model, salt), None, None
    names, columns, index = source
    result = _q.run_table(names, [_column(c) for c in columns], texts, draws, seed, model, salt)
    return result, (names, columns), index


def _passed_originals(header, numbers, names, columns):
    """The caller's own columns of texts the output copies, found by name in
    order (the output keeps their headers); None where the run gives numbers."""
    taken, at = [], 0
    for wanted, number in zip(header[1:1 + len(numbers)], numbers):
        if number is not None:
            taken.append(None)
            continue
        while names[at] != wanted:
            at += 1
        taken.append(getattr(columns[at], "values", columns[at]))
        at += 1
    return taken


def _numeric_or_texts(texts, decimal="."):
    """Numbers where every cell of the column is one (or empty), in the
    file's decimal mark; else the texts as they came."""
    import pandas as pd
    numbers = texts if decimal == "." else [t.replace(decimal, ".") for t in texts]
    values = pd.to_numeric(pd.Series([t or None for t in numbers], dtype=object),
                           errors="coerce")
    converts = all(t == "" or not math.isnan(v) for t, v in zip(texts, values))
    return values.to_numpy() if converts else texts


_WARNED_NOTICES = 10


def _frame(result, inputs, index):
    import warnings
    import pandas as pd
    header = result["header"]
    if "texts" in result:
        frame = pd.DataFrame(dict(enumerate(result["texts"])))
    else:
        numbers = result["passed_numbers"]
        if inputs is None:
            passed = [_numeric_or_texts(t, result["decimal"]) for t in result["passed_texts"]]
        else:
            passed = _passed_originals(header, numbers, *inputs)
        # The inputs and their SDs as the run entered them, in the program's units.
        passed = [n if n is not None else p for n, p in zip(numbers, passed)]
        columns = [result["sample"], *passed, *result["numbers"], result["error"]]
        frame = pd.DataFrame(dict(enumerate(columns)))
    if len(frame.columns) == 0:
        frame = pd.DataFrame({i: [] for i in range(len(header))}, dtype=object)
    frame.columns = header
    if index is not None and len(index) == len(frame):
        frame.index = index
    notices = list(result["notices"])
    frame.attrs["notices"] = notices
    # A table of a thousand results held otherwise warns a few times, not a thousand.
    for notice in notices[:_WARNED_NOTICES]:
        warnings.warn(notice, QuorvinNotice, stacklevel=3)
    if len(notices) > _WARNED_NOTICES:
        warnings.warn("%d more notices in the DataFrame's attrs[\"notices\"]"
                      % (len(notices) - _WARNED_NOTICES), QuorvinNotice, stacklevel=3)
    return frame


def evaluate(table, *, model="dhh", salt="NaCl", texts=False, draws=200000, seed=1):
    """The window's calculation for every row of a table, as quorvin-batch runs it.

    table: a pandas DataFrame, a dict of columns (arrays, lists or single
    values) or the path of a CSV file, with quorvin-batch's columns
    (Sample, Temperature, IonicStrength, Dielectric, StokesRadius,
    SaltIonRadius, Viscosity, EField or Current, Conductivity and XSection,
    one of Sigma, Mobility, Valence and EffectiveValence, Solvent,
    RelativeViscosity, Model, Salt; read as quorvin-batch reads its header: case,
    spaces and "_" ignored, common synonyms, a unit in parentheses, mM and
    the like converted, a near-miss such as "Mobilty" refused; the keyword
    names "ionic_strength" ... are taken for dict keys). Other columns are
    copied. A table with none of Sigma, Mobility, Valence and
    EffectiveValence is refused.
    A missing column or an empty cell (NaN, None) keeps the start-up value;
    a number goes in as the shortest text that reads back as it, a text as
    it is. Columns XSD and XDist add the uncertainty columns, with draws
    Monte Carlo draws per row from seed.

    Returns a DataFrame with quorvin-batch's columns: Sample, every input
    and other column as it came, ClosestApproach, InverseDebyeLength, Ka,
    HenryFunction, DhhSlope, EFieldResult, SigmaResult, MobilityResult,
    EffectiveValenceResult, ValenceResult, GeMax, ViscosityResult,
    DielectricResult, ZetaResult, the uncertainty columns if any, and Error. The
    results are the window's values as floats (the mobility and a Sigma
    derived from it rounded as the window rounds them); a refused row gives
    NaN and its reason in Error, never an exception. The copied inputs and
    SDs are floats in the program's units, a column converted from another
    unit named by the program ("IonicStrength (mM)" becomes IonicStrength,
    in M); other columns are floats where every cell is a number. With
    texts=True every field is the text quorvin-batch prints. What
    quorvin-batch says on stderr (the conditions taken from the start-up
    values, a result the table held that is calculated otherwise) is a
    QuorvinNotice warning each and the list attrs["notices"].

    model: the electrokinetic model of the rows without a Model of their
    own, as quorvin-batch's --model: "dhh" (the default), "henry",
    "ohshima", "ohshima-relaxation" (Ohshima's 2001 approximation) or
    "standard" (the standard electrokinetic model), any case; another name
    is a ValueError listing them. Under the last two the sphere is the
    Stokes radius and the ions are points of a salt: salt names it for the
    rows without a Salt of their own, as quorvin-batch's --salt ("NaCl",
    the default, "KCl", "CaCl2", "NaPi-7.4" ...; another is a ValueError
    listing them). A row whose z* no valence gives has NaN and says so in
    Error; one that two valences give takes the lower and says so in a
    QuorvinNotice.
    ValueError for a table quorvin-batch refuses as a whole (a header it
    cannot use, a cell that is not a number: the message names the line,
    the header being line 1 and the first row line 2, and the column).
    """
    result, inputs, index = _run(table, texts, draws, seed, model, salt)
    return _frame(result, inputs, index)


def _with_uncertainties(table, sd, dist):
    """The table as a dict of columns with the XSD and XDist columns added."""
    if isinstance(table, (str, os.PathLike)):
        names, columns, decimal = _q.read_csv(os.fspath(table))
        if decimal != ".":
            columns = [[t.replace(decimal, ".") for t in c] for c in columns]
        table = dict(zip(names, columns))
    elif hasattr(table, "columns") and hasattr(table, "iloc"):
        table = {str(c): table.iloc[:, i].values for i, c in enumerate(table.columns)}
    else:
        table = {_column_name(k): v for k, v in table.items()}
    for suffix, values in (("SD", sd or {}), ("Dist", dist or {})):
        for key, value in values.items():
            table[_column_name(key) + suffix] = value
    return table


def uncertainty(table_or_kwargs=None, *, sd=None, dist=None, draws=200000, seed=1,
                texts=False, model="dhh", salt="NaCl", **conditions):
    """The uncertainty of z and z* for every row, as quorvin-batch gives it.

    table_or_kwargs: a table as for evaluate(), or None with the conditions
    as keywords (mobility=2.1, stokes_radius=3.5, ionic_strength=0.05,
    temperature=25, solvent="water"; arrays make several rows). sd: the
    standard uncertainty of each measured input in its unit, by column or
    keyword name ({"mobility": 0.05, "temperature": 0.1}), a value or one
    per row; dist: "normal" (the default) or "rectangular" by name.

    Returns evaluate()'s DataFrame with ValenceGumU (the GUM's u of z),
    ValenceMean, ValenceU, ValenceLow and ValenceHigh (the Monte Carlo mean,
    standard deviation and 95 % interval of draws draws from seed), the same
    for EffectiveValence and UncertaintyRejected, in quorvin-batch's six
    significant digits: the same seed gives the same digits. The runs go on
    every core without the GIL.
    """
    if table_or_kwargs is None:
        table_or_kwargs = conditions
    elif conditions:
        raise TypeError("give a table or the conditions as keywords, not both")
    if not sd:
        raise ValueError("the uncertainty needs sd, the standard uncertainty of an input")
    table = _with_uncertainties(table_or_kwargs, sd, dist)
    return evaluate(table, model=model, salt=salt, texts=texts, draws=draws, seed=seed)


# --- Keyword functions on arrays ----------------------------------------


def _broadcast(arguments):
    """Flat arrays of the broadcast shape (one value where it holds for all)."""
    import numpy as np
    arrays = {k: np.asarray(v, dtype=float) for k, v in arguments.items()}
    shape = np.broadcast_shapes(*(a.shape for a in arrays.values()))
    flat = {}
    for name, a in arrays.items():
        if a.size == 1:
            flat[name] = a.reshape(1)
        else:
            flat[name] = np.ascontiguousarray(np.broadcast_to(a, shape)).reshape(-1)
    return flat, shape


def _shaped(values, shape):
    return float(values[0]) if shape == () else values.reshape(shape)


def _conditions(kwargs, solvent):
    given = {k: v for k, v in kwargs.items() if v is not None}
    unknown = [k for k in given if k not in _INPUTS]
    if unknown:
        raise TypeError("no condition is called " + ", ".join(unknown))
    if solvent not in (None, "water"):
        raise ValueError('Solvent = "%s" is not water' % solvent)
    water = solvent == "water"
    if water:
        own = [k for k in ("viscosity", "dielectric") if k in given]
        if own:
            raise ValueError("with solvent=\"water\" the solvent gives the viscosity and the "
                             "dielectric constant; pass solvent=None to give " + own[0])
    elif "relative_viscosity" in given:
        raise ValueError("relative_viscosity needs solvent=\"water\"")
    if "sigma" in given and "mobility" in given:
        raise ValueError("give sigma or mobility, not both")
    if len([k for k in ("stokes_radius", "diffusion", "friction") if k in given]) > 1:
        raise ValueError("give one of stokes_radius, diffusion and friction")
    current = [k for k in ("current", "conductivity", "x_section") if k in given]
    if current and ("e_field" in given or len(current) < 3):
        raise ValueError("give e_field or all of current, conductivity and x_section")
    return {_INPUTS[k]: v for k, v in given.items()}, water


def _estimate(outputs, kwargs, solvent, model, measured=True):
    inputs, water = _conditions(kwargs, solvent)
    if measured and "Sigma" not in inputs and "Mobility" not in inputs:
        raise ValueError("give sigma (cm^-1) or mobility (10^-4 cm^2/(V s))")
    flat, shape = _broadcast(inputs)
    size = int(math.prod(shape))
    results = _q.estimate(flat, water, outputs, model, size)
    return [_shaped(r, shape) for r in results]


def _measurement_doc(quantity):
    return quantity + """

    Keywords, each a number or an array (broadcast against each other), in
    the window's units; one left out takes the window's start-up value:
    sigma (cm^-1) or mobility (10^-4 cm^2/(V s)), either may be negative
    (migration toward the anode: z and z* take the sign); stokes_radius
    (nm), or diffusion (10^-7 cm^2/s) or friction (10^-8 g/s);
    ionic_strength (M); temperature (degrees C); salt_ion_radius (nm);
    e_field (V/cm), or current (mA), conductivity (mS/cm) and x_section
    (cm^2); solvent "water" (the default: water's viscosity, times
    relative_viscosity, and dielectric constant at the temperature) or None
    with viscosity (cP) and dielectric. model: "dhh", "henry" or "ohshima",
    as for evaluate(); a model not linear in z is a ValueError (evaluate()
    takes it, with its salt).

    The model's relations at the given values, without the rounding of the
    window's texts (evaluate() gives the window's). A value outside the
    window's limits is a ValueError naming it and its element; NaN gives NaN.
    The loop runs without the GIL.
    """


def valence(*, solvent="water", model="dhh", **conditions):
    return _estimate(["valence"], conditions, solvent, model)[0]


def effective_valence(*, solvent="water", model="dhh", **conditions):
    return _estimate(["effective_valence"], conditions, solvent, model)[0]


def ge_max(*, solvent="water", model="dhh", **conditions):
    return _estimate(["ge_max"], conditions, solvent, model)[0]


valence.__doc__ = _measurement_doc("The valence z of the macromolecule.")
effective_valence.__doc__ = _measurement_doc("The effective valence z* = z H(Ka) / (1 + Ka).")
ge_max.__doc__ = _measurement_doc("The electrostatic free energy Ge at the valence z, kJ/mol.")

_QUANTITIES = ("stokes_radius", "diffusion", "e_field", "sigma", "inverse_debye_length", "ka",
               "henry_function", "dhh_slope", "effective_valence", "valence", "ge_max")


def quantities(*, solvent="water", model="dhh", **conditions):
    values = _estimate(list(_QUANTITIES), conditions, solvent, model)
    return dict(zip(_QUANTITIES, values))


quantities.__doc__ = _measurement_doc(
    "Every quantity of the evaluation as a dict of arrays: " + ", ".join(_QUANTITIES) + ".")


def inverse_debye_length(*, ionic_strength=None, temperature=None, dielectric=None,
                         solvent="water"):
    """K, the inverse Debye length, in cm^-1.

    ionic_strength (M), temperature (degrees C) and, with solvent=None,
    dielectric (the dielectric constant; water's at the temperature with
    solvent="water", the default): numbers or arrays, broadcast; one left
    out takes the window's start-up value. ValueError outside the window's
    limits.
    """
    kwargs = dict(ionic_strength=ionic_strength, temperature=temperature, dielectric=dielectric)
    return _estimate(["inverse_debye_length"], kwargs, solvent, "dhh", measured=False)[0]


def debye_length(*, ionic_strength=None, temperature=None, dielectric=None, solvent="water"):
    """The Debye length 1/K in nm; the arguments as for inverse_debye_length()."""
    k = inverse_debye_length(ionic_strength=ionic_strength, temperature=temperature,
                             dielectric=dielectric, solvent=solvent)
    return 1e7 / k


def henry_function(ka, *, model="dhh"):
    """Henry's function H(Ka) of the model, between 1.0 and 1.5, on a number or array.

    model: "dhh" (the program's fit), "henry" (exact) or "ohshima", as for
    evaluate(). The loop runs without the GIL.
    """
    import numpy as np
    a = np.asarray(ka, dtype=float)
    return _shaped(_q.henry_function(a.reshape(-1), model), a.shape)


def dhh_slope(ka, *, model="dhh"):
    """The DHH slope z*/z = H(Ka) / (1 + Ka) on a number or array."""
    import numpy as np
    a = np.asarray(ka, dtype=float)
    return _shaped(_q.dhh_slope(a.reshape(-1), model), a.shape)


def water_viscosity(temperature):
    """Water's viscosity in cP at temperature (degrees C, 0 to 100): Huber et al. 2009."""
    import numpy as np
    a = np.asarray(temperature, dtype=float)
    return _shaped(_q.water_viscosity(a.reshape(-1)), a.shape)


def water_dielectric(temperature):
    """Water's dielectric constant at temperature (degrees C, 0 to 100): Malmberg and
    Maryott 1956."""
    import numpy as np
    a = np.asarray(temperature, dtype=float)
    return _shaped(_q.water_dielectric(a.reshape(-1)), a.shape)


# --- The charge from a sequence -----------------------------------------


def read_sequence(path_or_text):
    """A protein sequence: FASTA (its first record, the title kept) or plain
    one-letter text, from a file (an os.PathLike, or a str naming an existing
    file) or from the text itself. Spaces, line breaks and digits are
    ignored, lower case is read as upper case. Returns a Sequence (name,
    residues, notes). ValueError naming the line and column of a character
    it cannot read.
    """
    if isinstance(path_or_text, os.PathLike) or (
            isinstance(path_or_text, str) and "\n" not in path_or_text
            and os.path.isfile(path_or_text)):
        return _q.read_sequence_file(os.fspath(path_or_text))
    return _q.read_sequence_text(path_or_text)


def pka_sets():
    """The published pKa sets, in the window's order: a list of dicts with
    name, citation and pka (the group's pKa by group name)."""
    return _q.pka_sets()


def _sequence(sequence):
    return sequence if isinstance(sequence, Sequence) else read_sequence(sequence)


def _screening(screened_at):
    if screened_at is None:
        return None, False
    conditions = dict(screened_at)
    solvent = conditions.pop("solvent", "water")
    texts = {}
    for key, value in conditions.items():
        texts[_column_name(key)] = value if isinstance(value, str) else repr(float(value))
    return texts, solvent == "water"


def _charge_arguments(sequence, pka_set, disulfides, n_terminus_blocked, c_terminus_blocked,
                      screened_at):
    texts, water = _screening(screened_at)
    name = pka_set if pka_set is not None else pka_sets()[0]["name"]
    return (_sequence(sequence), name, int(disulfides), bool(n_terminus_blocked),
            bool(c_terminus_blocked), texts, water)


def net_charge(sequence, pH, *, pka_set=None, disulfides=0, n_terminus_blocked=False,
               c_terminus_blocked=False, screened_at=None):
    """The net charge a sequence predicts at pH (a number or an array) by
    Henderson-Hasselbalch under the pKa set (by name, any case; the first
    of pka_sets() when None), each disulfide bridge taking two Cys out of
    the titration.

    screened_at: the conditions of a measurement (a dict with temperature,
    ionic_strength, stokes_radius, salt_ion_radius and solvent="water" or
    dielectric, as for valence()): the charge then screened there by the
    smeared-charge model, every pKa shifted by the program's Ge of the net
    charge. ValueError for an unknown set, too many bridges or conditions
    outside the window's limits.
    """
    import numpy as np
    args = _charge_arguments(sequence, pka_set, disulfides, n_terminus_blocked,
                             c_terminus_blocked, screened_at)
    a = np.asarray(pH, dtype=float)
    return _shaped(_q.net_charge(args[0], a.reshape(-1), *args[1:]), a.shape)


def isoelectric_point(sequence, *, pka_set=None, disulfides=0, n_terminus_blocked=False,
                      c_terminus_blocked=False, screened_at=None):
    """The pH in 0..14 at which net_charge() is zero, to 1e-6, with the same
    arguments; None when the charge does not change sign there."""
    args = _charge_arguments(sequence, pka_set, disulfides, n_terminus_blocked,
                             c_terminus_blocked, screened_at)
    return _q.isoelectric_point(*args)


# --- Sigma from measured profiles ---------------------------------------


def read_scan(path):
    """A scan file as quorvin-fit reads it: columns x (cm), signal and
    optionally its SD (spaces, tabs, commas or semicolons; "#" comments and
    a header row allowed), or a radial scan of ultracentrifuge optics with
    its temperature and elapsed time. Returns a Scan for fit_sigma();
    ValueError naming the file, line and column of what it cannot read."""
    return _q.read_scan(os.fspath(path))


def fit_sigma(x, signal=None, sd=None, *, x_from=None, x_to=None, max_signal=None,
              baseline=True, draws=1000, seed=1, name="profile"):
    """Fits Sigma (cm^-1) to a concentration profile as quorvin-fit does:
    signal(x) = A exp(Sigma (x - xref)) + delta by weighted least squares
    (weights 1/sd^2 with sd, else equal; baseline=False holds delta at 0).

    x and signal: arrays of the positions (cm) and signals, with sd their
    standard deviations; or x a Scan from read_scan(), or a list of Scans
    for one Sigma shared by all, each with its own amplitude and baseline.
    x_from, x_to: the x range used; max_signal leaves out points above it.
    draws Monte Carlo refits from seed give the 95 % interval (0: none).

    Returns a SigmaFit: sigma, sigma_se, low95, high95, points,
    reduced_chi_square, runs_z (the runs test of the residuals' signs),
    residual_x and residuals, warning, and scans (amplitude, baseline, x_ref
    of each). ValueError when the fit fails or there are too few points. The
    fit and its refits run without the GIL.
    """
    import numpy as np
    if isinstance(x, Scan):
        scans = [x]
    elif isinstance(x, (list, tuple)) and x and all(isinstance(s, Scan) for s in x):
        scans = list(x)
    else:
        if signal is None:
            raise TypeError("fit_sigma needs signal beside x")
        scans = [_q.scan_of(np.asarray(x, dtype=float).reshape(-1),
                            np.asarray(signal, dtype=float).reshape(-1),
                            None if sd is None else np.asarray(sd, dtype=float).reshape(-1),
                            name)]
    return _q.fit_sigma(scans, x_from, x_to, max_signal, baseline, int(draws), int(seed))
