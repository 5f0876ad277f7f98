#!/usr/bin/env bash
# Sets up what is missing, builds both builds and runs every test: the
# portable core on the host, then the Win32 tests under Wine.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
echo "== the layers' includes =="
scripts/check_layers.sh
scripts/setup.sh

echo "== host build and tests =="
scripts/build.sh host
echo "== a short fuzz run of the file readers and text conversions =="
scripts/fuzz.sh 60
(cd build/host && ctest --output-on-failure)

echo "== Windows build and Win32 tests under Wine =="
scripts/build.sh win
source scripts/wine-env.sh
trap stop_wine EXIT
start_display
boot_prefix "$root/build/win/wineprefix"
(cd build/win && ctest --output-on-failure)
