#!/usr/bin/env bash
# Starts Quirvel under Wine on a virtual display with a given ledger and
# saves a screenshot of the screen.
#   scripts/screenshot.sh LEDGER OUT.png [x,y ...]
# Each x,y is a mouse click (screen pixels) made before the picture is
# taken, for example on a tab. The program runs from a folder of its own,
# so its settings file there names the ledger. SHOT_PLACEMENT="LEFT TOP
# WIDTH HEIGHT MAXIMISED" adds the window's place to those settings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
ledger=$(realpath "$1")
out=$(realpath -m "$2")
shift 2
source "$root/scripts/wine-env.sh"
pick_build "screenshot: starting"
"$root/scripts/build.sh" "$build" --target Quirvel >/dev/null
trap stop_wine EXIT
start_display
boot_prefix "$root/build/$build/wineprefix"
run="$root/build/shot"
rm -rf "$run" && mkdir -p "$run"
cp "$root/build/$build/Quirvel.exe" "$run/"
printf '%s\r\n.0625\r\n0\r\n0\r\n0\r\n' "$(winepath -w "$ledger")" > "$run/quirvel.ini"
if [ -n "${SHOT_PLACEMENT:-}" ]; then printf '%s\r\n' $SHOT_PLACEMENT >> "$run/quirvel.ini"; fi
wine "$run/Quirvel.exe" >/dev/null 2>&1 &
sleep "${SHOT_DELAY:-4}"
for click in "$@"; do
  xdotool mousemove "${click%,*}" "${click#*,}" click 1
  sleep 1
done
import -window root "$out"
echo "screenshot saved to $out"
