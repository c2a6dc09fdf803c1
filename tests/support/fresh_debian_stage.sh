#!/usr/bin/env bash
# What a new user does on a fresh Debian machine, in the checkout: the README's
# run command (its screenshot must show the page), then the test command's
# normal build with its unit, display and package tests. A package made on
# another release, when one lies in foreign/, must install and run here too.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
. /etc/os-release
echo "fresh Debian stage on $PRETTY_NAME"

# The sheet stands at the bottom, centred, 60 % of the width; the rest is black.
shows_page() {
  local size paper beside top
  read -r size paper beside top < <(convert "$1" -format \
    '%wx%h %[fx:p{w/2,h-3}.intensity] %[fx:p{w/10,h-3}.intensity] %[fx:p{w/2,3}.intensity]\n' info:)
  echo "$1 $size: paper $paper, beside it $beside, top $top"
  awk -v p="$paper" -v b="$beside" -v t="$top" 'BEGIN { exit !(p > 0.6 && b < 0.05 && t < 0.05) }'
}

export -f shows_page
TAPWRITE_DEMO_SECONDS=6 bash scripts/run.sh
shows_page build/tapwrite-screenshot.png ||
  { echo "fresh Debian stage: the run command's screenshot does not show the page" >&2; exit 1; }

bash scripts/install-deps.sh --unit-display --package-checks
bash scripts/build.sh build -DBUILD_TESTING=ON
ctest --test-dir build --output-on-failure --repeat until-pass:2 -L 'unit|display|package'

for deb in foreign/*.deb; do
  [ -f "$deb" ] || continue
  echo "installing $deb, made on another release"
  DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb"
  # Run by its bare name until its page shows (20 s at most), then ended by a key.
  tests/support/with_xvfb.sh 1920x1080 bash -c '
    tapwrite /s & saver=$!
    shown=1
    for _ in $(seq 40); do
      sleep 0.5
      import -window root /tmp/foreign.png 2>/dev/null && shows_page /tmp/foreign.png && { shown=0; break; }
    done
    xdotool key space
    wait "$saver" && exit $shown' ||
    { echo "fresh Debian stage: the package made on another release does not show the page" >&2; exit 1; }
done
