// The saver's windows are unmanaged and kept above everything at the end of a
// run; a box from SDL is another client's ordinary window that a window
// manager stacks among its own (below ours), and with no window manager at
// all nobody gives it the keyboard. So, while it is up, ours go right below
// it and the keyboard goes to it, under any window manager or none. A
// compositing manager may have taken a full-screen window of ours off its
// picture (xfwm4 does) and stopped drawing that picture, the box's frame in
// it: there ours are hidden instead, which gives it back.
#include "platform/box_above_x11.h"

#include "platform/x11_session.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <memory>
#include <poll.h>
#include <pthread.h>
#include <string>
#include <unistd.h>

namespace {
// Window managers put a box in a frame, and some the frame in another.
constexpr int frameDepth = 3;

std::string displayName;
std::vector<Window> ourWindows;
SDL_Window* pageWindow = nullptr;

// What the watch works from: its own copies, which the statics' destructors
// do not free from under it when another thread ends the process.
struct Watch {
    std::string display;
    std::string caption;
    std::vector<Window> ours; // the page's window first
    bool placed = false;
};

// Not a std::thread: when the server goes, Xlib ends the process from the
// thread that meets it first, and a joinable std::thread among the statics
// would turn that end into an abort.
pthread_t watcher;
bool watching = false;
// Written to when the box has closed: the watch sleeps on the X connection
// and on this alone.
int wakePipe[2] = {-1, -1};
std::atomic<bool> boxClosed{false};
std::atomic<bool> boxSeen{false};
std::atomic<bool> serverGone{false};

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

bool isOurs(const Watch& watch, Window window)
{
    return std::find(watch.ours.begin(), watch.ours.end(), window) != watch.ours.end();
}

bool compositing(Display* display)
{
    const std::string selection = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    return XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False)) != None;
}

// SDL centres a box on the window it is shown for, but counts that window's
// offset from the screen's corner twice: a page off the corner (on a primary
// monitor right of another) would have it off the page, or off the desk.
void placeOnPage(Display* display, Window box, const Watch& watch)
{
    XWindowAttributes page;
    XWindowAttributes shown;
    int x = 0;
    int y = 0;
    Window child = 0;
    if (!XGetWindowAttributes(display, watch.ours.front(), &page) || (page.x == 0 && page.y == 0)
        || !XGetWindowAttributes(display, box, &shown)
        || !XTranslateCoordinates(display, box, DefaultRootWindow(display), 0, 0, &x, &y, &child))
        return;
    XMoveWindow(display, box, page.x + (page.width - shown.width) / 2, page.y + (page.height - shown.height) / 3);
    // Where it stood, ours (whose drawing waits for the box) show black
    // rather than the box's picture.
    for (Window window : watch.ours) {
        XWindowAttributes under;
        if (!XGetWindowAttributes(display, window, &under))
            continue;
        XSetWindowBackground(display, window, BlackPixel(display, DefaultScreen(display)));
        XClearArea(display, window, x - under.x, y - under.y, shown.width, shown.height, False);
    }
}

// One look: ours below the box's top-level window, and the keyboard on the
// box when it is on none or on ours.
void keepAbove(Display* display, Watch& watch)
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
        if (!isOurs(watch, children[i]) && viewable(display, children[i])
            && (box = namedWithin(display, children[i], watch.caption, frameDepth)))
            boxIndex = i;
    int highestOurs = -1;
    for (int i = 0; i < static_cast<int>(count); ++i)
        if (isOurs(watch, children[i]))
            highestOurs = i;
    if (box && compositing(display)) {
        for (Window window : watch.ours)
            if (viewable(display, window))
                XUnmapWindow(display, window);
    } else if (box && highestOurs > boxIndex) {
        XWindowChanges changes{};
        changes.sibling = children[boxIndex];
        changes.stack_mode = Below;
        for (Window window : watch.ours)
            XConfigureWindow(display, window, CWSibling | CWStackMode, &changes);
    }
    if (children)
        XFree(children);
    if (!box)
        return;
    // A frame maps the box inside it after the frame itself shows.
    XSelectInput(display, box, StructureNotifyMask);
    if (!viewable(display, box))
        return;
    boxSeen = true;
    if (!watch.placed)
        placeOnPage(display, box, watch);
    watch.placed = true;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == None || focus == PointerRoot || focus == root || isOurs(watch, focus))
        XSetInputFocus(display, box, RevertToParent, CurrentTime);
    XFlush(display);
}

// The server has gone: Xlib has said so on standard error. Returning instead
// of exiting leaves the end to the main thread, which meets the loss too.
void noteServerGone(Display*, void*)
{
    serverGone = true;
}

// Looks again whenever a top-level window maps, goes, moves in the stacking
// or the keyboard moves to none or to ours; sleeps in between.
void* watch(void* argument)
{
    std::unique_ptr<Watch> watch(static_cast<Watch*>(argument));
    Display* display = XOpenDisplay(watch->display.c_str());
    if (!display)
        return nullptr;
    XSetIOErrorExitHandler(display, noteServerGone, nullptr);
    {
        // Any window may go between two requests about it, the box's first.
        X11ErrorTrap trap(display);
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask | FocusChangeMask);
        for (Window window : watch->ours)
            XSelectInput(display, window, FocusChangeMask);
        pollfd waits[] = {{ConnectionNumber(display), POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
        bool look = true;
        while (!boxClosed && !serverGone) {
            if (look)
                keepAbove(display, *watch);
            look = false;
            // What came while looking asks for another look; the keyboard
            // leaving a window asks for none.
            if (XPending(display) == 0 && poll(waits, 2, -1) < 0 && errno != EINTR)
                break;
            while (!boxClosed && !serverGone && XPending(display) > 0) {
                XEvent event;
                XNextEvent(display, &event);
                look = look || event.type != FocusOut;
            }
        }
    }
    XCloseDisplay(display);
    return nullptr;
}
}

void rememberWindowsUnderBoxes(const std::string& display, SDL_Window* page, const std::vector<Window>& ours)
{
    displayName = display;
    pageWindow = page;
    ourWindows = ours;
}

SDL_Window* x11BoxParent()
{
    return pageWindow;
}

namespace {
std::string pendingCaption;

// SDL forks the box's helper process: a thread started before the fork could
// hold a lock (of the allocator, of Xlib) that the helper then waits on for
// ever, so the watch begins in the parent once the fork is done.
void startAfterFork()
{
    if (pendingCaption.empty() || watching)
        return;
    boxClosed = false;
    boxSeen = false;
    if (wakePipe[0] < 0 && pipe(wakePipe) != 0)
        return;
    auto* what = new Watch{displayName, pendingCaption, ourWindows};
    watching = pthread_create(&watcher, nullptr, watch, what) == 0;
    if (!watching)
        delete what;
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

BoxEnd stopKeepingBoxAbove()
{
    pendingCaption.clear();
    if (!watching)
        return BoxEnd::NotSeen;
    boxClosed = true;
    const char wake = 0;
    while (write(wakePipe[1], &wake, 1) < 0 && errno == EINTR) {
    }
    pthread_join(watcher, nullptr);
    watching = false;
    char drained = 0;
    while (read(wakePipe[0], &drained, 1) < 0 && errno == EINTR) {
    }
    if (serverGone)
        return BoxEnd::ServerGone;
    return boxSeen ? BoxEnd::Closed : BoxEnd::NotSeen;
}
