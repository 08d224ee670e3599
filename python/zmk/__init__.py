"""ZMK's coil ratings from Python.

Each rating goes through the same job path as ``zemtor solve --kind KIND --json --set NAME=VALUE``:
the default job of the kind, the inputs applied in the order given, Solve, and the record of the
solve with the same keys, units and numbers as the command line's JSON.

Inputs (keyword arguments, named as the entry fields, in their stored units):
    edOnCoil, edHumidityOn, edAirMassflow, edFaceVelocity, edFluidInTemp, edFluidDT, edFluidFlow,
    edTubeVelocity, edAltitude, edFinHeight, edFinnedLength, edRows, edFinDensity, edCircuits
    (``zmk.fields()`` lists each with its unit and range), and
    liquid=<kind number or name>, control="flow" | "temp", spray=True | False ("on" | "off").
The liquid, the control and the spray are applied first (they decide which fields may be set),
then the fields in the order given. A value outside its field's range is brought into the range
with a warning in the record (``strict=True`` refuses it instead).
"""

from __future__ import annotations

import json as _json
import math as _math
import os as _os
from pathlib import Path as _Path

__all__ = ["InputError", "DataError", "rate", "rate_project", "rate_many", "size", "step", "air_state", "liquid",
           "fields", "units", "convert", "select", "KINDS"]


def _find_common_data() -> None:
    # The catalogue and the other shared data sit in "Quorvane/Common Files" under the install
    # prefix (or the build tree): found from this package's folder unless ZMK_COMMON_DIR says.
    if _os.environ.get("ZMK_COMMON_DIR"):
        return
    here = _Path(__file__).resolve().parent
    for folder in list(here.parents)[:6]:
        common = folder / "Quorvane" / "Common Files"
        if common.is_dir():
            _os.environ["ZMK_COMMON_DIR"] = str(common)
            return


_find_common_data()

from . import _core  # noqa: E402

KINDS = ("zmk", "hwc", "cwc")


class InputError(ValueError):
    """An input the program refuses: an unknown field or kind, a value that is not a number, a
    field the liquid control does not let be set, or (with strict) a value outside its range."""


class DataError(RuntimeError):
    """Data the program cannot read: a project file that is missing or no project, or a coil
    that cannot be built from the catalogue."""


def _value_text(name: str, value) -> str:
    if isinstance(value, bool):
        if name.lower() == "spray":
            return "on" if value else "off"
        return "1" if value else "0"
    if isinstance(value, float):
        return repr(value)  # the shortest text that reads back as the same number
    if hasattr(value, "item"):  # a numpy scalar
        return _value_text(name, value.item())
    return str(value)


def _sets(inputs: dict) -> list[str]:
    return [f"{name}={_value_text(name, value)}" for name, value in inputs.items()]


def _result(answer, *, raise_errors: bool, kind: str = ""):
    text, failure, message = answer
    if failure == _core.INPUT_FAILURE:
        if raise_errors:
            raise InputError(message)
    elif failure == _core.DATA_FAILURE:
        if raise_errors:
            raise DataError(message)
    else:
        return _json.loads(text)
    # A refused job in a batch: a record that says why, as zemtor solve prints for a refused file.
    return {"kind": kind, "Status": "Error", "solved": False, "Reason": message, "error": message, "exit": 1}


