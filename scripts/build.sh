#!/usr/bin/env bash
# Configures and builds into build/ (or the folder given as the first argument);
# further arguments go to cmake.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$top/build}
shift || true
cmake -S "$top" -B "$dir" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
