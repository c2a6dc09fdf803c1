#!/usr/bin/env bash
# Runs a command as if the checkout lay where a new user may put it, in
# mounts of its own (as root):
#   closed  the checkout at its own path, the first folder of that path
#           closed to other accounts as root's home (0700) is
#   tmp     the checkout under /tmp, where the command then starts
# Usage: checkout_elsewhere.sh closed|tmp command [args...]
set -eu
if [ -z "${TAPWRITE_CHECKOUT_ELSEWHERE:-}" ]; then
  TAPWRITE_CHECKOUT_ELSEWHERE=1 exec unshare --mount --propagation private "$0" "$@"
fi
where=$1
shift
checkout=$(cd "$(dirname "$0")/../.." && pwd)
. "$(dirname "$0")/kept_folder.sh"
top=/$(cut -d/ -f2 <<<"$checkout")
kept=$(kept_folder "$top")
mount --bind "$checkout" "$kept"
case "$where" in
closed)
  mount -t tmpfs -o mode=0700 tmpfs "$top"
  mkdir -p "$checkout"
  mount --move "$kept" "$checkout"
  rmdir "$kept"
  exec "$@"
  ;;
tmp)
  copy=$(mktemp -d /tmp/tapwrite-checkout.XXXXXX)
  mount --move "$kept" "$copy"
  rmdir "$kept"
  # The folder goes even where the command left a process behind in it,
  # which keeps the mount busy: the mount is let go lazily.
  trap 'umount --lazy "$copy"; rmdir "$copy"' EXIT
  cd "$copy"
  status=0
  "$@" || status=$?
  exit $status
  ;;
esac
echo "checkout_elsewhere: closed or tmp, not $where" >&2
exit 1
