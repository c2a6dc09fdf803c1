#pragma once
// The session's idle inhibitors on the buses: gnome-session's (players and
// browsers set them directly or through org.freedesktop.ScreenSaver), KDE
// Plasma's org.freedesktop.PowerManagement.Inhibit and logind's
// (systemd-inhibit --what=idle). Asked when the desk goes idle.

// Whether any holds the saver back now.
bool busInhibitorHeld();
