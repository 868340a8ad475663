#!/bin/bash
# Import speed and file size of `vesk import` against ProteoWizard's msconvert converting the same
# file to mzML, on the public conformance files and on one generated 5-minute run.
#
# Usage: bench/import_speed.sh [VESK_BINARY] [DATA_DIR]
#   VESK_BINARY  the vesk tool of a Release build (default: build-release/bin/vesk)
#   DATA_DIR     folder of mzML/mzXML files (default: ../shared/data beside the repository)
# Needs hyperfine, msconvert (Debian libpwiz-tools), GNU time and gzip. RSS MB is the peak memory of one import.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
vesk=${1:-$here/build-release/bin/vesk}
data=${2:-$here/../shared/data}
for tool in hyperfine msconvert gzip "$vesk"; do
    command -v "$tool" >/dev/null || { echo "import_speed.sh: $tool is not available" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A larger input than the conformance files: a generated run written out as mzML by our converter.
"$vesk" generate -q --minutes 5 --seed 7 -o "$work/generated.vesk"
"$vesk" convert -q "$work/generated.vesk" -o "$work/generated_5min.mzML"

# Mean wall and CPU (user + system) seconds of a command over the runs. CPU time stays meaningful
# on a busy machine, where wall time mostly measures waiting for a processor.
timings() {
    hyperfine --style none --warmup 1 --runs "${RUNS:-5}" --export-json "$work/timing.json" "$@" >/dev/null 2>&1
    python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][0]; print(r["mean"], r["user"]+r["system"])' \
        "$work/timing.json"
}

printf '%-30s %6s | %7s %7s %6s %6s | %7s %7s %6s | %6s %6s | %6s %6s %6s\n' file MB "wall s" "cpu s" "MB/s" "RSS MB" \
    "wall s" "cpu s" "MB/s" wall cpu "vesk" "gzip" "zlib"
for input in "$data"/*.mzML "$data"/*.mzXML "$work/generated_5min.mzML"; do
    [ -f "$input" ] || continue
    size=$(stat -c %s "$input")
    read -r our_wall our_cpu < <(timings "'$vesk' import -q '$input' -o '$work/out.vesk'")
    read -r their_wall their_cpu < <(timings "msconvert '$input' --mzML -o '$work/msconvert' --outfile out.mzML")
    rss_kb=$(/usr/bin/time -f %M "$vesk" import -q "$input" -o "$work/out.vesk" 2>&1 >/dev/null | tail -1)
    msconvert "$input" --mzML --zlib -o "$work/msconvert" --outfile zlib.mzML >/dev/null 2>&1
    python3 - "$(basename "$input")" "$size" "$our_wall" "$our_cpu" "$rss_kb" "$their_wall" "$their_cpu" \
        "$(stat -c %s "$work/out.vesk")" "$(gzip -6 -c "$input" | wc -c)" "$(stat -c %s "$work/msconvert/zlib.mzML")" <<'PY'
import sys
name, size, ow, oc, rss, tw, tc, vesk, gz, zl = sys.argv[1], *map(float, sys.argv[2:])
mb = size / 1e6
print(f"{name:<30} {mb:6.2f} | {ow:7.3f} {oc:7.3f} {mb/oc:6.1f} {rss/1024:6.1f} | {tw:7.3f} {tc:7.3f} {mb/tc:6.1f} |"
      f" {tw/ow:5.2f}x {tc/oc:5.2f}x | {vesk/1e6:6.2f} {gz/1e6:6.2f} {zl/1e6:6.2f}")
PY
done
echo "MB/s use CPU time. wall, cpu: msconvert's time over ours (above 1 = our import is faster). The import"
echo "reads the input on one thread while it stores scans on another, so it gains on wall time where cores are free."
echo "Sizes in MB. gzip: the input mzML compressed whole with gzip -6; zlib: msconvert's mzML with zlib-compressed arrays."
