#include "app/dark_pause.h"

#include "diag/trace.h"
#include "display/page_window.h"
#include "platform/pacing.h"
#include "platform/platform.h"

#include <cstdint>

namespace {
bool dark = false;
bool looked = false;
std::uint32_t lookedAt = 0;
}

bool pausedWhileDark()
{
    // Not on every event: a pointer resting on the desk may send many.
    std::uint32_t sinceLook = millisecondsNow() - lookedAt;
    if (!looked || sinceLook >= static_cast<std::uint32_t>(outputPowerCheckMilliseconds)) {
        const bool nowDark = platformOutputsDark(displayContext.window);
        if (nowDark != dark)
            trace(nowDark ? "outputs dark, paused" : "outputs lit, typing on");
        dark = nowDark;
        looked = true;
        lookedAt = millisecondsNow();
        sinceLook = 0;
    }
    if (dark)
        waitForEvents(outputPowerCheckMilliseconds - static_cast<int>(sinceLook));
    return dark;
}
