// Drawing into a window that a screen-saver host (XScreenSaver, its settings
// preview) created and owns.
#include "platform/platform.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdint>

namespace {
Window hostWindow = 0;
bool hostWindowGone = false;
XErrorHandler previousHandler = nullptr;
bool lookupFailed = false;

int noteLookupError(Display*, XErrorEvent*)
{
    lookupFailed = true;
    return 0;
}

bool windowExists(Window window)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    // Xlib's own handler would end the process over a window that is not there.
    lookupFailed = false;
    XErrorHandler before = XSetErrorHandler(noteLookupError);
    XWindowAttributes attributes;
    bool found = XGetWindowAttributes(display, window, &attributes) != 0;
    XSync(display, False);
    XSetErrorHandler(before);
    XCloseDisplay(display);
    return found && !lookupFailed;
}

// The host destroys its window as soon as it has told us to stop, possibly
// while a frame or the teardown still talks to it. Errors about that window,
// and any after it went, are expected then; every other error goes on to the
// handler that was in place.
int toleratingHostWindowErrors(Display* display, XErrorEvent* error)
{
    if (error->resourceid == hostWindow || hostWindowGone) {
        hostWindowGone = true;
        return 0;
    }
    return previousHandler ? previousHandler(display, error) : 0;
}
}

bool platformAdoptHostWindow(std::uint32_t id)
{
    if (!windowExists(id))
        return false;
    hostWindow = id;
    // SDL puts its own handler in front of this one and passes errors on.
    previousHandler = XSetErrorHandler(toleratingHostWindowErrors);
    return true;
}

bool platformHostWindowMode()
{
    return hostWindow != 0;
}

const void* platformHostWindow()
{
    return hostWindow ? reinterpret_cast<const void*>(static_cast<std::uintptr_t>(hostWindow)) : nullptr;
}

bool platformHostEndsRun()
{
    if (!platformHostWindowMode())
        return false;
    SDL_PumpEvents();
    return SDL_HasEvent(SDL_QUIT) == SDL_TRUE;
}
