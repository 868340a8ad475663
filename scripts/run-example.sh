#!/usr/bin/env bash
# The main job on the bundled example: sets up a fresh Debian 12 machine, builds, generates the
# bundled example acquisition (a seeded synthetic data-dependent TOF run with its ground truth and
# protein list), shows what the file holds and exports it to a query file for a search engine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/example}

bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh" "$here/build"

mkdir -p "$out"
"$here/build/bin/vesk" generate --minutes 2 --seed 1 -o "$out/example.vesk"
"$here/build/bin/vesk" info "$out/example.vesk"
"$here/build/bin/ostrand-export" "$out/example.vesk" -o "$out/example.sxq"
echo "Example acquisition: $out/example.vesk (ground truth: $out/example.truth.json," \
  "proteins: $out/example.fasta); query file: $out/example.sxq"
