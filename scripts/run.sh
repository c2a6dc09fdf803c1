#!/usr/bin/env bash
# Installs what is missing, builds and runs the saver. Without an X display it
# starts a virtual one, lets the saver type for a few seconds, saves a
# screenshot, ends the saver with a real key press and says where the picture is.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
# The saver alone: the test programs are the test command's business.
"$top/scripts/build.sh" "$top/build" -DBUILD_TESTING=OFF
saver="$top/build/tapwrite"

if [ -n "${DISPLAY:-}" ]; then
  exec "$saver" /s
fi

seconds=${TAPWRITE_DEMO_SECONDS:-8}
shot="$top/build/tapwrite-screenshot.png"
demo() {
  "$saver" /s &
  pid=$!
  sleep "$seconds"
  import -window root "$shot"
  xdotool key space
  wait "$pid"
}
export -f demo
export saver seconds shot
"$top/tests/support/with_xvfb.sh" 1920x1080 bash -c demo
echo "The saver ran on a virtual 1920x1080 screen for ${seconds} s and ended on a key press."
echo "Screenshot: $shot"
