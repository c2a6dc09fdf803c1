#!/usr/bin/env bash
# Runs a command beside a private Cinnamon session, the desk of Linux Mint:
# cinnamon-session's software-rendered session (cinnamon2d) on a private
# Xvfb screen of 1920x1080, on a session bus of its own, with Cinnamon's own
# settings. A person's keys and pointer and pictures of the desk are the X
# server's (xdotool, import), as on the plain X desk. Stops all of it
# afterwards.
# Usage: with_cinnamon.sh command [args...]   (as root, in a throw-away root:
#   it starts the system bus and makes the account tapwritehost)
# The command gets DISPLAY, XDG_RUNTIME_DIR, DBUS_SESSION_BUS_ADDRESS and the
# account the session runs as (TAPWRITE_SESSION_USER); the session's programs
# have to run as that account.
set -u
if [ "$(id -u)" -ne 0 ]; then
  echo "with_cinnamon: needs root (the system bus, the session's account)" >&2
  exit 1
fi
# The session's account reaches the server as root's clients do: the server
# lets every local client in.
if [ -z "${TAPWRITE_CINNAMON_SCREEN:-}" ]; then
  TAPWRITE_CINNAMON_SCREEN=1 exec "$(dirname "$0")/with_xvfb.sh" -ac 1920x1080 "$0" "$@"
fi
. "$(dirname "$0")/session_account.sh"
pids=()
session=
dir=$(mktemp -d)
stop() {
  # The session's processes share one group: its bus, the session manager
  # and all it started (the shield started on demand among them).
  if [ -n "$session" ]; then
    kill -- -"$session" 2>/dev/null
    wait "$session" 2>/dev/null
    kill -KILL -- -"$session" 2>/dev/null
  fi
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; wait "${pids[i]}" 2>/dev/null; done
  rm -rf "$dir"
}
trap stop EXIT
chmod 0700 "$dir"
chown "$user:" "$dir"

# The session's programs (and the saver's libraries) want the machine's id,
# which a fresh root leaves empty.
[ -s /etc/machine-id ] || dbus-uuidgen >/etc/machine-id
# The session manager and the settings daemon want a system bus.
mkdir -p /run/dbus
rm -f /run/dbus/system_bus_socket
dbus-daemon --system --nofork --nopidfile &
pids+=($!)
for _ in $(seq 50); do [ -S /run/dbus/system_bus_socket ] && break; sleep 0.1; done

unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
setsid "${as_user[@]}" env HOME="$dir" XDG_RUNTIME_DIR="$dir" DISPLAY="$DISPLAY" XDG_SESSION_TYPE=x11 \
  XDG_SESSION_DESKTOP=cinnamon2d XDG_CURRENT_DESKTOP=X-Cinnamon dbus-run-session -- \
  sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$HOME/bus" && exec cinnamon-session --session cinnamon2d' \
  >"$dir/session.log" 2>&1 &
session=$!
on_bus() {
  "${as_user[@]}" env DBUS_SESSION_BUS_ADDRESS="$(cat "$dir/bus" 2>/dev/null)" dbus-send --session --print-reply \
    --reply-timeout=2000 "$@" 2>/dev/null
}
# Ready once the session manager is past its start-up, the shell says it
# runs (its start-up done, the desk shown) and csd-screensaver-proxy, which
# players ask to hold the saver off, is on the bus. Within 60 s.
ready() {
  on_bus --dest=org.gnome.SessionManager /org/gnome/SessionManager org.gnome.SessionManager.IsSessionRunning |
    grep -q "boolean true" &&
    on_bus --dest=org.Cinnamon /org/Cinnamon org.Cinnamon.GetRunState | grep -q "int32 2" &&
    on_bus --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner string:org.freedesktop.ScreenSaver |
    grep -q "boolean true"
}
deadline=$((SECONDS + 60))
until ready; do
  if [ $SECONDS -ge $deadline ] || ! kill -0 "$session" 2>/dev/null; then
    echo "with_cinnamon: the Cinnamon session did not start" >&2
    tail -40 "$dir/session.log" >&2
    exit 1
  fi
  sleep 0.2
done
echo "with_cinnamon: the session ready after $SECONDS s" >&2
export DBUS_SESSION_BUS_ADDRESS=$(cat "$dir/bus") XDG_RUNTIME_DIR=$dir TAPWRITE_SESSION_USER=$user
"$@"
