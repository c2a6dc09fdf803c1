// The saver's own windows on an X display: made unmanaged, as X screen savers
// make theirs, so that no window manager frames, moves, stacks or waits on
// them; then kept above what other programs map, and given the keyboard.
#include "platform/box_above_x11.h"
#include "platform/box_wayland.h"
#include "platform/platform.h"
#include "platform/x11_session.h"

#include <SDL.h>

#include <algorithm>

namespace {
// The window the saver took the keyboard from and how it was to revert, none
// while the saver has taken nothing; the saver's connection.
Display* focusDisplay = nullptr;
Window focusTakenFrom = None;
int focusRevert = RevertToParent;
std::vector<Window> ourWindows;

bool isOurs(const std::vector<Window>& ours, Window window)
{
    return std::find(ours.begin(), ours.end(), window) != ours.end();
}

std::vector<Window> windowsOf(SDL_Window* page, const std::vector<SDL_Window*>& covers)
{
    std::vector<Window> ours{x11WindowOf(page)};
    for (SDL_Window* cover : covers)
        ours.push_back(x11WindowOf(cover));
    return ours;
}

// The highest window above our lowest one that another program maps the
// ordinary way (through a window manager, when one runs); 0 when there is
// none. Override-redirect windows are left alone: a screen locker maps its
// window that way, and it must stay above the saver.
Window highestOrdinaryAbove(Display* display, const std::vector<Window>& ours)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    Window highest = 0;
    bool aboveOurs = false;
    // Bottom to top.
    for (unsigned int i = 0; i < count; ++i) {
        if (isOurs(ours, children[i])) {
            aboveOurs = true;
            continue;
        }
        XWindowAttributes attributes;
        if (aboveOurs && XGetWindowAttributes(display, children[i], &attributes)
            && attributes.map_state == IsViewable && !attributes.override_redirect)
            highest = children[i];
    }
    if (children)
        XFree(children);
    return highest;
}
}

namespace {
// With no window manager SDL gives the keyboard to each window it shows (and
// has it revert to none), so the window that has it is noted before the
// first of ours shows.
void noteFocusBeforeOurs()
{
    static bool noted = false;
    if (noted)
        return;
    noted = true;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus != None && focus != PointerRoot && focus != DefaultRootWindow(display)) {
        focusTakenFrom = focus;
        focusRevert = revert;
    }
    XCloseDisplay(display);
}
}

void platformOwnNewWindows()
{
    // Read by SDL's X11 driver alone, each time it makes a window.
    SDL_SetHint(SDL_HINT_X11_FORCE_OVERRIDE_REDIRECT, "1");
    noteFocusBeforeOurs();
}

void platformKeepAbove(SDL_Window* page, const std::vector<SDL_Window*>& covers)
{
    Display* display = x11DisplayOf(page);
    if (!display)
        return;
    ourWindows = windowsOf(page, covers);
    const std::vector<Window>& ours = ourWindows;
    // Another program's window may go between two requests about it.
    X11ErrorTrap trap(display);
    if (Window highest = highestOrdinaryAbove(display, ours)) {
        XWindowChanges changes{};
        changes.sibling = highest;
        changes.stack_mode = Above;
        for (Window window : ours)
            XConfigureWindow(display, window, CWSibling | CWStackMode, &changes);
    }
    // Keys go to the focus window; a key meant to wake the saver must not
    // land in another program's half-written message. With the focus on
    // none, or following the pointer onto our windows, no program gets them.
    // A locker that grabs the keyboard gets its keys whatever the focus.
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    focusDisplay = display;
    if (focus != None && focus != PointerRoot && !isOurs(ours, focus)) {
        if (focusTakenFrom == None) {
            focusTakenFrom = focus;
            focusRevert = revert;
        }
        XSetInputFocus(display, ours.front(), RevertToParent, CurrentTime);
    }
}

void platformLetBoxesAbove(SDL_Window* page, const std::vector<SDL_Window*>& covers)
{
    Display* display = x11DisplayOf(page);
    if (!display) {
        makeWayForBoxes(page, covers);
        return;
    }
    rememberWindowsUnderBoxes(DisplayString(display), page, windowsOf(page, covers));
}

void platformGiveFocusBack()
{
    if (focusTakenFrom == None || !focusDisplay)
        return;
    Display* display = focusDisplay;
    const Window window = focusTakenFrom;
    focusTakenFrom = None;
    X11ErrorTrap trap(display);
    // Still ours, or nobody's since a box of ours closed: no other program
    // has taken it.
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    const bool untaken = focus == None || focus == PointerRoot || focus == DefaultRootWindow(display)
        || isOurs(ourWindows, focus);
    XWindowAttributes attributes;
    if (untaken && XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
        XSetInputFocus(display, window, focusRevert, CurrentTime);
}
