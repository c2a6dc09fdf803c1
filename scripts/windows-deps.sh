#!/usr/bin/env bash
# Builds the Windows libraries the saver links (SDL2, SDL2_image, SDL2_ttf,
# libcurl and what they need) as static libraries for x86_64-w64-mingw32, from
# the machine's own Debian source packages, into <dir>/prefix (default
# build-windows/deps). A prefix finished by the same script and toolchain file
# is reused as it is.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build-windows/deps}
prefix=$root/prefix
toolchain=$top/scripts/mingw-w64-x86_64.cmake
recipe=$(cat "$0" "$toolchain" | sha256sum | cut -d' ' -f1)
if [ "$(cat "$prefix/.recipe" 2>/dev/null)" = "$recipe" ]; then
  echo "Windows libraries: reusing $prefix"
  exit 0
fi

"$top/scripts/install-deps.sh" --windows
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# apt-get source needs a deb-src entry: copy each entry the machine's Debian
# packages come from (same URIs, suites and options) as a source entry.
if [ -z "$(apt-get indextargets 'Created-By: Sources' 'Origin: Debian')" ]; then
  echo "Adding deb-src entries for the machine's Debian sources"
  entries=$(apt-get indextargets --format '$(SOURCESENTRY)' 'Created-By: Packages' 'Origin: Debian' | sort -u)
  for entry in $entries; do
    file=${entry%:*}
    number=${entry##*:}
    case "$file" in
      *.sources) awk -v n="$number" 'BEGIN { RS = ""; ORS = "\n\n" }
                   NR == n { sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$file" \
                   | $sudo tee -a /etc/apt/sources.list.d/tapwrite-deb-src.sources >/dev/null ;;
      *) sed -n "${number}s/^deb /deb-src /p" "$file" | $sudo tee -a /etc/apt/sources.list.d/tapwrite-deb-src.list >/dev/null ;;
    esac
  done
  $sudo apt-get update
fi

rm -rf "$root/src" "$root/build" "$prefix"
mkdir -p "$root/src" "$root/build" "$prefix"
cd "$root/src"
apt_source=(apt-get source -q)
# As root apt would download as _apt, which may not write here.
[ "$(id -u)" -eq 0 ] && apt_source+=(-o APT::Sandbox::User=root)
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
for package in libsdl2 libsdl2-image libsdl2-ttf freetype zlib libpng1.6 curl; do
  # A mirror may lack a security update's source: then the release's own.
  "${apt_source[@]}" "$package" >>"$root/apt-source.log" 2>&1 \
    || "${apt_source[@]}" "$package/$codename" >>"$root/apt-source.log" \
    || { echo "windows-deps: apt-get source $package failed:" >&2; tail -5 "$root/apt-source.log" >&2; exit 1; }
done

source_dir() {
  local found=("$root/src/$1"-[0-9]*/)
  [ -d "${found[0]}" ] || { echo "windows-deps: no unpacked source for $1" >&2; exit 1; }
  echo "${found[0]%/}"
}

jobs=$(nproc)
# The libraries keep source paths (__FILE__): mapped, so a saver linked with a
# prefix built in any folder is the same bytes.
cflags="-ffile-prefix-map=$root=."
failed() {
  echo "windows-deps: building $1 failed; the end of $2:" >&2
  tail -20 "$2" >&2
  exit 1
}
cmake_build() {
  local name=$1
  shift
  local log=$root/build/$name.log
  echo "Building $name for Windows"
  { cmake -S "$(source_dir "$name")" -B "$root/build/$name" \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_FIND_ROOT_PATH="$prefix" \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_C_FLAGS="$cflags" "$@" \
    && cmake --build "$root/build/$name" -j "$jobs" \
    && cmake --install "$root/build/$name"; } >"$log" 2>&1 || failed "$name" "$log"
}

# Debian's zlib source has no win32/ makefiles: the static library alone, by hand.
echo "Building zlib for Windows"
zlib=$(source_dir zlib)
mkdir -p "$root/build/zlib" "$prefix/lib" "$prefix/include"
(cd "$root/build/zlib" && for c in "$zlib"/*.c; do
   x86_64-w64-mingw32-gcc-posix -O2 "$cflags" -c "$c" -o "$(basename "${c%.c}").o" || exit 1
 done && x86_64-w64-mingw32-ar rcs "$prefix/lib/libz.a" ./*.o) >"$root/build/zlib.log" 2>&1 \
  || failed zlib "$root/build/zlib.log"
cp "$zlib/zlib.h" "$zlib/zconf.h" "$prefix/include/"

cmake_build libpng1.6 -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF
# Without FT_REQUIRE_ZLIB freetype compiles in its own copy of zlib.
cmake_build freetype -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
cmake_build libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF
image_formats=()
for format in AVIF GIF JPG JXL LBM PCX PNM QOI SVG TGA TIF WEBP XCF XPM XV; do
  image_formats+=(-DSDL2IMAGE_$format=OFF)
done
cmake_build libsdl2-image -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_DEPS_SHARED=OFF \
  -DSDL2IMAGE_BACKEND_STB=OFF -DSDL2IMAGE_BACKEND_WIC=OFF -DSDL2IMAGE_BMP=ON -DSDL2IMAGE_PNG=ON \
  "${image_formats[@]}"
cmake_build libsdl2-ttf -DSDL2TTF_VENDORED=OFF -DSDL2TTF_HARFBUZZ=OFF -DSDL2TTF_SAMPLES=OFF
# HTTP over Schannel only; no certificate paths of this machine baked in.
cmake_build curl -DHTTP_ONLY=ON -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_ZLIB=OFF \
  -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
  -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF

echo "$recipe" >"$prefix/.recipe"
echo "Windows libraries ready in $prefix"
