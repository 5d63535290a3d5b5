#!/usr/bin/env bash
# Builds both trees and runs every test: native (sanitizers) first, then the Wine tests.
# Starts an Xvfb display when none is set and stops only what it started.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
QV_BUILD=$top/build/win
. "$top/scripts/wine-env.sh"

cleanup() {
  WINEPREFIX=$qv_prefix64 wineserver -k 2>/dev/null || true
  WINEPREFIX=$qv_prefix32 wineserver -k 2>/dev/null || true
  [ -n "$qv_xvfb_pid" ] && kill "$qv_xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

make -C "$top" build
qv_ensure_display
qv_ensure_prefix "$qv_prefix64" win64
qv_ensure_prefix "$qv_prefix32" win32

status=0
echo "== native tests"
ctest --test-dir "$top/build/native" --output-on-failure -j2 || status=1
echo "== Wine tests"
ctest --test-dir "$top/build/win" --output-on-failure -j2 --timeout 300 || status=1
exit $status
