#!/usr/bin/env bash
# The Debian package as a user meets it, one step per ctest test:
#   deb_package.sh build|lintian|hardening|desktop|install|manual|purge BUILD_FOLDER
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
# The package's files unpacked into a folder of their own; prints the folder.
unpacked() {
  local root=$build/package-root-$step
  rm -rf "$root" && dpkg-deb -x "$deb" "$root" || fail "cannot unpack $deb"
  echo "$root"
}

case "$step" in
build)
  rm -f "$deb"
  (cd "$build" && cpack -G DEB) || fail "cpack failed"
  [ -f "$deb" ] || fail "no $deb"
  contents=$(dpkg-deb -c "$deb" | awk '{print $6 $7 $8}')
  for path in ./usr/lib/tapwrite/tapwrite ./usr/lib/tapwrite/tapwrite-saver ./usr/share/tapwrite/typingPaper.bmp \
      './usr/lib/tapwrite/tapwritefiles->../../share/tapwrite' \
      './usr/share/tapwrite/gtw.ttf->../fonts/truetype/cmu/cmuntt.ttf' \
      './usr/libexec/xscreensaver/tapwrite->../../lib/tapwrite/tapwrite' \
      './usr/bin/tapwrite-feed->../lib/tapwrite/tapwrite-feed' ./usr/share/man/man1/tapwrite-feed.1.gz \
      './usr/bin/tapwrite-idle->../lib/tapwrite/tapwrite-idle' ./usr/share/man/man1/tapwrite-idle.1.gz \
      ./usr/lib/systemd/user/tapwrite-idle.service \
      ./usr/share/xscreensaver/config/tapwrite.xml ./usr/share/man/man6/tapwrite.6.gz \
      ./usr/share/applications/screensavers/tapwrite.desktop \
      ./usr/share/doc/tapwrite/copyright ./usr/share/doc/tapwrite/changelog.Debian.gz; do
    grep -qxF -- "$path" <<<"$contents" || fail "the package lacks $path"
  done
  # The bundled copy of the font stays out: fonts-cmu has the same file.
  ! grep -q 'OFL.txt' <<<"$contents" || fail "the package ships the font's licence, so a copy of the font"
  depends=$(dpkg-deb -f "$deb" Depends)
  # fonts-cmu by hand, the libraries worked out by dpkg-shlibdeps.
  # libcurl4t64 on Debian 13.
  for name in fonts-cmu libc6 libsdl2-2.0-0 libsdl2-ttf-2.0-0 'libcurl4(t64)?'; do
    grep -qE "(^|, )$name( |,|$)" <<<"$depends" || fail "Depends lacks $name: $depends"
  done
  [ "$(dpkg-deb -f "$deb" Recommends)" = xscreensaver ] || fail "Recommends is not xscreensaver"
  [ "$(dpkg-deb -f "$deb" Suggests)" = swayidle ] || fail "Suggests is not swayidle"
  echo "Depends: $depends"
  ls -l "$deb"
  ;;
lintian)
  # Every tag, the pedantic ones too, fails the test but these: a package made
  # outside Debian's archive closes no bug there.
  allowed=(initial-upload-closes-no-bugs)
  report=$(lintian -I --pedantic "$deb") || fail "lintian failed: $report"
  echo "$report"
  tags=$(sed -n 's/^[A-Z]: [^ ]*: \([^ ]*\).*/\1/p' <<<"$report" | sort -u)
  for tag in $tags; do
    printf '%s\n' "${allowed[@]}" | grep -qxF -- "$tag" || fail "lintian tag not allowed: $tag"
  done
  ;;
hardening)
  # Built with Debian's hardening flags and stripped as Debian strips.
  root=$(unpacked) || exit 1
  # The command is static and loads nothing (the saver proper does).
  launcher=$root/usr/lib/tapwrite/tapwrite
  headers=$(readelf -l -d "$launcher") || fail "readelf cannot read tapwrite"
  ! grep -qE 'INTERP|NEEDED' <<<"$headers" || fail "tapwrite is not static: $headers"
  grep -q 'DYN (Position-Independent Executable file)' <<<"$(readelf -h "$launcher")" || fail "tapwrite is not PIE"
  # Full RELRO: the relocated data made read-only, every symbol bound at the start.
  for program in tapwrite tapwrite-saver tapwrite-feed tapwrite-idle; do
    file=$root/usr/lib/tapwrite/$program
    # Read whole first: grep -q would end readelf early, a failure under pipefail.
    headers=$(readelf -l -d "$file") || fail "readelf cannot read $program"
    grep -q GNU_RELRO <<<"$headers" || fail "$program has no RELRO segment"
    grep -qE '\(FLAGS\) +BIND_NOW' <<<"$headers" || fail "$program is not linked with BIND_NOW"
  done
  for program in tapwrite-saver tapwrite-feed tapwrite-idle; do
    file=$root/usr/lib/tapwrite/$program
    symbols=$(readelf --dyn-syms -W "$file") && sections=$(readelf -S -W "$file") || fail "readelf cannot read $program"
    grep -qE ' __[a-z0-9_]+_chk\b' <<<"$symbols" || fail "$program calls no fortified function"
    ! grep -qE ' \.(comment|note) ' <<<"$sections" || fail "$program keeps a .comment or .note section"
  done
  ;;
desktop)
  # MATE's entry is valid and starts what the package installs.
  root=$(unpacked) || exit 1
  entry=$root/usr/share/applications/screensavers/tapwrite.desktop
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
  for key in Exec TryExec; do
    program=$(sed -n "s/^$key=\([^ ]*\).*/\1/p" "$entry")
    [ -n "$program" ] || fail "$key is missing"
    target=$(readlink -f "$root$program")
    [ "${target#"$root"/}" != "$target" ] && [ -f "$target" ] && [ -x "$target" ] \
      || fail "$key=$program is no program of the package"
  done
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
  ! ldd /usr/lib/tapwrite/tapwrite-saver | grep 'not found' || fail "a library is missing"
  # The feed writers' tool, by bare name, measures with the linked font.
  printf 'One.\r\nTwo.\r\nThree.\r\nFour.\r\nFive.' >"$build/package-feed.txt"
  env -u DISPLAY tapwrite-feed check "$build/package-feed.txt" || fail "tapwrite-feed check of a clean feed failed"
  ;;
manual)
  for name in "6 tapwrite" "1 tapwrite-feed" "1 tapwrite-idle"; do
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
    # A folder that a package the install brought in (xscreensaver) shares stays.
    if { [ -e "$path" ] || [ -L "$path" ]; } && ! grep -qxF -- "$path" "$before" &&
        ! dpkg-query -S "$path" >/dev/null 2>&1; then
      echo "left behind: $path" >&2
      left=1
    fi
  done < <(package_paths)
  [ $left -eq 0 ] || fail "files of the package are left"
  ;;
*) fail "unknown step" ;;
esac
