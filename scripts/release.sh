#!/usr/bin/env bash
# Makes a release of the checked-out commit into dist/: the Debian package, the
# Windows installer and saver with the licences and versions of the libraries
# it bundles, the source archive of the commit, and SHA256SUMS over them.
# Everything is built from that archive in build-release/, with the commit's
# time as the build time, so the same commit gives the same bytes again (check
# with: cd dist && sha256sum -c SHA256SUMS).
# TAPWRITE_WINDOWS_DEPS names a finished Windows library prefix to reuse
# (default build-windows/deps, built when missing). With TAPWRITE_SIGN_PKCS12
# (and TAPWRITE_SIGN_PASSWORD_FILE, TAPWRITE_SIGN_TIMESTAMP_URL: see
# scripts/build-windows.sh) the Windows programs in dist/ are signed, at the
# commit's time. A release that fails leaves no dist/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# CPack takes the package's folder modes from the folders it makes, so the
# caller's umask would reach the package.
umask 022
"$top/scripts/install-deps.sh" --release

commit=$(git -C "$top" rev-parse HEAD)
if [ -n "$(git -C "$top" status --porcelain)" ]; then
  echo "release: the checkout has changes; they are not in the release of $commit" >&2
fi
version=$(sed -n 's/^project(Tapwrite VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
name=tapwrite-$version
SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct "$commit")
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
export TAPWRITE_WINDOWS_DEPS=${TAPWRITE_WINDOWS_DEPS:-$top/build-windows/deps}
work=$top/build-release
dist=$top/dist
# The certificate in the files as they are, before anything is built.
if [ -n "${TAPWRITE_SIGN_PKCS12:-}" ]; then
  # The builds run in other folders.
  TAPWRITE_SIGN_PKCS12=$(realpath -m -- "$TAPWRITE_SIGN_PKCS12")
  [ -z "${TAPWRITE_SIGN_PASSWORD_FILE:-}" ] || TAPWRITE_SIGN_PASSWORD_FILE=$(realpath -m -- "$TAPWRITE_SIGN_PASSWORD_FILE")
  export TAPWRITE_SIGN_PKCS12 TAPWRITE_SIGN_PASSWORD_FILE
  "$top/scripts/sign-windows.sh" --check || { rm -rf "$dist"; exit 1; }
fi
rm -rf "$work" "$dist"
trap 'rm -rf "$dist"' EXIT
mkdir -p "$work" "$dist"

git -C "$top" archive --format=tar.gz --prefix="$name/" -o "$dist/$name.tar.gz" "$commit"
tar -xzf "$dist/$name.tar.gz" -C "$work"
source=$work/$name

"$source/scripts/build.sh" "$work/linux" -DBUILD_TESTING=OFF
(cd "$work/linux" && cpack -G DEB >/dev/null)
cp "$work/linux"/tapwrite_*.deb "$dist/"

TAPWRITE_NATIVE_BUILD=$work/linux "$source/scripts/build-windows.sh" "$work/windows"
# The same saver as the installer's, for those who install it by right-click.
cp "$work/windows/installer/tapwrite.scr" "$work/windows/tapwrite-setup.exe" "$dist/"
# What the saver bundles, as the installer puts it beside the saver: each
# library's licence and the list of the versions built in.
cp "$work/windows/tapwritefiles/"*-licence.txt "$work/windows/tapwritefiles/libraries.txt" "$dist/"

(cd "$dist" && sha256sum -- * >SHA256SUMS)
trap - EXIT
echo "Release of $commit in $dist:"
(cd "$dist" && ls -l && cat SHA256SUMS)
