#pragma once
// GNOME's blank time: idle-delay of org.gnome.desktop.session, through
// GSettings, re-read when dconf tells of a change on the session bus.
#include "idle/blank_time.h"

// Whether the session is GNOME's, on Wayland or X11, with its settings'
// schema installed.
bool onGnome();
// The time as it stands.
BlankTime gnomeBlankTime();
// Subscribes to dconf's change signal on the session bus.
void watchGnomeBlankTime();
// True once after a change that may concern the time.
bool gnomeBlankTimeTouched();
