#!/usr/bin/env bash
# The main job on the bundled example: sets up a fresh Debian 12 machine, builds, generates the
# bundled example acquisition (a seeded synthetic data-dependent TOF run with its ground truth and
# protein list) and shows what the file holds. Exporting it to a query file arrives with the
# export engine; until then this is as far as the main job goes.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/example}

bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh" "$here/build"

mkdir -p "$out"
"$here/build/bin/vesk" generate --minutes 2 --seed 1 -o "$out/example.vesk"
"$here/build/bin/vesk" info "$out/example.vesk"
echo "Example acquisition: $out/example.vesk (ground truth: $out/example.truth.json)"
