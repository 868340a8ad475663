#!/bin/bash
# Speed and peak memory of ostrand-export on generated data-dependent runs of 30, 120 and 240
# minutes. The export writes each precursor group as soon as no later scan can join it, so its
# memory follows the precursors in flight and the scans each of them sums, not the run length.
# The generator widens elution peaks with the run (0.5 s per run minute, at most 60 s), so a
# 120-minute run sums about four times as many scans per precursor as a 30-minute one; from 120
# minutes on the peaks are equally wide, and the 240-minute export must then stay within 10 % of
# the 120-minute one's peak memory (the script fails otherwise).
#
# Usage: bench/export_bench.sh [BUILD_DIR]
#   BUILD_DIR  a Release build holding bin/vesk and bin/ostrand-export (default: build-release)
# Needs GNU time. The exports run with factory-default parameters in a settings folder of their own.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-release}
vesk=$build/bin/vesk
exporter=$build/bin/ostrand-export
for tool in /usr/bin/time "$vesk" "$exporter"; do
    [ -x "$tool" ] || { echo "export_bench.sh: $tool is not available" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export OSTRAND_SETTINGS_DIR="$work/settings"

printf '%8s %14s %10s %8s %12s %8s\n' minutes "product scans" queries "wall s" "scans/s" "RSS MB"
declare -A rss
for minutes in 30 120 240; do
    run="$work/run$minutes.vesk"
    products=$("$vesk" generate -q --minutes "$minutes" --seed 1 -o "$run" | sed -n 's/.*, \([0-9]*\) product scans).*/\1/p')
    /usr/bin/time -f '%e %M' -o "$work/time.txt" "$exporter" "$run" -o "$work/run$minutes.sxq" >"$work/out.txt"
    read -r wall rss_kb <"$work/time.txt"
    queries=$(cut -d' ' -f1 "$work/out.txt")
    rss[$minutes]=$rss_kb
    printf '%8s %14s %10s %8s %12.0f %8.1f\n' "$minutes" "$products" "$queries" "$wall" \
        "$(echo "$products / $wall" | bc -l)" "$(echo "$rss_kb / 1024" | bc -l)"
done

percent() { echo "100 * (${rss[$2]} - ${rss[$1]}) / ${rss[$1]}" | bc -l; }
printf 'Peak memory, 120 against 30 minutes (four times the scans per precursor): %+.1f %%\n' "$(percent 30 120)"
growth=$(percent 120 240)
printf 'Peak memory, 240 against 120 minutes (equal elution widths): %+.1f %% (limit +10 %%)\n' "$growth"
if (($(echo "$growth > 10" | bc -l))); then
    echo "export_bench.sh: peak memory grows with the run length" >&2
    exit 1
fi
