// The monitors and the pointer of an X display, asked on SDL's own connection.
#include "platform/outputs_wayland.h"
#include "platform/platform.h"
#include "platform/x11_session.h"

#include <SDL.h>
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

// RandR's monitor list came with version 1.5; an older server answers the
// request with an error, which Xlib's default handler would end us for.
bool serverListsMonitors(Display* display)
{
    static Display* asked = nullptr;
    static bool lists = false;
    if (display != asked) {
        int eventBase = 0;
        int errorBase = 0;
        int major = 0;
        int minor = 0;
        lists = XRRQueryExtension(display, &eventBase, &errorBase) && XRRQueryVersion(display, &major, &minor)
            && (major > 1 || (major == 1 && minor >= 5));
        asked = display;
    }
    return lists;
}
}

std::vector<MonitorArea> platformMonitors(SDL_Window* window)
{
    if (platformWindowsFillOutputs()) {
        std::vector<MonitorArea> outputs = platformWaylandOutputs();
        return outputs.empty() ? sdlDisplays() : outputs;
    }
    Display* display = x11DisplayOf(window);
    if (!display || !serverListsMonitors(display))
        return sdlDisplays();
    // Any error of this one request means "ask SDL instead", never an exit.
    int count = 0;
    XRRMonitorInfo* found = nullptr;
    bool failed = false;
    {
        X11ErrorTrap trap(display);
        found = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
        failed = trap.failed();
    }
    if (!found || failed) {
        if (found)
            XRRFreeMonitors(found);
        return sdlDisplays();
    }
    std::vector<MonitorArea> monitors;
    for (int i = 0; i < count; ++i)
        monitors.push_back({found[i].x, found[i].y, found[i].width, found[i].height});
    XRRFreeMonitors(found);
    return monitors;
}

void platformPointerOnDesktop(SDL_Window* window, int& x, int& y)
{
    if (platformWindowsFillOutputs()) {
        platformWaylandPointer(x, y);
        return;
    }
    Display* display = x11DisplayOf(window);
    Window root = 0;
    Window child = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
    if (!display
        || !XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &windowX, &windowY, &buttons))
        SDL_GetGlobalMouseState(&x, &y);
}
