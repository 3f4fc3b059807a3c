#!/usr/bin/env bash
# Installs what building, running and testing Tapestrel need on Debian 12, and
# configures and builds it. Safe to run again: it installs only what is missing.
#   setup.sh [TARGET...]   builds only these targets (default: everything)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAPESTREL_BUILD:-$root/build}

# Every program the scripts and the build call, by package:
#   cross compiler, windres, dlltool: mingw-w64, g++-mingw-w64-x86-64-posix
#   wine, wineserver, wineboot: wine, wine64; Wine's own fonts (title-bar buttons): fonts-wine
#   Xvfb, xauth: xvfb, xauth; cmake, make: cmake, make; python3 (stand-ins, settings)
#   the HTTPS stand-in's certificates: python3-cryptography
#   GoogleTest's sources (/usr/src/googletest): googletest
#   the JSON reader of Wikimedia Commons' answers (header only): nlohmann-json3-dev
#   Japanese text: fonts-ipafont-gothic, fonts-ipafont-mincho
#   convert, import (demo pictures, screenshots): imagemagick; xwd: x11-apps
#   Xorg with the dummy driver, xrandr (the two-monitor fixture): xserver-xorg-core,
#     xserver-xorg-video-dummy, x11-xserver-utils
#   makensis (scripts/package.sh, the installer): nsis
#   flock, unshare, mount (run.sh, tests): util-linux and mount, always there
packages=(mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth cmake make python3
          python3-cryptography googletest nlohmann-json3-dev fonts-ipafont-gothic fonts-ipafont-mincho imagemagick
          x11-apps xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils nsis)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release ${TAPESTREL_CMAKE_ARGS:-} >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
