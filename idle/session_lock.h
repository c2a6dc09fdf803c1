#pragma once
// The session's own lock: GNOME's screen shield (org.gnome.ScreenSaver's
// ActiveChanged), KDE Plasma's screen locker (org.freedesktop.ScreenSaver's
// ActiveChanged) and logind's Lock and Unlock of this session. While the
// session is locked no saver starts, and one running is ended.

// Subscribes on the buses that are open.
void watchSessionLock();
bool sessionLocked();
