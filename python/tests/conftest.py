# The programs under test: the module from the build tree (PYTHONPATH, set by CTest) and the
# zemtor beside it, whose --json records the module's must equal.
import json
import os
import subprocess

import pytest


@pytest.fixture(scope="session")
def zemtor():
    path = os.environ.get("ZMK_ZEMTOR")
    if not path:
        pytest.skip("ZMK_ZEMTOR is not set (CTest sets it)")

    def solve(*args):
        run = subprocess.run([path, "solve", "--json", *args], capture_output=True, text=True, check=False)
        assert run.stdout, run.stderr
        return json.loads(run.stdout)

    solve.path = path
    return solve


def assert_same_record(got, want, path="record"):
    """Every key of zemtor's record is in the module's, strings and flags equal, numbers equal
    to 1e-12 relative."""
    if isinstance(want, dict):
        assert isinstance(got, dict), path
        assert set(got) == set(want), f"{path}: keys {set(got) ^ set(want)}"
        for k in want:
            assert_same_record(got[k], want[k], f"{path}.{k}")
    elif isinstance(want, list):
        assert isinstance(got, list) and len(got) == len(want), path
        for i, (g, w) in enumerate(zip(got, want)):
            assert_same_record(g, w, f"{path}[{i}]")
    elif isinstance(want, bool) or want is None or isinstance(want, str):
        assert got == want, f"{path}: {got!r} != {want!r}"
    else:
        assert got == pytest.approx(want, rel=1e-12, abs=0), f"{path}: {got!r} != {want!r}"
