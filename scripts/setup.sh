#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the program need.
# Idempotent: does nothing (and prints nothing) when every package is already there.
set -euo pipefail

packages=(
    build-essential cmake g++ pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libpugixml-dev libcli11-dev nlohmann-json3-dev
    zlib1g-dev libcurl4-openssl-dev
    libfreetype-dev fontconfig fonts-dejavu-core
    chromium # opens the written report pages in the browser test
    clang libclang-rt-14-dev
    python3-fluids hyperfine bc time # bench/compare_python.sh and the start-up measurement
)

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
