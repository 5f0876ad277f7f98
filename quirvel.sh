#!/usr/bin/env bash
# Sets up what is missing, builds Quirvel.exe and its help, and starts it
# under Wine on the demonstration ledger (a bicycle shop's year 2025, whose
# books remember the archive file of its year 2024). The program runs from
# build/demo, a folder of its own with fresh copies of the ledger and the
# archive, the side file that makes the books remember it, and settings that
# name the ledger, so a user's own books are never touched.
# On a machine without a screen it runs on a virtual display and saves a
# screenshot instead. The 32-bit program is started where the machine runs
# 32-bit code, the 64-bit one where it does not.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
scripts/setup.sh
source scripts/wine-env.sh
pick_build "quirvel: starting"
scripts/build.sh "$build" --target Quirvel helpfile htmlhelp
# The display comes first: Wine's desktop starts with the prefix's services.
headless=1
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then headless=0; fi
if [ "$headless" = 1 ]; then
  trap stop_wine EXIT
  start_display
fi
boot_prefix "$root/build/$build/wineprefix"

demo="$root/build/demo"
rm -rf "$demo" && mkdir -p "$demo"
cp "build/$build/Quirvel.exe" "build/$build/Quirvel.chm" "$demo/"
# Under Wine, F1 opens these pages in the browser: the help file shows blank.
cp -r "build/$build/help" "$demo/help"
cp samples/demo.qvl "$demo/demo.qvl"
cp samples/demo-2024.qvl "$demo/demo-2024.qvl"
# The side file that remembers the archive, by the path Quirvel opens it by.
python3 scripts/write_demo_side_file.py "$demo/demo.qvl" "$(winepath -w "$demo/demo-2024.qvl")"
# Settings: the ledger, then the state, county, local and district rates.
printf '%s\r\n.0625\r\n0\r\n.01\r\n0\r\n' "$(winepath -w "$demo/demo.qvl")" > "$demo/quirvel.ini"

if [ "$headless" = 0 ]; then
  exec wine "$demo/Quirvel.exe"
fi
wine "$demo/Quirvel.exe" >/dev/null 2>&1 &
for _ in $(seq 100); do xdotool search --name '^Quirvel$' >/dev/null 2>&1 && break; sleep 0.2; done
sleep 2
shot="$root/build/quirvel-screen.png"
import -window root "$shot"
echo "Quirvel is running on a virtual display (no screen here); screenshot saved to $shot"
