// Whether the outputs are dark: the compositor's word on Wayland, the DPMS
// extension's on X (not the server's screen-saver state, which under
// xss-lock is exactly when the saver is meant to show).
#include "platform/outputs_wayland.h"
#include "platform/platform.h"
#include "platform/x11_session.h"

#include <X11/extensions/dpms.h>

namespace {
// A server without the extension (Xvfb, Xephyr, the dummy driver) or whose
// monitors cannot save power says so once; it is not asked again.
bool serverTellsPower(Display* display)
{
    static Display* asked = nullptr;
    static bool tells = false;
    if (display != asked) {
        int eventBase = 0;
        int errorBase = 0;
        tells = DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display);
        asked = display;
    }
    return tells;
}

bool x11MonitorsDark(SDL_Window* page)
{
    Display* display = x11DisplayOf(page);
    if (!display || !serverTellsPower(display))
        return false;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    // With power saving switched off (xset -dpms) the level means nothing.
    return DPMSInfo(display, &level, &enabled) && enabled && level != DPMSModeOn;
}
}

bool platformOutputsDark(SDL_Window* page)
{
    if (platformWindowsFillOutputs())
        return platformWaylandOutputsDark();
    return x11MonitorsDark(page);
}
