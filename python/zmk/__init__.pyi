from os import PathLike
from typing import Any, Iterable, Mapping

import pandas

KINDS: tuple[str, str, str]

class InputError(ValueError): ...
class DataError(RuntimeError): ...

def rate(
    kind: str = "zmk",
    *,
    strict: bool = False,
    edOnCoil: float = ...,
    edHumidityOn: float = ...,
    edAirMassflow: float = ...,
    edFaceVelocity: float = ...,
    edFluidInTemp: float = ...,
    edFluidDT: float = ...,
    edFluidFlow: float = ...,
    edTubeVelocity: float = ...,
    edAltitude: float = ...,
    edFinHeight: float = ...,
    edFinnedLength: float = ...,
    edRows: int = ...,
    edFinDensity: float = ...,
    edCircuits: int = ...,
    liquid: int | str = ...,
    control: str = ...,
    spray: bool | str = ...,
) -> dict[str, Any]: ...
def rate_project(
    path: str | PathLike[str], *, kind: str = "", strict: bool = False, **inputs: Any
) -> dict[str, Any]: ...
def rate_many(
    jobs: Iterable[Mapping[str, Any]] | pandas.DataFrame, threads: int | None = None, *, strict: bool = False
) -> pandas.DataFrame: ...
def size(
    kind: str | None = None,
    *,
    mode: str,
    duty: float,
    keep_airflow: bool = False,
    project: str | PathLike[str] | None = None,
    strict: bool = False,
    **inputs: Any,
) -> dict[str, Any]: ...
def step(kind: str = "zmk", *, strict: bool = False, **inputs: Any) -> dict[str, Any]: ...
def air_state(
    *,
    db: float | None = None,
    wb: float | None = None,
    h: float | None = None,
    w: float | None = None,
    rh: float | None = None,
    p: float = 101.325,
) -> dict[str, float]: ...
def liquid(name: int | str, t: float) -> dict[str, Any]: ...
def fields() -> list[dict[str, Any]]: ...
def units() -> list[dict[str, Any]]: ...
def convert(value: float, quantity: str, to: str = "", *, from_unit: str = "") -> float: ...
