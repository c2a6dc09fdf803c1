# Sourced by the desk scripts before they read their arguments: the account
# their session runs as. As root it is the unprivileged account tapwritehost
# (made when missing), which the session's programs run as through as_user;
# otherwise the caller's own.
user=tapwritehost
if [ "$(id -u)" -eq 0 ]; then
  id "$user" >/dev/null 2>&1 ||
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  as_user=(setpriv --reuid="$user" --regid="$user" --init-groups)
  # The account runs programs of the checkout (its build folders in it). Where
  # a folder on the way is closed to it (root's home, 0700), the desk runs in
  # mounts of its own, in which that folder is an open one holding nothing
  # but the way to the checkout.
  checkout=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  closed=
  folder=$checkout
  while :; do
    "${as_user[@]}" test -x "$folder" || closed=$folder
    [ "$folder" = / ] && break
    folder=$(dirname "$folder")
  done
  if [ -n "$closed" ] && [ -z "${TAPWRITE_CHECKOUT_OPENED:-}" ]; then
    TAPWRITE_CHECKOUT_OPENED=1 exec unshare --mount --propagation private "$0" "$@"
  fi
  if [ -n "$closed" ]; then
    . "$(dirname "${BASH_SOURCE[0]}")/kept_folder.sh"
    kept=$(kept_folder "$closed")
    mount --bind "$checkout" "$kept"
    # /tmp stays a place every account may write in.
    mode=0755
    [ "$closed" != /tmp ] || mode=1777
    mount -t tmpfs -o mode=$mode tmpfs "$closed"
    mkdir -p "$checkout"
    mount --move "$kept" "$checkout"
    rmdir "$kept"
  fi
else
  user=$(id -un)
  as_user=()
fi
