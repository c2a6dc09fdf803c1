#!/usr/bin/env bash
# Runs a benchmark on a private 1920x1080 X screen: the frame benchmark, or
# with --startup the start-up benchmark (as bench/startup.sh does), or with
# --idle the idle companion's wake-ups and CPU, idle and in use, or with
# --dark the saver's wake-ups and CPU with its monitors on and powered down.
# Usage: bench/run.sh [--startup] [BUILD_DIR] [--samples N] [--cpu-lines N] [--pages N]
#        bench/run.sh --idle [BUILD_DIR] [SECONDS]
#        bench/run.sh --dark [BUILD_DIR] [SECONDS]
#        bench/startup.sh [BUILD_DIR] [RUNS] [STALLED_RUNS]
# BUILD_DIR defaults to build/ at the top of the source tree.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=frame_bench
target=frame_bench
if [ "${1:-}" = "--startup" ]; then
  program=bench/startup_bench
  target=startup_bench
  shift
elif [ "${1:-}" = "--idle" ] || [ "${1:-}" = "--dark" ]; then
  program=bench/idle_bench
  target=idle_bench
  mode=$1
  shift
fi
build=$here/../build
if [ $# -gt 0 ] && [ -d "$1" ]; then
  build=$1
  shift
fi
if [ ! -x "$build/$program" ]; then
  echo "run.sh: $build/$program not built (make $target)" >&2
  exit 1
fi
if [ "${mode:-}" = --idle ]; then
  set -- "$build/tapwrite-idle" "$@"
elif [ "${mode:-}" = --dark ]; then
  set -- --dark "$@"
fi
exec "$here/../tests/support/with_xvfb.sh" 1920x1080 "$build/$program" "$@"
