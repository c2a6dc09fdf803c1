#include "platform/x11_session.h"

#include <SDL_syswm.h>

namespace {
bool requestFailed = false;

int noteFailure(Display*, XErrorEvent*)
{
    requestFailed = true;
    return 0;
}

bool x11InfoOf(SDL_Window* window, SDL_SysWMinfo& info)
{
    SDL_VERSION(&info.version);
    return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
}
}

Display* x11DisplayOf(SDL_Window* window)
{
    SDL_SysWMinfo info;
    return x11InfoOf(window, info) ? info.info.x11.display : nullptr;
}

Window x11WindowOf(SDL_Window* window)
{
    SDL_SysWMinfo info;
    return x11InfoOf(window, info) ? info.info.x11.window : 0;
}

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display)
{
    // Errors of requests sent before belong to whoever sent them.
    XSync(display_, False);
    requestFailed = false;
    previous_ = XSetErrorHandler(noteFailure);
}

X11ErrorTrap::~X11ErrorTrap()
{
    XSync(display_, False);
    XSetErrorHandler(previous_);
}

bool X11ErrorTrap::failed()
{
    XSync(display_, False);
    return requestFailed;
}
