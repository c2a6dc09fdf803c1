#!/usr/bin/env bash
# Runs a command beside a private KWin session, Plasma's compositor on its
# virtual backend: two outputs of 1920x1080 side by side (KWin gives every
# virtual output the same size), software rendering, its own session bus and
# no lock screen. A person's keys and pointer come through
# org_kde_kwin_fake_input and pictures through org.kde.KWin.ScreenShot2,
# both open to every client here. The session's program is FAKE_INPUT's
# holder, connected throughout: the seat has a pointer only while a fake
# input client is.
# Stops all of it afterwards.
# Usage: with_kwin.sh FAKE_INPUT command [args...]
# The command gets WAYLAND_DISPLAY, XDG_RUNTIME_DIR, KWin's bus in
# DBUS_SESSION_BUS_ADDRESS and the account the session runs as
# (TAPWRITE_SESSION_USER), as with_sway.sh gives them.
# As root it runs as the unprivileged account tapwritehost, made when missing.
set -u
. "$(dirname "$0")/session_account.sh"
fake_input=$1
shift
dir=$(mktemp -d)
session=
stop() {
  # The session's processes share one group: KWin, its bus and the holder.
  if [ -n "$session" ]; then
    kill -- -"$session" 2>/dev/null
    wait "$session" 2>/dev/null
  fi
  rm -rf "$dir"
}
trap stop EXIT
chmod 0700 "$dir"
chown "$user:" "$dir"
# kwin_wayland carries the file capability cap_sys_resource, and where the
# machine's bounding set lacks it the program cannot start; a copy has none.
cp "$(command -v kwin_wayland)" "$dir/kwin_wayland"
cat >"$dir/session" <<SESSION
#!/bin/sh
echo "\$DBUS_SESSION_BUS_ADDRESS" >"$dir/bus"
exec "$fake_input" hold >"$dir/held"
SESSION
chmod 0755 "$dir/session"
unset WAYLAND_DISPLAY DISPLAY DBUS_SESSION_BUS_ADDRESS
setsid "${as_user[@]}" env HOME="$dir" XDG_RUNTIME_DIR="$dir" \
  KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
  dbus-run-session -- "$dir/kwin_wayland" --virtual --width 1920 --height 1080 --output-count 2 \
  --socket wayland-kwin --no-lockscreen --exit-with-session "$dir/session" >"$dir/kwin.log" 2>&1 &
session=$!
for _ in $(seq 200); do
  [ "$(cat "$dir/held" 2>/dev/null)" = held ] && [ -s "$dir/bus" ] && break
  kill -0 "$session" 2>/dev/null || break
  sleep 0.1
done
if [ "$(cat "$dir/held" 2>/dev/null)" != held ]; then
  echo "with_kwin: KWin did not start" >&2
  cat "$dir/kwin.log" >&2
  exit 1
fi
export WAYLAND_DISPLAY=wayland-kwin XDG_RUNTIME_DIR=$dir TAPWRITE_SESSION_USER=$user
export DBUS_SESSION_BUS_ADDRESS=$(cat "$dir/bus")
# KWin 6 takes pictures only where it composites with OpenGL, which its
# virtual backend does only on a DRM render node (KWin 5 did without one).
offers_pictures() {
  "${as_user[@]}" dbus-send --session --print-reply --dest=org.kde.KWin /org/kde/KWin/ScreenShot2 \
    org.freedesktop.DBus.Introspectable.Introspect 2>/dev/null | grep -q CaptureWorkspace
}
for _ in $(seq 50); do offers_pictures && break; sleep 0.1; done
if ! offers_pictures; then
  echo "with_kwin: KWin offers no pictures of the desk here (no DRM render node for OpenGL)" >&2
  export TAPWRITE_DESK_NO_PICTURES=1
fi
"$@"
