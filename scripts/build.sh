#!/usr/bin/env bash
# Configures and builds one of the two builds: host or win.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=$1; shift
case "$kind" in
  host) cmake -S "$root" -B "$root/build/host" -DCMAKE_BUILD_TYPE=Debug >/dev/null ;;
  win)  cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null ;;
  *) echo "build.sh: host or win" >&2; exit 2 ;;
esac
cmake --build "$root/build/$kind" -j"$(nproc)" "$@"
