#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (run as root).
# Does nothing, quickly, when everything is there.
set -euo pipefail

need_cmds=(i686-w64-mingw32-g++-posix i686-w64-mingw32-windres wine Xvfb cmake ninja g++)
missing=0
for c in "${need_cmds[@]}"; do command -v "$c" >/dev/null 2>&1 || missing=1; done
[ -f /usr/src/googletest/CMakeLists.txt ] || missing=1
dpkg -s wine32:i386 >/dev/null 2>&1 || missing=1
[ "$missing" = 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "setup: packages are missing and this is not root; install them or run as root" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -q
apt-get install -y -q --no-install-recommends \
  g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 wine64 xvfb xauth \
  cmake ninja-build g++ googletest make
