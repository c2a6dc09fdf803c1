#include "display/display_setup.h"

#include "diag/trace.h"
#include "display/desk_upkeep.h"
#include "display/usable_display.h"
#include "platform/platform.h"

#include <SDL.h>

#include <cstdlib>
#include <ctime>

bool initDisplay()
{
    trace("start init");
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    // SDL connects to the session bus as it starts, whether or not it needs it.
    platformStayOffAbsentSessionBus();
    platformLeaveNoDriverCache();
    platformPreferSessionVideoDriver();

    bool ready = false;
    // SDL would otherwise keep the monitors lit and the machine awake for as
    // long as a window of ours is open; a screen saver must let the system's
    // own blanking, power-off and sleep come on their schedule.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // The covers of the other monitors are plain window surfaces, not GL.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Black covers on the other monitors take the focus from the page at
    // times; the page must stay where it is.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    if (startVideo()) {
        // Wayland has no plain window surfaces: there the covers' go through GL.
        if (platformWindowsFillOutputs())
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "1");
        ready = openPageWindow();
        if (ready && !platformHostWindowMode()) {
            // After the renderer: an OpenGL renderer re-creates the window,
            // which would lose a pointer hidden on it before.
            SDL_ShowCursor(SDL_DISABLE);
            keepDisplaysCovered();
        }
    }
    trace("return from init");
    return ready;
}
