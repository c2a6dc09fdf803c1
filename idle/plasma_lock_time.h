#pragma once
// KDE Plasma's screen lock time: kscreenlockerrc's Daemon group (Autolock,
// Timeout in minutes), read again when the file changes in its folder.
#include "idle/blank_time.h"

// Whether the session is KDE Plasma's.
bool onPlasma();
// The time as the file gives it, Plasma's own defaults where it is absent;
// a file that cannot be taken is named in a line and counts as absent.
BlankTime plasmaLockTime();
// Watches the file's folder; the descriptor to wait on, or -1.
int watchPlasmaLockTime();
// True once after the file changed; reads what the watch queued.
bool plasmaLockTimeTouched();
