#!/usr/bin/env bash
# Builds if needed, then runs the program's main job on its built-in default.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" "$root/build"
exec "$root/build/Quorvane/ZMK/zemtor" solve "$@"
