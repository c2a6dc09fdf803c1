#!/usr/bin/env bash
# Builds the Windows libraries the saver links (scripts/windows-libraries.txt)
# as static libraries for x86_64-w64-mingw32, from the machine's own Debian
# source packages, into <dir>/prefix (default build-windows/deps); beside them,
# in prefix/share/tapwrite, each library's licence from its own source and
# libraries.txt, the versions it was built from.
#   windows-deps.sh [--check] [DIR]
# A finished prefix is reused while this script, the toolchain file and the
# list of libraries are unchanged and apt-get source would fetch the same
# source versions now; otherwise it is rebuilt, saying why. --check only says
# which: exit code 0 reuse, 1 rebuild.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
check=false
if [ "${1:-}" = --check ]; then
  check=true
  shift
fi
root=${1:-$top/build-windows/deps}
prefix=$root/prefix
notices=$prefix/share/tapwrite
key_file=$prefix/.key
toolchain=$top/scripts/mingw-w64-x86_64.cmake
table=$top/scripts/windows-libraries.txt
recipe=$(cat "$0" "$toolchain" "$table" | sha256sum | cut -d' ' -f1)
# The table's rows: source package, library name, licence file.
rows=$(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$table")
packages=$(awk '{ print $1 }' <<<"$rows")
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# apt-get source needs a deb-src entry: copy each entry the machine's Debian
# packages come from (same URIs, suites and options) as a source entry.
add_source_entries() {
  [ -z "$(apt-get indextargets 'Created-By: Sources' 'Origin: Debian')" ] || return 0
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
}

# The key of a prefix: the recipe, then "package version" for the source
# version apt-get source would fetch now, read from the machine's package
# lists (nothing is downloaded); "unknown" where they name none.
current_key() {
  local uris
  uris=$(cd / && apt-get source --print-uris -q $packages 2>/dev/null) || true
  echo "recipe $recipe"
  for package in $packages; do
    version=$(sed -n "s/^'[^']*' ${package}_\([^ ]*\)\.dsc .*/\1/p" <<<"$uris" | head -1)
    echo "$package ${version:-unknown}"
  done
}

# Why the prefix cannot serve for this key, one reason a line; nothing when it can.
stale_reasons() {
  local have
  have=$(cat "$key_file" 2>/dev/null) || { echo "no finished prefix in $prefix"; return; }
  if [ "$(head -1 <<<"$have")" != "$(head -1 <<<"$1")" ]; then
    echo "the script, its toolchain file or its list of libraries changed"
    return
  fi
  while read -r package version; do
    built=$(awk -v p="$package" '$1 == p { print $2 }' <<<"$have")
    if [ "$version" = unknown ]; then
      echo "the package lists name no source of $package (apt-get source --print-uris $package)"
    elif [ "$built" != "$version" ]; then
      echo "apt-get source would now fetch $package $version; the prefix was made for ${built:-none}"
    fi
  done < <(sed 1d <<<"$1")
}

# Where a source the mirror lacked was replaced by the release's own (see below).
report_older_sources() {
  awk 'NF == 3 && $2 != $3 { print "Windows libraries: " $1 " is built from " $3 \
         ": apt-get source could not fetch " $2 }' "$key_file"
}

$check || add_source_entries
key=$(current_key)
reasons=$(stale_reasons "$key")
if [ -z "$reasons" ]; then
  echo "Windows libraries: reusing $prefix"
  report_older_sources
  exit 0
fi
if $check; then
  echo "Windows libraries: $prefix would be rebuilt:"
else
  echo "Windows libraries: rebuilding $prefix:"
fi
sed 's/^/  /' <<<"$reasons"
$check && exit 1

"$top/scripts/install-deps.sh" --windows
# Into the prefix itself, also when a packaging run (cpack) has set DESTDIR
# for its own install.
unset DESTDIR
# The sources are built where their path holds no blank, which the
# compiler's flags, passed on as one string, could not carry.
work=$root
if [[ $root =~ [[:space:]] ]]; then
  work=$(mktemp -d /tmp/tapwrite-windows-deps.XXXXXX)
  trap 'rm -rf "$work"' EXIT
fi
rm -rf "$root/src" "$root/build" "$prefix"
mkdir -p "$work/src" "$work/build" "$prefix"
cd "$work/src"
apt_source=(apt-get source -q)
# As root apt would download as _apt, which may not write here.
[ "$(id -u)" -eq 0 ] && apt_source+=(-o APT::Sandbox::User=root)
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
# A mirror may lack a source its lists name (a security update, or a point
# release's newest): then the release's own, then every older version the
# lists name, newest first.
fetch_source() {
  local version
  "${apt_source[@]}" "$1" && return
  "${apt_source[@]}" "$1/$codename" && return
  for version in $(apt-cache showsrc "$1" | sed -n 's/^Version: //p' | sort -u -r -V); do
    "${apt_source[@]}" "$1=$version" && return
  done
  return 1
}
for package in $packages; do
  fetch_source "$package" >>"$work/apt-source.log" 2>&1 \
    || { echo "windows-deps: apt-get source $package failed:" >&2; tail -5 "$work/apt-source.log" >&2; exit 1; }
done

source_dir() {
  local found=("$work/src/$1"-[0-9]*/)
  [ -d "${found[0]}" ] || { echo "windows-deps: no unpacked source for $1" >&2; exit 1; }
  echo "${found[0]%/}"
}

jobs=$(nproc)
# The libraries keep source paths (__FILE__): mapped, so a saver linked with a
# prefix built in any folder is the same bytes.
cflags="-ffile-prefix-map=$work=."
failed() {
  echo "windows-deps: building $1 failed; the end of $2:" >&2
  tail -20 "$2" >&2
  exit 1
}
cmake_build() {
  local name=$1
  shift
  local log=$work/build/$name.log
  echo "Building $name for Windows"
  { cmake -S "$(source_dir "$name")" -B "$work/build/$name" \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_FIND_ROOT_PATH="$prefix" \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_C_FLAGS="$cflags" "$@" \
    && cmake --build "$work/build/$name" -j "$jobs" \
    && cmake --install "$work/build/$name"; } >"$log" 2>&1 || failed "$name" "$log"
}

# Debian's zlib source has no win32/ makefiles: the static library alone, by hand.
echo "Building zlib for Windows"
zlib=$(source_dir zlib)
mkdir -p "$work/build/zlib" "$prefix/lib" "$prefix/include"
(cd "$work/build/zlib" && for c in "$zlib"/*.c; do
   x86_64-w64-mingw32-gcc-posix -O2 "$cflags" -c "$c" -o "$(basename "${c%.c}").o" || exit 1
 done && x86_64-w64-mingw32-ar rcs "$prefix/lib/libz.a" ./*.o) >"$work/build/zlib.log" 2>&1 \
  || failed zlib "$work/build/zlib.log"
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
# (Newer curl asks for libpsl unless told not to; older ones ignore the switch.)
cmake_build curl -DHTTP_ONLY=ON -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_ZLIB=OFF \
  -DCURL_USE_LIBSSH2=OFF -DUSE_LIBIDN2=OFF -DCURL_USE_LIBPSL=OFF -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
  -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF

# Each library's licence as its source has it, and which sources went in:
# "<name> <upstream version> (Debian source <package> <version>)", one a line.
# The key gets what was built beside what was asked for.
mkdir -p "$notices"
: >"$notices/libraries.txt"
built_key="recipe $recipe"
while read -r package name licence; do
  dir=$(source_dir "$package")
  [ -f "$dir/$licence" ] || { echo "windows-deps: the source of $package has no $licence" >&2; exit 1; }
  cp "$dir/$licence" "$notices/$name-licence.txt"
  version=$(dpkg-parsechangelog -l "$dir/debian/changelog" -S Version)
  # Without the epoch, the Debian revision and a repack's +dfsg or .ds.
  upstream=$(sed -e 's/^[0-9]*://' -e 's/-[^-]*$//' -e 's/^.*[+~]really//' -e 's/[+.~]\(dfsg\|ds\)[0-9]*$//' <<<"$version")
  echo "$name $upstream (Debian source $package $version)" >>"$notices/libraries.txt"
  built_key+=$'\n'"$(awk -v p="$package" '$1 == p { print $1, $2 }' <<<"$key") ${version#*:}"
done <<<"$rows"
echo "$built_key" >"$key_file"
report_older_sources
# The sources stay beside the prefix, where a release reads its licences
# against them.
[ "$work" = "$root" ] || mv "$work/src" "$root/src"
echo "Windows libraries ready in $prefix"
