#pragma once
// KDE Plasma's screen lock time: kscreenlockerrc's Daemon group (Autolock,
// Timeout in minutes), read as Plasma reads it and again when the file
// changes: its folder is watched, or the nearest one that exists until it
// comes, and where the file is a link, its target's folder too.
#include "idle/session/blank_time.h"

// Whether the session is KDE Plasma's.
bool onPlasma();
// The time as the file gives it, Plasma's own defaults where it is absent;
// a file that cannot be taken is named in a line and counts as absent.
BlankTime plasmaLockTime();
// Starts the watch; the descriptor to wait on, or -1.
int watchPlasmaLockTime();
// True once after the file changed; reads what the watch queued.
bool plasmaLockTimeTouched();
