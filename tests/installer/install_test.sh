#!/usr/bin/env bash
# Installs QuirvelSetup.exe silently under Wine, checks where everything
# landed (the help as plain pages too, in the program and the data folder), runs the installed program through its own window (it must find its
# settings and write them back in the common application-data folder), then
# uninstalls and checks that only the user's ledgers and settings are left.
#   tests/installer/install_test.sh QuirvelSetup.exe WINEPREFIX
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
setup=$(realpath "$1")
prefix=$(realpath -m "$2")
SECONDS=0

# Under ./test.sh the display and the prefix's wineserver are already up and
# are stopped by it; run alone, this script starts and stops its own.
[ -n "${WINEPREFIX:-}" ] && [ "$(realpath -m "$WINEPREFIX")" = "$prefix" ] && own_server=0 || own_server=1
source "$root/scripts/wine-env.sh"
start_display
boot_prefix "$prefix"

say() { echo "install_test: $*"; }
fail() { echo "install_test: FAILED: $*" >&2; exit 1; }

windows_path() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
program_files=$(winepath -u "$(windows_path ProgramFiles)")
program_data=$(winepath -u "$(windows_path ProgramData)")
[ -d "$program_files" ] && [ -d "$program_data" ] || fail "no program-files or application-data folder in $prefix"
install_dir="$program_files/Zembrik/quirvel"
data_dir="$program_data/Zembrik/quirvel"
shortcut="$program_data/Microsoft/Windows/Start Menu/Programs/Quirvel.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zembrik Quirvel'

quirvel_pid=
extension_key='HKLM\Software\Classes\.qvl'
class_key='HKLM\Software\Classes\Quirvel.Ledger'
remove_traces() {
  rm -rf "$program_files/Zembrik" "$program_data/Zembrik" "$shortcut"
  wine reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
  wine reg delete "$extension_key" /f >/dev/null 2>&1 || true
  wine reg delete "$class_key" /f >/dev/null 2>&1 || true
}
cleanup() {
  [ -n "$quirvel_pid" ] && kill "$quirvel_pid" 2>/dev/null || true
  remove_traces
  if [ "$own_server" = 1 ]; then stop_wine; fi
}
trap cleanup EXIT
remove_traces

# wait_for COMMAND...: retries for up to 15 seconds.
wait_for() {
  for _ in $(seq 75); do "$@" && return 0; sleep 0.2; done
  return 1
}
window() { xdotool search --name "^$1\$" 2>/dev/null | head -1; }
has_window() { [ -n "$(window "$1")" ]; }
no_window() { [ -z "$(window "$1")" ]; }
# geometry NAME: the window's left, top, width and height on the screen.
geometry() {
  xwininfo -id "$(window "$1")" |
    awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'
}
# Makes the window active as a user would, with a click on its status bar.
# Not on the caption: two clicks there in a row are a double click, which
# maximises the window, and the program rightly remembers that.
activate() {
  local x y w h
  read -r x y w h < <(geometry "$1")
  xdotool mousemove $((x + w - 40)) $((y + h - 10)) click 1
  sleep 0.3
}

say "installing silently"
wine "$setup" /S
for f in Quirvel.exe Quirvel.chm uninstall.exe; do
  [ -f "$install_dir/$f" ] || fail "$f is not in $install_dir"
