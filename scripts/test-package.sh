#!/usr/bin/env bash
# Checks the Debian package as a user meets it, without installing it: unpacked (dpkg -x) into an
# empty folder, its programs run from there and must find their libraries and the script library
# in the package, not in the build tree; an export must equal the build tree's byte for byte.
# Usage: scripts/test-package.sh [BUILD_DIR] (after scripts/package.sh BUILD_DIR).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(realpath -m "${1:-$here/build}")
deb=$(ls "$build_dir"/ostrand_*.deb)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
mkdir "$root" "$work/data"
dpkg -x "$deb" "$root"
export OSTRAND_SETTINGS_DIR=$work/settings QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

fail() {
  echo "test-package: $*" >&2
  exit 1
}

echo "== package fields"
fields=$(dpkg-deb -f "$deb" Package Depends Recommends)
echo "$fields"
for needed in 'libqt6core6' 'libsqlite3-0' 'Recommends: chromium, chromium-driver'; do
  grep -q "$needed" <<<"$fields" || fail "the package's fields lack '$needed'"
done

echo "== files"
for file in usr/bin/vesk usr/bin/ostrand-export usr/bin/vesk-viewer usr/bin/quorvel \
  usr/lib/ostrand/libostrand.so usr/lib/ostrand/libhooklogger.so \
  usr/share/applications/vesk-viewer.desktop usr/share/applications/quorvel.desktop \
  usr/share/mime/packages/vesk.xml usr/share/icons/hicolor/scalable/apps/vesk-viewer.svg \
  usr/share/icons/hicolor/scalable/apps/quorvel.svg usr/share/ostrand/workflow/Snakefile \
  usr/share/man/man1/vesk.1.gz usr/share/man/man1/ostrand-export.1.gz \
  usr/share/man/man1/vesk-viewer.1.gz usr/share/man/man1/quorvel.1.gz; do
  [ -e "$root/$file" ] || fail "$file is not in the package"
done
zcat "$root/usr/share/man/man1/ostrand-export.1.gz" | grep -qF 'print\-params' ||
  fail "the manual page of ostrand-export does not describe its options"

echo "== libraries resolve inside the package"
for binary in "$root"/usr/bin/* "$root"/usr/lib/ostrand/*.so; do
  resolved=$(ldd "$binary")
  grep -q 'not found' <<<"$resolved" && fail "$binary: $(grep 'not found' <<<"$resolved")"
  grep -q "$build_dir" <<<"$resolved" && fail "$binary loads from the build tree: $resolved"
  if readelf -d "$binary" | grep -E 'RPATH|RUNPATH' | grep -v '\$ORIGIN' | grep -q .; then
    fail "$binary has a search path that is not relative to itself: $(readelf -d "$binary" | grep PATH)"
  fi
done

echo "== the Vesk file type opens in the viewer"
cp -r "$root/usr/share/mime" "$work/mime"
XDG_DATA_DIRS=$work update-mime-database "$work/mime"
grep -q 'application/x-vesk:\*\.vesk' "$work/mime/globs2" || fail "*.vesk is not registered"
grep -q '^MimeType=application/x-vesk;' "$root/usr/share/applications/vesk-viewer.desktop" ||
  fail "the viewer's desktop entry does not open Vesk files"

echo "== programs run from the unpacked package"
"$root/usr/bin/ostrand-export" --print-params >"$work/params.txt" || fail "ostrand-export --print-params failed"
"$build_dir/bin/ostrand-export" --print-params >"$work/params-build.txt"
cmp -s "$work/params.txt" "$work/params-build.txt" || fail "--print-params differs from the build tree's"
[ "$(wc -l <"$work/params.txt")" -eq 2 ] || fail "--print-params did not print two lists"
"$root/usr/bin/vesk" generate --minutes 0.5 --seed 7 --quiet -o "$work/data/run.vesk" >/dev/null
"$root/usr/bin/ostrand-export" "$work/data/run.vesk" -o "$work/data/package.sxq" --keys MSMSAveNeedXPeaks, \
  --values 8, || fail "the Vesk export failed"
"$build_dir/bin/ostrand-export" "$work/data/run.vesk" -o "$work/data/build.sxq" --keys MSMSAveNeedXPeaks, \
  --values 8, >/dev/null
cmp "$work/data/package.sxq" "$work/data/build.sxq" || fail "the package's export differs from the build tree's"
"$root/usr/bin/vesk-viewer" --help | grep -q -- '--run-script' || fail "vesk-viewer --help"
"$root/usr/bin/quorvel" --help | grep -q -- '--script' || fail "quorvel --help"
# With no script chosen, Quorvel runs the batch on the package's script library and saves that choice.
"$root/usr/bin/quorvel" --run "$work/data/run.vesk" 2>/dev/null || fail "quorvel --run with its default script"
grep -qF "Script%20Path=$root/usr/lib/ostrand/libostrand.so" "$OSTRAND_SETTINGS_DIR/applications/Acq Quorvel.ini" ||
  fail "Quorvel's default script is not the package's libostrand.so"
echo "test-package: $(basename "$deb") works unpacked"
