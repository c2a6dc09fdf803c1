// A player as the X server sees one: it suspends the server's screen saver
// (XScreenSaverSuspend) on a connection of its own, prints "suspended", and
// holds it until it is ended, when the server drops it with the connection.
#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

#include <cstdio>
#include <unistd.h>

int main()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    XScreenSaverSuspend(display, True);
    XSync(display, False);
    std::printf("suspended\n");
    std::fflush(stdout);
    pause();
    return 0;
}
