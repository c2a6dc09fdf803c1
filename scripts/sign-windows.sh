#!/usr/bin/env bash
# Signs Windows programs in place with osslsigncode (Authenticode, SHA-256),
# with the code-signing certificate and key of the PKCS#12 file that
# TAPWRITE_SIGN_PKCS12 names. Its password is read from the file that
# TAPWRITE_SIGN_PASSWORD_FILE names, by osslsigncode and openssl themselves:
# it is never on a command line, in the environment or printed. The signing
# time is SOURCE_DATE_EPOCH (the commit's time in a release) or else now, so
# one certificate signs a commit's files to the same bytes; a timestamp server
# is asked only when TAPWRITE_SIGN_TIMESTAMP_URL names one.
#   sign-windows.sh --check   whether the certificate can sign at all
#   sign-windows.sh FILE...   signs each file; one that fails is removed
# What fails is said in one line naming the file; the exit code is then 1.
set -uo pipefail
fail() { echo "signing: $*" >&2; exit 1; }
pkcs12=${TAPWRITE_SIGN_PKCS12:-}
password=${TAPWRITE_SIGN_PASSWORD_FILE:-}
[ -n "$pkcs12" ] || fail "TAPWRITE_SIGN_PKCS12 names no certificate"
[ -f "$pkcs12" ] && [ -r "$pkcs12" ] || fail "cannot read the certificate file $pkcs12"
[ -n "$password" ] || fail "TAPWRITE_SIGN_PASSWORD_FILE names no password file for $pkcs12"
[ -f "$password" ] && [ -r "$password" ] || fail "cannot read the password file $password"

# openssl reads what the file holds; older tools wrote algorithms it offers
# only with its legacy provider.
pkcs12Part() {
  openssl pkcs12 -in "$pkcs12" -passin "file:$password" "$@" 2>/dev/null \
    || openssl pkcs12 -legacy -in "$pkcs12" -passin "file:$password" "$@" 2>/dev/null
}

check() {
  pkcs12Part -noout || fail "wrong password in $password for $pkcs12, or it is no PKCS#12 file"
  # Counted, never kept: the key goes no further than the pipe.
  [ "$(pkcs12Part -nocerts -nodes | grep -c 'PRIVATE KEY-----')" -gt 0 ] \
    || fail "$pkcs12 holds no private key to sign with"
  local certificate
  certificate=$(pkcs12Part -nokeys -clcerts) && [ -n "$certificate" ] || fail "$pkcs12 holds no certificate"
  openssl x509 -noout -checkend 0 <<<"$certificate" >/dev/null || fail "the certificate in $pkcs12 has expired"
  local usage
  usage=$(openssl x509 -noout -ext extendedKeyUsage <<<"$certificate" 2>/dev/null)
  [ -z "$usage" ] || grep -q 'Code Signing' <<<"$usage" || fail "the certificate in $pkcs12 is not for code signing"
}

if [ "${1:-}" = --check ]; then
  check
  exit 0
fi
check
time=${SOURCE_DATE_EPOCH:-$(date +%s)}
timestamp=()
[ -z "${TAPWRITE_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$TAPWRITE_SIGN_TIMESTAMP_URL")
for file; do
  signed=$file.signed
  rm -f "$signed"
  if ! output=$(osslsigncode sign -pkcs12 "$pkcs12" -readpass "$password" -h sha256 -time "$time" \
      -n "Tapwrite Screen Saver" "${timestamp[@]}" -in "$file" -out "$signed" 2>&1); then
    rm -f "$signed" "$file"
    fail "osslsigncode could not sign $file with $pkcs12: $(grep -v '^$' <<<"$output" | head -1)"
  fi
  mv -f "$signed" "$file"
done
