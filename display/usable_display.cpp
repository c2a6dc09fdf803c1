#include "display/usable_display.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

namespace {
// SDL's video drivers that draw into memory alone: the saver would run
// unseen there, with no window for anything to wake it.
bool videoDriverShowsNothing(const char* driver)
{
    return !driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
}
}

bool startVideo()
{
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Tapwrite Screen Saver: no display to show the saver on: %s\n", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (videoDriverShowsNothing(driver)) {
        std::fprintf(stderr,
            "Tapwrite Screen Saver: no display to show the saver on: SDL found none but its \"%s\" video "
            "driver, which shows nothing\n",
            driver ? driver : "");
        return false;
    }
    return true;
}
