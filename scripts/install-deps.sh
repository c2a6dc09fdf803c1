#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the saver need, on
# Debian 12 or 13: where a package's name changes with the release, the one
# the release has is asked for. --windows adds the cross toolchain and the
# installer maker; --package what CPack needs to make the Debian package; --release both, and git for the
# source archive; --tests adds what only the tests use (which includes the
# Windows build and Wine to run it, the package and the release);
# --unit-display only what the unit and display tests need, --package-checks
# what the package's own tests need.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libcurl4-openssl-dev
  # A configure with the tests on (the default, as a build by hand has it) needs GoogleTest.
  libgtest-dev libx11-dev libxrandr-dev
  # The outputs of a Wayland desk, asked of the compositor, and the XML of the
  # xdg-output protocol that says where they stand; the XML of wlroots'
  # protocol that tells their power (Debian 12 ships it only in a Rust
  # package; KWin's comes with plasma-wayland-protocols, below).
  libwayland-dev wayland-protocols "wlr-protocols|librust-wayland-protocols-wlr-dev|librust-wayland-protocols-dev"
  # tapwrite-idle: the idle protocols' XML, sd-bus, X11's SYNC, screen-saver
  # and DPMS extensions, and GIO for the desks' own settings; the saver:
  # KWin's DPMS protocol's XML and X11's DPMS extension, which tell whether
  # the monitors are powered down.
  plasma-wayland-protocols libsystemd-dev libxext-dev libxss-dev libglib2.0-dev
  xvfb xauth xdotool x11-utils imagemagick libgl1-mesa-dri
  # SDL draws its message boxes with the X server's core fonts.
  xfonts-base
  # dpkg-buildflags: the programs are built with Debian's hardening flags.
  dpkg-dev
)
windows=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  # Unpacks the libraries' Debian source packages.
  dpkg-dev
  nsis
  # Signs the Windows programs when a certificate is given.
  osslsigncode
)
# dpkg-shlibdeps works out the package's Depends; CPack finds the programs with file.
package=(dpkg-dev file)
release=("${windows[@]}" "${package[@]}" git)
# The package's checker, the manual page reader and the MATE entry's check.
package_checks=("${package[@]}" lintian man-db desktop-file-utils)
# The display tests' own X tools read the pointer's image and the server's
# screen-saver state; a desk of two monitors is Xorg with the dummy driver,
# laid out with xrandr, under a window manager, as desks have one.
x_tests=(xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils libxfixes-dev openbox)
for option in "$@"; do
  case "$option" in
    --windows) packages+=("${windows[@]}") ;;
    --package) packages+=("${package[@]}") ;;
    --release) packages+=("${release[@]}") ;;
    --unit-display) packages+=("${x_tests[@]}") ;;
    --package-checks) packages+=("${package_checks[@]}") ;;
    --tests)
      # The leak check, the loopback service and its certificates, the reader
      # of the Windows saver's resources, the fuzzers, the Windows build, and
      # Wine to run it (its GL and TLS libraries are only recommended, so named
      # here), and the real XScreenSaver daemon with the tools that run it as
      # another account; the Debian package, its checker and the manual page
      # reader; the check of the MATE entry, and what shows how two releases differ.
      packages+=("${x_tests[@]}")
      # The window managers of Debian's desktops and tiling users (xfwm4 keeps
      # its settings behind a session bus of its own), a screen locker, and
      # zenity, which most desktops bring and SDL hands boxes to.
      packages+=(i3-wm xfwm4 dbus-daemon i3lock zenity)
      # A Wayland desk: sway, its outputs windows of Xvfb, with its bar and background,
      # wayvnc for a person's input, grim for screenshots, swayidle to start the saver.
      packages+=(sway swaybg grim wayvnc swayidle)
      packages+=(valgrind python3 python3-pefile openssl clang libclang-rt-dev
        wine wine64 libgl1 libgl1-mesa-dri "libgnutls30t64|libgnutls30" xscreensaver passwd util-linux
        "${release[@]}" "${package_checks[@]}" diffoscope-minimal)
      # What lets libdbus autolaunch a session bus, as on many desktops: the
      # saver, started with no bus, must still start none.
      packages+=(dbus-x11)
      # A fresh root of the other Debian release, where the saver is proven
      # too, and the desks' roots, each with mounts of its own.
      packages+=(mmdebstrap mount)
      # The stand-ins for logind and gnome-session that the idle companion meets.
      packages+=(python3-dbus python3-gi)
      ;;
    *) echo "install-deps: unknown option $option" >&2; exit 2 ;;
  esac
done
# "a|b": whichever of the names the release has (Debian 13 renamed some
# libraries for its 64-bit time).
# The tools' answers are read whole, not piped into grep -q: apt-cache writes a
# line at a time, so a grep that stops at the first match kills it with
# SIGPIPE, and under pipefail the match itself reads as a failure.
installed() {
  local name status
  for name in ${1//|/ }; do
    status=$(dpkg-query -W -f='${Status}' "$name" 2>/dev/null) || continue
    [ "$status" = "install ok installed" ] && return 0
  done
  return 1
}
known() {
  local name policy
  for name in ${1//|/ }; do
    policy=$(apt-cache policy "$name" 2>/dev/null) || continue
    [[ $policy =~ Candidate:\ [^\(] ]] && { echo "$name"; return; }
  done
  echo "${1%%|*}"
}
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update
for i in "${!missing[@]}"; do missing[i]=$(known "${missing[i]}"); done
echo "Installing: ${missing[*]}"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
