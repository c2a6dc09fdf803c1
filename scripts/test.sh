#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build first
# (with the leak check under valgrind), the fuzzers, then the whole suite again
# built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" --tests

"$top/scripts/build.sh" "$top/build"
ctest --test-dir "$top/build" --output-on-failure

# The parsers and the switch decoder under libFuzzer, half a minute each.
"$top/scripts/fuzz.sh" 30

"$top/scripts/build.sh" "$top/build-asan" -DTAPWRITE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
# Leaks are the valgrind check's job: the GL driver keeps allocations of its own.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir "$top/build-asan" --output-on-failure
