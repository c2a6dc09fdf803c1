#!/usr/bin/env bash
# The release command run twice on the checked-out commit, in two clones at
# different paths, at different times and under different umasks, both with
# the same finished Windows library prefix: every file of dist/ must be the
# same bytes, and SHA256SUMS must check and cover them all. dist/ must carry
# the licence of each bundled library and the list of their versions, as the
# prefix's sources have them; and a prefix made for other source versions than
# apt-get source would fetch now must not be reused.
# With --signed, both releases are signed with a throw-away code-signing
# certificate: the saver, the installer and the uninstaller it writes (run
# under Wine, on a display of its own) verify against the throw-away CA, and a
# wrong password stops the release with a line naming the password file and
# no dist/.
#   release_twice.sh SOURCE_CHECKOUT WORK_FOLDER WINDOWS_DEPS [--signed]
set -uo pipefail
source=$1
work=$2
export TAPWRITE_WINDOWS_DEPS=$3
signed=${4:-}
fail() { echo "release_twice: $*" >&2; exit 1; }
commit=$(git -C "$source" rev-parse HEAD) || fail "$source is not a git checkout"
[ -z "$(git -C "$source" status --porcelain)" ] || echo "release_twice: uncommitted changes are not tested, only $commit"
rm -rf "$work"
mkdir -p "$work"
table=$source/scripts/windows-libraries.txt

release() {
  local clone=$1 mask=$2
  (umask "$mask" && git clone -q --no-checkout "$source" "$clone" && git -C "$clone" checkout -q "$commit") \
    || fail "cannot clone $commit into $clone"
  (umask "$mask" && bash "$clone/scripts/release.sh") >"$clone.log" 2>&1 \
    || { tail -30 "$clone.log"; fail "the release in $clone failed (log: $clone.log)"; }
}
if [ "$signed" = --signed ]; then
  certificates=$work/certificates
  bash "$source/tests/support/make_test_certificates.sh" "$certificates" || fail "no test certificates"
  printf 'throw-away pass\n' >"$work/password"
  openssl pkcs12 -export -inkey "$certificates/signer.key" -in "$certificates/signer.pem" \
    -passout "file:$work/password" -out "$work/signer.p12" || fail "no PKCS#12 file"
  export TAPWRITE_SIGN_PKCS12=$work/signer.p12 TAPWRITE_SIGN_PASSWORD_FILE=$work/password
  unset TAPWRITE_SIGN_TIMESTAMP_URL

  printf 'not the password\n' >"$work/wrong"
  wrong=$work/wrong-password
  git clone -q --no-checkout "$source" "$wrong" && git -C "$wrong" checkout -q "$commit" || fail "cannot clone into $wrong"
  TAPWRITE_SIGN_PASSWORD_FILE=$work/wrong bash "$wrong/scripts/release.sh" >"$wrong.log" 2>&1 \
    && fail "a release with a wrong password succeeded"
  grep -qx "signing: wrong password in $work/wrong for $work/signer.p12, or it is no PKCS#12 file" "$wrong.log" \
    || { cat "$wrong.log"; fail "no line naming the wrong password's file"; }
  ! grep -q 'not the password' "$wrong.log" || fail "the password was printed"
  [ ! -e "$wrong/dist" ] || fail "a release with a wrong password left $wrong/dist"
fi

first=$work/a
second=$work/second-clone/b
release "$first" 022
release "$second" 077

(cd "$first/dist" && sha256sum -c SHA256SUMS) || fail "sha256sum -c failed"
files=$(cd "$first/dist" && ls)
for pattern in 'tapwrite_[0-9.]*-[0-9]*_amd64\.deb' 'tapwrite-setup\.exe' 'tapwrite\.scr' \
    'tapwrite-[0-9.]*\.tar\.gz' 'libraries\.txt' 'SHA256SUMS'; do
  grep -qx "$pattern" <<<"$files" || fail "dist/ has no $pattern"
