#!/usr/bin/env bash
# Runs the demo disc's installer under Wine in a prefix of its own (on $DISPLAY, else on an
# Xvfb display started here) and shows where its log went.
#   demo.sh WIN_BUILD_DIR DISC_DIR [installer arguments...]
set -uo pipefail
QV_BUILD=$1 disc=$(cd "$2" && pwd); shift 2
args=("$@")
[ ${#args[@]} -gt 0 ] || args=(/S)
. "$(dirname "$0")/wine-env.sh"
prefix=$QV_BUILD/wineprefix-demo
qv_ensure_prefix "$prefix" win64 || exit 1
qv_ensure_display || exit 1
export WINEPREFIX=$prefix
temp=$(WINEPREFIX=$prefix wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
temp_unix=$(winepath -u "$temp" 2>/dev/null)
before=$(ls "$temp_unix"/Setup.exe*.log 2>/dev/null)
echo "running: Setup.exe ${args[*]}"
(cd "$disc" && wine ./Setup.exe "${args[@]}")
rc=$?
wineserver -w
[ -n "$qv_xvfb_pid" ] && kill "$qv_xvfb_pid" 2>/dev/null
echo "exit code: $rc"
for f in $(ls -t "$temp_unix"/Setup.exe*.log 2>/dev/null); do
  if ! grep -qxF "$f" <<<"$before"; then
    echo "log: $f"
    sed 's/\r$//' "$f"
    break
  fi
done
exit 0
