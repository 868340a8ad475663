#!/usr/bin/env bash
# Configures and builds the project with warnings as errors.
# Usage: scripts/build.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$here/build}
shift || true
# A compiler cache, where one is installed, makes rebuilds after small changes short.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTRAND_WERROR=ON "${launcher[@]}" "$@" \
  >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
