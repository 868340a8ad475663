#!/usr/bin/env bash
# Installs, on top of the build and test packages, the outside tools the benchmarks compare with
# or run: a search engine (Comet), ProteoWizard's msconvert, OpenMS's peak picker, and timers.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/install-deps.sh" comet-ms libpwiz-tools topp hyperfine time
