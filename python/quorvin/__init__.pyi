# SPDX-License-Identifier: GPL-3.0-or-later
# Type hints of the quorvin package.

import os
from typing import Any, Mapping, Optional, Sequence as _Seq, Union

import numpy as np
import numpy.typing as npt
import pandas as pd

__version__: str

ArrayLike = npt.ArrayLike
FloatOrArray = Union[float, npt.NDArray[np.float64]]
# model=: a name of the program's table of electrokinetic models, any case:
# "dhh", "henry", "ohshima".
Table = Union[pd.DataFrame, Mapping[str, Any], str, os.PathLike[str]]

# What quorvin-batch says on stderr beside its output.
class QuorvinNotice(UserWarning): ...

class Sequence:
    name: str
    residues: str
    notes: list[str]
    def __len__(self) -> int: ...

class Scan:
    name: str
    x: npt.NDArray[np.float64]
    signal: npt.NDArray[np.float64]
    sd: Optional[npt.NDArray[np.float64]]
    description: str
    temperature: Optional[float]
    elapsed_seconds: Optional[float]
    def __len__(self) -> int: ...

class ScanPart:
    name: str
    points: int
    above_max: int
    x_ref: float
    amplitude: float
    amplitude_se: float
    baseline: float
    baseline_se: float
    temperature: Optional[float]
    elapsed_seconds: Optional[float]

class SigmaFit:
    sigma: float
    sigma_se: float
    se_scaled: bool
    low95: Optional[float]
    high95: Optional[float]
    draws: int
    failed_draws: int
    sigma_baseline_correlation: Optional[float]
    points: int
    chi_square: float
    reduced_chi_square: float
    runs_z: Optional[float]
    scans: list[ScanPart]
    residual_x: npt.NDArray[np.float64]
    residuals: npt.NDArray[np.float64]
    warning: str

def evaluate(table: Table, *, model: str = "dhh", salt: str = "NaCl", texts: bool = False,
             draws: int = 200000, seed: int = 1) -> pd.DataFrame: ...
def uncertainty(table_or_kwargs: Optional[Table] = None, *,
                sd: Optional[Mapping[str, ArrayLike]] = None,
                dist: Optional[Mapping[str, Union[str, _Seq[str]]]] = None, draws: int = 200000,
                seed: int = 1, texts: bool = False, model: str = "dhh", salt: str = "NaCl",
                **conditions: Any) -> pd.DataFrame: ...

def valence(*, solvent: Optional[str] = "water", model: str = "dhh",
            **conditions: ArrayLike) -> FloatOrArray: ...
def effective_valence(*, solvent: Optional[str] = "water", model: str = "dhh",
                      **conditions: ArrayLike) -> FloatOrArray: ...
def ge_max(*, solvent: Optional[str] = "water", model: str = "dhh",
           **conditions: ArrayLike) -> FloatOrArray: ...
def quantities(*, solvent: Optional[str] = "water", model: str = "dhh",
               **conditions: ArrayLike) -> dict[str, FloatOrArray]: ...
def inverse_debye_length(*, ionic_strength: Optional[ArrayLike] = None,
                         temperature: Optional[ArrayLike] = None,
                         dielectric: Optional[ArrayLike] = None,
                         solvent: Optional[str] = "water") -> FloatOrArray: ...
def debye_length(*, ionic_strength: Optional[ArrayLike] = None,
                 temperature: Optional[ArrayLike] = None, dielectric: Optional[ArrayLike] = None,
                 solvent: Optional[str] = "water") -> FloatOrArray: ...
def henry_function(ka: ArrayLike, *, model: str = "dhh") -> FloatOrArray: ...
def dhh_slope(ka: ArrayLike, *, model: str = "dhh") -> FloatOrArray: ...
def water_viscosity(temperature: ArrayLike) -> FloatOrArray: ...
def water_dielectric(temperature: ArrayLike) -> FloatOrArray: ...

def read_sequence(path_or_text: Union[str, os.PathLike[str]]) -> Sequence: ...
def pka_sets() -> list[dict[str, Any]]: ...
def net_charge(sequence: Union[Sequence, str], pH: ArrayLike, *, pka_set: Optional[str] = None,
               disulfides: int = 0, n_terminus_blocked: bool = False,
               c_terminus_blocked: bool = False,
               screened_at: Optional[Mapping[str, Any]] = None) -> FloatOrArray: ...
def isoelectric_point(sequence: Union[Sequence, str], *, pka_set: Optional[str] = None,
                      disulfides: int = 0, n_terminus_blocked: bool = False,
                      c_terminus_blocked: bool = False,
                      screened_at: Optional[Mapping[str, Any]] = None) -> Optional[float]: ...

def read_scan(path: Union[str, os.PathLike[str]]) -> Scan: ...
def fit_sigma(x: Union[ArrayLike, Scan, _Seq[Scan]], signal: Optional[ArrayLike] = None,
              sd: Optional[ArrayLike] = None, *, x_from: Optional[float] = None,
              x_to: Optional[float] = None, max_signal: Optional[float] = None,
              baseline: bool = True, draws: int = 1000, seed: int = 1,
              name: str = "profile") -> SigmaFit: ...
