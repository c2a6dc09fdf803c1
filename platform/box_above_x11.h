#pragma once
// An information box over the saver's windows on an X display. The box is
// SDL's, drawn by a helper process of its own while the saver waits for it,
// so it is looked for from beside the waiting thread.
#include <SDL.h>
#include <X11/Xlib.h>

#include <string>
#include <vector>

// The saver's windows and the display they stand on (its name, as
// XOpenDisplay takes it); none before the end of a run.
void rememberWindowsUnderBoxes(const std::string& display, SDL_Window* page, const std::vector<Window>& ours);

// The window a box is to be shown for once the saver's windows are known, so
// that SDL shows its X box and nothing else: a box ended without an answer
// (its window killed, its process ended) is closed, not one for SDL to show
// again by other means. nullptr before.
SDL_Window* x11BoxParent();

// From now until stopKeepingBoxAbove: the box with this caption, once it
// comes up, is kept above the saver's windows and gets the keyboard (again
// when it goes back to one of them). Nothing without remembered windows.
void startKeepingBoxAbove(const std::string& caption);

// How the box's time went, as far as the watch saw it.
enum class BoxEnd { NotSeen, Closed, ServerGone };
BoxEnd stopKeepingBoxAbove();
