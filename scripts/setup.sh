#!/usr/bin/env bash
# Installs what building, running and testing Tapestrel need on Debian 12, and
# configures and builds it. Safe to run again: it installs only what is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TAPESTREL_BUILD:-$root/build}

packages=(mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth cmake make python3
          fonts-ipafont-gothic fonts-ipafont-mincho imagemagick x11-apps
          xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release ${TAPESTREL_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
