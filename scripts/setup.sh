#!/usr/bin/env bash
# Installs what building and testing Quirvel needs on Debian 12, and only
# what is missing. Safe to run again.
set -euo pipefail

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for pkg in cmake make g++ g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb xauth \
           imagemagick xdotool x11-utils fp-utils nsis p7zip-full clang libclang-rt-dev python3; do
  have_pkg "$pkg" || need+=("$pkg")
done
if ! have_pkg wine32:i386; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: enabling the i386 architecture for 32-bit Wine"
    as_root dpkg --add-architecture i386
  fi
  need+=(wine32:i386)
fi

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  as_root apt-get update -q
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -q "${need[@]}"
else
  echo "setup: all build and test tools are installed"
fi

# Which Windows builds this machine can run: 32-bit Wine needs a kernel that
# runs 32-bit code, which some machines have switched off.
source "$(dirname "$0")/wine-env.sh"
if runs_32bit; then
  echo "setup: this machine runs 32-bit code: both Windows builds run here"
elif runs_64bit; then
  echo "setup: only the 64-bit Windows build runs here: $QUIRVEL_WHY_NO_32BIT"
else
  runnable_builds >/dev/null || exit 1
fi
