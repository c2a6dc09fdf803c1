#!/usr/bin/env bash
# Makes a throw-away CA and a server certificate for 127.0.0.1 signed by it.
# Usage: make_test_certificates.sh FOLDER   (ca.pem, server.pem, server.key)
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
[ -s ca.pem ] && [ -s server.pem ] && [ -s server.key ] && exit 0
openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=Tapwrite test CA" \
  -keyout ca.key -out ca.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" -keyout server.key -out server.csr 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n' >server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 3650 \
  -extfile server.ext -out server.pem 2>/dev/null
