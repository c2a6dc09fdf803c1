#include "app/wake_rules.h"

#include "display/monitor_covers.h"

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

void pointerOnDesktop(int& x, int& y)
{
    // SDL gives the position within the window that has the pointer; that
    // window's own position makes it one the saver's windows share, so a move
    // from one monitor's window into another's counts as the distance it went.
    // Between leaving one window and entering the next no window has it: the
    // position is then still the last one's. Kept by id, as that window may
    // have gone with its monitor since.
    static Uint32 lastFocusId = 0;
    SDL_GetMouseState(&x, &y);
    if (SDL_Window* focus = SDL_GetMouseFocus())
        lastFocusId = SDL_GetWindowID(focus);
    if (SDL_Window* window = SDL_GetWindowFromID(lastFocusId)) {
        int windowX = 0;
        int windowY = 0;
        SDL_GetWindowPosition(window, &windowX, &windowY);
        x += windowX;
        y += windowY;
    }
}

bool drainEventsAndCheckWake()
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            quitRequested = true;
        } else if (event.type == SDL_WINDOWEVENT) {
            // With covers up, closing one window is no longer closing the last
            // one, and SDL then sends no quit of its own.
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                quitRequested = true;
            else if (event.window.event == SDL_WINDOWEVENT_EXPOSED)
                repaintCover(event.window.windowID);
        } else if (event.type == SDL_KEYDOWN) {
            return true;
        } else if (event.type == SDL_MOUSEMOTION) {
            int x = 0;
            int y = 0;
            pointerOnDesktop(x, y);
            if (mouseRuleFires(x, y))
                return true;
            // One motion per pass: the rest wait for the next one.
            break;
        }
    }
    return quitRequested;
}
