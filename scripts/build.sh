#!/usr/bin/env bash
# Configures and builds the project with warnings as errors.
# Usage: scripts/build.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$here/build}
shift || true
# A compiler cache, where one is installed, makes rebuilds after small changes short.
launcher=()
# The tests' precompiled headers are cacheable only when ccache may ignore their time stamps.
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  export CCACHE_BASEDIR=$here
fi
cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTRAND_WERROR=ON "${launcher[@]}" "$@" \
  >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
