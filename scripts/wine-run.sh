#!/usr/bin/env bash
# Runs a Windows program under Wine (CTest's emulator for the Windows build).
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-$PWD/wineprefix}
exec wine "$@"
