#!/usr/bin/env bash
# Replace and delete at restart, for real: in a private copy of the build tree's prefix (a
# restart must never touch the shared one), copy_restart_setup.exe replaces two files and
# deletes one while they are held open; after `wineboot -r` the new contents must be in place
# and the deleted file gone.
#   copy_restart.sh BUILD_DIR SETUP_EXE
set -u
QV_BUILD=$1
setup_exe=$2
. "$(dirname "$0")/../../scripts/wine-env.sh"
qv_ensure_prefix "$qv_prefix64" win64 || { echo "cannot create $qv_prefix64" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/qvcopy-restart.XXXXXX") || exit 1
prefix=$work/prefix
cleanup() {
  [ -d "$prefix" ] && WINEPREFIX=$prefix wineserver -k 2>/dev/null
  [ -n "$qv_xvfb_pid" ] && kill "$qv_xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The DLL folders are only read once a prefix exists, so hard links spare copying a gigabyte;
# everything a run writes (registry, Windows directory, users) is copied.
mkdir -p "$prefix/drive_c/windows"
for entry in "$qv_prefix64"/* "$qv_prefix64"/.update-timestamp; do
  name=${entry##*/}
  [ "$name" = drive_c ] || cp -a "$entry" "$prefix/" || exit 1
done
for entry in "$qv_prefix64"/drive_c/*; do
  name=${entry##*/}
  [ "$name" = windows ] || cp -a "$entry" "$prefix/drive_c/" || exit 1
done
for entry in "$qv_prefix64"/drive_c/windows/*; do
  case ${entry##*/} in
    system32|syswow64|winsxs) cp -al "$entry" "$prefix/drive_c/windows/" 2>/dev/null || cp -a "$entry" "$prefix/drive_c/windows/" ;;
    *) cp -a "$entry" "$prefix/drive_c/windows/" ;;
  esac || exit 1
done

qv_ensure_display || exit 1
export WINEPREFIX=$prefix
dir=$prefix/drive_c/qvrestart

wine "$setup_exe" 'C:\qvrestart' || { echo "setup failed" >&2; exit 1; }
wineserver -w
[ -f "$prefix/drive_c/windows/wininit.ini" ] || { echo "no wininit.ini rename list" >&2; exit 1; }

wineboot -r >/dev/null 2>&1
wineserver -w

rc=0
expect() {  # file, content
  local got
  got=$(cat "$dir/$1" 2>/dev/null)
  if [ "$got" = "$2" ]; then echo "$1: $2"; else echo "$1: expected '$2', found '$got'" >&2; rc=1; fi
}
expect nt.txt "new nt"
expect w9x.txt "new 9x"
if [ -e "$dir/doomed.txt" ]; then echo "doomed.txt still there" >&2; rc=1; else echo "doomed.txt: gone"; fi
# Nothing of the waiting copies is left beside the replaced files.
leftover=$(ls "$dir" | grep -vx -e new_nt.txt -e nt.txt -e new_9x.txt -e w9x.txt)
[ -z "$leftover" ] || { echo "left behind: $leftover" >&2; rc=1; }
exit $rc
