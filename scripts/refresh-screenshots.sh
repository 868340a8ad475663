#!/usr/bin/env bash
# Refreshes the pictures in docs/screenshots: runs the tests that show each window under the
# offscreen platform (they save into BUILD_DIR/screenshots) and copies what they saved.
# Usage: scripts/refresh-screenshots.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$here/build}
bash "$here/scripts/build.sh" "$build_dir"
rm -f "$build_dir"/screenshots/*.png
ctest --test-dir "$build_dir" --output-on-failure -R 'Screenshot|ViewerSearch'
shopt -s nullglob
pictures=("$build_dir"/screenshots/*.png)
[ ${#pictures[@]} -gt 0 ] || { echo "refresh-screenshots: no test saved a picture" >&2; exit 1; }
cp "${pictures[@]}" "$here/docs/screenshots/"
printf 'refresh-screenshots: %s\n' "${pictures[@]##*/}"
