// The saver's windows are unmanaged and kept above everything at the end of a
// run; a box from SDL is another client's ordinary window that a window
// manager stacks among its own (below ours), and with no window manager at
// all nobody gives it the keyboard. So, while it is up, ours go right below
// it and the keyboard goes to it, under any window manager or none. A
// compositing manager may have taken a full-screen window of ours off its
// picture (xfwm4 does) and stopped drawing that picture, the box's frame in
// it: there ours are hidden instead, which gives it back.
#include "platform/box_above_x11.h"

#include "platform/pacing.h"
#include "platform/x11_session.h"

#include <algorithm>
#include <atomic>
#include <pthread.h>
#include <string>
#include <thread>

namespace {
// How often the stacking is looked at while a box is up.
constexpr int boxWatchIntervalMs = 20;
// Window managers put a box in a frame, and some the frame in another.
constexpr int frameDepth = 3;

std::string displayName;
std::vector<Window> ourWindows;
std::thread watcher;
std::atomic<bool> boxClosed{false};

// The window's title as its bytes, whatever their encoding (SDL writes UTF-8
// ones, which XFetchName does not read); empty when it has none.
std::string titleOf(Display* display, Window window)
{
    for (const char* name : {"_NET_WM_NAME", "WM_NAME"}) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* bytes = nullptr;
        std::string title;
        if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, AnyPropertyType,
                &type, &format, &count, &after, &bytes) == Success && bytes && format == 8)
            title.assign(reinterpret_cast<const char*>(bytes), count);
        if (bytes)
            XFree(bytes);
        if (!title.empty())
            return title;
    }
    return {};
}

// The window named caption at or below window, within depth levels; 0 when none.
Window namedWithin(Display* display, Window window, const std::string& caption, int depth)
{
    if (titleOf(display, window) == caption)
        return window;
    Window found = 0;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (depth > 0 && XQueryTree(display, window, &root, &parent, &children, &count))
        for (unsigned int i = 0; i < count && !found; ++i)
            found = namedWithin(display, children[i], caption, depth - 1);
    if (children)
        XFree(children);
    return found;
}

bool viewable(Display* display, Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

bool isOurs(Window window)
{
    return std::find(ourWindows.begin(), ourWindows.end(), window) != ourWindows.end();
}

bool compositing(Display* display)
{
    const std::string selection = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    return XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False)) != None;
}

// One look: ours below the box's top-level window, and the keyboard on the
// box when it is on none or on ours.
void keepAbove(Display* display, const std::string& caption)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return;
    // The box's top-level window (its frame under a window manager), from
    // the top down; then the highest of ours, bottom to top.
    int boxIndex = -1;
    Window box = 0;
    for (int i = static_cast<int>(count) - 1; i >= 0 && !box; --i)
        if (!isOurs(children[i]) && viewable(display, children[i])
            && (box = namedWithin(display, children[i], caption, frameDepth)))
            boxIndex = i;
    int highestOurs = -1;
    for (int i = 0; i < static_cast<int>(count); ++i)
        if (isOurs(children[i]))
            highestOurs = i;
    if (box && compositing(display)) {
        for (Window window : ourWindows)
            if (viewable(display, window))
                XUnmapWindow(display, window);
    } else if (box && highestOurs > boxIndex) {
        XWindowChanges changes{};
        changes.sibling = children[boxIndex];
        changes.stack_mode = Below;
        for (Window window : ourWindows)
            XConfigureWindow(display, window, CWSibling | CWStackMode, &changes);
    }
    if (children)
        XFree(children);
    if (!box || !viewable(display, box))
        return;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == root || isOurs(focus))
        XSetInputFocus(display, box, RevertToParent, CurrentTime);
    XFlush(display);
}

void watch(std::string caption)
{
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display)
        return;
    {
        // Any window may go between two requests about it, the box's first.
        X11ErrorTrap trap(display);
        while (!boxClosed) {
            keepAbove(display, caption);
            pauseFor(boxWatchIntervalMs);
        }
    }
    XCloseDisplay(display);
}
}

void rememberWindowsUnderBoxes(const std::string& display, const std::vector<Window>& ours)
{
    displayName = display;
    ourWindows = ours;
}

namespace {
std::string pendingCaption;

// SDL forks the box's helper process: a thread started before the fork could
// hold a lock (of the allocator, of Xlib) that the helper then waits on for
// ever, so the watch begins in the parent once the fork is done.
void startAfterFork()
{
    if (pendingCaption.empty() || watcher.joinable())
        return;
    boxClosed = false;
    watcher = std::thread(watch, pendingCaption);
}
}

void startKeepingBoxAbove(const std::string& caption)
{
    static bool registered = false;
    if (ourWindows.empty())
        return;
    if (!registered)
        registered = pthread_atfork(nullptr, startAfterFork, nullptr) == 0;
    pendingCaption = caption;
}

void stopKeepingBoxAbove()
{
    pendingCaption.clear();
    if (!watcher.joinable())
        return;
    boxClosed = true;
    watcher.join();
}
