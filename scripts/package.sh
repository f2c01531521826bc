#!/usr/bin/env bash
# `make package`: sets up, builds the release program (build/windows/Wrenquil.exe) and makes
#   dist/Wrenquil-<version>-setup.exe     the installer (installer/wrenquil.nsi, built with NSIS)
#   dist/Wrenquil-<version>-portable.zip  Wrenquil.exe and README.txt, to unzip anywhere
# with the version and the window title the build made from CMake's project version.
# Both are reproducible: the same sources give the same bytes, whatever the build tree's path
# and the files' times (tests/installer/ checks it with a second, clean build).
#
# Options (for that check): --build-dir DIR builds in DIR (configured from the windows preset,
# without the tests) instead of build/windows; --dist-dir DIR puts the artefacts there.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)

build_dir=""
dist_dir=$repo/dist
while [ $# -gt 0 ]; do
  case "$1" in
  --build-dir) build_dir=$(realpath -m "$2"); shift 2 ;;
  --dist-dir) dist_dir=$(realpath -m "$2"); shift 2 ;;
  *) echo "usage: $0 [--build-dir DIR] [--dist-dir DIR]" >&2; exit 2 ;;
  esac
done

cd "$repo"
"$here/setup.sh"

if [ -z "$build_dir" ]; then
  build_dir=$repo/build/windows
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target wrenquil_release -j2
else
  # Another tree, from the same preset and with the gateway host of build/windows if it has one.
  host_option=()
  host=$(sed -n 's/^WRENQUIL_GATEWAY_HOST:STRING=//p' build/windows/CMakeCache.txt 2>/dev/null || true)
  [ -z "$host" ] || host_option=("-DWRENQUIL_GATEWAY_HOST=$host")
  cmake --preset windows -B "$build_dir" -DWRENQUIL_TESTS=OFF "${host_option[@]}" >/dev/null
  cmake --build "$build_dir" --target wrenquil_release -j2
fi
exe=$build_dir/Wrenquil.exe
generated() { sed -n "s/^#define $1 \"\(.*\)\"$/\1/p" "$build_dir/generated/wrenquil_version.h"; }
title=$(generated WRENQUIL_MAIN_WINDOW_TITLE)
version=${title##* v}

# The files as they are shipped: the README with Windows line ends.
stage=$build_dir/package
rm -rf "$stage"
mkdir -p "$stage" "$dist_dir"
cp "$exe" "$stage/Wrenquil.exe"
sed -e "s/@VERSION@/$version/g" -e 's/\r*$/\r/' packaging/README-Windows.txt >"$stage/README.txt"

setup=$dist_dir/Wrenquil-$version-setup.exe
portable=$dist_dir/Wrenquil-$version-portable.zip

# Written next to their final names and moved there when complete.
makensis -V2 -DVERSION="$version" -DWINDOW_TITLE="$title" -DEXE_FILE="$stage/Wrenquil.exe" \
  -DREADME_FILE="$stage/README.txt" -DICON_FILE="$build_dir/generated/wrenquil.ico" \
  -DOUT_FILE="$setup.part" installer/wrenquil.nsi
mv "$setup.part" "$setup"

python3 - "$portable.part" "$stage/Wrenquil.exe" "$stage/README.txt" <<'PY'
import sys, zipfile
from pathlib import Path
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    for file in map(Path, sys.argv[2:]):
        # Every file carries the same time.
        entry = zipfile.ZipInfo(file.name, date_time=(2026, 1, 1, 0, 0, 0))
        entry.create_system = 0         # made "on MS-DOS": Windows attributes, not Unix modes
        entry.external_attr = 0x20      # FILE_ATTRIBUTE_ARCHIVE
        entry.compress_type = zipfile.ZIP_DEFLATED
        archive.writestr(entry, file.read_bytes(), compresslevel=9)
PY
mv "$portable.part" "$portable"

for artefact in "$exe" "$setup" "$portable"; do
  printf 'package: %s  %s (%s bytes)\n' "$(sha256sum <"$artefact" | cut -c1-64)" \
    "${artefact#"$repo"/}" "$(stat -c %s "$artefact")"
done
