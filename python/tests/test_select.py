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


@pytest.mark.parametrize("limits", [dict(objective="price", duty=80), dict(duty=0), dict(duty=80, rows=(5, 3)),
                                    dict(duty=80, maker="Nobody")])
def test_wrong_limits_raise_input_error(limits):
    args = {**SMALL, **limits}
    with pytest.raises(zmk.InputError):
        zmk.select("hwc", **args)
