#pragma once
// The session's own lock, as its services tell it to the decisions:
// logind's Lock, Unlock and LockedHint of this session, and the screen
// shields of GNOME (org.gnome.ScreenSaver), KDE Plasma
// (org.freedesktop.ScreenSaver) and Cinnamon (org.cinnamon.ScreenSaver).
// Each is read at start and again from a new owner, and followed; a
// service's signals are believed only from its owner.

// Reads the state and subscribes on the buses that are open.
void watchSessionLock();
