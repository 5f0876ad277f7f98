#!/usr/bin/env bash
# Starts Quirvel under Wine on a virtual display with a given ledger and
# saves a screenshot of the screen.
#   scripts/screenshot.sh LEDGER OUT.png [x,y ...]
# Each x,y is a mouse click (screen pixels) made before the picture is
# taken, for example on a tab. The program runs from a folder of its own,
# so its settings file there names the ledger. SHOT_PLACEMENT="LEFT TOP
# WIDTH HEIGHT MAXIMISED" adds the window's place to those settings.
# SHOT_KEYS="alt+v c" presses those keys (xdotool's names, a second apart)
# before the clicks, for example to open View > Schedule C:
#   SHOT_KEYS="alt+v c" scripts/screenshot.sh samples/demo.qvl sc.png
# SHOT_CROP="WIDTHxHEIGHT+LEFT+TOP" keeps only that part of the screen (a
# window's place on Wine's 1024x768 desktop).
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
for key in ${SHOT_KEYS:-}; do
  xdotool key "$key"
  sleep 1
done
for click in "$@"; do
  xdotool mousemove "${click%,*}" "${click#*,}" click 1
  sleep 1
done
if [ -n "${SHOT_CROP:-}" ]; then
  import -window root -crop "$SHOT_CROP" +repage "$out"
else
  import -window root "$out"
fi
echo "screenshot saved to $out"
