#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine. They report; they never fail.
#   scripts/bench.sh                  loading and saving a full ledger,
#                                     filling and sorting the main list, and
#                                     the memory and time of Undo and Redo,
#                                     and a 5000-line statement imported
#   scripts/bench.sh startup [EXE..]  start to last paint of Quirvel with 5000
#                                     transactions against an empty window
#                                     (medians and their ratio), then the fill
#                                     and sort figures. Each EXE given is
#                                     another Quirvel.exe timed in the same
#                                     rounds, e.g. an older build.
# BENCH_ROUNDS (default 8) sets the number of rounds after the warm-up.
# They run the 32-bit build where the machine runs 32-bit code and the
# 64-bit build where it does not, and say which.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-all}
[ $# -gt 0 ] && shift
source "$root/scripts/wine-env.sh"
pick_build "bench: timing"
out="$root/build/$build"

if [ "$mode" != startup ]; then
  "$root/scripts/build.sh" "$build" --target ledger_bench fill_list_bench import_bench >/dev/null
  trap stop_wine EXIT
  start_display
  boot_prefix "$out/wineprefix"
  wine "$out/ledger_bench.exe"
  wine "$out/fill_list_bench.exe"
  wine "$out/import_bench.exe"
  exit 0
fi

"$root/scripts/build.sh" "$build" --target Quirvel fill_list_bench empty_window >/dev/null
bench="$root/build/bench"
mkdir -p "$bench"
# The clock watches the X display from outside: every drawing on the screen
# is an X damage event, whichever program makes it.
gcc -O2 -o "$bench/paint_clock" "$root/bench/paint_clock.c" -lX11 -l:libXdamage.so.1
holder=
finish() {
  [ -n "$holder" ] && kill "$holder" >/dev/null 2>&1
  stop_wine
}
trap finish EXIT
start_display
boot_prefix "$out/wineprefix"
set +e

# Each program runs from a folder of its own; Quirvel's settings name a
# ledger of 5000 transactions.
ledger="$bench/full.qvl"
# Written afresh each time: saving over the last run's copy would stop at
# the question whether to replace a file changed since it was opened.
rm -f "$ledger"
wine "$out/fill_list_bench.exe" --write "$(winepath -w "$ledger")"
programs=("$out/Quirvel.exe" "$@")
names=()
for i in "${!programs[@]}"; do
  run="$bench/startup$i"
  rm -rf "$run" && mkdir -p "$run"
  cp "${programs[$i]}" "$run/Quirvel.exe"
  printf '%s\r\n.0625\r\n0\r\n0\r\n0\r\n' "$(winepath -w "$ledger")" > "$run/quirvel.ini"
  names+=("$([ "$i" = 0 ] && echo Quirvel || echo "Quirvel ($(basename "$(dirname "$(realpath "${programs[$i]}")")")/$(basename "${programs[$i]}"))")")
done
cp "$out/empty_window.exe" "$bench/"
# Wine's desktop closes a second after its last program: one hidden window
# keeps it up, so that no round pays for starting it again.
wine "$bench/empty_window.exe" hidden >/dev/null 2>&1 &
holder=$!
sleep 2

# time_one EXE: milliseconds to the last paint and peak resident KiB.
time_one() {
  "$bench/paint_clock" 1500 20000 wine "$1" 2>/dev/null
  sleep 0.5
}
rounds=${BENCH_ROUNDS:-8}
declare -A paint rss
echo "load before: $(uptime)"
for round in $(seq 0 "$rounds"); do
  entries=(empty)
  for i in "${!programs[@]}"; do entries+=("$i"); done
  # Alternate which program goes first.
  if [ $((round % 2)) = 1 ]; then entries=($(printf '%s\n' "${entries[@]}" | tac)); fi
  line="round $round:"
  [ "$round" = 0 ] && line="warm-up:"
  for e in "${entries[@]}"; do
    if [ "$e" = empty ]; then exe="$bench/empty_window.exe"; else exe="$bench/startup$e/Quirvel.exe"; fi
    read -r ms kib < <(time_one "$exe")
    line+=" $e=${ms}ms"
    if [ "$round" != 0 ]; then
      paint[$e]+="$ms "
      rss[$e]+="$kib "
    fi
  done
  echo "$line"
done
echo "load after:  $(uptime)"

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{v[NR]=$1} END {if (NR==0) print -1; else if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }
floor=$(echo "${paint[empty]}" | median)
printf 'start to last paint, median of %d rounds (program: paint, peak memory):\n' "$rounds"
printf '  %-40s %7.0f ms  %6.1f MiB\n' "empty window (the floor)" "$floor" "$(echo "${rss[empty]}" | median | awk '{print $1/1024}')"
for i in "${!programs[@]}"; do
  m=$(echo "${paint[$i]}" | median)
  printf '  %-40s %7.0f ms  %6.1f MiB  %.2f x the floor\n' "${names[$i]}" "$m" \
    "$(echo "${rss[$i]}" | median | awk '{print $1/1024}')" "$(awk -v a="$m" -v b="$floor" 'BEGIN {print (b > 0 ? a / b : 0)}')"
done
wine "$out/fill_list_bench.exe"
exit 0
