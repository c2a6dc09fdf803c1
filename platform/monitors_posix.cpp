// The monitors of an X display, read with RandR on SDL's own connection.
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/extensions/Xrandr.h>

namespace {
std::vector<MonitorArea> sdlDisplays()
{
    std::vector<MonitorArea> monitors;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        SDL_Rect r;
        if (SDL_GetDisplayBounds(i, &r) == 0)
            monitors.push_back({r.x, r.y, r.w, r.h});
    }
    return monitors;
}
}

std::vector<MonitorArea> platformMonitors(SDL_Window* window)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    int eventBase = 0;
    int errorBase = 0;
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11
        || !XRRQueryExtension(info.info.x11.display, &eventBase, &errorBase))
        return sdlDisplays();
    Display* display = info.info.x11.display;
    int count = 0;
    XRRMonitorInfo* found = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    if (!found)
        return sdlDisplays();
    std::vector<MonitorArea> monitors;
    for (int i = 0; i < count; ++i)
        monitors.push_back({found[i].x, found[i].y, found[i].width, found[i].height});
    XRRFreeMonitors(found);
    return monitors;
}
