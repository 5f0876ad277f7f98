#!/usr/bin/env bash
# Configures and builds one of the builds: host (the portable core and its
# tests), win (32-bit Windows, the program as it ships) or win64 (64-bit
# Windows, for machines that run no 32-bit code).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=$1; shift
case "$kind" in
  host) cmake -S "$root" -B "$root/build/host" -DCMAKE_BUILD_TYPE=Debug >/dev/null ;;
  win)  cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null ;;
  win64) cmake -S "$root" -B "$root/build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null ;;
  *) echo "build.sh: host, win or win64" >&2; exit 2 ;;
esac
cmake --build "$root/build/$kind" -j"$(nproc)" "$@"
