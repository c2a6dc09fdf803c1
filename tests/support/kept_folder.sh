# Sourced by the scripts that cover a folder with a mount of their own while
# a mount of the checkout waits aside: kept_folder COVERED makes a private
# folder for it that does not lie in COVERED, which would hide it, and
# prints its path.
kept_folder() {
  local covered=${1%/} base
  for base in /run /dev/shm /var/tmp /tmp; do
    case "$base/" in "$covered/"*) continue ;; esac
    if [ -d "$base" ] && [ -w "$base" ]; then
      mktemp -d "$base/tapwrite-checkout.XXXXXX"
      return
    fi
  done
  echo "no folder outside $1 to keep the checkout in while it is covered" >&2
  return 1
}
