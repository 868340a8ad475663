#!/usr/bin/env bash
# Configures and builds the project with warnings as errors.
# Usage: scripts/build.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$here/build}
shift || true
# A compiler cache, where one is installed, makes rebuilds after small changes short.
launcher=()
# The tests' precompiled headers are cacheable only when ccache may ignore their time stamps. Paths
# are hashed relative to the checkout and, for builds with debug information, without the build
# folder, so that a fresh clone (as in CI) reuses what an earlier checkout compiled.
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  export CCACHE_BASEDIR=$here
  export CCACHE_NOHASHDIR=1
  # Two full builds plus the cache must fit beside the checkout on a small disk.
  export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-6G}
fi
cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTRAND_WERROR=ON "${launcher[@]}" "$@" \
  >/dev/null
cmake --build "$build_dir" --parallel "$(nproc)"
