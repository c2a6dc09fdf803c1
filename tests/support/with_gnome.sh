#!/usr/bin/env bash
# Runs a command beside a private GNOME session: gnome-shell headless on
# Wayland with two virtual monitors side by side, 1920x1080 at 0,0 and
# 1280x1024 at 1920,0, on a session bus of its own (dbus-run-session), with
# the Activities overview it starts in closed. A person's keys and pointer and
# pictures of the desk come through gnome_desk.py (org.tapwrite.Desk on the
# session bus). Stops all of it afterwards.
# Usage: with_gnome.sh command [args...]   (as root, in a throw-away root:
#   it starts the system bus and makes the account tapwritehost)
# The command gets WAYLAND_DISPLAY, XDG_RUNTIME_DIR, DBUS_SESSION_BUS_ADDRESS
# and the account the session runs as (TAPWRITE_SESSION_USER); the session's
# programs have to run as that account.
set -u
if [ "$(id -u)" -ne 0 ]; then
  echo "with_gnome: needs root (the system bus, the session's account)" >&2
  exit 1
fi
. "$(dirname "$0")/session_account.sh"
pids=()
dir=$(mktemp -d)
as_user+=(env HOME="$dir" XDG_RUNTIME_DIR="$dir")
stop() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; wait "${pids[i]}" 2>/dev/null; done
  rm -rf "$dir"
}
trap stop EXIT
chmod 0700 "$dir"
chown "$user:" "$dir"

# Even headless, the shell wants a system bus and an X socket folder.
mkdir -p /run/dbus /tmp/.X11-unix
chmod 1777 /tmp/.X11-unix
dbus-daemon --system --nofork --nopidfile &
pids+=($!)
for _ in $(seq 50); do [ -S /run/dbus/system_bus_socket ] && break; sleep 0.1; done

unset WAYLAND_DISPLAY DISPLAY DBUS_SESSION_BUS_ADDRESS
# The shell and its session bus, in a process group of their own.
start_shell() {
  rm -f "$dir/bus" "$dir"/wayland-*
  setsid "${as_user[@]}" dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$HOME/bus" &&
    exec gnome-shell --headless --wayland --virtual-monitor 1920x1080 --virtual-monitor 1280x1024' \
    >"$dir/shell.log" 2>&1 &
  shell=$!
  pids+=("$shell")
}
overview() {
  "${as_user[@]}" DBUS_SESSION_BUS_ADDRESS="$(cat "$dir/bus" 2>/dev/null)" dbus-send --session --print-reply \
    --reply-timeout=2000 --dest=org.gnome.Shell /org/gnome/Shell org.freedesktop.DBus.Properties."$1" \
    string:org.gnome.Shell string:OverviewActive ${2:+"$2"} 2>&1
}
# It opens the overview once its start-up is done; closed before, it would
# open it again. Within 60 s.
wait_for_overview() {
  local deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ]; do
    overview Get | grep -q "boolean $1" && return 0
    sleep 0.1
  done
  echo "with_gnome: gnome-shell did not start, or its overview is not $1" >&2
  tail -30 "$dir/shell.log" >&2
  return 1
}
# Now and then the shell hangs in its start-up, a child it forked stuck
# before it could run anything: that shell is ended and another started.
started=0
for _ in 1 2 3; do
  start_shell
  if wait_for_overview true; then
    started=1
    break
  fi
  kill -KILL -- -"$shell" 2>/dev/null
  wait "$shell" 2>/dev/null
done
[ $started -eq 1 ] || exit 1
overview Set variant:boolean:false >&2
wait_for_overview false || exit 1
export DBUS_SESSION_BUS_ADDRESS=$(cat "$dir/bus") XDG_RUNTIME_DIR=$dir TAPWRITE_SESSION_USER=$user
export WAYLAND_DISPLAY=$(cd "$dir" && ls wayland-* | grep -v lock | head -1)

"${as_user[@]}" /usr/bin/python3 "$(dirname "$0")/gnome_desk.py" >"$dir/desk.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -qs ready "$dir/desk.log" && break; sleep 0.1; done
if ! grep -q ready "$dir/desk.log"; then
  echo "with_gnome: the desk's input and pictures did not start" >&2
  cat "$dir/desk.log" >&2
  exit 1
fi
"$@"
