#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine. They report; they never fail.
#   scripts/bench.sh                  loading and saving a full ledger,
#                                     Find over the full list,
#                                     filling and sorting the main list, and
#                                     the memory and time of Undo and Redo,
#                                     and a 5000-line statement imported into
#                                     books that remember 20,000 earlier lines,
#                                     and the year at a glance over a full
#                                     ledger and ten archive files, and the
#                                     Schedule C worksheet over a full ledger,
#                                     and the due entries of 100 schedules
#                                     after three years closed
#   scripts/bench.sh startup [--peers] [EXE..]
#                                     start to last paint of Quirvel with 5000
#                                     transactions against the floor, an empty
#                                     dialog with Quirvel's manifest and import
#                                     libraries (medians of interleaved rounds
#                                     and their ratio, peak memory), Quirvel's
#                                     phases and paint passes from inside,
#                                     then the fill and sort figures. With
#                                     --peers it installs HomeBank and times it
#                                     on a 5000-transaction file of its own in
#                                     the same rounds. Each EXE given is
#                                     another Quirvel.exe timed in the same
#                                     rounds, e.g. an older build.
# BENCH_ROUNDS (default 8) sets the number of rounds after the warm-up.
# They run the 32-bit build where the machine runs 32-bit code and the
# 64-bit build where it does not, and say which; QUIRVEL_BUILD=win64 (or
# win) runs that build instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-all}
[ $# -gt 0 ] && shift
source "$root/scripts/wine-env.sh"
pick_build "bench: timing"
out="$root/build/$build"

if [ "$mode" != startup ]; then
  "$root/scripts/build.sh" "$build" --target ledger_bench fill_list_bench import_bench glance_bench schedule_c_bench due_entries_bench >/dev/null
  trap stop_wine EXIT
  start_display
  boot_prefix "$out/wineprefix"
  wine "$out/ledger_bench.exe"
  wine "$out/fill_list_bench.exe"
  wine "$out/import_bench.exe"
  wine "$out/glance_bench.exe"
  wine "$out/schedule_c_bench.exe"
  wine "$out/due_entries_bench.exe"
  exit 0
fi

peers=false
if [ "${1:-}" = --peers ]; then peers=true; shift; fi
"$root/scripts/build.sh" "$build" --target Quirvel fill_list_bench empty_dialog startup_phases >/dev/null
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
if $peers && ! command -v homebank >/dev/null; then
  echo "bench: installing HomeBank to time it beside Quirvel"
  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq homebank; } >/dev/null 2>&1 ||
    echo "bench: HomeBank could not be installed; it is left out"
fi
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
cp "$out/empty_dialog.exe" "$bench/"

# HomeBank's own file: one account, twenty payees and categories, 5000
# operations over the years (dates are days since 1 January of year 1).
homebank_ok=false
if $peers && command -v homebank >/dev/null; then
  hb="$bench/homebank"
  rm -rf "$hb" && mkdir -p "$hb/home"
  awk 'BEGIN {
    print "<?xml version=\"1.0\"?>"
    print "<homebank v=\"1.4\" d=\"050602\">"
    print "<properties title=\"Bench\" curr=\"1\" auto_smode=\"1\" auto_weekday=\"1\"/>"
    print "<cur key=\"1\" flags=\"0\" iso=\"USD\" name=\"US Dollar\" symb=\"$\" syprf=\"1\" dchar=\".\" gchar=\",\" frac=\"2\" rate=\"0\" mdate=\"0\"/>"
    print "<account key=\"1\" pos=\"1\" type=\"1\" curr=\"1\" name=\"Business\" initial=\"0\" minimum=\"0\" cheque1=\"0\" cheque2=\"0\"/>"
    for (p = 1; p <= 20; p++) print "<pay key=\"" p "\" name=\"Payee " p "\"/>"
    for (c = 1; c <= 20; c++) print "<cat key=\"" c "\" name=\"Category " c "\"/>"
    for (i = 0; i < 5000; i++) {
      amount = (i % 5 == 0 ? "" : "-") (10 + (i * 37) % 900) "." sprintf("%02d", (i * 13) % 100)
      printf "<ope date=\"%d\" amount=\"%s\" account=\"1\" paymode=\"0\" flags=\"0\" payee=\"%d\" category=\"%d\" wording=\"Transaction %d\"/>\n", 736330 + int(i / 3), amount, 1 + i % 20, 1 + (i * 7) % 20, i
    }
    print "</homebank>"
  }' > "$hb/full.xhb"
  homebank_ok=true
