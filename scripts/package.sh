#!/usr/bin/env bash
# Builds the Debian package (ostrand_VERSION_ARCH.deb) on a Debian 12 machine: installs what
# building needs, builds as scripts/test.sh does (so the two share one build folder) and runs cpack.
# Usage: scripts/package.sh [BUILD_DIR]; the package is left in BUILD_DIR (default build/).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(realpath -m "${1:-$here/build}")

bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh" "$build_dir" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
rm -f "$build_dir"/ostrand_*.deb
(cd "$build_dir" && cpack -G DEB >/dev/null)
ls "$build_dir"/ostrand_*.deb
