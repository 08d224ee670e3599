#!/usr/bin/env bash
# Rates the same generated projects with zemtor and with a plain Python baseline (bench/baseline.py,
# on Debian's python3-fluids) and prints both throughputs and their ratio.
#
#   bench/compare_python.sh [ZEMTOR] [JOBS] [THREADS]
#
# ZEMTOR defaults to the Release build's (build-rel/Quorvane/ZMK/zemtor), JOBS to 2000 projects,
# THREADS (zemtor --jobs) to 2. The projects are the default job of each kind and variants of it
# with other inputs (made by zemtor itself), copied to JOBS files with the coil's fin height and
# finned length stepped, so that no two files are the same job. zemtor's time is the whole
# process, start-up included; the baseline's is its rating loop alone (the interpreter and the
# library imports left out), which favours the baseline. Each is run three times and the median
# taken.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zemtor=$(realpath "${1:-$root/build-rel/Quorvane/ZMK/zemtor}")
jobs=${2:-2000}
threads=${3:-2}
python=/usr/bin/python3 # Debian's, where python3-fluids is installed
bash "$root/scripts/setup.sh" bench
[ -x "$zemtor" ] || { echo "no zemtor at $zemtor (build it first)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/common" "$work/jobs"
cp "$root/data/Common Files/CoilMakers.xml" "$work/common/"
export HOME="$work" XDG_DATA_HOME="$work" ZMK_CONFIG_DIR="$work" ZMK_COMMON_DIR="$work/common/"
cd "$work"

# The seeds: each kind's default job and variants of it, each rated and saved by zemtor.
n=0
for kind in zmk hwc cwc; do
    for set in "" "--set edRows=6 --set edFinDensity=14" "--set edFluidFlow=2.5" "--set edAirMassflow=1.6"; do
        seed="seed$n.zmx"
        "$zemtor" new --kind "$kind" "$seed" >/dev/null
        # shellcheck disable=SC2086
        [ -z "$set" ] || "$zemtor" solve --save $set "$seed" >/dev/null 2>&1 || true
        n=$((n + 1))
    done
done
"$python" - "$jobs" "$n" <<'PY'
import re, sys
jobs, seeds = int(sys.argv[1]), int(sys.argv[2])
texts = [open(f"seed{i}.zmx", encoding="utf-8").read() for i in range(seeds)]
def step(text, tag, factor):
    return re.sub(rf"<{tag}>([0-9.]+)</{tag}>", lambda m: f"<{tag}>{float(m.group(1)) * factor:.4f}</{tag}>", text)
for j in range(jobs):
    text = texts[j % seeds]
    k = j // seeds
    text = step(text, "fHeight", 0.8 + 0.4 * (k % 20) / 20)
    text = step(text, "fLength", 0.8 + 0.4 * (k // 20 % 10) / 10)
    open(f"jobs/job{j:05d}.zmx", "w", encoding="utf-8").write(text)
PY
files=(jobs/*.zmx)

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
now() { date +%s.%N; }

# zemtor: wall time of the whole process, and its CPU time per job.
zrates=() zcpu=()
for run in 1 2 3; do
    t0=$(now)
    cpu=$( { /usr/bin/time -f "%U %S" "$zemtor" solve --json --jobs "$threads" "${files[@]}" >zemtor.out; } 2>&1 | tail -1)
    t1=$(now)
    zrates+=("$(echo "$jobs / ($t1 - $t0)" | bc -l)")
    zcpu+=("$(echo "$cpu" | awk -v n="$jobs" '{printf "%.2f", ($1 + $2) * 1e6 / n}')")
done
solved=$(grep -c '"solved":true' zemtor.out || true)

brates=()
for run in 1 2 3; do
    "$python" "$root/bench/baseline.py" "${files[@]}" >baseline.out 2>baseline.err
    brates+=("$(sed -n 's/.* \([0-9]*\) jobs\/s/\1/p' baseline.err)")
done

z=$(printf '%s\n' "${zrates[@]}" | median)
c=$(printf '%s\n' "${zcpu[@]}" | median)
b=$(printf '%s\n' "${brates[@]}" | median)
printf 'jobs                 %d (%d solved by zemtor)\n' "$jobs" "$solved"
printf 'zemtor --jobs %-6s %8.0f jobs/s  (%.1f us CPU per job, start-up included)\n' "$threads" "$z" "$c"
printf 'python baseline      %8.0f jobs/s  (one thread, rating loop only)\n' "$b"
printf 'ratio                %8.2f\n' "$(echo "$z / $b" | bc -l)"
