#pragma once
// What the X11 files of the platform layer share: SDL's own connection and
// window ids, and a guard for requests about windows another client may
// destroy at any moment.
#include <SDL.h>
#include <X11/Xlib.h>

// SDL's X connection for that window; nullptr when it is not an X11 window.
Display* x11DisplayOf(SDL_Window* window);
// The X window behind an SDL window; 0 when there is none.
Window x11WindowOf(SDL_Window* window);

// While it lives, X errors are noted instead of ending the process (Xlib's
// default). failed() flushes the requests made so far and tells whether any
// of them failed.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;
    bool failed();

private:
    Display* display_;
    XErrorHandler previous_;
};
