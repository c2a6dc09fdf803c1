// Drawing into a window that a screen-saver host (XScreenSaver, its settings
// preview) created and owns, and may resize or destroy at any moment.
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <cstdint>

namespace {
Window hostWindow = 0;
bool inputOnly = false;
// A connection of our own, told when the host's window goes, whatever SDL's
// connection is busy with.
Display* watch = nullptr;
bool watchFailed = false;
bool hostWindowGone = false;
XErrorHandler previousHandler = nullptr;
// Until SDL has made its renderer for the window, an error means the window
// cannot be drawn into; the first one's words go into the message.
bool settingUp = false;
std::string setupError;

bool destroyNoticed()
{
    while (!hostWindowGone && XPending(watch) > 0) {
        XEvent event;
        XNextEvent(watch, &event);
        hostWindowGone = event.type == DestroyNotify && event.xdestroywindow.window == hostWindow;
    }
    return hostWindowGone;
}

// The server's answer comes after every notice it sent before it.
bool destroyedByNow()
{
    XSync(watch, False);
    return destroyNoticed();
}

// Once the host's window has gone, while a frame or the teardown still talks
// to it, errors follow about it and about what was drawn with it: expected,
// whichever comes first. An error about the window while it is there means
// nothing more. Every other error goes on to the handler that was in place.
int hostWindowErrors(Display* display, XErrorEvent* error)
{
    if (display == watch) {
        watchFailed = true;
        return 0;
    }
    if (hostWindowGone || destroyedByNow())
        return 0;
    if (settingUp) {
        if (setupError.empty()) {
            char text[256] = "";
            XGetErrorText(display, error->error_code, text, sizeof text);
            setupError = text;
        }
        return 0;
    }
    if (error->resourceid == hostWindow)
        return 0;
    return previousHandler ? previousHandler(display, error) : 0;
}
}

bool platformAdoptHostWindow(std::uint32_t id)
{
    watch = XOpenDisplay(nullptr);
    if (!watch)
        return false;
    hostWindow = id;
    // Xlib's own handler would end the process over a window that is not there.
    // SDL puts its own handler in front of this one and passes errors on.
    previousHandler = XSetErrorHandler(hostWindowErrors);
    // Told of its end first, then looked at: a window that goes in between is
    // heard of.
    watchFailed = false;
    XSelectInput(watch, id, StructureNotifyMask);
    XWindowAttributes attributes;
    const bool found = XGetWindowAttributes(watch, id, &attributes) != 0;
    XSync(watch, False);
    if (!found || watchFailed) {
        XSetErrorHandler(previousHandler);
        XCloseDisplay(watch);
        watch = nullptr;
        hostWindow = 0;
        return false;
    }
    inputOnly = attributes.c_class == InputOnly;
    settingUp = true;
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

bool platformHostWindowDrawable(SDL_Window* window, std::string& reason)
{
    if (!platformHostWindowMode())
        return true;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11) {
        // SDL listens to the windows it makes, not to one it is handed; once
        // it hears of the size changing it follows it, its renderer included.
        Display* display = info.info.x11.display;
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, hostWindow, &attributes))
            XSelectInput(display, hostWindow, attributes.your_event_mask | StructureNotifyMask);
        XSync(display, False);
    }
    settingUp = false;
    if (hostWindowGone)
        return true; // the first pass ends the run
    reason = inputOnly ? "it is an InputOnly window, which shows nothing" : setupError;
    return reason.empty();
}

bool platformRunEnding()
{
    if (platformTerminationRequested())
        return true;
    if (!platformHostWindowMode())
        return false;
    if (destroyNoticed())
        return true;
    SDL_PumpEvents();
    return SDL_HasEvent(SDL_QUIT) == SDL_TRUE;
}
