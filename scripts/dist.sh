#!/usr/bin/env bash
# Lays out the demo disc: the demo's data files, Setup.exe, and the component libraries and
# helper programs at their default places (the build writes their list to disc-files.txt).
#   dist.sh WIN_BUILD_DIR DEST_DIR
set -euo pipefail
build=$1 dest=$2
top=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$dest"
mkdir -p "$dest"
cp -a "$top/examples/demo/." "$dest/"
cp "$build/app/Setup.exe" "$dest/Setup.exe"
if [ -f "$build/disc-files.txt" ]; then
  while IFS=$'\t' read -r file rel; do
    [ -n "$file" ] || continue
    mkdir -p "$dest/$(dirname "$rel")"
    cp "$file" "$dest/$rel"
  done <"$build/disc-files.txt"
fi
echo "disc image: $dest"