done
[ -f "$data_dir/Quirvel.chm" ] || fail "the help file is not in the data folder $data_dir"
# The plain pages: every one of help/, unchanged, in both folders.
help_pages=0
for f in "$root"/help/*.html "$root"/help/*.css "$root"/help/*.png "$root"/help/*.gif "$root"/help/*.jpg; do
  [ -e "$f" ] || continue
  help_pages=$((help_pages + 1))
  for folder in "$install_dir/help" "$data_dir/help"; do
    cmp -s "$f" "$folder/$(basename "$f")" || fail "$(basename "$f") is missing or differs in $folder"
  done
done
[ "$help_pages" -gt 0 ] || fail "no help pages in $root/help to check"
[ -f "$shortcut" ] || fail "no Start-menu shortcut $shortcut"
wine reg query "$uninstall_key" >/dev/null 2>&1 || fail "no uninstall entry in the registry"
[ -e "$data_dir/quirvel.ini" ] && fail "the installer must not write settings"
wine reg query "$extension_key" /ve 2>/dev/null | grep -q 'Quirvel.Ledger' || fail ".qvl files are not registered"
wine reg query "$class_key\shell\open\command" /ve 2>/dev/null | tr -d '\r' | grep -qF 'Quirvel.exe" "%1"' ||
  fail "the .qvl file type does not open with Quirvel.exe"

# A ledger and settings in the data folder, as an earlier run would leave
# them. The rates are written the long way: the program writes them back
# in its own form (.0625), which shows that it rewrote the file.
cp "$root/samples/demo.qvl" "$data_dir/books.qvl"
ledger_windows=$(winepath -w "$data_dir/books.qvl")
printf '%s\r\n0.0625\r\n0\r\n0.01\r\n0\r\n' "$ledger_windows" > "$data_dir/quirvel.ini"
touch -d '2000-01-01' "$data_dir/books.qvl"

say "running the installed Quirvel"
wine "$install_dir/Quirvel.exe" >/dev/null 2>&1 &
quirvel_pid=$!
wait_for has_window Quirvel || fail "the installed Quirvel did not open its window"
sleep 1
activate Quirvel
# File > Save. Had the program not read quirvel.ini it would have no ledger
# path and would ask for a file name instead of saving.
xdotool key alt+f
sleep 0.3
xdotool key s
wait_for has_window "Save File" || fail "File > Save asked nothing"
xdotool key Return
wait_for no_window "Save File" || fail "Save asked for a file name: the settings in $data_dir were not read"
# The box closes before the save writes: give the write its moment.
newer() { [ -n "$(find "$1" -newermt '2001-01-01')" ]; }
wait_for newer "$data_dir/books.qvl" || fail "the ledger named by the settings was not saved"
cmp -s "$root/samples/demo.qvl" "$data_dir/books.qvl" || fail "saving changed the ledger's contents"

# Quit: the save set the settings to be written.
activate Quirvel
xdotool key alt+F4
wait_for has_window "Quit Program" || fail "quitting asked nothing"
xdotool key Return
wait_for bash -c "! kill -0 $quirvel_pid 2>/dev/null" || fail "Quirvel did not end"
quirvel_pid=
expected=$(printf '%s\r\n.0625\r\n0\r\n.01\r\n0\r\n' "$ledger_windows")
[ "$(cat "$data_dir/quirvel.ini")" = "$expected" ] || fail "quirvel.ini in $data_dir was not rewritten at quit: $(cat -A "$data_dir/quirvel.ini")"
[ -e "$install_dir/quirvel.ini" ] && fail "settings were written into the program folder"

say "opening a ledger as a double click does"
# Another ledger than the remembered one, opened through the file type. Save
# must write it (Ctrl+S, the same question as the menu) and leave books.qvl.
cp "$root/samples/sample.qvl" "$data_dir/other.qvl"
touch -d '2000-01-01' "$data_dir/other.qvl" "$data_dir/books.qvl"
(cd "$data_dir" && wine start /unix "$data_dir/other.qvl" >/dev/null 2>&1)
wait_for has_window Quirvel || fail "opening other.qvl did not start Quirvel"
sleep 1
activate Quirvel
xdotool key ctrl+s
wait_for has_window "Save File" || fail "Ctrl+S asked nothing"
xdotool key Return
wait_for no_window "Save File" || fail "Ctrl+S asked for a file name: the ledger given on the command line was not opened"
wait_for newer "$data_dir/other.qvl" || fail "the ledger given on the command line was not saved"
[ "$(find "$data_dir/books.qvl" -newermt '2001-01-01')" ] && fail "the remembered ledger was saved instead of the one opened"
cmp -s "$root/samples/sample.qvl" "$data_dir/other.qvl" || fail "saving changed the opened ledger's contents"
activate Quirvel
xdotool key alt+F4
wait_for has_window "Quit Program" || fail "quitting asked nothing"
xdotool key Return
wait_for no_window Quirvel || fail "Quirvel did not end"
expected=$(printf '%s\r\n.0625\r\n0\r\n.01\r\n0\r\n' "$(winepath -w "$data_dir/other.qvl")")
[ "$(cat "$data_dir/quirvel.ini")" = "$expected" ] || fail "the saved ledger is not remembered: $(cat -A "$data_dir/quirvel.ini")"

say "starting it maximised, as a shortcut set to run maximised does"
# Shown maximised, but nobody placed the window: the settings keep no place.
screen_width=$(xdpyinfo | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
(cd "$data_dir" && wine start /max /unix "$data_dir/other.qvl" >/dev/null 2>&1)
wait_for has_window Quirvel || fail "start /max did not start Quirvel"
maximised() { read -r _ _ w _ < <(geometry Quirvel); [ "$w" -ge "$screen_width" ]; }
wait_for maximised || fail "started maximised, the window is not: $(geometry Quirvel)"
activate Quirvel
xdotool key alt+F4
wait_for has_window "Quit Program" || fail "quitting asked nothing"
xdotool key Return
wait_for no_window Quirvel || fail "Quirvel did not end"
[ "$(cat "$data_dir/quirvel.ini")" = "$expected" ] ||
  fail "a window nobody moved or sized was remembered: $(cat -A "$data_dir/quirvel.ini")"

say "uninstalling silently"
# The uninstaller copies itself away and returns at once; wait for its work,
# to its last step (the registry) after the program and the data folder.
wine "$install_dir/uninstall.exe" /S
uninstalled() {
  [ ! -e "$program_files/Zembrik" ] && [ ! -e "$data_dir/help" ] &&
    ! wine reg query "$extension_key" >/dev/null 2>&1
}
wait_for uninstalled || true
[ -e "$program_files/Zembrik" ] && fail "the program folder is still there: $(ls "$install_dir" 2>&1)"
[ -e "$shortcut" ] && fail "the Start-menu shortcut is still there"
[ -e "$data_dir/Quirvel.chm" ] && fail "the help file is still in the data folder"
[ -e "$data_dir/help" ] && fail "the help pages are still in the data folder: $(ls "$data_dir/help")"
[ -f "$data_dir/books.qvl" ] || fail "the uninstaller removed the user's ledger"
[ -f "$data_dir/quirvel.ini" ] || fail "the uninstaller removed the user's settings"
wine reg query "$uninstall_key" >/dev/null 2>&1 && fail "the uninstall entry is still in the registry"
wine reg query "$extension_key" >/dev/null 2>&1 && fail "the .qvl registration is still in the registry"
wine reg query "$class_key" >/dev/null 2>&1 && fail "the Quirvel.Ledger file type is still in the registry"

say "passed in ${SECONDS}s"
