#pragma once
// Black windows over everything of the desk but the page, so that nothing of
// the desktop shows on a desk of several monitors while the saver runs.
#include "platform/platform.h"

#include <SDL.h>

#include <vector>

// One cover an area, in the order areasToCover gives them.
extern std::vector<SDL_Window*> coverWindows;

// What must be black: every monitor, less the page's area where it shares
// some (a monitor made of several outputs, a mirrored output of another size).
// A monitor that shows only the page needs nothing; each area once.
std::vector<SDL_Rect> areasToCover(const std::vector<MonitorArea>& monitors, const SDL_Rect& page);

// Makes the covers match these monitors around the page's area: a borderless
// black window, above panels and off the taskbar, for every area to cover,
// moved when a monitor moves, let go when one goes. A cover that cannot be
// made now is tried again on the next call.
void coverAroundPage(const std::vector<MonitorArea>& monitors);
// Paints the cover with this window id black again (after an exposure).
void repaintCover(Uint32 windowId);
// Destroys every cover.
void releaseCovers();
