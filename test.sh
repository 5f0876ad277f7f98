#!/usr/bin/env bash
# Sets up what is missing, builds every build and runs every test: the
# portable core on the host, then the Windows tests under Wine, for the
# 32-bit and the 64-bit build, each under its own Wine. A machine that runs
# no 32-bit code tests the 64-bit build alone (QUIRVEL_NO_32BIT=1 makes any
# machine do so).
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

echo "== the Windows builds: 32-bit in build/win, 64-bit in build/win64 =="
scripts/build.sh win
scripts/build.sh win64
source scripts/wine-env.sh
runs_32bit || echo "== the 32-bit build's Windows tests are left out: $QUIRVEL_WHY_NO_32BIT =="
builds=$(runnable_builds)
trap stop_wine EXIT
start_display
for build in $builds; do
  echo "== Windows tests of build/$build under $([ "$build" = win ] && echo 32 || echo 64)-bit Wine =="
  use_wine_build "$build"
  boot_prefix "$root/build/$build/wineprefix"
  (cd "build/$build" && ctest --output-on-failure)
  stop_prefix
done
