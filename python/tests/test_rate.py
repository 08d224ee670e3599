# The module's ratings against zemtor solve --json, its errors, its threads and its data frames.
import os
import random

import pandas as pd
import pytest

import zmk
from conftest import assert_same_record

# Jobs as --set assignments: the liquid control and the spray first where a field depends on them.
SET_JOBS = [
    ("zmk", {"edOnCoil": "300", "edFluidFlow": "2.5"}),
    ("hwc", {"edRows": "6", "edFinDensity": "400", "edAltitude": "1500"}),
    ("cwc", {"edHumidityOn": "0.012", "edFluidInTemp": "5.5", "edCircuits": "12"}),
    ("cwc", {"control": "temp", "edFluidDT": "6"}),
    ("hwc", {"liquid": "4", "edFluidInTemp": "70"}),
    ("cwc", {"spray": "on", "edOnCoil": "35"}),
    ("zmk", {"edOnCoil": "1e9"}),  # brought into its range, with a warning
    ("cwc", {"edOnCoil": "1e9"}),  # the same, and then not solved
    ("hwc", {"edFaceVelocity": "4.2", "edFinnedLength": "1.8"}),
]


def as_sets(inputs):
    return [f"--set={k}={v}" for k, v in inputs.items()]


@pytest.mark.parametrize("kind", zmk.KINDS)
def test_default_job_equals_zemtor(zemtor, kind):
    want = zemtor("--kind", kind)
    got = zmk.rate(kind)
    assert got["solved"] is True
    assert_same_record(got, want)


@pytest.mark.parametrize("kind,inputs", SET_JOBS)
def test_set_job_equals_zemtor(zemtor, kind, inputs):
    assert_same_record(zmk.rate(kind, **inputs), zemtor("--kind", kind, *as_sets(inputs)))


def generated_jobs(n, seed=24):
    rnd = random.Random(seed)
    jobs = []
    for _ in range(n):
        kind = rnd.choice(zmk.KINDS)
        job = {"kind": kind, "edRows": rnd.randint(2, 8), "edFinDensity": round(rnd.uniform(200, 600), 3),
               "edFaceVelocity": round(rnd.uniform(1.5, 3.5), 4), "edOnCoil": round(rnd.uniform(-5, 40), 3)}
        if kind == "cwc":
            job["edFluidInTemp"] = round(rnd.uniform(4, 9), 3)
        jobs.append(job)
    return jobs


def test_generated_jobs_equal_zemtor(zemtor):
    jobs = generated_jobs(200)
    frame = zmk.rate_many(jobs, threads=2)
    for i, job in enumerate(jobs):
        inputs = {k: v for k, v in job.items() if k != "kind"}
        want = zemtor("--kind", job["kind"], *[f"--set={k}={zmk._value_text(k, v)}" for k, v in inputs.items()])
        assert_same_record(zmk.rate(job["kind"], **inputs), want)
        row = frame.iloc[i]
        assert row["solved"] == want["solved"]
        if want["solved"]:
            assert row["Qt"] == pytest.approx(want["Qt"], rel=1e-12)
            assert row["AirOut.db"] == pytest.approx(want["AirOut"]["db"], rel=1e-12)


@pytest.mark.parametrize("call,error,message", [
    (lambda: zmk.rate(edFoo=1), zmk.InputError, "unknown input 'edFoo'"),
    (lambda: zmk.rate("xyz"), zmk.InputError, "kind expects zmk, hwc or cwc, not 'xyz'"),
    (lambda: zmk.rate(edOnCoil="warm"), zmk.InputError, "edOnCoil=warm: not a number"),
    (lambda: zmk.rate(edRows=2.5), zmk.InputError, "not a whole number"),
    (lambda: zmk.rate(control="sideways"), zmk.InputError, "control= expects flow or temp"),
    (lambda: zmk.rate(strict=True, edOnCoil=1e9), zmk.InputError, "(--strict: nothing rated)"),
    (lambda: zmk.rate("cwc", edFluidDT=5), zmk.InputError, "cannot be set under the liquid control"),
    (lambda: zmk.rate_project("/nonexistent/job.zmx"), zmk.DataError, "job.zmx"),
    (lambda: zmk.air_state(db=20), zmk.InputError, "give exactly two of"),
    (lambda: zmk.air_state(db=20, w=0.01, p=10), zmk.InputError, "outside 50 to 120 kPa"),
    (lambda: zmk.liquid("Lemonade", 20), zmk.InputError, "unknown liquid kind 'Lemonade'"),
])
def test_errors_carry_the_programs_message(call, error, message):
    with pytest.raises(error) as e:
        call()
    assert message in str(e.value)


