#!/usr/bin/env bash
# The companion's user unit as systemd reads it, with the program built here:
#   idle_unit.sh UNIT PROGRAM CANNOT_RUN_CODE
# Any line systemd-analyze says fails it; so does a unit that would restart
# on the companion's exit for a failure a restart cannot mend.
set -uo pipefail
unit=$1
program=$2
code=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
chmod 700 "$dir"
sed "s|^ExecStart=.*|ExecStart=$program|" "$unit" >"$dir/tapwrite-idle.service"
said=$(XDG_RUNTIME_DIR=$dir systemd-analyze --user verify --man=no "$dir/tapwrite-idle.service" 2>&1) \
  || { echo "systemd-analyze verify failed: $said" >&2; exit 1; }
[ -z "$said" ] || { echo "systemd-analyze verify said: $said" >&2; exit 1; }
grep -qE "^RestartPreventExitStatus=(.* )?$code( |$)" "$unit" || { echo "the unit restarts on exit $code" >&2; exit 1; }
echo "verified; no restart on exit $code"
