#!/usr/bin/env bash
# Runs a command on a private Xvfb screen of the given size, then stops the server.
# Usage: with_xvfb.sh [server options...] WIDTHxHEIGHT command [args...]
# e.g. -ac lets every local client in, other accounts' included; -extension
# RANDR makes a server without RandR.
# -noreset: by default the server resets whenever its last client leaves and
# refuses connections meanwhile, so a program connecting while a short-lived
# one (xscreensaver-command, xdotool) disconnects was sometimes turned away.
set -u
options=()
while [ $# -gt 0 ] && ! [[ "$1" =~ ^[0-9]+x[0-9]+$ ]]; do
  options+=("$1")
  shift
done
size=$1
shift
dir=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$dir"' EXIT
mkfifo "$dir/displayfd"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset "${options[@]}" +extension GLX 3>"$dir/displayfd" 2>"$dir/xvfb.log" &
xvfb=$!
if ! read -r -t 20 number <"$dir/displayfd"; then
  echo "with_xvfb: Xvfb did not start" >&2
  cat "$dir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$number"
# The programs under test must meet this server, not the Wayland session
# the tests may have been started from.
unset WAYLAND_DISPLAY
"$@"
