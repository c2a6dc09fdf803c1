#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build first,
# then the unit and display tests again under AddressSanitizer and LeakSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$top/build"
ctest --test-dir "$top/build" --output-on-failure
