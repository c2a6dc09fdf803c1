#!/usr/bin/env bash
# Runs a command beside a private sway session with two outputs side by side,
# as a desk has them: X11-1 1920x1080 at 0,0 and X11-2 1280x1024 at 1920,0, a
# light grey desktop and a red swaybar along the bottom of each. The outputs
# are windows of a private Xvfb (in DISPLAY): an output goes, as one unplugged
# or switched off does, when its window is closed (WM_DELETE_WINDOW), which
# wlroots' headless outputs cannot do. A person's pointer and keys come
# through wayvnc (its virtual pointer and keyboard, reached on a UNIX socket
# with vnc_input.py).
# Stops all of it afterwards.
# Usage: with_sway.sh command [args...]
# The command gets WAYLAND_DISPLAY, XDG_RUNTIME_DIR, SWAYSOCK, the account
# the session runs as (TAPWRITE_SESSION_USER) and wayvnc's socket
# (TAPWRITE_VNC_SOCKET). wayvnc shows X11-1, and its pointer spans a
# region of that size, which `swaymsg input type:pointer map_to_region` puts
# anywhere on the desk.
# sway refuses to run as root, so as root it runs as the unprivileged account
# tapwritehost, made when missing; its clients have to run as that account too.
set -u
if [ -z "${TAPWRITE_SWAY_OUTPUT_SERVER:-}" ]; then
  # -ac: the session's account is not the one that starts the server.
  TAPWRITE_SWAY_OUTPUT_SERVER=1 exec "$(dirname "$0")/with_xvfb.sh" -ac 1920x1080 "$0" "$@"
fi
. "$(dirname "$0")/session_account.sh"
pids=()
dir=$(mktemp -d)
# The session's programs read their settings under HOME, which must be theirs.
as_user+=(env HOME="$dir")
stop() {
  if [ -n "${vnc:-}" ] && ! kill -0 "$vnc" 2>/dev/null; then
    echo "with_sway: wayvnc ended early:" >&2
    tail -20 "$dir/wayvnc.log" >&2
  fi
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$dir"
}
trap stop EXIT
chmod 0700 "$dir"
chown "$user:" "$dir"
cat >"$dir/config" <<'CONF'
output X11-1 mode 1920x1080 position 0 0 bg #e0e0e0 solid_color
output X11-2 mode 1280x1024 position 1920 0 bg #e0e0e0 solid_color
default_border none
bar {
  position bottom
  height 32
  colors {
    background #ff0000
  }
}
CONF
export XDG_RUNTIME_DIR=$dir WLR_BACKENDS=x11 WLR_X11_OUTPUTS=1 WLR_RENDERER=pixman
export WLR_LIBINPUT_NO_DEVICES=1
unset WAYLAND_DISPLAY SWAYSOCK
"${as_user[@]}" sway -c "$dir/config" >"$dir/sway.log" 2>&1 &
pids+=($!)
for _ in $(seq 150); do
  socket=$(cd "$dir" && ls wayland-* 2>/dev/null | grep -v lock | head -1)
  ipc=$(ls "$dir"/sway-ipc.*.sock 2>/dev/null | head -1)
  [ -n "$socket" ] && [ -n "$ipc" ] && break
  sleep 0.1
done
if [ -z "$socket" ] || [ -z "$ipc" ]; then
  echo "with_sway: sway did not start" >&2
  cat "$dir/sway.log" >&2
  exit 1
fi
export WAYLAND_DISPLAY=$socket SWAYSOCK=$ipc TAPWRITE_SESSION_USER=$user
# The second output comes once the first is there: sway 1.10 lists outputs
# that come together last first, and the page stands on the first listed.
outputs() { "${as_user[@]}" swaymsg -t get_outputs | grep -c '"name": "X11-'; }
"${as_user[@]}" swaymsg create_output >/dev/null
for _ in $(seq 100); do [ "$(outputs)" -eq 2 ] && break; sleep 0.1; done
if [ "$(outputs)" -ne 2 ]; then
  echo "with_sway: sway did not make its second output" >&2
  cat "$dir/sway.log" >&2
  exit 1
fi
"${as_user[@]}" wayvnc -o X11-1 -u "$dir/vnc" >"$dir/wayvnc.log" 2>&1 &
vnc=$!
pids+=($vnc)
for _ in $(seq 100); do [ -S "$dir/vnc" ] && break; sleep 0.1; done
if ! [ -S "$dir/vnc" ]; then
  echo "with_sway: wayvnc did not start" >&2
  cat "$dir/wayvnc.log" >&2
  exit 1
fi
export TAPWRITE_VNC_SOCKET=$dir/vnc
"$@"
