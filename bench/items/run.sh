#!/usr/bin/env bash
# Runs the item-collection memory benchmark in the Windows build tree's prefix.
#   bench/items/run.sh BUILD_DIR [items]
set -u
build=$(cd "${1:?usage: run.sh BUILD_DIR [items]}" && pwd) || exit 1
shift
exe=$build/bench/items/items_bench.exe
[ -f "$exe" ] || { echo "no $exe: build the items_bench target first" >&2; exit 1; }
exec "$(dirname "$0")/../../scripts/wine-run.sh" "$build" "$exe" "$@"
