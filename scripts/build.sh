#!/usr/bin/env bash
# Configures (once) and builds the project.
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
# ZMK_SANITIZE=1 builds with address and undefined-behaviour sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
bash "$root/scripts/setup.sh"
args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${ZMK_SANITIZE:-0}" = 1 ]; then
    args=(-DCMAKE_BUILD_TYPE=Debug -DZMK_SANITIZE=ON)
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" "${args[@]}" "$@" >/dev/null
fi
cmake --build "$build" -j "$(nproc)"
