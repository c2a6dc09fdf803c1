#pragma once
// The blank time of GNOME and of Cinnamon, its fork: idle-delay of each
// one's own session schema, through GSettings, re-read when dconf tells of a
// change on the session bus. Cinnamon's session installs GNOME's schema too,
// with a time that is not Cinnamon's: only the session's own key is read.
#include "idle/session/blank_time.h"

// Whether the session is Cinnamon's (XDG_CURRENT_DESKTOP names X-Cinnamon)
// or else GNOME's, on Wayland or X11, with that desk's schema installed.
bool onGsettingsDesk();
// The time as it stands.
BlankTime gsettingsBlankTime();
// Subscribes to dconf's change signal on the session bus.
void watchGsettingsBlankTime();
// True once after a change that may concern the time.
bool gsettingsBlankTimeTouched();