def rate(kind: str = "zmk", *, strict: bool = False, **inputs) -> dict:
    """Rates the default job of a coil kind ("zmk" heat recovery, "hwc" hot water, "cwc" chilled
    water) with the inputs changed, as ``zemtor solve --kind KIND --json --set ...`` does.

    Inputs, named as the entry fields and in their stored units (``zmk.fields()`` gives the
    ranges): edOnCoil (°C), edHumidityOn (kg/kg), edAirMassflow (kg/s), edFaceVelocity (m/s),
    edFluidInTemp (°C), edFluidDT (K), edFluidFlow (kg/s), edTubeVelocity (m/s), edAltitude (m),
    edFinHeight (m), edFinnedLength (m), edRows, edFinDensity (fpi), edCircuits; and
    liquid=<kind number or name>, control="flow" | "temp", spray=True | False. The liquid, control
    and spray are applied first, then the fields in the order given. A value outside its range is
    brought into it with a warning (``strict=True``: InputError instead).

    Returns the record as a dict with the command line's JSON keys: "kind", "Model", "Status",
    "solved", "Reason", the air flow and areas, "AirIn" and "AirOut" (dicts), the duty "Qt" and
    "Qs" (kW), the coefficients, "air_dp" (Pa), "liquid_dp" (kPa), "Liquid" (a dict), "warnings"
    (a list of texts), and "error"/"exit" when the solve failed. A job that does not solve is
    returned with "solved" False, its "Reason", and None for every result.

    Raises InputError for a wrong input and DataError for data that cannot be read.
    """
    return _result(_core.rate(str(kind), _sets(inputs), bool(strict)), raise_errors=True)


def rate_project(path, *, kind: str = "", strict: bool = False, **inputs) -> dict:
    """Rates a project file (.zmx) as ``zemtor solve FILE --json`` does: opened into a coil of the
    kind it holds (or of ``kind``), with the inputs applied over it. The file is not written.

    Raises DataError when the file is missing or not a project, InputError for a wrong input.
    """
    return _result(_core.rate_project(_os.fspath(path), str(kind), _sets(inputs), bool(strict)),
                   raise_errors=True)


def step(kind: str = "zmk", *, strict: bool = False, **inputs) -> dict:
    """The step-by-step simulation of a job, as ``zemtor step --kind KIND --set ...`` runs it:
    the job is solved, then simulated in 100 slices along the air path. Takes the inputs of
    ``rate``. Returns "solved", "Status", "Reason" and, for a job that solved, "duty" (kW) and
    the four curves of 100 temperatures each (°C): "Fluid", "Air", "Surface", "DewPoint".
    Raises InputError for a wrong input and DataError for data that cannot be read."""
    result, failure, message = _core.step(str(kind), _sets(inputs), bool(strict))
    if failure == _core.INPUT_FAILURE:
        raise InputError(message)
    if failure == _core.DATA_FAILURE:
        raise DataError(message)
    return result


def size(kind: str | None = None, *, mode: str, duty: float, keep_airflow: bool = False, project=None,
         strict: bool = False, **inputs) -> dict:
    """Sizes a coil for a target duty, as ``zemtor size --kind KIND --mode MODE --duty KW --json``
    does: the default job of the kind ("zmk" when not given), or the project file ``project`` in
    the kind it holds unless ``kind`` is given, with the inputs of ``rate`` applied, sized by one of the fin-and-tube
    editor's operations, then rated once more.

    mode: "face" (the face area at the design aspect ratio), "height" (fin height), "length"
    (finned length), "rows", "fins" (fin density) or "rowsfins". duty: the target, kW.
    keep_airflow: keep the job's air volume flow (otherwise the sizing chooses it from the design
    face velocity).

    Returns a dict: "kind", "mode", "keep_airflow", "target_duty", "Status", "reached" (False when
    a limit of the sizing kept it from the target, with why in "Reason"), "solved", "Model",
    "Maker", the size ("fHeight", "fLength" in m, "Rows", "fpi", "Circ", "Af" in m²) and the
    rating of the sized coil ("Qt", "Qs" in kW, "Vf" m/s, "Va" m³/s, "ma" kg/s, "air_dp" Pa,
    "liquid_dp" kPa). The project file is not written.

    Raises InputError for a wrong mode, duty or input and DataError for data that cannot be read.
    """
    path = "" if project is None else _os.fspath(project)
    if kind is None:
        kind = "" if path else "zmk"  # a project is sized in the kind it holds unless one is asked for
    return _result(_core.size(str(kind), path, str(mode), float(duty), bool(keep_airflow), _sets(inputs),
                              bool(strict)), raise_errors=True)


def _default_threads() -> int:
    return max(1, _os.cpu_count() or 1)


