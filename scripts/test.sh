#!/usr/bin/env bash
# Builds if needed, then runs the whole test suite.
#   scripts/test.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
ZMK_BUILD_TARGET= bash "$root/scripts/build.sh" "$build"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 300
