#!/bin/bash
# Wall time, CPU time and peak memory of ostrand-export against msconvert's plain peak picking on
# the same run, and of ostrand-export on longer runs, without searching anything: the quick check
# of the speed and memory targets (bench/search/run.sh measures the same along with the searches).
# Our export and msconvert run in turns, RUNS times each, and the medians are reported, so that
# other work on the machine weighs on both alike; the load average before the first run and after
# the last is printed with the figures.
#
# Usage: bench/export_speed.sh [-b BUILD_DIR] [-r RUNS] RUN.vesk [LONG.vesk ...]
#   BUILD_DIR  a build holding bin/ostrand-export (default: build-release)
#   RUNS       timed turns of each program on RUN (default 5); a long run is exported RUNS times too
#   RUN        a generated run; its mzML (RUN.mzML beside it, `vesk convert`) is what msconvert reads
#   LONG       longer generated runs, whose peak memory must stay within 10 % of RUN's
# Targets (exit status 1 when missed): our median wall time at most half msconvert's; peak memory
# on every LONG run at most 10 % above RUN's. Needs GNU time and msconvert (libpwiz-tools).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build-release
runs=5
while getopts "b:r:" option; do
    case $option in
    b) build=$OPTARG ;;
    r) runs=$OPTARG ;;
    *) grep '^# Usage\|^#   ' "$0" | sed 's/^# //' >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { echo "export_speed.sh: no run given" >&2; exit 2; }
run=$1
shift
exporter=$build/bin/ostrand-export
for tool in /usr/bin/time msconvert "$exporter"; do
    command -v "$tool" >/dev/null || { echo "export_speed.sh: $tool is not available" >&2; exit 2; }
done
for file in "$run" "${run%.vesk}.mzML" "$@"; do
    [ -f "$file" ] || { echo "export_speed.sh: $file does not exist" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export OSTRAND_SETTINGS_DIR="$work/settings"

# timed TIMES COMMAND...: appends "wall user+sys maxrss_kB" of one run of the command to TIMES.
timed() {
    local times=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$work/one" "$@" >"$work/log" 2>&1 ||
        { echo "export_speed.sh: $1 failed:" >&2; cat "$work/log" >&2; exit 1; }
    awk '{printf "%s %.2f %s\n", $1, $2 + $3, $4}' "$work/one" >>"$times"
}

# median TIMES COLUMN: the median of one column (1 wall, 2 CPU, 3 peak memory in kB).
median() {
    sort -n -k "$2" "$1" | awk -v c="$2" '{v[NR] = $c} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

report() {
    printf '%-44s %8.2f %8.2f %8.0f\n' "$1" "$(median "$2" 1)" "$(median "$2" 2)" "$(echo "$(median "$2" 3) / 1024" | bc -l)"
}

echo "Load before: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
for ((i = 0; i < runs; i++)); do
    timed "$work/ours.times" "$exporter" "$run" -o "$work/ours.sxq"
    timed "$work/msconvert.times" msconvert "${run%.vesk}.mzML" --mzML -o "$work" --outfile picked.mzML \
        --filter "peakPicking true 1-"
done
long=0
for longrun in "$@"; do
    long=$((long + 1))
    for ((i = 0; i < runs; i++)); do
        timed "$work/long$long.times" "$exporter" "$longrun" -o "$work/long.sxq"
    done
done
echo "Load after:  $(cut -d' ' -f1-3 /proc/loadavg)"

printf '%-44s %8s %8s %8s\n' "median of $runs" "wall s" "CPU s" "RSS MB"
report "ostrand-export $(basename "$run")" "$work/ours.times"
report "msconvert peak picking $(basename "${run%.vesk}.mzML")" "$work/msconvert.times"
long=0
for longrun in "$@"; do
    long=$((long + 1))
    report "ostrand-export $(basename "$longrun")" "$work/long$long.times"
done

missed=0
ratio=$(echo "$(median "$work/ours.times" 1) / $(median "$work/msconvert.times" 1)" | bc -l)
printf 'Our wall time against msconvert'"'"'s: %.2f (target at most 0.50)\n' "$ratio"
(($(echo "$ratio <= 0.5" | bc -l))) || missed=1
long=0
for longrun in "$@"; do
    long=$((long + 1))
    growth=$(echo "100 * ($(median "$work/long$long.times" 3) - $(median "$work/ours.times" 3)) / $(median "$work/ours.times" 3)" | bc -l)
    printf 'Peak memory of %s against %s: %+.1f %% (target at most +10 %%)\n' "$(basename "$longrun")" "$(basename "$run")" "$growth"
    (($(echo "$growth <= 10" | bc -l))) || missed=1
done
exit $missed
