#!/usr/bin/env bash
# What a new user does on a fresh Debian machine, in the checkout: the README's
# run command (its screenshot must show the page), then the test command's
# normal build with its unit and display tests.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
. /etc/os-release
echo "fresh Debian stage on $PRETTY_NAME"

TAPWRITE_DEMO_SECONDS=6 bash scripts/run.sh
shot=build/tapwrite-screenshot.png
# The sheet stands at the bottom, centred, 60 % of the width; the rest is black.
read -r size paper left top < <(convert "$shot" -format \
  '%wx%h %[fx:p{w/2,h-3}.intensity] %[fx:p{w/10,h-3}.intensity] %[fx:p{w/2,3}.intensity]\n' info:)
echo "screenshot $size: paper $paper, beside it $left, top $top"
awk -v p="$paper" -v l="$left" -v t="$top" 'BEGIN { exit !(p > 0.6 && l < 0.05 && t < 0.05) }' ||
  { echo "fresh Debian stage: the screenshot does not show the page" >&2; exit 1; }

bash scripts/install-deps.sh --unit-display
bash scripts/build.sh build -DBUILD_TESTING=ON
ctest --test-dir build --output-on-failure -L 'unit|display'
