#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the saver need;
# with --tests, also what only the tests use.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libcurl4-openssl-dev
  libgtest-dev libx11-dev
  xvfb xauth xdotool x11-utils imagemagick libgl1-mesa-dri
  # SDL draws its message boxes with the X server's core fonts.
  xfonts-base
)
if [ "${1:-}" = "--tests" ]; then
  # The leak check, the compile check of the Windows platform code, the
  # loopback service and its certificates, the fuzzers, and the real
  # XScreenSaver daemon with the tools that run it as another account.
  packages+=(valgrind g++-mingw-w64-x86-64-posix python3 openssl clang libclang-rt-14-dev
    xscreensaver passwd util-linux)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
