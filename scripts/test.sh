#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build first
# (with the leak check under valgrind, and the Windows saver and its installer
# under Wine), the fuzzers, then the whole suite again built with
# AddressSanitizer and UndefinedBehaviorSanitizer. Any stage that cannot run
# fails the command, saying why.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" --tests

windows=$top/build-windows/saver
"$top/scripts/build.sh" "$top/build" -DBUILD_TESTING=ON -DTAPWRITE_WINDOWS_BUILD="$windows"
"$top/scripts/build-windows.sh" "$windows"
ctest --test-dir "$top/build" --output-on-failure

# The parsers and the switch decoder under libFuzzer, half a minute each.
"$top/scripts/fuzz.sh" 30

"$top/scripts/build.sh" "$top/build-asan" -DBUILD_TESTING=ON -DTAPWRITE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
# Leaks are the valgrind check's job: the GL driver keeps allocations of its own.
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir "$top/build-asan" --output-on-failure

# The other Debian release, fresh, as a new user meets it: the run command and
# the normal build's unit, display and package tests there, and, where that
# release is the newer one, the package made here installed and run there (one
# made on Debian 13 needs its libraries, and installs on 13 only).
other=bookworm newer=()
if [ "$(. /etc/os-release && echo "${VERSION_CODENAME:-}")" != trixie ]; then
  other=trixie newer=(--with "$top/build/tapwrite_5.0-1_amd64.deb")
fi
"$top/tests/support/in_debian_root.sh" "${newer[@]}" "$other" bash tests/support/fresh_debian_stage.sh
