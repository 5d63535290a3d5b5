# Sourced by the Wine scripts: the build tree's private prefixes and a quiet Wine.
# QV_BUILD must name the Windows build tree.
mkdir -p "$QV_BUILD" && QV_BUILD=$(cd "$QV_BUILD" && pwd)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
qv_prefix64="$QV_BUILD/wineprefix"
qv_prefix32="$QV_BUILD/wineprefix32"

# Creates a prefix once (under a lock, so parallel tests wait for the first one).
qv_ensure_prefix() {
  local prefix=$1 arch=$2
  [ -f "$prefix/.qv-ready" ] && return 0
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/.qv-ready" ]; then
      rm -rf "$prefix"
      if [ "$arch" = win32 ]; then
        WINEARCH=win32 WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1
      else
        WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1
      fi
      WINEPREFIX="$prefix" wineserver -w
      touch "$prefix/.qv-ready"
    fi
  ) 9>"$prefix.lock"
}

# Starts Xvfb on a free display when none is set; sets qv_xvfb_pid to stop it later.
qv_xvfb_pid=""
qv_ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    qv_xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$qv_xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "wine-env: could not start Xvfb" >&2
  return 1
}
