#!/usr/bin/env bash
# Runs a command in a fresh Debian root of the given release, made with
# mmdebstrap from the package mirror this machine uses; the command runs
# there as root, with /proc, /sys, /dev and a private /tmp. The root is
# removed afterwards. By default the checkout's files (as they are in the
# work tree) are copied in as /src, where the command starts.
# Usage: in_debian_root.sh [options] RELEASE command [args...]   (as root)
#   --with FILE        copy FILE into the root's /src/foreign/
#   --include PKGS     install these packages too (comma-separated)
#   --runtime-of FILE  install the packages whose libraries FILE needs here,
#                      under the root's release's names (for programs built
#                      on this machine, of its release or a later one)
#   --cache DIR        share downloaded packages with the other roots made
#                      with this DIR (a folder per release in it)
#   --same-path        no copy: the checkout, build folders and all, is
#                      mounted at its own path, and the command starts there
# e.g. in_debian_root.sh trixie bash tests/support/fresh_debian_stage.sh
set -euo pipefail
# Its mounts live in a mount namespace of its own, gone when it ends.
if [ -z "${TAPWRITE_IN_OWN_MOUNTS:-}" ] && [ "$(id -u)" -eq 0 ]; then
  TAPWRITE_IN_OWN_MOUNTS=1 exec unshare --mount --propagation private "$0" "$@"
fi
top=$(cd "$(dirname "$0")/../.." && pwd)
with=()
include=ca-certificates,sudo
runtime=
cache=
same_path=0
while [ $# -gt 0 ]; do
  case "$1" in
    --with) with+=("$(realpath "$2")"); shift 2 ;;
    --include) include+=",$2"; shift 2 ;;
    --runtime-of)
      # The packages that hold the libraries the program itself needs, as
      # this machine names them; what those need comes with them from the
      # root's release, which may name and split it otherwise.
      needed=$(readelf -d "$2" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p' | tr '\n' ' ')
      runtime+=" $(ldd "$2" | awk -v needed="$needed" '
          BEGIN { split(needed, names, " "); for (i in names) wanted[names[i]] = 1 }
          $1 in wanted && $3 ~ /^\// { print $3 }' | while read -r path; do
          # dpkg knows a file by the path its package gives, /lib or /usr/lib.
          dpkg-query -S "$path" "$(realpath "$path")" 2>/dev/null | cut -d: -f1 || true
        done | sort -u | tr '\n' ' ')"
      shift 2 ;;
    --cache) cache=$(realpath -m "$2"); shift 2 ;;
    --same-path) same_path=1; shift ;;
    *) break ;;
  esac
done
release=$1
shift
if [ "$(id -u)" -ne 0 ]; then
  echo "in_debian_root: making a Debian root needs root" >&2
  exit 1
fi
command -v mmdebstrap >/dev/null ||
  { echo "in_debian_root: needs mmdebstrap (scripts/install-deps.sh --tests installs it)" >&2; exit 1; }

# The mirror of the machine's own Debian entries (deb822 or one-line).
# Either kind of file may be missing (a root mmdebstrap made has no .sources).
mirror=$(sed -n 's/^URIs: *\([^ ]*\/debian\)\/\{0,1\}$/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null | head -1 || true)
[ -n "$mirror" ] || mirror=$(sed -n 's/^deb \(\[[^]]*\] \)\{0,1\}\([^ ]*\/debian\)\/\{0,1\} .*/\2/p' /etc/apt/sources.list 2>/dev/null | head -1 || true)
mirror=${mirror:-http://deb.debian.org/debian}
security=${mirror%/debian}/debian-security

root=$(mktemp -d /var/tmp/debian-root.XXXXXX)
mounted=()
cleanup() {
  # Whatever the command left running in the root (a desk's bus daemon) goes
  # with it.
  local proc
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && kill -KILL "${proc#/proc/}" 2>/dev/null
  done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
sources="deb $mirror $release main
deb $mirror $release-updates main
deb $security $release-security main"
hooks=()
if [ -n "$runtime" ]; then
  # Each under the name the root's release gives it: Debian 13 renamed many
  # libraries for its 64-bit time (libssl3 is libssl3t64 there).
  export TAPWRITE_ROOT_RUNTIME=$runtime
  hooks+=(--customize-hook='names=
    for package in $TAPWRITE_ROOT_RUNTIME; do
      for name in "$package" "${package}t64" ""; do
        if [ -z "$name" ]; then
          echo "in_debian_root: the release has no package $package, nor ${package}t64" >&2
          exit 1
        fi
        chroot "$1" apt-cache show --no-all-versions "$name" 2>/dev/null | grep -qx "Package: $name" && break
      done
      names="$names $name"
    done
    chroot "$1" apt-get install --yes --no-install-recommends -qq $names >/dev/null')
fi
if [ -n "$cache" ]; then
  # Packages a root of this release fetched before are not fetched again;
  # apt checks each against the release's lists, and drops those they no
  # longer hold.
  mkdir -p "$cache/$release"
  # mmdebstrap splits a special hook's words as a shell does, so a folder
  # with a blank in its path goes in quoted.
  quoted_cache="'${cache//\'/\'\\\'\'}/$release'"
  hooks=(--skip=essential/unlink --setup-hook='mkdir -p "$1/var/cache/apt/archives"'
    --setup-hook="sync-in $quoted_cache /var/cache/apt/archives/" "${hooks[@]}"
    --customize-hook='chroot "$1" apt-get autoclean -q' --customize-hook="sync-out /var/cache/apt/archives $quoted_cache")
fi
echo "in_debian_root: making a Debian $release root from $mirror"
# A root lives for one command: dpkg need not sync each file it unpacks, and
# apt needs no package descriptions.
mmdebstrap --quiet --variant=apt --include="$include" --dpkgopt=force-unsafe-io \
  --aptopt='Acquire::Languages "none"' "${hooks[@]}" "$release" "$root" - <<<"$sources"
# A mount of its own, so that a root made inside this one (the test command
# run in it) can have its own mount namespace there too.
mount --bind "$root" "$root"
mounted+=("$root")

# The root's own folders first: a checkout under /tmp is mounted into the
# private /tmp, not hidden by it.
for fs in proc sys dev dev/pts; do
  mount --bind "/$fs" "$root/$fs"
  mounted+=("$root/$fs")
done
mount -t tmpfs tmpfs "$root/tmp"
mounted+=("$root/tmp")
mount -t tmpfs tmpfs "$root/dev/shm"
mounted+=("$root/dev/shm")
chmod 1777 "$root/tmp"
if [ $same_path -eq 1 ]; then
  start=$top
  mkdir -p "$root$top"
  mount --bind "$top" "$root$top"
  mounted+=("$root$top")
else
  start=/src
  mkdir -p "$root/src"
  git -C "$top" ls-files -z --cached --others --exclude-standard |
    (cd "$top" && tar --null -T - -cf -) | tar -xf - -C "$root/src"
fi
if [ ${#with[@]} -gt 0 ]; then
  mkdir -p "$root$start/foreign"
  cp -- "${with[@]}" "$root$start/foreign/"
fi
chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 CI="${CI:-}" \
  bash -c 'cd "$0" && exec "$@"' "$start" "$@"
