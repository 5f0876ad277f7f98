#!/usr/bin/env bash
# Kills a program that keeps saving ledgers through saveLedger at random
# moments, again and again, and checks that the ledger file left behind
# always loads and is one whole version: the last one saved or the one
# being saved. Its backup is whole too, and the temporary files do not pile
# up: at most one per target (the ledger and its backup).
#   tests/kill/kill_test.sh KILL_SAVER_EXE WORK_FOLDER [KILLS]
# Needs the Wine environment of scripts/wine-env.sh (a booted prefix and a
# running wineserver); CTest runs it from ./test.sh, with QUIRVEL_WINE_BUILD
# naming the build and so its Wine. KILL_RANDOM_START repeats a run.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
exe=$1
work=$2
kills=${3:-30}
start=${KILL_RANDOM_START:-$$}
RANDOM=$start
rm -rf "$work"
mkdir -p "$work"
ledger=$work/books.qvl
started=$SECONDS

checks=()
newest=0  # the newest version that may be on disk
for i in $(seq "$kills"); do
  first=$((newest + 1))
  out=$work/run$i.out
  wine "$exe" --save "$(winepath -w "$ledger")" "$first" >"$out" 2>"$work/run$i.err" &
  pid=$!
  # Wait for the first completed save, then kill at a random moment.
  for _ in $(seq 500); do
    grep -q '^saved' "$out" 2>/dev/null && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.01
  done
  sleep "$(printf '0.%03d' $((RANDOM % 400)))"
  if ! grep -q '^saved' "$out" || ! kill -9 "$pid" 2>/dev/null; then
    echo "kill_test: run $i did not keep saving:" >&2
    cat "$work/run$i.err" >&2
    exit 1
  fi
  wait "$pid" 2>/dev/null || true

  # The last save it reported is on disk, or the next one if the kill came
  # after the file was replaced but before the report.
  old=$(grep -o '^saved [0-9]*' "$out" | tail -n 1 | cut -d' ' -f2)
  new=$((old + 1))
  # Keep what this kill left for the check at the end.
  snapshot=$work/after$i.qvl
  cp "$ledger" "$snapshot"
  checks+=("$(winepath -w "$snapshot")" "$old" "$new")
  # After a save of this run the backup holds the version before the last
  # saved one, or the last saved one if the kill came after the backup step.
  if [ "$old" -gt "$first" ]; then
    cp "$ledger.bak" "$work/after$i.bak.qvl"
    checks+=("$(winepath -w "$work/after$i.bak.qvl")" "$((old - 1))" "$old")
  fi
  newest=$new
done
killed_in=$((SECONDS - started))

leftovers=$(find "$work" -maxdepth 1 -iname '*.tmp' | wc -l)
strays=$(find "$work" -maxdepth 1 -iname '*.tmp' ! -name books.qvl.tmp ! -name books.qvl.bak.tmp)
if [ -n "$strays" ]; then
  echo "kill_test: temporary files other than one per target: $strays" >&2
  exit 1
fi
if wine "$exe" --check "${checks[@]}" >"$work/check.out" 2>&1; then
  saves=$newest
  echo "kill_test: $kills kills in ${killed_in} s (start $start, about $saves saves), every ledger file whole;" \
    "$leftovers temporary files left by the kills (at most one per target)"
else
  cat "$work/check.out"
  echo "kill_test: a killed save left a damaged ledger (start $start)" >&2
  exit 1
fi
