#pragma once
// The session's own lock: logind's LockedHint of this session, GNOME's
// screen shield (org.gnome.ScreenSaver), KDE Plasma's screen locker
// (org.freedesktop.ScreenSaver), each read at start and followed; and
// logind's Lock of this session, which holds until the session says it is
// unlocked or, where nothing says so (swaylock, i3lock), until the next
// input. While the session is locked no saver starts, and one running is
// ended.

// Reads the state and subscribes on the buses that are open.
void watchSessionLock();
bool sessionLocked();
// Input came after the desk went idle: a person is back.
void inputCame();
