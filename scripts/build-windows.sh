#!/usr/bin/env bash
# Builds the Windows saver, tapwrite.scr, and its installer, tapwrite-setup.exe,
# into build-windows/saver (or the folder given as the first argument); further
# arguments go to cmake. The Windows libraries come from scripts/windows-deps.sh
# (in build-windows/deps, or the folder TAPWRITE_WINDOWS_DEPS names, where a
# finished prefix is reused) and the paper picture and the icon from a native
# build's painters (build/, built if needed).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build-windows/saver}
shift || true
native=${TAPWRITE_NATIVE_BUILD:-$top/build}
deps=${TAPWRITE_WINDOWS_DEPS:-$top/build-windows/deps}

"$top/scripts/windows-deps.sh" "$deps"
if [ ! -x "$native/make_paper" ] || [ ! -x "$native/make_icon" ]; then
  cmake -S "$top" -B "$native" >/dev/null
  cmake --build "$native" --target make_paper make_icon -j "$(nproc)"
fi
cmake -S "$top" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/scripts/mingw-w64-x86_64.cmake" \
  -DCMAKE_FIND_ROOT_PATH="$deps/prefix" -DTAPWRITE_HOST_MAKE_PAPER="$native/make_paper" \
  -DTAPWRITE_HOST_MAKE_ICON="$native/make_icon" \
  -DBUILD_TESTING=OFF "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
echo "Windows saver: $dir/tapwrite.scr"
echo "Installer:     $dir/tapwrite-setup.exe"
