#pragma once
// Black windows over every monitor but the page's, so that nothing of the
// desktop shows on a desk of several monitors while the saver runs.
#include <SDL.h>

#include <vector>

// One cover a monitor, in the order the system lists them.
extern std::vector<SDL_Window*> coverWindows;

// Makes the covers match the monitors showing now: a borderless black window
// of its own area for every monitor the page's window does not reach, moved
// when a monitor moves, let go when one goes. Cheap enough for every pass and
// every animation frame, so a monitor that comes back is covered at once.
// Nothing in a host's window, or before the page's window is open.
void keepDisplaysCovered();
// Paints the cover with this window id black again (after an exposure).
void repaintCover(Uint32 windowId);
// Destroys every cover.
void releaseCovers();