fi

# Wine's desktop closes a second after its last program: one hidden window
# keeps it up, so that no round pays for starting it again.
wine "$bench/empty_dialog.exe" hidden >/dev/null 2>&1 &
holder=$!
sleep 2

# time_one KIND EXE: milliseconds to the last paint and peak resident KiB.
time_one() {
  if [ "$1" = homebank ]; then
    HOME="$hb/home" "$bench/paint_clock" 1500 20000 sh -c 'exec homebank "$0" >/dev/null 2>&1' "$hb/full.xhb" 2>/dev/null
  else
    "$bench/paint_clock" 1500 20000 wine "$2" 2>/dev/null
  fi
  sleep 0.5
}
rounds=${BENCH_ROUNDS:-8}
declare -A paint rss
phases=()
echo "load before: $(uptime)"
for round in $(seq 0 "$rounds"); do
  entries=(floor)
  for i in "${!programs[@]}"; do entries+=("$i"); done
  $homebank_ok && entries+=(homebank)
  # Alternate which program goes first.
  if [ $((round % 2)) = 1 ]; then entries=($(printf '%s\n' "${entries[@]}" | tac)); fi
  line="round $round:"
  [ "$round" = 0 ] && line="warm-up:"
  for e in "${entries[@]}"; do
    case "$e" in
      floor) exe="$bench/empty_dialog.exe" ;;
      homebank) exe= ;;
      *) exe="$bench/startup$e/Quirvel.exe" ;;
    esac
    read -r ms kib < <(time_one "$e" "$exe")
    line+=" $e=${ms}ms"
    if [ "$round" != 0 ]; then
      paint[$e]+="$ms "
      rss[$e]+="$kib "
    fi
  done
  echo "$line"
  # Quirvel from the inside, in the same round.
  if [ "$round" != 0 ]; then
    phases+=("$(wine "$out/startup_phases.exe" "$(winepath -w "$ledger")" 2>/dev/null | tr -d '\r')")
  fi
done
echo "load after:  $(uptime)"

median() { tr ' ' '\n' | grep -v '^$' | sort -g | awk '{v[NR]=$1} END {if (NR==0) print -1; else if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}'; }
floor=$(echo "${paint[floor]}" | median)
printf 'start to last paint, median of %d rounds (program: paint, peak memory):\n' "$rounds"
printf '  %-40s %7.0f ms  %6.1f MiB\n' "empty dialog (the floor)" "$floor" "$(echo "${rss[floor]}" | median | awk '{print $1/1024}')"
for i in "${!programs[@]}"; do
  m=$(echo "${paint[$i]}" | median)
  printf '  %-40s %7.0f ms  %6.1f MiB  %s x the floor\n' "${names[$i]}" "$m" \
    "$(echo "${rss[$i]}" | median | awk '{print $1/1024}')" "$(ratio "$m" "$floor")"
done
if $homebank_ok; then
  hbm=$(echo "${paint[homebank]}" | median)
  printf '  %-40s %7.0f ms  %6.1f MiB\n' "HomeBank $(dpkg-query -W -f '${Version}' homebank 2>/dev/null)" "$hbm" \
    "$(echo "${rss[homebank]}" | median | awk '{print $1/1024}')"
fi
# The phases, each the median over the rounds.
phase() { printf '%s\n' "${phases[@]}" | grep '^phases:' | sed -E "s/.*$1 ([0-9.]+) ms.*/\1/" | tr '\n' ' ' | median; }
echo "Quirvel's phases (median): main dialog $(phase 'main dialog') ms, first page and ledger $(phase 'first page and ledger') ms, fill $(phase 'fill') ms, paint $(phase 'paint') ms"
printf '%s\n' "${phases[@]}" | grep '^paint passes:' | tail -1
wine "$out/fill_list_bench.exe"
echo "startup ratio to floor: $(ratio "$(echo "${paint[0]}" | median)" "$floor")"
$homebank_ok && echo "startup ratio to HomeBank: $(ratio "$(echo "${paint[0]}" | median)" "$hbm")"
exit 0
