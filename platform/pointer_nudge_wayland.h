#pragma once
// GNOME's compositor looks for the window under a pointer that stands still
// only when its scene is laid out anew: a window that comes up under a
// pointer left over the desktop (a window closed there just before) is not
// told that the pointer is in, so it cannot hide it.
#include <SDL.h>

// Adds, or takes away again, a one-pixel black piece of the window (a
// subsurface at its top-left corner), which has the compositor lay its scene
// out and look again.
void platformNudgePointerLookup(SDL_Window* window);
