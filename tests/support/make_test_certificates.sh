#!/usr/bin/env bash
# Makes a throw-away CA and a server certificate for 127.0.0.1 signed by it,
# and a hostile one: signed by the same CA, with no subjectAltName, so that
# libcurl quotes its common name, which holds terminal escapes (OSC title,
# clear screen, colour; ESC, BEL and the C1 CSI). And a code-signing
# certificate from the same CA, for the signed Windows release.
# Usage: make_test_certificates.sh FOLDER
#   (ca.pem, server.pem, server.key, hostile.pem, hostile.key, signer.pem, signer.key)
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
[ -s ca.pem ] && [ -s server.pem ] && [ -s server.key ] && [ -s hostile.pem ] && [ -s hostile.key ] \
  && [ -s signer.pem ] && [ -s signer.key ] && exit 0
openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Tapwrite test CA" \
  -keyout ca.key -out ca.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout server.key -out server.csr 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n' >server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 \
  -extfile server.ext -out server.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -utf8 -subj "/CN=$(printf 'x\033]0;owned\007\033[2J\033[41m\302\23331m')" \
  -keyout hostile.key -out hostile.csr 2>/dev/null
openssl x509 -req -in hostile.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 -out hostile.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=Tapwrite test signer" -keyout signer.key -out signer.csr 2>/dev/null
printf 'extendedKeyUsage=codeSigning\nkeyUsage=critical,digitalSignature\nbasicConstraints=CA:FALSE\n' >signer.ext
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 \
  -extfile signer.ext -out signer.pem 2>/dev/null
