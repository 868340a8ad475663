#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds with warnings as errors and runs every test, builds the
# Debian package and runs its programs unpacked; then builds and runs the tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

bash "$here/scripts/install-deps.sh"
bash "$here/scripts/lint.sh"

echo "== build and test (warnings as errors)"
# Optimised without debug information, so that the cold build stays short; the benchmarks are
# built too, so that a change that breaks them shows here.
bash "$here/scripts/build.sh" "$here/build" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
  -DOSTRAND_BUILD_BENCHMARKS=ON
ctest --test-dir "$here/build" --output-on-failure --parallel "$jobs" --timeout 300

echo "== the Debian package, unpacked into an empty folder"
bash "$here/scripts/package.sh" "$here/build"
bash "$here/scripts/test-package.sh" "$here/build"

echo "== build and test under AddressSanitizer and UndefinedBehaviorSanitizer"
bash "$here/scripts/build.sh" "$here/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DOSTRAND_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$here/build-sanitize" --output-on-failure --parallel "$jobs" --timeout 600
