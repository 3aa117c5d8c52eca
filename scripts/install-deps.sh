#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the program and the
# packaging (manual pages, icon, desktop entry, the .deb) need.
# Installs only what is missing, so running it again costs nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libsdl2-dev libx11-dev libxrandr-dev libxcvt-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  espeak-ng sox
  clang libclang-rt-14-dev
  help2man desktop-file-utils librsvg2-bin man-db dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
