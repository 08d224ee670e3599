#!/usr/bin/env bash
# Builds the Debian package zmk_<version>_amd64.deb (the window, zemtor, the data, the desktop
# entry, icon and file type, the Python module) into the build folder, then checks it: lintian
# finds no error or warning in it, and unpacked into a scratch
# root, its zemtor rates the default job and its Python module gives the same duty.
#   scripts/package.sh [BUILD_DIR]
# Install it with: apt install ./build/zmk_<version>_amd64.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bash "$root/scripts/setup.sh" package
ZMK_BUILD_TARGET= bash "$root/scripts/build.sh" "$build"
cd "$build"
cpack -G DEB >/dev/null
deb=$(ls -t "$build"/zmk_*_amd64.deb | head -1)
echo "$deb"
dpkg-deb --field "$deb" Package Version Depends Recommends
if ! found=$(lintian --fail-on error,warning "$deb" 2>&1); then
    echo "$found" | grep -v 'root privileges' >&2 # lintian's own remark when run as root
    echo "lintian refused the package" >&2
    exit 1
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
export HOME="$scratch/home" ZMK_CONFIG_DIR="$scratch/config"
mkdir -p "$HOME" "$ZMK_CONFIG_DIR"
qt_cli=$("$scratch/usr/Quorvane/ZMK/zemtor" solve --kind hwc --json | /usr/bin/python3 -c "import json, sys; print(json.load(sys.stdin)['Qt'])")
site=$(find "$scratch/usr/lib" -type d -name zmk -path '*-packages/zmk' | head -1)
qt_py=$(cd "$scratch" && env -u ZMK_COMMON_DIR PYTHONPATH="$(dirname "$site")" /usr/bin/python3 -c \
    "import zmk; assert zmk.__file__.startswith('$scratch'); print(zmk.rate(kind='hwc')['Qt'])")
echo "unpacked: zemtor hwc Qt $qt_cli, python zmk hwc Qt $qt_py"
[ "$qt_cli" = "$qt_py" ] || { echo "the package's zemtor and Python module disagree" >&2; exit 1; }
