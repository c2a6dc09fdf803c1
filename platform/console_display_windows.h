#pragma once
// The console display's power as Windows tells a window of ours: its
// procedure reads the setting changes before the window's own procedure.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// Has the window told of every change of the console display's state, the
// state now first; nothing when it is the window already watched. One window
// at a time: the one before is let go, and a window is let go as it is
// destroyed, its registration ended with it.
void watchConsoleDisplay(HWND window);
// True while the console display is off; dimmed counts as on.
bool consoleDisplayOff();
