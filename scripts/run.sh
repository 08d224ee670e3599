#!/usr/bin/env bash
# Builds if needed, then runs the program. With a display ($DISPLAY or $WAYLAND_DISPLAY) and no
# arguments it opens the window on the default job; otherwise it rates the job on the command
# line (zemtor solve, with the arguments given).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# The two programs only: the tests and the benchmarks are built by scripts/test.sh.
ZMK_BUILD_TARGET=programs bash "$root/scripts/build.sh" "$root/build"
program="$root/build/Quorvane/ZMK"
if [ $# -eq 0 ]; then
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
        exec "$program/zmk"
    fi
    echo "No display: rating the default job here; on a desktop this command (or $program/zmk) opens the window." >&2
fi
exec "$program/zemtor" solve "$@"
