# Sourced by the scripts: Wine prefixes per architecture and a private X server.
# Usage: wine_prefix ARCH BUILD_DIR   -> exports WINEPREFIX, WINEARCH (makes the prefix once)
#        start_xvfb                   -> exports DISPLAY, XVFB_PID (a free display number)
#        stop_xvfb

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_prefix() {
  local arch=$1 dir=$2
  if [ "$arch" = i686 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
  export WINEPREFIX="$dir/wineprefix"
  if [ ! -f "$WINEPREFIX/.brivane-ready-3" ]; then
    rm -rf "$WINEPREFIX"
    (cd / && wine wineboot -i >/dev/null 2>&1) || true
    wineserver -w
    # Without Wine's own fonts "Tahoma" and "MS Sans Serif" fall back to other faces.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    # Every program runs in Wine's virtual desktop: top-level windows get their frames
    # drawn by Wine and nothing waits for a window manager that Xvfb does not have.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.brivane-ready-3"
  fi
}

start_xvfb() {
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      XVFB_PID=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 50); do
        if xdpyinfo -display ":$n" >/dev/null 2>&1; then return 0; fi
        if ! kill -0 "$XVFB_PID" 2>/dev/null; then break; fi
        sleep 0.1
      done
    fi
  done
  echo "no free X display for Xvfb" >&2
  return 1
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
  XVFB_PID=""
}

# Builds one architecture with its output in a log file; on failure prints the log's tail
# and its path and fails. Usage: build_logged ARCH LOGFILE
build_logged() {
  local arch=$1 log=$2
  mkdir -p "$(dirname "$log")"
  if ! "$(dirname "${BASH_SOURCE[0]}")/build" "$arch" >"$log" 2>&1; then
    tail -n 20 "$log" >&2
    echo "build failed; the whole log: $log" >&2
    return 1
  fi
}

# A Unix path as a Windows program under Wine reaches it (drive Z:).
windows_path() { printf 'Z:%s' "$(realpath "$1" | tr / '\\')"; }
