#!/bin/bash
# The workflow on ten copies of one 30-minute run with two cores against the ideal: the CPU time
# (user + system) of ten ostrand-export runs one after the other, divided by two. Also reports the
# CPU time the workflow spent in all (snakemake and the helper scripts included), its wall time
# against half the single runs' wall time, and the load average before and after, since other work
# on the machine lengthens the wall times.
#
# Usage: bench/workflow_speed.sh [-b BUILD_DIR] [-n COPIES] [RUN.vesk]
#   BUILD_DIR  a build holding bin/vesk and bin/ostrand-export (default: build)
#   COPIES     copies of the run in the input folder (default 10)
#   RUN        the run to copy (default: a 30-minute run generated with `vesk generate --seed 1`)
# Target (exit status 1 when missed): workflow wall time at most 1.15 times the ideal.
# Needs GNU time and snakemake.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
copies=10
while getopts "b:n:" option; do
    case $option in
    b) build=$OPTARG ;;
    n) copies=$OPTARG ;;
    *) grep '^# Usage\|^#   ' "$0" | sed 's/^# //' >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
build=$(realpath "$build")
for tool in /usr/bin/time snakemake "$build/bin/vesk" "$build/bin/ostrand-export"; do
    command -v "$tool" >/dev/null || { echo "workflow_speed.sh: $tool is not available" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export OSTRAND_SETTINGS_DIR=$work/settings
run=${1:-}
if [ -z "$run" ]; then
    run=$work/run30.vesk
    "$build/bin/vesk" generate --minutes 30 --seed 1 --quiet -o "$run"
fi
mkdir "$work/input" "$work/serial"
for i in $(seq -w 1 "$copies"); do
    cp "$run" "$work/input/run$i.vesk"
done

# The workflow's config lists the factory defaults, which the single runs are given too.
"$build/bin/ostrand-export" --print-params >"$work/params" 2>/dev/null
keys=$(sed -n 1p "$work/params")
values=$(sed -n 2p "$work/params")

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
cpu=0
serial_wall=0
for copy in "$work"/input/*.vesk; do
    /usr/bin/time -f "%U %S %e" -o "$work/time" "$build/bin/ostrand-export" "$copy" \
        -o "$work/serial/$(basename "$copy" .vesk).sxq" --keys "$keys" --values "$values" >/dev/null 2>&1
    cpu=$(awk -v sum="$cpu" '{ print sum + $1 + $2 }' "$work/time")
    serial_wall=$(awk -v sum="$serial_wall" '{ print sum + $3 }' "$work/time")
done
ideal=$(awk -v cpu="$cpu" 'BEGIN { printf "%.2f", cpu / 2 }')
echo "serial: $copies exports, $cpu s CPU, $serial_wall s wall; ideal $ideal s"

/usr/bin/time -f "%e %U %S" -o "$work/time" snakemake -s "$here/workflow/Snakefile" --cores 2 --quiet \
    --directory "$work" --config input="$work/input" output="$work/output" bin="$build/bin" \
    >"$work/snakemake.log" 2>&1 || { cat "$work/snakemake.log" >&2; exit 1; }
read -r wall user system <"$work/time"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
for copy in "$work"/serial/*.sxq; do
    cmp -s "$copy" "$work/output/$(basename "$copy")" || { echo "$(basename "$copy") differs" >&2; exit 1; }
done

ratio=$(awk -v wall="$wall" -v ideal="$ideal" 'BEGIN { printf "%.3f", wall / ideal }')
# On a busy machine both walls stretch alike; their ratio shows what the two cores gave.
halved=$(awk -v wall="$wall" -v serial="$serial_wall" 'BEGIN { printf "%.3f", wall / (serial / 2) }')
echo "| copies | serial CPU s | serial wall s | ideal s (CPU / 2) | workflow wall s | workflow CPU s |" \
    "wall / ideal | wall / (serial wall / 2) |"
echo "|---|---|---|---|---|---|---|---|"
echo "| $copies | $cpu | $serial_wall | $ideal | $wall | $(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }') |" \
    "$ratio | $halved |"
awk -v ratio="$ratio" 'BEGIN { exit !(ratio <= 1.15) }' || { echo "workflow_speed.sh: above 1.15 times the ideal" >&2; exit 1; }
