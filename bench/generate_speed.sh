#!/bin/bash
# Speed, peak memory and output size of `vesk generate` for data-dependent runs of several lengths:
# the generator streams scans to the file, so memory must stay flat however long the run.
#
# Usage: bench/generate_speed.sh [VESK_BINARY] [MINUTES...]
#   VESK_BINARY  the vesk tool of a Release build (default: build-release/bin/vesk)
#   MINUTES      run lengths to generate (default: 2 30 120)
# Needs GNU time. CPU seconds (user + system) stay meaningful on a busy machine, where wall time
# mostly measures waiting for a processor.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
vesk=${1:-$here/build-release/bin/vesk}
shift || true
lengths=("${@:-2 30 120}")
[ -x "$vesk" ] || { echo "generate_speed.sh: $vesk is not available" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "generate_speed.sh: GNU time (/usr/bin/time) is not available" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%8s %9s %8s %8s %7s %9s %9s %9s\n' minutes products "wall s" "cpu s" "RSS MB" "vesk MB" "truth MB" "scans/s"
for minutes in ${lengths[*]}; do
    out="$work/run$minutes.vesk"
    stats=$(/usr/bin/time -f '%e %U %S %M' "$vesk" generate -q --minutes "$minutes" --seed 1 -o "$out" 2>&1 >"$work/stdout" | tail -1)
    products=$(sed -n 's/.*, \([0-9]*\) product scans.*/\1/p' "$work/stdout")
    read -r wall user system rss_kb <<<"$stats"
    python3 - "$minutes" "$products" "$wall" "$user" "$system" "$rss_kb" "$(stat -c %s "$out")" \
        "$(stat -c %s "${out%.vesk}.truth.json")" <<'PY'
import sys
minutes, products, wall, user, system, rss, vesk, truth = sys.argv[1], *map(float, sys.argv[2:])
cpu = user + system
print(f"{minutes:>8} {products:9.0f} {wall:8.2f} {cpu:8.2f} {rss/1024:7.1f} {vesk/1e6:9.1f} {truth/1e6:9.1f} {products/cpu:9.0f}")
PY
    rm -f "$work"/run*
done
