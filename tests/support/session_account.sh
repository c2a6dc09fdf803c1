# Sourced by the desk scripts: the account their session runs as. As root it
# is the unprivileged account tapwritehost (made when missing), which the
# session's programs run as through as_user; otherwise the caller's own.
user=tapwritehost
if [ "$(id -u)" -eq 0 ]; then
  id "$user" >/dev/null 2>&1 ||
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user"
  as_user=(setpriv --reuid="$user" --regid="$user" --init-groups)
else
  user=$(id -un)
  as_user=()
fi
