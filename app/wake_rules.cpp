#include "app/wake_rules.h"

#include "display/desk_upkeep.h"
#include "display/monitor_covers.h"
#include "display/page_window.h"
#include "platform/platform.h"

#include <SDL.h>

#include <cstdlib>

bool mouseOriginSet = false;
int mouseOriginX = 0;
int mouseOriginY = 0;
bool quitRequested = false;

namespace {
constexpr int mouseSlack = 35;

// Removes the motions at the head of the queue, without asking the system for
// more: a pointer that keeps moving cannot hold the drain.
void passOverQueuedMotions()
{
    SDL_Event next;
    while (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1
        && next.type == SDL_MOUSEMOTION)
        SDL_PeepEvents(&next, 1, SDL_GETEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION);
}
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
    platformPointerOnDesktop(displayContext.window, x, y);
}

void followMonitorChanges()
{
    // When a monitor goes (switched off, unplugged, a lid closed) the system
    // moves the pointer onto one that is left, with nobody touching anything:
    // where it then stands is where it rests. A change of the monitors that
    // leaves the pointer alone leaves the origin too.
    static unsigned seen = 0;
    keepDisplaysCovered();
    if (monitorChanges == seen)
        return;
    seen = monitorChanges;
    if (!mouseOriginSet)
        return;
    // A Wayland compositor tells where it put the pointer only with the next
    // motion, which may still be on its way: that one marks the rest anew.
    if (platformWindowsFillOutputs())
        mouseOriginSet = false;
    else
        pointerOnDesktop(mouseOriginX, mouseOriginY);
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
            else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                // A Wayland compositor sizes a window after it is made, and
                // it shows its last picture until it gets one of the new size.
                repaintCover(event.window.windowID);
                reshapePage(event.window.data1, event.window.data2);
            }
        } else if (event.type == SDL_KEYDOWN) {
            return true;
        } else if (event.type == SDL_MOUSEMOTION) {
            // Queued in a window made again since (the outputs changed): the
            // pointer has moved on, and where it rests is read anew.
            if (event.motion.windowID != 0 && !SDL_GetWindowFromID(event.motion.windowID))
                continue;
            followMonitorChanges();
            int x = 0;
            int y = 0;
            pointerOnDesktop(x, y);
            if (mouseRuleFires(x, y))
                return true;
            // X11 and Wayland queue every small movement on its own (Windows
            // merges them): the motions right behind this one would read the
            // same position, so they go now, and a key behind them counts in
            // this pass instead of one pass per motion later.
            passOverQueuedMotions();
        }
    }
    if (platformRunEnding())
        quitRequested = true;
    return quitRequested;
}
