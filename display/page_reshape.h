#pragma once
// A host's window that changes size (a settings dialog resized, a preview pane
// that grows) gets the page laid out anew, as a hack reshapes; on Wayland the
// page's window is made again when the outputs change.
#include "platform/platform.h"

#include <SDL.h>

#include <vector>

// In host mode: the layout of a window of this size, the paper, the font and
// so the lines with it; the typing goes on where it was. Nothing when the size
// is the layout's own, or outside host mode, where the page keeps the
// desktop's size.
void reshapePage(int width, int height);
// The page laid out for a window of this size, with the font at its new size;
// false, with the page as it was, when the size is the layout's own or the
// font cannot be opened at it.
bool layPageOutAnew(int width, int height);

// Where the page stands among these monitors: the one that holds the centre
// of where it stood, else the first.
SDL_Rect areaKeepingPage(const std::vector<MonitorArea>& monitors, const SDL_Rect& page);
// On Wayland: the page's window made again, full screen on the output of the
// area, with its renderer and paper; the typing goes on where it was. False,
// with the old window kept, when the new one cannot be had.
bool reopenPageWindow(const SDL_Rect& area);
