#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing the project need.
# Idempotent: packages already installed are skipped. Run as root (or through sudo).
set -euo pipefail

# Packages named on the command line are installed as well (the benchmarks' tools use this).
packages=("$@"
  build-essential cmake ninja-build pkg-config clang-format clang-tidy
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-svg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev zlib1g-dev
  libx11-dev libxtst-dev xvfb xauth x11-utils
  chromium chromium-driver
  libpwizlite-dev libboost-dev libboost-iostreams-dev libboost-filesystem-dev
  libboost-thread-dev libboost-chrono-dev
  libpwiz-tools
  fonts-dejavu-core locales python3
  dpkg-dev file help2man shared-mime-info snakemake
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
else
  echo "install-deps: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Number text must not follow the locale; tests check that under a comma-decimal locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  "${sudo_cmd[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi
