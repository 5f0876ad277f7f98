# Sourced by the scripts that run Quirvel under Wine: a 32-bit prefix of
# the build's own, a virtual X display, and a wineserver kept alive.
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# start_display: uses $DISPLAY when it answers, else starts Xvfb.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  QUIRVEL_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "wine-env: the virtual display did not start" >&2
  return 1
}

# boot_prefix DIR: creates the Wine prefix once and keeps wineserver running.
boot_prefix() {
  export WINEPREFIX="$1"
  if [ ! -f "$WINEPREFIX/.quirvel-ready" ]; then
    echo "wine-env: creating the Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # One virtual desktop window holds every Wine window: with no window
    # manager on the virtual display, hiding a top-level window would
    # otherwise wait two seconds for a manager that never answers.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quirvel-ready"
  fi
  wineserver -p >/dev/null 2>&1 || true
  # Start Wine's background services now, detached from our output: started
  # later by a test they would inherit CTest's pipe and keep it waiting.
  wineboot >/dev/null 2>&1 </dev/null || true
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  [ -n "${QUIRVEL_XVFB_PID:-}" ] && kill "$QUIRVEL_XVFB_PID" >/dev/null 2>&1 || true
}
