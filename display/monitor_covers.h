#pragma once
// Black windows over everything of the desk but the page, so that nothing of
// the desktop shows on a desk of several monitors while the saver runs.
#include "platform/platform.h"

#include <SDL.h>

#include <vector>

// One cover an area, in the order areasToCover gives them.
extern std::vector<SDL_Window*> coverWindows;
// Where the page's window stands: display 0, as the layout puts it. Set once
// the page's window is open.
extern SDL_Rect pageArea;
// Counts the changes of the monitors seen so far (switched off, on, moved).
extern unsigned monitorChanges;

// What must be black: every monitor, less the page's area where it shares
// some (a monitor made of several outputs, a mirrored output of another size).
// A monitor that shows only the page needs nothing; each area once.
std::vector<SDL_Rect> areasToCover(const std::vector<MonitorArea>& monitors, const SDL_Rect& page);

// Makes the covers match the monitors showing now: a borderless black window,
// above panels and off the taskbar, for every area to cover, moved when a
// monitor moves, let go when one goes. Cheap enough for every pass and every
// animation frame, so a monitor that comes back is covered at once. Nothing
// in a host's window, or before the page's window is open. On Wayland it
// also keeps the pointer hidden and the page laid out for its window's pixels.
void keepDisplaysCovered();
// Paints the cover with this window id black again (after an exposure).
void repaintCover(Uint32 windowId);
// Destroys every cover.
void releaseCovers();
