#!/usr/bin/env bash
# Builds the Windows saver, tapwrite.scr, and its installer, tapwrite-setup.exe,
# into build-windows/saver (or the folder given as the first argument); further
# arguments go to cmake. The Windows libraries come from scripts/windows-deps.sh
# (in build-windows/deps, or the folder TAPWRITE_WINDOWS_DEPS names, where a
# finished prefix is reused) and the paper picture and the icon from a native
# build's painters (build/, built if needed).
# With TAPWRITE_SIGN_PKCS12 naming a PKCS#12 code-signing certificate, whose
# password is in the file TAPWRITE_SIGN_PASSWORD_FILE names, the saver, the
# installer and the uninstaller it writes are signed (scripts/sign-windows.sh;
# TAPWRITE_SIGN_TIMESTAMP_URL adds a timestamp). Without one, they are not.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build-windows/saver}
shift || true
native=${TAPWRITE_NATIVE_BUILD:-$top/build}
deps=${TAPWRITE_WINDOWS_DEPS:-$top/build-windows/deps}
if [ -n "${TAPWRITE_SIGN_PKCS12:-}" ]; then
  "$top/scripts/sign-windows.sh" --check
fi

"$top/scripts/windows-deps.sh" "$deps"
if [ ! -x "$native/make_paper" ] || [ ! -x "$native/make_icon" ]; then
  cmake -S "$top" -B "$native" >/dev/null
  cmake --build "$native" --target make_paper make_icon -j "$(nproc)"
fi
cmake -S "$top" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/scripts/mingw-w64-x86_64.cmake" \
  -DCMAKE_FIND_ROOT_PATH="$deps/prefix" -DTAPWRITE_HOST_MAKE_PAPER="$native/make_paper" \
  -DTAPWRITE_HOST_MAKE_ICON="$native/make_icon" \
  -DTAPWRITE_SIGN_PKCS12="${TAPWRITE_SIGN_PKCS12:-}" -DTAPWRITE_SIGN_PASSWORD_FILE="${TAPWRITE_SIGN_PASSWORD_FILE:-}" \
  -DTAPWRITE_SIGN_TIMESTAMP_URL="${TAPWRITE_SIGN_TIMESTAMP_URL:-}" \
  -DBUILD_TESTING=OFF "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
echo "Windows saver: $dir/tapwrite.scr"
echo "Installer:     $dir/tapwrite-setup.exe"
