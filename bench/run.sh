#!/usr/bin/env bash
# The benchmark, in one command: builds what is missing (both programs, the benchmark's own
# Windows programs, its setup folder of 200 SZDD files), measures everything in one fresh
# Wine prefix under Xvfb and prints the table with each figure beside its limit.
#   bench/run.sh [--observers] [RUNS]   (default 5; figures are medians over the runs)
#   bench/run.sh --launch OTHER.exe [ROUNDS]
#                                       only the launch to the welcome page, of this
#                                       drvsetup_x64.exe and of OTHER.exe (another build of it)
#                                       side by side, alternating, ROUNDS rounds (default 4)
# --observers adds to every run a copy stage with nothing watching the wizard at all and one
# under the robot's event hook and 5 ms polling, to show what watching costs.
# The table is also written to build/bench/table.md.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
observers=
other=
if [ "${1:-}" = --launch ]; then
    other=$(realpath "${2:?usage: bench/run.sh --launch OTHER.exe [ROUNDS]}")
    shift 2
    set -- "${1:-4}"
elif [ "${1:-}" = --observers ]; then
    observers=observers
    shift
fi
runs=${1:-5}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: bench/run.sh [--observers] [RUNS]" >&2; exit 2; }

tools/install-deps.sh

# The launch alone needs the English program only.
presets="x64 x86"
[ -z "$other" ] || presets=x64
for preset in $presets; do
    echo "=== building the $preset preset" >&2
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" >&2
done

out=$root/build/bench
echo "=== building the benchmark's programs" >&2
cmake -S bench -B "$out" -G Ninja --toolchain "$root/cmake/mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out" >&2

# The setup folder: demo driver files, the program, 200 compressed files and their J71.INF.
# The 200 files are made once; the program is copied afresh each time.
setup=$out/setup
if [ ! -f "$setup/J71.INF" ] || [ ! -f "$setup/A200" ] ||
    [ bench/make_setup.py -nt "$setup/J71.INF" ]; then
    rm -rf "$setup"
    python3 bench/make_setup.py "$setup" demo build/x64/drvsetup_x64.exe >&2
fi
cp build/x64/drvsetup_x64.exe "$out/emptywin.exe" "$out/emptyexit.exe" "$out/barebench.exe" \
    "$setup/"

# One Xvfb and one booted Windows 7 prefix of the benchmark's own, copied fresh for the run.
state=$out/wine
tests/harness/setup.sh "$state"
trap 'tests/harness/cleanup.sh "$state"' EXIT

if [ -n "$other" ]; then
    cp "$other" "$setup/other.exe"
    echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
    tests/harness/wine-run.sh "$state" "$out/drvbench.exe" "Z:${setup//\//\\}" drvsetup_x64.exe \
        "$runs" launch other.exe >"$out/launch.txt"
    echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
    python3 - "$out/launch.txt" "$other" <<'REPORT'
import statistics, sys
values = {}
for line in open(sys.argv[1]):
    key, _, data = line.strip().partition("=")
    if data:
        values[key] = [float(v) for v in data.split(",")]
for key, name in (("launch_program", "this drvsetup_x64.exe"), ("launch_other", sys.argv[2]),
                  ("launch_difference", "other minus this, round by round")):
    v = values[key]
    print("%s: median %.3f s (%.3f to %.3f), %s" % (name, statistics.median(v), min(v), max(v),
                                                  ", ".join("%.3f" % x for x in v)))
REPORT
    exit 0
fi

per_run=25
[ -z "$observers" ] || per_run=45
echo "=== measuring ($runs runs${observers:+ with the observer check}; about $((runs * per_run + 20)) s)" >&2
# The load the figures were taken under: the load average and the busiest processes, so a
# run beside other work can be told apart.
export BENCH_LOAD_BEFORE
BENCH_LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)
echo "load average before: $BENCH_LOAD_BEFORE" >&2
ps -eo pcpu=,comm= --sort=-pcpu | head -5 >&2
windows_setup="Z:${setup//\//\\}"
tests/harness/wine-run.sh "$state" "$out/drvbench.exe" "$windows_setup" drvsetup_x64.exe \
    "$runs" $observers >"$out/results.txt"

python3 bench/report.py "$out/results.txt" build/x64/drvsetup_x64.exe \
    build/x86/drvsetup_x86.exe >"$out/table.md"
cat "$out/table.md"
