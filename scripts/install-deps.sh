#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the saver need.
# --windows adds the cross toolchain and the installer maker; --package what
# CPack needs to make the Debian package; --release both, and git for the
# source archive; --tests adds what only the tests use (which includes the
# Windows build and Wine to run it, the package and the release).
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libcurl4-openssl-dev
  # A configure with the tests on (the default, as a build by hand has it) needs GoogleTest.
  libgtest-dev libx11-dev libxrandr-dev
  # The outputs of a Wayland desk, asked of the compositor.
  libwayland-dev
  # tapwrite-idle: the idle protocols' XML, sd-bus, and X11's SYNC and
  # screen-saver extensions.
  wayland-protocols plasma-wayland-protocols libsystemd-dev libxext-dev libxss-dev
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
)
# dpkg-shlibdeps works out the package's Depends; CPack finds the programs with file.
package=(dpkg-dev file)
release=("${windows[@]}" "${package[@]}" git)
for option in "$@"; do
  case "$option" in
    --windows) packages+=("${windows[@]}") ;;
    --package) packages+=("${package[@]}") ;;
    --release) packages+=("${release[@]}") ;;
    --tests)
      # The leak check, the loopback service and its certificates, the reader
      # of the Windows saver's resources, the fuzzers, the Windows build, and
      # Wine to run it (its GL and TLS libraries are only recommended, so named
      # here), and the real XScreenSaver daemon with the tools that run it as
      # another account; the Debian package, its checker and the manual page
      # reader; the check of the MATE entry, and what shows how two releases differ.
      # A desk of two monitors: Xorg with the dummy driver, xrandr, what
      # reads the pointer's image and the server's screen-saver state, and a
      # window manager, as desks have one.
      packages+=(xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils libxfixes-dev openbox)
      # The window managers of Debian's desktops and tiling users (xfwm4 keeps
      # its settings behind a session bus of its own), a screen locker, and
      # zenity, which most desktops bring and SDL hands boxes to.
      packages+=(i3-wm xfwm4 dbus-daemon i3lock zenity)
      # A Wayland desk: sway, its outputs windows of Xvfb, with its bar and background,
      # wayvnc for a person's input, grim for screenshots, swayidle to start the saver.
      packages+=(sway swaybg grim wayvnc swayidle)
      packages+=(valgrind python3 python3-pefile openssl clang libclang-rt-14-dev
        wine wine64 libgl1 libgl1-mesa-dri libgnutls30 xscreensaver passwd util-linux
        "${release[@]}" lintian man-db desktop-file-utils diffoscope-minimal)
      # What lets libdbus autolaunch a session bus, as on many desktops: the
      # saver, started with no bus, must still start none.
      packages+=(dbus-x11)
      # The stand-ins for logind and gnome-session that the idle companion meets.
      packages+=(python3-dbus)
      ;;
    *) echo "install-deps: unknown option $option" >&2; exit 2 ;;
  esac
done
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
