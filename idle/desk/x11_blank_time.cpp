#include "idle/desk/x11_blank_time.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <cstdlib>
#include <initializer_list>

namespace {
bool onX11()
{
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x = std::getenv("DISPLAY");
    return !(wayland && *wayland) && x && *x;
}
}

BlankTime x11BlankTime()
{
    BlankTime time {0, "the X server's screen-saver time", "xset s"};
    Display* display = onX11() ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return time;
    int timeout = 0, interval = 0, blanking = 0, exposures = 0;
    XGetScreenSaver(display, &timeout, &interval, &blanking, &exposures);
    time.seconds = timeout > 0 ? timeout : 0;
    int eventBase = 0, errorBase = 0;
    CARD16 level = 0;
    BOOL on = False;
    if (DPMSQueryExtension(display, &eventBase, &errorBase) && DPMSCapable(display) && DPMSInfo(display, &level, &on)
        && on) {
        CARD16 standby = 0, suspend = 0, off = 0;
        DPMSGetTimeouts(display, &standby, &suspend, &off);
        // A stage set to 0 is skipped: the first the monitor reaches counts.
        for (const CARD16 stage : {standby, suspend, off})
            if (stage > 0) {
                if (time.seconds == 0 || stage < time.seconds)
                    time = {stage, "the X server's DPMS standby time", "xset dpms"};
                break;
            }
    }
    XCloseDisplay(display);
    return time;
}