def test_not_solved_job_is_a_record_not_an_exception(zemtor):
    got = zmk.rate("cwc", edOnCoil="1e9")
    assert got["solved"] is False and got["Qt"] is None and got["exit"] == 2
    assert got["Reason"] and "edOnCoil=1e9 is outside" in got["warnings"][0]


def test_project_file_equals_zemtor(zemtor, tmp_path):
    import subprocess

    path = tmp_path / "cold.zmx"
    subprocess.run([zemtor.path, "new", "--kind", "cwc", str(path)], check=True, capture_output=True)
    before = path.read_bytes()
    want = zemtor(str(path), "--set=edRows=5")
    want.pop("file")
    assert_same_record(zmk.rate_project(path, edRows=5), want)
    assert path.read_bytes() == before


def test_threads_give_the_answers_of_one_thread():
    # Cold coils first and last, so that a dew point default carried from one job to the next
    # on a thread would change the digits.
    jobs = generated_jobs(120, seed=7) + [{"kind": "xyz"}, {"edFoo": 1}]
    one = zmk.rate_many(jobs, threads=1)
    two = zmk.rate_many(jobs, threads=2)
    four = zmk.rate_many(list(reversed(jobs)), threads=4).iloc[::-1].reset_index(drop=True)
    pd.testing.assert_frame_equal(one, two)
    pd.testing.assert_frame_equal(one, four)
    alone = zmk.rate(**{k: v for k, v in jobs[5].items()})
    assert one.iloc[5]["Qt"] == alone["Qt"]


def test_data_frame_round_trip():
    jobs = pd.DataFrame({
        "kind": ["hwc", "cwc", "zmk", "cwc"],
        "edRows": [4, 6, None, 3],
        "edOnCoil": [10.0, 30.0, 250.0, float("nan")],
        "edFoo": [None, None, None, 1.0],  # the last job only: refused, the batch goes on
    })
    out = zmk.rate_many(jobs, threads=2)
    assert len(out) == 4
    assert list(out["kind"]) == ["hwc", "cwc", "zmk", "cwc"]
    assert list(out["solved"]) == [True, True, True, False]
    assert "unknown input 'edFoo'" in out.iloc[3]["Reason"]
    for i, job in enumerate([zmk.rate("hwc", edRows=4, edOnCoil=10.0), zmk.rate("cwc", edRows=6, edOnCoil=30.0),
                             zmk.rate("zmk", edOnCoil=250.0)]):
        assert out.iloc[i]["Qt"] == job["Qt"]
        assert out.iloc[i]["Liquid.tfo"] == job["Liquid"]["tfo"]


def test_air_state_and_liquid_values():
    s = zmk.air_state(db=25, w=0.01)
    assert s["db"] == 25 and s["w"] == 0.01 and 0.5 < s["rh"] < 0.51
    assert zmk.air_state(db=25, rh=s["rh"])["w"] == pytest.approx(0.01, rel=1e-9)
    water = zmk.liquid("Water", 20)
    assert water["ro"] == pytest.approx(998, abs=1) and water["in_range"]
    assert zmk.liquid(0, 20) == water


def test_help_explains_the_inputs():
    assert "edFluidFlow" in zmk.rate.__doc__ or "edFluidFlow" in zmk.__doc__
    names = {f["name"] for f in zmk.fields()}
    assert {"edOnCoil", "edRows", "edCircuits"} <= names


@pytest.mark.parametrize("kind,inputs", [("hwc", {}), ("cwc", {"edRows": "6"}), ("zmk", {"edOnCoil": "250"})])
def test_step_equals_zemtor_step(zemtor, kind, inputs):
    import subprocess

    run = subprocess.run([zemtor.path, "step", "--csv", "--kind", kind, *as_sets(inputs)], capture_output=True,
                         text=True, check=True)
    lines = run.stdout.splitlines()
    got = zmk.step(kind, **inputs)
    assert got["solved"] and got["duty"] == pytest.approx(float(lines[0].split(",")[1]), rel=1e-13)
    names = lines[1].split(",")[1:]
    rows = [[float(x) for x in line.split(",")[1:]] for line in lines[2:]]
    assert len(rows) == 100
    for c, name in enumerate(names):
        assert got[name] == pytest.approx([r[c] for r in rows], rel=1e-13)


