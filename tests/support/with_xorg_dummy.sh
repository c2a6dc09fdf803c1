#!/usr/bin/env bash
# Runs a command on a private Xorg server with the dummy video driver and two
# monitors side by side, as a desk has them: DUMMY0 1920x1080 at 0,0 (the
# primary) and DUMMY1 1280x1024 at 1920,0. Stops the server afterwards.
# Usage: with_xorg_dummy.sh command [args...]
# Xvfb shows programs a single monitor however it is started, so this stands
# in for a desk. Xorg runs as root here (CI and the test command run as root).
# -noreset: the server keeps its settings (its screen saver's among them) when
# the last client leaves.
set -u
dir=$(mktemp -d)
trap 'kill "$xorg" 2>/dev/null; wait "$xorg" 2>/dev/null; rm -rf "$dir"' EXIT
cat >"$dir/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 3200 1080
  EndSubSection
EndSection
CONF
mkdir "$dir/conf.d"
mkfifo "$dir/displayfd"
Xorg -displayfd 3 -config "$dir/xorg.conf" -configdir "$dir/conf.d" -logfile "$dir/xorg.log" \
  -nolisten tcp -noreset -novtswitch -keeptty 3>"$dir/displayfd" >"$dir/xorg.out" 2>&1 &
xorg=$!
if ! read -r -t 30 number <"$dir/displayfd"; then
  echo "with_xorg_dummy: Xorg did not start (it needs root and xserver-xorg-video-dummy)" >&2
  tail -20 "$dir/xorg.out" "$dir/xorg.log" >&2
  exit 1
fi
export DISPLAY=":$number"
# The programs under test must meet this server, not the Wayland session
# the tests may have been started from.
unset WAYLAND_DISPLAY
if ! { xrandr --addmode DUMMY1 1280x1024 &&
       xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 --primary --output DUMMY1 --mode 1280x1024 --pos 1920x0; }; then
  echo "with_xorg_dummy: the two monitors could not be set up" >&2
  exit 1
fi
# One more query: the dummy driver reports the new output as connected only
# once it has been probed again.
xrandr >/dev/null
"$@"
