#!/usr/bin/env bash
# Runs a Windows program under Wine: CTest's emulator for the Windows builds.
#   scripts/wine-run.sh [win64] PROGRAM [ARGS...]
# 32-bit Wine by default, 64-bit Wine after "win64".
build=win
if [ "${1:-}" = win64 ]; then build=win64; shift; fi
QUIRVEL_WINE_BUILD=$build
source "$(dirname "$0")/wine-env.sh"
export WINEPREFIX=${WINEPREFIX:-$PWD/wineprefix}
exec wine "$@"
