#!/usr/bin/env bash
# Runs the real saver under valgrind on the current X display: the paper feed,
# some typing, then a key press. Passes when the run ends with code 0 and
# valgrind finds no block definitely or indirectly lost outside the graphics
# stack's own one-time allocations.
# With a port and a folder, the saver's requests are answered first by the
# tests' loopback service from the files in that folder.
# Usage: valgrind_leak_check.sh SAVER SUPPRESSIONS [PORT SERVICE_FOLDER]
set -u
saver=$1
suppressions=$2
log=$(mktemp)
service=$(mktemp -d)
trap 'rm -f "$log"; [ -n "${fixture:-}" ] && kill "$fixture"; rm -rf "$service"' EXIT
if [ $# -ge 4 ]; then
  cp "$4"/* "$service"
  python3 "$(dirname "$0")/../support/service_fixture.py" "$3" "$service" &
  fixture=$!
  for _ in $(seq 1 100); do [ -e "$service/ready" ] && break; sleep 0.1; done
fi

valgrind --leak-check=full --show-leak-kinds=definite,indirect --keep-debuginfo=yes \
  --num-callers=40 --suppressions="$suppressions" --log-file="$log" "$saver" /s &
pid=$!
# Valgrind is slow to start the GL stack: let the feed finish and a few lines type.
sleep "${TAPWRITE_LEAK_RUN_SECONDS:-30}"
xdotool key space
for _ in $(seq 1 120); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the saver did not end after the key press"
  kill -9 "$pid"
  exit 1
fi
wait "$pid"
code=$?
if [ -n "${fixture:-}" ] && [ "$(cat "$service/requests.log" 2>/dev/null)" != $'GET /sstext\nGET /sys' ]; then
  echo "the service was not asked as expected: $(cat "$service/requests.log" 2>/dev/null)"
  exit 1
fi
sed -n '/LEAK SUMMARY/,/suppressed:/p' "$log"
definite=$(sed -n 's/.*definitely lost: \([0-9,]*\) bytes.*/\1/p' "$log" | tr -d , | tail -1)
indirect=$(sed -n 's/.*indirectly lost: \([0-9,]*\) bytes.*/\1/p' "$log" | tr -d , | tail -1)
if [ "$code" -ne 0 ]; then
  echo "exit code $code"
  exit 1
fi
if [ -z "$definite" ] && grep -q "All heap blocks were freed" "$log"; then
  definite=0 indirect=0
fi
if [ "${definite:-x}" != 0 ] || [ "${indirect:-x}" != 0 ]; then
  echo "leaks found:"
  grep -A40 "are definitely lost\|are indirectly lost" "$log" | head -120
  exit 1
fi
echo "no leak: definitely lost 0, indirectly lost 0"
