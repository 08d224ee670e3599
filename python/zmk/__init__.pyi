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
def select(
    kind: str = "zmk",
    *,
    duty: float | None = None,
    leaving_air: float | None = None,
    max_air_dp: float | None = None,
    max_liquid_dp: float | None = None,
    rows: tuple[float, float] = (1, 8),
    fpi: tuple[float, float] = (6, 14),
    face_velocity: tuple[float, float] = (1.5, 3.0),
    tube_velocity: tuple[float, float] = (0.3, 2.5),
    height: tuple[float, float] = (300, 1500),
    length: tuple[float, float] = (500, 3000),
    length_step: float = 100,
    fixed_face: bool = False,
    maker: str = "",
    objective: str = "area",
    price_cu: float = 9.0,
    price_al: float = 2.5,
    top: int | None = None,
    threads: int | None = None,
    strict: bool = False,
    **inputs: Any,
) -> pandas.DataFrame: ...
