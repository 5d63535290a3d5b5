#!/usr/bin/env bash
# CTest's emulator for the Windows tree: runs one program in the build tree's private prefix.
#   wine-run.sh BUILD_DIR [--win32] PROGRAM [ARGS...]
# --win32 runs it in the 32-bit prefix instead of the default 64-bit (WOW64) one.
set -u
QV_BUILD=$1; shift
. "$(dirname "$0")/wine-env.sh"
prefix=$qv_prefix64 arch=win64
if [ "${1:-}" = --win32 ]; then prefix=$qv_prefix32 arch=win32; shift; fi
qv_ensure_prefix "$prefix" "$arch" || { echo "wine-run: cannot create $prefix" >&2; exit 1; }
qv_ensure_display || exit 1
export WINEPREFIX=$prefix
wine "$@"
rc=$?
if [ -n "$qv_xvfb_pid" ]; then
  # The display was ours: let the prefix's programs end before taking it away.
  wineserver -w
  kill "$qv_xvfb_pid" 2>/dev/null
fi
exit $rc
