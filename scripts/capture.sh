#!/usr/bin/env bash
# Writes what zemtor prints for a fixed set of commands into a folder, one file per command, so
# that two builds can be compared byte for byte (diff -r) before and after a change that must not
# change behaviour.
#   scripts/capture.sh BUILD_DIR OUT_DIR
# A change that may move the converged digits of a solve within its own tolerance compares the
# two folders with scripts/compare-capture.py OLD NEW instead: texts exactly, numbers within
# 1e-9 of their size (1e-6 K on temperatures).
# Runs in a private HOME, so that the user's settings and the report folder are not touched.
set -uo pipefail
build=$(cd "${1:?build folder}" && pwd)
out=${2:?output folder}
mkdir -p "$out"
out=$(cd "$out" && pwd)
z="$build/Quorvane/ZMK/zemtor"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
cd "$work"

n=0
run() {
    # run NAME ARGS...: standard output, standard error (with the work folder's path blanked)
    # and exit status of one command.
    local name=$1
    shift
    n=$((n + 1))
    "$z" "$@" >"$out/$name.out" 2>"$out/$name.err"
    echo "exit $?" >>"$out/$name.err"
    sed -i "s#$work#WORK#g" "$out/$name.out" "$out/$name.err"
}

for k in zmk hwc cwc; do
    run "solve-$k" solve --kind "$k"
    run "solve-$k-json" solve --kind "$k" --json
    run "step-$k-csv" step --kind "$k" --csv
    run "step-$k" step --kind "$k"
    run "solve-$k-temp" solve --kind "$k" --set control=temp --json
    run "solve-$k-velocity" solve --kind "$k" --set edFaceVelocity=2.2 --set edFinHeight=0.5 --json
    run "solve-$k-spray" solve --kind "$k" --set spray=on --set edRows=6 --set edFinDensity=12
    run "solve-$k-bad" solve --kind "$k" --set control=temp --set edFluidDT=400 --json
    run "solve-$k-strict" solve --kind "$k" --set edOnCoil=5000 --strict
    for mode in face height length rows fins rowsfins; do
        run "size-$k-$mode" size --kind "$k" --mode "$mode" --duty 120 --json
    done
    run "size-$k-miss" size --kind "$k" --mode rows --duty 100000
    run "new-$k" new --kind "$k" "$work/$k.zmx"
    cp "$work/$k.zmx" "$out/new-$k.zmx"
    run "solve-$k-file" solve "$work/$k.zmx" --set edFluidFlow=2.5 --save
    cp "$work/$k.zmx" "$out/saved-$k.zmx"
    run "report-$k" report --kind "$k" --out "$work/report-$k"
    (cd "$work/report-$k" && find . -type f | LC_ALL=C sort | while read -r f; do
        case "$f" in
        *.htm* | *.txt | *.css) echo "== $f"; cat "$f" ;;
        *) echo "== $f $(wc -c <"$f") bytes" ;;
        esac
    done) >"$out/report-$k.files"
    sed -i "s#$work#WORK#g" "$out/report-$k.files"
done
run solve-humid solve --kind zmk --set edOnCoil=200 --set edHumidityOn=0.05 --set liquid=0 \
    --set edFluidInTemp=20 --set edFluidFlow=5 --set edRows=8 --set edFinDensity=14 --json
run solve-cwc-wet solve --kind cwc --set edOnCoil=41.4 --set edHumidityOn=0.04907 --set edAirMassflow=10.907 \
    --set edRows=3 --set edFinDensity=10 --set edCircuits=4 --set liquid=0 --set edFluidInTemp=4.0 \
    --set control=temp --set edFluidDT=1.72 --json
run solve-hot-water solve --kind zmk --set edOnCoil=900 --set liquid=0 --set edFluidInTemp=600 --json
run solve-fault solve --kind zmk --set edOnCoil=776.5 --set liquid=4 --set edFluidInTemp=624.4 \
    --set edFluidFlow=5.7428 --json
run batch-text solve "$work/zmk.zmx" "$work/hwc.zmx" "$work/cwc.zmx" --jobs 2
run batch-json solve "$work/zmk.zmx" "$work/hwc.zmx" "$work/cwc.zmx" --jobs 2 --json
run geometry geometry "600 x 1200 4r 12f 16c"
run geometry-json geometry "533.4 x 1200 6r 10f 14c" --json --tube 5
run props-air props air --db 30 --w 0.01 --altitude 1500
run props-air-json props air --db 380 --rh 0.01 --p 101.325 --json
run props-liquid props liquid --kind "Thermal Oil" --t 150 --json
run props-glycol props liquid --kind 15 --t 20
run props-friction props friction --re 12000 --roughness 1.5e-6 --diameter 0.012 --json
run units units
run units-json units --json
run units-imperial units --imperial --file "$work/units.ini"
run location location Johannesburg
run location-json location "" --json
run export-psy export-psy "$work/cwc.zmx"
echo "$n commands captured into $out"
