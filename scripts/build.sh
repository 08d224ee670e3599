#!/usr/bin/env bash
# Configures (once) and builds the project.
#   scripts/build.sh [BUILD_DIR] [extra cmake arguments...]
# ZMK_SANITIZE=1 builds with address and undefined-behaviour sanitizers. ZMK_BUILD_TARGET builds
# that target only (scripts/run.sh: "programs", the two programs without the tests).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
bash "$root/scripts/setup.sh"
# Optimised without debug information: the debug tables of the template-heavy command line and
# tests cost a third of the build time. A tree for the debugger: -DCMAKE_BUILD_TYPE=Debug.
args=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG")
if [ "${ZMK_SANITIZE:-0}" = 1 ]; then
    # Line tables are enough for the sanitizers' reports. The window program's widgets, glue
    # around Qt's own code, are tested in the plain tree; their rules live in the core below.
    args=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g1" "-DCMAKE_C_FLAGS_DEBUG=-O0 -g1" -DZMK_SANITIZE=ON
          -DZMK_BUILD_BENCH=OFF -DZMK_BUILD_GUI=OFF -DZMK_BUILD_PYTHON=OFF)
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" "${args[@]}" "$@" >/dev/null
fi
cmake --build "$build" -j "$(nproc)" ${ZMK_BUILD_TARGET:+--target "$ZMK_BUILD_TARGET"}
