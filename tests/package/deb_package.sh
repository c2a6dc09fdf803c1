#!/usr/bin/env bash
# The Debian package as a user meets it, one step per ctest test:
#   deb_package.sh build|lintian|install|manual|purge BUILD_FOLDER
# install and purge need root; purge undoes install.
set -uo pipefail
step=$1
build=$2
deb=$build/tapwrite_5.0-1_amd64.deb
# Paths that stood before the install: purge must leave only these.
before=$build/package-paths-before-install.txt
apt=(apt-get -o DPkg::Lock::Timeout=600 -y)
fail() { echo "deb_package $step: $*" >&2; exit 1; }
# Every path the package holds, directories too, as installed.
package_paths() { dpkg-deb -c "$deb" | awk '{print substr($6, 2)}' | sed 's|/$||' | grep .; }

case "$step" in
build)
  rm -f "$deb"
  (cd "$build" && cpack -G DEB) || fail "cpack failed"
  [ -f "$deb" ] || fail "no $deb"
  contents=$(dpkg-deb -c "$deb" | awk '{print $6 $7 $8}')
  for path in ./usr/lib/tapwrite/tapwrite ./usr/lib/tapwrite/tapwritefiles/typingPaper.bmp \
      './usr/lib/tapwrite/tapwritefiles/gtw.ttf->../../../share/fonts/truetype/cmu/cmuntt.ttf' \
      './usr/libexec/xscreensaver/tapwrite->../../lib/tapwrite/tapwrite' \
      './usr/bin/tapwrite-feed->../lib/tapwrite/tapwrite-feed' ./usr/share/man/man1/tapwrite-feed.1.gz \
      ./usr/share/xscreensaver/config/tapwrite.xml ./usr/share/man/man6/tapwrite.6.gz \
      ./usr/share/doc/tapwrite/copyright ./usr/share/doc/tapwrite/changelog.Debian.gz; do
    grep -qxF -- "$path" <<<"$contents" || fail "the package lacks $path"
  done
  # The bundled copy of the font stays out: fonts-cmu has the same file.
  ! grep -q 'OFL.txt' <<<"$contents" || fail "the package ships the font's licence, so a copy of the font"
  depends=$(dpkg-deb -f "$deb" Depends)
  # fonts-cmu by hand, the libraries worked out by dpkg-shlibdeps.
  for name in fonts-cmu libc6 libsdl2-2.0-0 libsdl2-ttf-2.0-0 libcurl4; do
    grep -qE "(^|, )$name( |,|$)" <<<"$depends" || fail "Depends lacks $name: $depends"
  done
  [ "$(dpkg-deb -f "$deb" Recommends)" = xscreensaver ] || fail "Recommends is not xscreensaver"
  echo "Depends: $depends"
  ls -l "$deb"
  ;;
lintian)
  # Errors fail the test; warnings and notes are shown.
  lintian --info --fail-on error "$deb"
  ;;
install)
  [ "$(id -u)" -eq 0 ] || fail "needs root"
  # An install left by an earlier run would count as standing before.
  if dpkg-query -W -f='${Status}' tapwrite 2>/dev/null | grep -q "ok installed"; then
    DEBIAN_FRONTEND=noninteractive "${apt[@]}" purge tapwrite || fail "could not purge an earlier install"
  fi
  package_paths | while read -r path; do
    if [ -e "$path" ] || [ -L "$path" ]; then echo "$path"; fi
  done >"$before"
  # A machine whose package lists were never fetched has no fonts-cmu to offer.
  apt-cache show fonts-cmu >/dev/null 2>&1 || "${apt[@]}" update || fail "apt-get update failed"
  DEBIAN_FRONTEND=noninteractive "${apt[@]}" install "$deb" || fail "apt-get install failed"
  [ "$(dpkg-query -W -f='${Status}' tapwrite)" = "install ok installed" ] || fail "tapwrite is not installed"
  # What it pulled in is there: the font behind its link, the libraries it loads.
  [ -s /usr/lib/tapwrite/tapwritefiles/gtw.ttf ] || fail "the font link leads nowhere"
  ! ldd /usr/lib/tapwrite/tapwrite | grep 'not found' || fail "a library is missing"
  # The feed writers' tool, by bare name, measures with the linked font.
  printf 'One.\r\nTwo.\r\nThree.\r\nFour.\r\nFive.' >"$build/package-feed.txt"
  env -u DISPLAY tapwrite-feed check "$build/package-feed.txt" || fail "tapwrite-feed check of a clean feed failed"
  ;;
manual)
  for name in "6 tapwrite" "1 tapwrite-feed"; do
    # shellcheck disable=SC2086
    page=$(man -w $name) || fail "man finds no $name"
    warnings=$(man --warnings -l "$page" 2>&1 >/dev/null) || fail "man failed: $warnings"
    [ -z "$warnings" ] || fail "man warns on $name: $warnings"
  done
  ;;
purge)
  [ "$(id -u)" -eq 0 ] || fail "needs root"
  dpkg-query -W -f='${Status}' tapwrite 2>/dev/null | grep -q "ok installed" || fail "tapwrite is not installed"
  DEBIAN_FRONTEND=noninteractive "${apt[@]}" purge tapwrite || fail "apt-get purge failed"
  ! dpkg-query -W -f='${Status}' tapwrite 2>/dev/null | grep -q installed || fail "tapwrite is still known to dpkg"
  left=0
  while read -r path; do
    if { [ -e "$path" ] || [ -L "$path" ]; } && ! grep -qxF -- "$path" "$before"; then
      echo "left behind: $path" >&2
      left=1
    fi
  done < <(package_paths)
  [ $left -eq 0 ] || fail "files of the package are left"
  ;;
*) fail "unknown step" ;;
esac