def _job_rows(jobs):
    # A data frame gives one job per row (a column per input; empty cells are left unset),
    # anything else is a sequence of dicts.
    try:
        import pandas as pd
    except ImportError:  # pragma: no cover - pandas is a dependency of rate_many
        pd = None
    if pd is not None and isinstance(jobs, pd.DataFrame):
        rows = []
        for record in jobs.to_dict(orient="records"):
            rows.append({k: v for k, v in record.items()
                         if not (v is None or (isinstance(v, float) and _math.isnan(v)))})
        return rows
    return [dict(job) for job in jobs]


def rate_many(jobs, threads: int | None = None, *, strict: bool = False):
    """Rates many jobs and returns a pandas DataFrame with one row per job, in the jobs' order.

    ``jobs`` is a list of dicts or a DataFrame (a column per input, and optionally "kind"); each
    job is rated as ``rate(**job)``. The jobs run on ``threads`` threads (one per core when None)
    with the interpreter lock released; each is rated as if it were the only one, so the results
    do not depend on the number of threads. A job that fails gives a row with "solved" False and
    its "Reason" (and "error"); the batch never raises for one job.

    The nested records are flattened: "AirOut.db", "Liquid.tfo" ...
    """
    import pandas as pd

    rows = _job_rows(jobs)
    specs = []
    for row in rows:
        kind = str(row.pop("kind", "zmk"))
        specs.append((kind, _sets(row)))
    table = _core.rate_table(specs, int(threads or _default_threads()), bool(strict))
    return pd.DataFrame(table, columns=_columns(table), index=pd.RangeIndex(len(rows)))


def _flat(record: dict, prefix: str = "") -> dict:
    # "AirOut": {"db": ...} becomes "AirOut.db"; a nested record that is null (the leaving air of
    # a job that did not solve) leaves its columns empty.
    out = {}
    for key, value in record.items():
        if isinstance(value, dict):
            out.update(_flat(value, prefix + key + "."))
        elif not (value is None and key in ("AirIn", "AirOut", "Liquid")):
            out[prefix + key] = value
    return out


_template: list[str] = []


def _columns(names) -> list[str]:
    # The columns in the order of a full record whatever jobs came first, so that two batches of
    # the same jobs give the same frame; "error" and "exit" follow the record's members.
    if not _template:
        _template.extend(_flat(rate()).keys())
        _template.extend(["error", "exit"])
    seen = set(_template)
    extra = sorted(k for k in names if k not in seen)
    return _template + extra


def air_state(*, db: float | None = None, wb: float | None = None, h: float | None = None,
              w: float | None = None, rh: float | None = None, p: float = 101.325) -> dict:
    """The moist-air state from two of db (°C), wb (°C), h (kJ/kg), w (kg/kg), rh (fraction) at
    the barometric pressure p (kPa), as ``zemtor props air --json``: P, db, wb, h, w, rh,
    dewpoint, pw, pws, rho, cp, v, k, mu. Raises InputError for a pair or value out of range."""
    try:
        return _core.air_state(db=db, wb=wb, h=h, w=w, rh=rh, p=p)
    except ValueError as e:
        raise InputError(str(e)) from None


def liquid(name, t: float) -> dict:
    """A liquid's properties at t (°C): the kind by number (0..13) or name ("Water",
    "Thermal Oil" ...). Returns Name, ShortName, TMin, TMax, t, ro (kg/m³), Cp (kJ/(kg·K)),
    mu (kg/(m·s)), Ko (kW/(m·K)), Pr and in_range. Raises InputError for an unknown kind or a
    temperature the correlation has no value at."""
    try:
        return _core.liquid(str(name), float(t))
    except ValueError as e:
        raise InputError(str(e)) from None


def fields() -> list[dict]:
    """The inputs a job takes: name, stored unit, low and high ends of the range, whole numbers."""
    return _core.fields()


def units() -> list[dict]:
    """Every quantity the program shows: "quantity" (as "air/t", the name convert takes), "kind"
    ("Temperature" ...), the unit the program stores it in ("stored", the unit of rate's inputs
    and results), the units it shows by default under the metric and the imperial choice, and
    "units", every unit it can be shown in."""
    return _core.units()


