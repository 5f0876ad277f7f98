#!/usr/bin/env bash
# Fuzzes the ledger and settings readers and the date and amount texts with
# libFuzzer (clang, AddressSanitizer, UndefinedBehaviorSanitizer):
#   scripts/fuzz.sh [SECONDS]
#   scripts/fuzz.sh TARGET INPUTS
# SECONDS (default 600) go to the ledger reader; the settings reader gets a
# third of that, dates and amounts a quarter each, and the side file and the
# CSV, OFX and QIF statement readers a sixth each. The corpus grows in
# build/fuzz/corpus from run to run. A crash or a failed check fails the
# run and leaves the input in build/fuzz/artifacts: fix it, then keep the
# input in tests/ledger/regressions (tests/import/regressions for a
# statement reader). With a TARGET (ledger, settings, side_file, date,
# amount, csv, ofx or qif) and a number of INPUTS, only that reader runs,
# until it has taken that many inputs, and the time it took is reported;
# FUZZ_JOBS=N shares them among N processes (say, one to a core).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
target_only=
if [ $# -ge 2 ]; then
  target_only=$1
  inputs=$2
  case "$target_only" in
    ledger|settings|side_file|date|amount|csv|ofx|qif) ;;
    *) echo "fuzz: no reader called $target_only" >&2; exit 2 ;;
  esac
  case "$inputs" in
    ''|*[!0-9]*) echo "fuzz: the number of inputs must be a whole number" >&2; exit 2 ;;
  esac
fi
seconds=${1:-600}
[ -n "$target_only" ] && seconds=0
build=${FUZZ_BUILD:-$root/build/fuzz}

cmake -S "$root" -B "$build" -DQUIRVEL_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)" --target ledger_fuzz settings_fuzz side_file_fuzz date_fuzz amount_fuzz csv_fuzz ofx_fuzz qif_fuzz make_corpus >/dev/null
rm -rf "$build/starting"
"$build/make_corpus" "$build/starting"
cp "$root"/tests/ledger/regressions/*.qvl "$build/starting/ledger/" 2>/dev/null || true
# The statement readers start from the sample statements and the kept
# regressions, each reader from all of them: a reader must cope with the
# other formats too.
for kind in csv ofx qif; do
  mkdir -p "$build/starting/$kind"
  cp "$root"/samples/statements/* "$build/starting/$kind/"
  find "$root/tests/import/regressions" -type f ! -name README.md -exec cp {} "$build/starting/$kind/" \;
done
mkdir -p "$build/artifacts"

# fuzz TARGET SECONDS [libFuzzer options]: the target's corpus first (it
# grows), then the starting corpus. With a number of inputs and FUZZ_JOBS=N,
# N processes share them and the corpus (libFuzzer rereads it as it grows),
# one to a core, each with its own log.
jobs=${FUZZ_JOBS:-1}
case "$jobs" in
  ''|*[!0-9]*|0) echo "fuzz: FUZZ_JOBS must be a number of processes" >&2; exit 2 ;;
esac
fuzz() {
  local target=$1 time=$2
  shift 2
  local corpus=$build/corpus/$target
  mkdir -p "$corpus"
  local limit=(-max_total_time="$time") workers=1
  if [ -n "$target_only" ]; then
    workers=$jobs
    limit=(-runs="$(( (inputs + workers - 1) / workers ))")
  fi
  local started=$SECONDS logs=() pids=() i failed=
  for ((i = 1; i <= workers; i++)); do
    local log=$build/$target.log
    [ "$workers" -gt 1 ] && log=$build/$target.$i.log
    logs+=("$log")
    "$build/${target}_fuzz" "${limit[@]}" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$target-" "$@" "$corpus" "$build/starting/$target" >"$log" 2>&1 &
    pids+=($!)
  done
  for i in "${!pids[@]}"; do
    if ! wait "${pids[$i]}"; then
      tail -n 40 "${logs[$i]}"
      echo "fuzz: $target failed; the input is in $build/artifacts (log: ${logs[$i]})" >&2
      failed=1
    fi
  done
  if [ -n "$failed" ]; then
    kill "${pids[@]}" 2>/dev/null || true
    exit 1
  fi
  local runs
  runs=$(awk '/stat::number_of_executed_units/ {sum += $2} END {print sum}' "${logs[@]}")
  echo "fuzz: $target: $runs inputs in $((SECONDS - started)) s, no failure"
}

if [ -n "$target_only" ]; then
  case "$target_only" in
    ledger) fuzz ledger 0 -dict="$root/fuzz/ledger.dict" -max_len=8192 ;;
    side_file) fuzz side_file 0 -dict="$root/fuzz/side_file.dict" -max_len=4096 ;;
    csv|ofx|qif) fuzz "$target_only" 0 -dict="$root/fuzz/statement.dict" -max_len=4096 ;;
    *) fuzz "$target_only" 0 ;;
  esac
  exit 0
fi

fuzz ledger "$seconds" -dict="$root/fuzz/ledger.dict" -max_len=8192
fuzz settings $((seconds / 3))
fuzz side_file $((seconds / 6)) -dict="$root/fuzz/side_file.dict" -max_len=4096
fuzz date $((seconds / 4))
fuzz amount $((seconds / 4))
fuzz csv $((seconds / 6)) -dict="$root/fuzz/statement.dict" -max_len=4096
fuzz ofx $((seconds / 6)) -dict="$root/fuzz/statement.dict" -max_len=4096
fuzz qif $((seconds / 6)) -dict="$root/fuzz/statement.dict" -max_len=4096
