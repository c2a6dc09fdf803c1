#include "display/desk_upkeep.h"

#include "display/monitor_covers.h"
#include "display/page_window.h"
#include "platform/platform.h"

#include <cstddef>
#include <vector>

unsigned monitorChanges = 0;

namespace {
std::vector<MonitorArea> lastMonitors;

bool sameMonitors(const std::vector<MonitorArea>& a, const std::vector<MonitorArea>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].x != b[i].x || a[i].y != b[i].y || a[i].width != b[i].width || a[i].height != b[i].height)
            return false;
    return true;
}

// A compositor moves windows between its workspaces as outputs come and go,
// and may leave ours on one it no longer shows; a window made again shows on
// its output as that is now. The page keeps its output while it is there.
void showEveryWindowAnew(const std::vector<MonitorArea>& monitors)
{
    if (!monitors.empty())
        reopenPageWindow(areaKeepingPage(monitors, pageArea));
    releaseCovers();
}
}

void keepDisplaysCovered()
{
    // In a host's window the host owns the screens.
    if (platformHostWindowMode() || !displayContext.window)
        return;
    std::vector<MonitorArea> monitors = platformMonitors(displayContext.window);
    if (!sameMonitors(monitors, lastMonitors)) {
        const bool changed = !lastMonitors.empty();
        lastMonitors = monitors;
        if (changed) {
            ++monitorChanges;
            if (platformWindowsFillOutputs())
                showEveryWindowAnew(monitors);
        }
    }
    coverAroundPage(monitors);
    // Also while the paper animations read no events for seconds.
    if (SDL_Window* entered = platformKeepPointerHidden())
        repaintCover(SDL_GetWindowID(entered));
    followPageWindowPixels();
    platformKeepAbove(displayContext.window, coverWindows);
}

void releaseDisplayHandles()
{
    releasePageWindow();
    releaseCovers();
}