def test_step_of_a_job_that_does_not_solve_has_no_curves():
    got = zmk.step("cwc", edOnCoil="1e9")
    assert got["solved"] is False and got["Reason"] and "Air" not in got
    with pytest.raises(zmk.InputError):
        zmk.step(edFoo=1)


def zemtor_size(zemtor, *args):
    import json
    import subprocess

    run = subprocess.run([zemtor.path, "size", "--json", *args], capture_output=True, text=True, check=False)
    assert run.stdout, run.stderr
    return json.loads(run.stdout)


@pytest.mark.parametrize("kind,mode,duty,keep,inputs", [
    ("hwc", "rows", 60.0, False, {}),
    ("cwc", "face", 40.0, True, {"edOnCoil": "28"}),
    ("zmk", "fins", 10.0, False, {}),      # below what the fewest fins give: not reached, a record
    ("hwc", "length", 1e5, True, {}),      # far beyond the longest coil: not reached
])
def test_size_equals_zemtor_size(zemtor, kind, mode, duty, keep, inputs):
    args = ["--kind", kind, "--mode", mode, "--duty", repr(duty), *as_sets(inputs)]
    want = zemtor_size(zemtor, *args, *(["--keep-airflow"] if keep else []))
    got = zmk.size(kind, mode=mode, duty=duty, keep_airflow=keep, **inputs)
    assert_same_record(got, want)


def test_size_of_a_project_keeps_its_kind_and_file(zemtor, tmp_path):
    import subprocess

    path = tmp_path / "warm.zmx"
    subprocess.run([zemtor.path, "new", "--kind", "hwc", str(path)], check=True, capture_output=True)
    before = path.read_bytes()
    got = zmk.size(mode="rows", duty=50, project=path)
    assert got["kind"] == "hwc" and got["file"] == str(path)
    assert_same_record(got, zemtor_size(zemtor, str(path), "--mode", "rows", "--duty", "50"))
    assert path.read_bytes() == before


@pytest.mark.parametrize("call,message", [
    (lambda: zmk.size(mode="wider", duty=50), "--mode expects face, height"),
    (lambda: zmk.size(mode="rows", duty=0), "--duty expects the target duty"),
    (lambda: zmk.size(mode="rows", duty=float("nan")), "--duty expects the target duty"),
    (lambda: zmk.size("xyz", mode="rows", duty=50), "kind expects zmk, hwc or cwc"),
    (lambda: zmk.size(mode="rows", duty=50, edFoo=1), "unknown input 'edFoo'"),
    (lambda: zmk.convert(1, "air/nope"), "unknown quantity 'air/nope'"),
    (lambda: zmk.convert(1, "air/t", "furlongs"), "'furlongs' is no unit of air/t"),
])
def test_size_and_unit_errors(call, message):
    with pytest.raises(zmk.InputError) as e:
        call()
    assert message in str(e.value)


def test_units_and_conversions():
    quantities = {q["quantity"]: q for q in zmk.units()}
    assert len(quantities) == 75
    t = quantities["air/t"]
    assert t["stored"] == "°C" and t["imperial"] == "°F" and {"°C", "°F", "K"} <= set(t["units"])
    assert zmk.convert(100, "air/t", "°F") == pytest.approx(212, abs=1e-12)
    assert zmk.convert(212, "air/t", "K", from_unit="°F") == pytest.approx(373.15, abs=1e-9)
    assert zmk.convert(32, "air/t", from_unit="°F") == pytest.approx(0, abs=1e-12)
    # A temperature difference has no offset.
    assert zmk.convert(10, "air/dt", "°F") == pytest.approx(18, abs=1e-12)
    for q in quantities.values():  # every unit goes there and back
        for unit in q["units"]:
            assert zmk.convert(zmk.convert(7.25, q["quantity"], unit), q["quantity"], from_unit=unit) == \
                pytest.approx(7.25, rel=1e-12)
