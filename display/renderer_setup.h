#pragma once
// What every renderer the page is drawn with needs before its first frame, and
// the media libraries' shutdown. The saver and tapwrite-feed share both.
#include <SDL.h>

// Linear filtering for the scaled paper picture, a black clear colour, and the
// image (with PNG) and font libraries started; both starts are always tried.
// True when both libraries started.
bool prepareRenderer(SDL_Renderer* renderer);

// Shuts the image library, SDL and, last, the font library down.
void quitMediaLibraries();
