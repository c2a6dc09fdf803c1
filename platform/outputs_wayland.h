#pragma once
// What the X11 calls of the platform layer hand on when the session is Wayland's.
#include "platform/platform.h"

// True when the environment names a Wayland display (WAYLAND_DISPLAY or
// WAYLAND_SOCKET). Without one, libwayland still looks for "wayland-0" in
// XDG_RUNTIME_DIR, and says on standard error when that is unset.
bool waylandDisplayNamed();
// The outputs where the compositor lays them out; empty when it does not say.
std::vector<MonitorArea> platformWaylandOutputs();
// Where the pointer stands on the desk, as far as our windows see it.
void platformWaylandPointer(int& x, int& y);
// True when the compositor tells every output is off (see platformOutputsDark).
bool platformWaylandOutputsDark();