done
# Each library's licence and line "<name> <upstream> (Debian source <package>
# <version>)", read against the source its prefix was built from.
list=$first/dist/libraries.txt
[ "$(wc -l <"$list")" -eq "$(grep -c '^[a-z]' "$table")" ] || fail "libraries.txt has not one line a library"
while read -r package name licence; do
  tree=$(echo "$TAPWRITE_WINDOWS_DEPS/src/$package"-[0-9]*)
  cmp -s "$tree/$licence" "$first/dist/$name-licence.txt" || fail "dist/$name-licence.txt is not $package's $licence"
  version=$(dpkg-parsechangelog -l "$tree/debian/changelog" -S Version) || fail "no source of $package in the prefix"
  line=$(grep "^$name " "$list") || fail "libraries.txt names no $name"
  read -r _ upstream rest <<<"$line"
  # The upstream version leads the Debian one, or follows "really" in a repack's.
  [ "$rest" = "(Debian source $package $version)" ] \
    && [[ ${version#*:} == "$upstream"[-+.~]* || ${version#*:} == *[+~]really"$upstream"[-+.~]* ]] \
    || fail "libraries.txt says '$line' of $package $version"
done < <(grep '^[a-z]' "$table")
[ "$(grep -vx SHA256SUMS <<<"$files")" = "$(cut -c67- "$first/dist/SHA256SUMS")" ] \
  || fail "SHA256SUMS does not list exactly the other files"
[ "$files" = "$(cd "$second/dist" && ls)" ] || fail "the two dist/ folders hold different files"

differ=0
for file in $files; do
  if ! cmp -s "$first/dist/$file" "$second/dist/$file"; then
    echo "differs: $file" >&2
    differ=1
    if command -v diffoscope >/dev/null; then
      diffoscope --text - "$first/dist/$file" "$second/dist/$file" | head -n 300
    fi
  fi
done
[ $differ -eq 0 ] || fail "the release is not reproducible"

if [ "$signed" = --signed ]; then
  verify() {
    osslsigncode verify -CAfile "$certificates/ca.pem" -in "$1" >"$work/verify.log" 2>&1 \
      || { cat "$work/verify.log"; fail "$1 does not verify"; }
    grep -q 'Message digest algorithm *: SHA256' "$work/verify.log" || fail "$1 is not signed with SHA-256"
  }
  verify "$first/dist/tapwrite.scr"
  verify "$first/dist/tapwrite-setup.exe"
  # The uninstaller exists only as the installer writes it.
  export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
  rm -rf "$WINEPREFIX"
  trap 'wineserver -k 2>/dev/null' EXIT
  timeout 300 wineboot --init >/dev/null 2>&1 && timeout 120 wineserver -w || fail "Wine did not boot"
  timeout 120 wine "$first/dist/tapwrite-setup.exe" /S && timeout 120 wineserver -w || fail "the silent installation failed"
  folder="$WINEPREFIX/drive_c/Program Files/Korvane/Tapwrite Screensaver"
  verify "$folder/uninstall.exe"
  cmp -s "$WINEPREFIX/drive_c/windows/system32/tapwrite.scr" "$first/dist/tapwrite.scr" \
    || fail "the installed saver is not the signed one of dist/"
fi

# The prefix the releases used is reused as it is; with the recorded version
# of one source changed in its key (a copy, in a folder of its own) it is not.
deps=$source/scripts/windows-deps.sh
bash "$deps" --check "$TAPWRITE_WINDOWS_DEPS" || fail "$TAPWRITE_WINDOWS_DEPS would not be reused"
mkdir -p "$work/stale/prefix"
for package in $(awk '/^[a-z]/ { print $1 }' "$table"); do
  sed "s/^$package [^ ]*/$package 0.0-0/" "$TAPWRITE_WINDOWS_DEPS/prefix/.key" >"$work/stale/prefix/.key"
  decision=$(bash "$deps" --check "$work/stale") && fail "a prefix made for $package 0.0-0 would be reused"
  grep -q "would now fetch $package .*made for 0.0-0" <<<"$decision" || fail "no word of $package's source in: $decision"
done
ls -l "$first/dist"
cat "$first/dist/SHA256SUMS"
