#!/usr/bin/env bash
# Runs the frame benchmark on a private 1920x1080 X screen.
# Usage: bench/run.sh [BUILD_DIR] [--samples N] [--cpu-lines N] [--pages N]
# BUILD_DIR defaults to build/ at the top of the source tree.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$here/../build
if [ $# -gt 0 ] && [ -d "$1" ]; then
  build=$1
  shift
fi
if [ ! -x "$build/frame_bench" ]; then
  echo "run.sh: $build/frame_bench not built (make frame_bench)" >&2
  exit 1
fi
exec "$here/../tests/support/with_xvfb.sh" 1920x1080 "$build/frame_bench" "$@"
