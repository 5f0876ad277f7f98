#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine: loading and saving a full
# ledger, and filling the main list with 5000 transactions.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" win --target ledger_bench fill_list_bench >/dev/null
source "$root/scripts/wine-env.sh"
trap stop_wine EXIT
start_display
boot_prefix "$root/build/win/wineprefix"
wine "$root/build/win/ledger_bench.exe"
wine "$root/build/win/fill_list_bench.exe"
