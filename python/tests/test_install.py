# cmake --install puts the package in the prefix's Python site folder, where it finds the
# installed data and rates as the build tree's zemtor does.
import json
import os
import subprocess
import sys

import pytest


def test_installed_module_rates_like_zemtor(tmp_path, zemtor):
    build = os.environ.get("ZMK_BUILD_DIR")
    site = os.environ.get("ZMK_PYTHON_SITE_DIR")
    if not build or not site:
        pytest.skip("ZMK_BUILD_DIR and ZMK_PYTHON_SITE_DIR are set by CTest")
    prefix = tmp_path / "prefix"
    subprocess.run([os.environ.get("ZMK_CMAKE", "cmake"), "--install", build, "--prefix", str(prefix)], check=True,
                   capture_output=True)
    package = prefix / site / "zmk"
    assert (package / "__init__.pyi").is_file() and list(package.glob("_core*.so"))
    env = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "ZMK_COMMON_DIR")}
    env["PYTHONPATH"] = str(prefix / site)
    run = subprocess.run([sys.executable, "-c", "import json, zmk, os; r = zmk.rate(kind='hwc'); "
                          "print(json.dumps([zmk.__file__, os.environ['ZMK_COMMON_DIR'], r['Qt']]))"],
                         env=env, capture_output=True, text=True, check=True, cwd=tmp_path)
    where, common, qt = json.loads(run.stdout)
    assert where.startswith(str(prefix))
    assert common == str(prefix / "Quorvane" / "Common Files")
    assert qt == zemtor("--kind", "hwc")["Qt"]
