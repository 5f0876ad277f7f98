# Sourced by the scripts that run Quirvel under Wine: the Wine of the build
# being run, a prefix of the build's own, a virtual X display, and a
# wineserver kept alive.
#
# There are two builds: build/win (32-bit, the program as it ships) runs
# under 32-bit Wine in a win32 prefix, build/win64 under 64-bit Wine in a
# win64 prefix. Some machines run no 32-bit code at all; there only the
# 64-bit build can run. QUIRVEL_WINE_BUILD (win or win64, default win) says
# which build a script runs; use_wine_build switches.
# QUIRVEL_NO_32BIT=1 makes these scripts treat the machine as one that runs
# no 32-bit code, so that the 64-bit path can be tried anywhere.
quirvel_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# use_wine_build win|win64: the Wine that runs that build, for this script
# and everything it starts.
use_wine_build() {
  local shims="$quirvel_scripts/wine64" path=":$PATH:"
  path=${path//":$shims:"/:}
  path=${path#:}
  path=${path%:}
  case "$1" in
    win)
      export WINEARCH=win32
      unset WINELOADER WINESERVER
      export PATH="$path" ;;
    win64)
      export WINEARCH=win64
      export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
      export PATH="$shims:$path" ;;
    *) echo "wine-env: no build $1 (win or win64)" >&2; return 2 ;;
  esac
  export QUIRVEL_WINE_BUILD=$1
}

# runs_32bit: true when this machine runs 32-bit Wine. Asked once and kept
# in QUIRVEL_RUNS_32BIT for every script started from here.
runs_32bit() {
  if [ -z "${QUIRVEL_RUNS_32BIT:-}" ]; then
    QUIRVEL_RUNS_32BIT=no
    if [ "${QUIRVEL_NO_32BIT:-}" = 1 ]; then
      QUIRVEL_WHY_NO_32BIT="QUIRVEL_NO_32BIT=1 says to treat this machine as one that runs no 32-bit code"
    elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
      QUIRVEL_RUNS_32BIT=yes
    else
      QUIRVEL_WHY_NO_32BIT="this machine runs no 32-bit code: /usr/lib/wine/wine --version fails ($(/usr/lib/wine/wine --version 2>&1 | tail -n 1))"
    fi
    export QUIRVEL_RUNS_32BIT QUIRVEL_WHY_NO_32BIT
  fi
  [ "$QUIRVEL_RUNS_32BIT" = yes ]
}

runs_64bit() { /usr/lib/wine/wine64 --version >/dev/null 2>&1; }

# runnable_builds: the builds this machine can run, 32-bit first; nothing
# (and a message) when it can run neither.
runnable_builds() {
  local builds=()
  runs_32bit && builds+=(win)
  runs_64bit && builds+=(win64)
  if [ ${#builds[@]} = 0 ]; then
    echo "wine-env: this machine runs neither 32-bit nor 64-bit Wine (/usr/lib/wine/wine64 --version: $(/usr/lib/wine/wine64 --version 2>&1 | tail -n 1))" >&2
    return 1
  fi
  echo "${builds[@]}"
}

# pick_build SAYING: the build to run here, the 32-bit one where the machine
# runs 32-bit code, else the 64-bit one (QUIRVEL_BUILD names one instead);
# sets $build, switches to its Wine
# and says in one line, after SAYING, which one and why.
pick_build() {
  if [ -n "${QUIRVEL_BUILD:-}" ]; then  # asked for by name: win or win64
    build=$QUIRVEL_BUILD
    echo "$1 the Quirvel of build/$build, as QUIRVEL_BUILD asks"
  elif runs_32bit; then
    build=win
    echo "$1 the 32-bit Quirvel (build/win): this machine runs 32-bit code"
  else
    runnable_builds >/dev/null || return 1
    build=win64
    echo "$1 the 64-bit Quirvel (build/win64): $QUIRVEL_WHY_NO_32BIT"
  fi
  use_wine_build "$build"
}

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
    # A win64 prefix made by 64-bit Wine alone says that it cannot open
    # syswow64\rundll32.exe: it has no 32-bit half, and needs none.
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

# stop_prefix: ends the current prefix's wineserver and its programs.
stop_prefix() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
}

stop_wine() {
  stop_prefix
  [ -n "${QUIRVEL_XVFB_PID:-}" ] && kill "$QUIRVEL_XVFB_PID" >/dev/null 2>&1 || true
}

use_wine_build "${QUIRVEL_WINE_BUILD:-win}"
