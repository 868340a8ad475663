#!/usr/bin/env bash
# Installs, on top of the build and test packages, the outside tools the benchmarks compare with
# or run: two search engines (Comet and X!Tandem), ProteoWizard's msconvert, OpenMS's peak picker, and timers.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/install-deps.sh" comet-ms tandem-mass libpwiz-tools topp hyperfine time
