#!/usr/bin/env bash
# Runs commands one after the other, each whatever the one before returned;
# fails when any failed. The commands are separated by a lone ---.
# Usage: in_turn.sh command [args...] [--- command [args...]]...
status=0
command=()
run() {
  [ ${#command[@]} -gt 0 ] || return 0
  "${command[@]}" || status=1
  command=()
}
for arg in "$@"; do
  if [ "$arg" = --- ]; then run; else command+=("$arg"); fi
done
run
exit $status
