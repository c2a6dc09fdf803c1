#pragma once
// The session's display where the companion started before it reached the
// user manager (a user unit started with a desk begun from a console):
// WAYLAND_DISPLAY and DISPLAY taken from the user manager's environment
// (`systemctl --user import-environment`, `dbus-update-activation-environment
// --systemd`) where ours lacks both, for the sources and the saver.
void takeDisplayFromUserManager();
