#!/usr/bin/env bash
# Start-up times on a private 1920x1080 X screen.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS] [STALLED_RUNS]
exec "$(dirname "$0")/run.sh" --startup "$@"