def convert(value: float, quantity: str, to: str = "", *, from_unit: str = "") -> float:
    """A value of a quantity from one of its units to another, as the pages show it: ``to`` and
    ``from_unit`` are unit labels of the quantity ("°F", "m³/s", "in wg"); an empty one is the
    unit the program stores the quantity in. ``convert(rate()["Qt"], "hex/duty", "Btu/hr")``.
    Raises InputError for an unknown quantity or unit."""
    try:
        return _core.convert(float(value), str(quantity), str(to), str(from_unit))
    except ValueError as e:
        raise InputError(str(e)) from None


def select(kind: str = "zmk", *, duty: float | None = None, leaving_air: float | None = None,
           max_air_dp: float | None = None, max_liquid_dp: float | None = None,
           rows=(1, 8), fpi=(6, 14), face_velocity=(1.5, 3.0), tube_velocity=(0.3, 2.5),
           height=(300, 1500), length=(500, 3000), length_step: float = 100, fixed_face: bool = False,
           face_velocity_target: float | None = None,
           maker: str = "", objective: str = "area", price_cu: float = 9.0, price_al: float = 2.5,
           top: int | None = None, threads: int | None = None, strict: bool = False, **inputs):
    """Every catalogue coil that meets a duty within the limits, best first, as
    ``zemtor select --json`` lists them: a pandas DataFrame with a row per coil.

    The job is the default job of ``kind`` with ``inputs`` over it (as ``rate`` takes them); its
    air volume flow, liquid and control are kept. The target is ``duty`` (kW) or a leaving air dry
    bulb ``leaving_air`` (°C). Ranges are (low, high): rows, fins per inch, face and tube velocity
    (m/s), fin height (mm, in whole tube pitches) and finned length (mm, in ``length_step``
    steps); ``fixed_face`` keeps the job's face; ``face_velocity_target`` (m/s) rates every coil
    at that face velocity, each face with its own air flow, in place of the job's air flow.
    ``max_air_dp`` (Pa) and ``max_liquid_dp`` (kPa) limit the pressure drops; ``maker`` keeps one
    maker's patterns. ``objective`` ranks by "area", "weight", "airdp" or "cost" (copper and
    aluminium weights × ``price_cu`` and ``price_al``).

    Columns: Maker, Pattern, Model (the size text), fHeight, fLength (m), Rows, fpi, Circ, Qt (kW),
    margin (%), Vf (m/s), Va (m³/s, the air flow the coil was rated with), air_dp (Pa), liquid_dp
    (kPa), vw (m/s), air_out, tfo (°C), mw (kg/s), Ao (m²), weight (kg), cost, objective. When
    nothing meets, the frame is empty and ``frame.attrs["reason"]`` names the limit that ruled out
    the most coils.

    Raises InputError for a wrong input or limit and DataError for data that cannot be read.
    """
    import pandas as pd

    limits = {
        "duty": float(duty or 0), "leaving_air": None if leaving_air is None else float(leaving_air),
        "max_air_dp": float(max_air_dp or 0), "max_liquid_dp": float(max_liquid_dp or 0),
        "rows": tuple(map(float, rows)), "fpi": tuple(map(float, fpi)),
        "face_velocity": tuple(map(float, face_velocity)), "tube_velocity": tuple(map(float, tube_velocity)),
        "height": tuple(map(float, height)), "length": tuple(map(float, length)),
        "length_step": float(length_step), "fixed_face": bool(fixed_face), "maker": str(maker),
        "face_velocity_target": None if face_velocity_target is None else float(face_velocity_target),
        "objective": str(objective), "price_cu": float(price_cu), "price_al": float(price_al),
        "threads": int(threads or _default_threads()), "keep": int(top or 0),
    }
    table, reason, failure, message = _core.select(str(kind), _sets(inputs), bool(strict), limits)
    if failure == _core.INPUT_FAILURE:
        raise InputError(message)
    if failure == _core.DATA_FAILURE:
        raise DataError(message)
    frame = pd.DataFrame(table)
    frame.attrs["reason"] = reason
    return frame
