#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the program and the
# packaging (manual pages, icon, desktop entry, the .deb) need; with
# --lintian also lintian, for the package check (scripts/check-package.sh).
# Installs only what is missing, so running it again costs nothing.
# As root it runs apt-get itself, otherwise through sudo; where there is no
# sudo it prints the one command to run as root and stops with status 1.
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
for arg in "$@"; do
  case $arg in
    --lintian) packages+=(lintian) ;;
    *) echo "usage: scripts/install-deps.sh [--lintian]" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
((${#missing[@]})) || exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "install-deps: these Debian packages are missing, and there is no sudo to install them." >&2
    echo "install-deps: run this as root (e.g. after 'su -'), then run the script again:" >&2
    echo "apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
