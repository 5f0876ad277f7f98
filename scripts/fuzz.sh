#!/usr/bin/env bash
# Fuzzes the ledger and settings readers and the date and amount texts with
# libFuzzer (clang, AddressSanitizer, UndefinedBehaviorSanitizer):
#   scripts/fuzz.sh [SECONDS]
# SECONDS (default 600) go to the ledger reader; the settings reader gets a
# third of that, dates and amounts a quarter each, and the side file and the
# CSV, OFX and QIF statement readers a sixth each. The corpus grows in
# build/fuzz/corpus from run to run. A crash or a failed check fails the
# run and leaves the input in build/fuzz/artifacts: fix it, then keep the
# input in tests/ledger/regressions (tests/import/regressions for a
# statement reader).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
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
# grows), then the starting corpus.
fuzz() {
  local target=$1 time=$2
  shift 2
  local corpus=$build/corpus/$target log=$build/$target.log
  mkdir -p "$corpus"
  if ! "$build/${target}_fuzz" -max_total_time="$time" -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$target-" "$@" "$corpus" "$build/starting/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $target failed; the input is in $build/artifacts (log: $log)" >&2
    exit 1
  fi
  local runs
  runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
  echo "fuzz: $target: $runs inputs in ${time} s, no failure"
}

fuzz ledger "$seconds" -dict="$root/fuzz/ledger.dict" -max_len=8192
fuzz settings $((seconds / 3))
fuzz side_file $((seconds / 6)) -dict="$root/fuzz/side_file.dict" -max_len=4096
fuzz date $((seconds / 4))
fuzz amount $((seconds / 4))
fuzz csv $((seconds / 6)) -dict="$root/fuzz/statement.dict" -max_len=4096
fuzz ofx $((seconds / 6)) -dict="$root/fuzz/statement.dict" -max_len=4096
fuzz qif $((seconds / 6)) -dict="$root/fuzz/statement.dict" -max_len=4096
