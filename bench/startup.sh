#!/usr/bin/env bash
# Start-up times on a private 1920x1080 X screen.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS] [STALLED_RUNS]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build
if [ $# -gt 0 ] && [ -d "$1" ]; then
  build=$1
  shift
fi
if [ ! -x "$build/bench/startup_bench" ]; then
  echo "startup.sh: $build/bench/startup_bench not built (make startup_bench)" >&2
  exit 1
fi
exec "$here/../tests/support/with_xvfb.sh" 1920x1080 "$build/bench/startup_bench" "$@"
