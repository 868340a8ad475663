#!/usr/bin/env bash
# Configures and builds the project with warnings as errors.
# Usage: scripts/build.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$here/build}
shift || true
cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTRAND_WERROR=ON "$@" >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
