#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the program need; with "bench", also
# those of the speed comparisons (bench/compare_python.sh, the start-up measurement); with
# "package", lintian for the Debian package's check.
# Idempotent: does nothing (and prints nothing) when every package is already there.
#   scripts/setup.sh [bench|package]
set -euo pipefail

packages=(
    build-essential cmake g++ pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libpugixml-dev libcli11-dev nlohmann-json3-dev
    zlib1g-dev libcurl4-openssl-dev nettle-dev
    python3 python3-aiosmtpd # the mail tests' SMTP server on the loopback address
    poppler-utils # the PDF test turns a page into a picture
    libfreetype-dev fontconfig fonts-dejavu-core
    chromium # opens the written report pages in the browser test
    clang libclang-rt-14-dev
    # the window program: Qt Widgets, the web engine that shows the pages (and its helper
    # process), the SVG icon plugin; a virtual X server for the test that runs the real window
    qt6-base-dev qt6-webengine-dev qt6-pdf-dev libqt6webenginecore6-bin libqt6svg6
    xvfb xauth
    desktop-file-utils shared-mime-info # the install test checks the desktop entry and file type
    # the Python module zmk and its tests (pytest, data frames, the two-worker Dask cluster)
    pybind11-dev python3-dev python3-pybind11 python3-pytest python3-numpy python3-pandas
    python3-dask python3-distributed
)
if [ "${1:-}" = bench ]; then
    packages+=(python3-fluids hyperfine bc time linux-perf)
fi
if [ "${1:-}" = package ]; then
    packages+=(lintian)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
