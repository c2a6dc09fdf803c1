#include "app/wake_rules.h"

#include <SDL.h>

#include <cstdlib>

bool mouseOriginSet = false;
int mouseOriginX = 0;
int mouseOriginY = 0;
bool quitRequested = false;

namespace {
constexpr int mouseSlack = 35;
}

bool mouseRuleFires(int x, int y)
{
    if (!mouseOriginSet) {
        // The first movement only marks where the pointer rests.
        mouseOriginX = x;
        mouseOriginY = y;
        mouseOriginSet = true;
    }
    return std::abs(x - mouseOriginX) > mouseSlack || std::abs(y - mouseOriginY) > mouseSlack;
}

bool drainEventsAndCheckWake()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            quitRequested = true;
        } else if (event.type == SDL_KEYDOWN) {
            return true;
        } else if (event.type == SDL_MOUSEMOTION) {
            int x = 0;
            int y = 0;
            SDL_GetMouseState(&x, &y);
            if (mouseRuleFires(x, y))
                return true;
            // One motion per pass: the rest wait for the next one.
            break;
        }
    }
    return quitRequested;
}
