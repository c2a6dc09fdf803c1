#pragma once
// An information box on a Wayland desk. A compositor keeps a full-screen
// window over any other program's new one (sway shows a dialog over it only
// when it belongs to that window), and nothing lets a client stack another's
// window, so the saver's windows make way for the box instead.
#include <SDL.h>

#include <vector>

// Hides the saver's windows; the boxes shown from now on are the Wayland
// kind, which the compositor shows on the desk and gives the keyboard.
void makeWayForBoxes(SDL_Window* page, const std::vector<SDL_Window*>& covers);

// The window a box is to be shown for, so that SDL picks its Wayland box
// rather than one on an X server the desk may not show (Xwayland's, or no
// X server a person sees); nullptr off Wayland.
SDL_Window* waylandBoxParent();
