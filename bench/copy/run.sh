#!/usr/bin/env bash
# Runs the copy benchmark in the Windows build tree's prefix.
#   bench/copy/run.sh BUILD_DIR [files] [megabytes]
set -u
build=$(cd "${1:?usage: run.sh BUILD_DIR [files] [megabytes]}" && pwd) || exit 1
shift
exe=$build/bench/copy/copy_bench.exe
[ -f "$exe" ] || { echo "no $exe: build the copy_bench target first" >&2; exit 1; }
exec "$(dirname "$0")/../../scripts/wine-run.sh" "$build" "$exe" "$@"
