#include "app/dark_pause.h"

#include "diag/trace.h"
#include "display/page_window.h"
#include "platform/pacing.h"
#include "platform/platform.h"

#include <SDL.h>

#include <cstdint>

namespace {
bool dark = false;
bool looked = false;
std::uint32_t lookedAt = 0;

std::uint32_t sinceLook()
{
    return millisecondsNow() - lookedAt;
}
}

bool outputsDark()
{
    // Not on every event: a pointer resting on the desk may send many.
    if (!looked || sinceLook() >= static_cast<std::uint32_t>(outputPowerCheckMilliseconds)) {
        const bool nowDark = platformOutputsDark(displayContext.window);
        if (nowDark != dark)
            trace(nowDark ? "outputs dark, paused" : "outputs lit, typing on");
        dark = nowDark;
        looked = true;
        lookedAt = millisecondsNow();
    }
    return dark;
}

bool deskUpkeepDue()
{
    // What matters in the dark comes with an event for one of our windows:
    // the keyboard taken from the page, a monitor come or gone.
    return !dark || SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void waitInTheDark()
{
    const std::uint32_t since = sinceLook();
    if (since < static_cast<std::uint32_t>(outputPowerCheckMilliseconds))
        waitForEvents(outputPowerCheckMilliseconds - static_cast<int>(since));
}
