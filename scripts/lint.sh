#!/usr/bin/env bash
# Checks the sources against the project's .clang-format and, with --tidy, .clang-tidy (slow: every
# library and program source, from a configured build folder's compile commands).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "lint: clang-format clean"

if [ "${1:-}" = "--tidy" ]; then
  # Precompiled headers are the compiler's own format, so the tidy build folder goes without them.
  cmake -S . -B build-tidy -G Ninja -DCMAKE_DISABLE_PRECOMPILE_HEADERS=ON -DOSTRAND_BUILD_BENCHMARKS=ON >/dev/null
  git ls-files '*.cpp' | grep -v -E '/tests?/|^bench/|testsupport' |
    xargs -P "$(nproc)" -n 4 clang-tidy -p build-tidy --quiet
  echo "lint: clang-tidy clean"
fi
