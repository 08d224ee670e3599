# zmk.select against zemtor select --json, the ranking, and the frame of a selection nothing meets.
import json
import subprocess

import pytest

import zmk

SMALL = dict(fixed_face=True, rows=(3, 5), fpi=(8, 12), maker="typical")


def test_select_equals_zemtor_and_is_ranked(zemtor):
    frame = zmk.select("hwc", duty=80, objective="weight", **SMALL)
    assert len(frame) > 3
    assert list(frame["weight"]) == sorted(frame["weight"])
    assert (frame["Qt"] >= 80).all()
    assert frame["Rows"].between(3, 5).all()
    run = subprocess.run([zemtor.path, "select", "--kind", "hwc", "--duty", "80", "--objective", "weight",
                          "--fixed-face", "--rows", "3..5", "--fpi", "8..12", "--maker", "typical", "--json",
                          "--top", "1000"], capture_output=True, text=True, check=True)
    want = json.loads(run.stdout)
    assert len(want) == len(frame)
    for row, record in zip(frame.to_dict(orient="records"), want):
        assert row["Model"] == record["Model"] and row["Pattern"] == record["Pattern"]
        assert row["Qt"] == pytest.approx(record["Qt"], rel=1e-12)
    assert len(zmk.select("hwc", duty=80, top=2, **SMALL)) == 2


def test_nothing_meets_gives_an_empty_frame_saying_why():
    frame = zmk.select("hwc", duty=5000, **SMALL)
    assert frame.empty
    assert "the duty ruled out" in frame.attrs["reason"]


def test_a_face_velocity_target_gives_each_face_its_own_air_flow(zemtor):
    args = dict(rows=(3, 4), fpi=(10, 10), maker="typical", height=(500, 600), length=(1000, 1400),
                length_step=200, face_velocity_target=2.2)
    frame = zmk.select("hwc", duty=60, **args)
    assert len(frame) > 3
    assert frame["Vf"].sub(2.2).abs().max() < 1e-9
    assert (frame["Va"] - 2.2 * frame["fHeight"] * frame["fLength"]).abs().max() < 1e-12
    assert frame["fLength"].nunique() > 1
    run = subprocess.run([zemtor.path, "select", "--kind", "hwc", "--duty", "60", "--rows", "3..4", "--fpi",
                          "10..10", "--maker", "typical", "--height", "500..600", "--length", "1000..1400",
                          "--length-step", "200", "--face-velocity-target", "2.2", "--json", "--top", "1000"],
                         capture_output=True, text=True, check=True)
    want = json.loads(run.stdout)
    assert [r["Model"] for r in want] == list(frame["Model"])
    assert [r["Va"] for r in want] == pytest.approx(list(frame["Va"]), rel=1e-12)


@pytest.mark.parametrize("limits", [dict(objective="price", duty=80), dict(duty=0), dict(duty=80, rows=(5, 3)),
                                    dict(duty=80, maker="Nobody"), dict(duty=80, face_velocity_target=0)])
def test_wrong_limits_raise_input_error(limits):
    args = {**SMALL, **limits}
    with pytest.raises(zmk.InputError):
        zmk.select("hwc", **args)
