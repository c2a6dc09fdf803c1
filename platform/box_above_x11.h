#pragma once
// An information box over the saver's windows on an X display. The box is
// SDL's, drawn by a helper process of its own while the saver waits for it,
// so it is looked for from beside the waiting thread.
#include <X11/Xlib.h>

#include <string>
#include <vector>

// The saver's windows and the display they stand on (its name, as
// XOpenDisplay takes it); none before the end of a run.
void rememberWindowsUnderBoxes(const std::string& display, const std::vector<Window>& ours);

// From now until stopKeepingBoxAbove: the box with this caption, once it
// comes up, is kept above the saver's windows and gets the keyboard (again
// when it goes back to one of them). Nothing without remembered windows.
void startKeepingBoxAbove(const std::string& caption);
void stopKeepingBoxAbove();
