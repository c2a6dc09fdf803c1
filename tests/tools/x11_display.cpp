#include "x11_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>

namespace {
// A window can vanish between listing and asking about it; that is no error here.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}
}

X11Display::X11Display()
{
    display_ = XOpenDisplay(nullptr);
    if (display_)
        XSetErrorHandler(ignoreErrors);
}

X11Display::~X11Display()
{
    if (display_)
        XCloseDisplay(display_);
}

int X11Display::screenWidth() const
{
    return DisplayWidth(display_, DefaultScreen(display_));
}

int X11Display::screenHeight() const
{
    return DisplayHeight(display_, DefaultScreen(display_));
}

namespace {
// How many items of this type and format the window's property holds (up to
// 1024), copied into `bytes` when given; 0 when it has none.
unsigned long readProperty(Display* display, Window window, const char* name, Atom type, int format,
    std::string* bytes = nullptr)
{
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, type, &actualType,
            &actualFormat, &count, &after, &data)
            != Success
        || !data || actualType != type || actualFormat != format)
        count = 0;
    if (bytes && count)
        bytes->assign(reinterpret_cast<char*>(data), count);
    if (data)
        XFree(data);
    return count;
}

// Counts the pixels of a screen rectangle that pass the test; -1 when the
// rectangle cannot be read.
template <typename Test>
int countPixels(Display* display, int x, int y, int width, int height, Test test)
{
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(width),
        static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return -1;
    int count = 0;
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            count += test(XGetPixel(image, i, j) & 0xffffff);
    XDestroyImage(image);
    return count;
}
}

std::string X11Display::nameOf(unsigned long window)
{
    std::string name;
    readProperty(display_, window, "_NET_WM_NAME", XInternAtom(display_, "UTF8_STRING", False), 8, &name);
    if (!name.empty())
        return name;
    char* legacy = nullptr;
    if (XFetchName(display_, window, &legacy) && legacy) {
        name = legacy;
        XFree(legacy);
    }
    return name;
}

void X11Display::collect(unsigned long parent, std::vector<TopLevelWindow>& out)
{
    Window root = 0;
    Window up = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display_, parent, &root, &up, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display_, children[i], &attributes))
            continue;
        TopLevelWindow w;
        w.id = children[i];
        w.name = nameOf(children[i]);
        Window child = 0;
        XTranslateCoordinates(display_, children[i], attributes.root, 0, 0, &w.x, &w.y, &child);
        w.width = attributes.width;
        w.height = attributes.height;
        w.viewable = attributes.map_state == IsViewable;
        out.push_back(w);
        collect(children[i], out);
    }
    if (children)
        XFree(children);
}

std::vector<TopLevelWindow> X11Display::windows()
{
    std::vector<TopLevelWindow> out;
    XSync(display_, False);
    collect(DefaultRootWindow(display_), out);
    return out;
}

std::vector<TopLevelWindow> X11Display::windowsNamed(const std::string& name)
{
    std::vector<TopLevelWindow> out;
    for (const TopLevelWindow& w : windows())
        if (w.name == name)
            out.push_back(w);
    return out;
}

bool X11Display::requestClose(unsigned long window)
{
    Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
    Atom deleteWindow = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    Atom* list = nullptr;
    int count = 0;
    bool takesPart = false;
    if (XGetWMProtocols(display_, window, &list, &count)) {
        for (int i = 0; i < count; ++i)
            takesPart = takesPart || list[i] == deleteWindow;
        XFree(list);
    }
    if (!takesPart)
        return false;
    sendProtocolMessage(window, protocols, deleteWindow);
    return true;
}

void X11Display::closeOutputWindow(unsigned long window)
{
    sendProtocolMessage(
        window, XInternAtom(display_, "WM_PROTOCOLS", False), XInternAtom(display_, "WM_DELETE_WINDOW", False));
    // wlroots 0.15 never interns its atoms and compares the message with 0.
    sendProtocolMessage(window, None, None);
}

void X11Display::sendProtocolMessage(unsigned long window, unsigned long type, unsigned long protocol)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(protocol);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
}

void X11Display::watchWindowCreation()
{
    XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
    drainEvents();
    created_ = 0;
}

void X11Display::drainEvents()
{
    XSync(display_, False);
    while (XPending(display_)) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == CreateNotify || event.type == MapNotify)
            ++created_;
        else if (event.type == KeyPress)
            ++keyPresses_;
        else if (event.type == KeyRelease)
            ++keyReleases_;
    }
}

int X11Display::windowsCreatedSinceWatch()
{
    drainEvents();
    return created_;
}

void X11Display::watchKeys(unsigned long window)
{
    drainEvents();
    XSelectInput(display_, window, KeyPressMask | KeyReleaseMask);
    XSync(display_, False);
    keyPresses_ = 0;
    keyReleases_ = 0;
}

int X11Display::keyPressesSinceWatch()
{
    drainEvents();
    return keyPresses_;
}

int X11Display::keyReleasesSinceWatch()
{
    drainEvents();
    return keyReleases_;
}

unsigned long X11Display::createWindow(int x, int y, int width, int height, unsigned long rgb, Kind kind)
{
    Window root = DefaultRootWindow(display_);
    Window window = kind == Kind::Unseen
        ? XCreateWindow(display_, root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0, 0,
              InputOnly, CopyFromParent, 0, nullptr)
        : XCreateSimpleWindow(display_, root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0, 0,
              rgb);
    if (!window)
        return 0;
    if (kind == Kind::Desktop || kind == Kind::Panel) {
        Atom type = XInternAtom(display_, kind == Kind::Panel ? "_NET_WM_WINDOW_TYPE_DOCK" : "_NET_WM_WINDOW_TYPE_DESKTOP", False);
        XChangeProperty(display_, window, XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
            PropModeReplace, reinterpret_cast<unsigned char*>(&type), 1);
        // Where it stands is its own choice, not the window manager's.
        XSizeHints hints{};
        hints.flags = USPosition | USSize;
        hints.x = x;
        hints.y = y;
        hints.width = width;
        hints.height = height;
        XSetWMNormalHints(display_, window, &hints);
    }
    if (kind == Kind::Panel) {
        // Along the bottom: the strip from the panel's top to the screen's
        // bottom edge, across the panel's own width.
        long strut[12] = {0, 0, 0, screenHeight() - y, 0, 0, 0, 0, 0, 0, x, x + width - 1};
        XChangeProperty(display_, window, XInternAtom(display_, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
            PropModeReplace, reinterpret_cast<unsigned char*>(strut), 12);
    }
    XMapWindow(display_, window);
    XSync(display_, False);
    return window;
}

void X11Display::destroyWindow(unsigned long window)
{
    XDestroyWindow(display_, window);
    XSync(display_, False);
}

std::optional<TopLevelWindow> X11Display::windowWithId(unsigned long window)
{
    for (const TopLevelWindow& w : windows())
        if (w.id == window)
            return w;
    return std::nullopt;
}

std::vector<Rgb> X11Display::readRow(int x, int y, int width)
{
    std::vector<Rgb> row;
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, static_cast<unsigned>(width), 1, AllPlanes,
        ZPixmap);
    if (!image)
        return row;
    for (int i = 0; i < width; ++i) {
        unsigned long pixel = XGetPixel(image, i, 0);
        row.push_back(Rgb{static_cast<std::uint8_t>((pixel & image->red_mask) >> 16),
            static_cast<std::uint8_t>((pixel & image->green_mask) >> 8),
            static_cast<std::uint8_t>(pixel & image->blue_mask)});
    }
    XDestroyImage(image);
    return row;
}

int X11Display::nonBlackIn(int x, int y, int width, int height)
{
    int count = countPixels(display_, x, y, width, height, [](unsigned long pixel) { return pixel != 0; });
    return count < 0 ? width * height : count;
}

int X11Display::pixelsOfColour(int x, int y, int width, int height, unsigned long rgb)
{
    return std::max(0, countPixels(display_, x, y, width, height, [rgb](unsigned long pixel) { return pixel == rgb; }));
}

bool X11Display::managed(unsigned long window)
{
    const Atom state = XInternAtom(display_, "WM_STATE", False);
    return readProperty(display_, window, "WM_STATE", state, 32) > 0;
}

namespace {
bool refused = false;

int noteRefusal(Display*, XErrorEvent* error)
{
    refused = refused || error->error_code == BadAccess;
    return 0;
}
}

bool X11Display::windowManagerRunning()
{
    // The server lets one client at a time redirect the root's children: the
    // window manager. Asking for it ourselves tells whether one still does.
    const Window root = DefaultRootWindow(display_);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, root, &attributes);
    refused = false;
    XSetErrorHandler(noteRefusal);
    XSelectInput(display_, root, attributes.your_event_mask | SubstructureRedirectMask);
    XSync(display_, False);
    XSelectInput(display_, root, attributes.your_event_mask);
    XSync(display_, False);
    XSetErrorHandler(ignoreErrors);
    return refused;
}

bool X11Display::pointerHidden()
{
    XFixesCursorImage* cursor = XFixesGetCursorImage(display_);
    if (!cursor)
        return false;
    bool hidden = true;
    for (int i = 0; i < cursor->width * cursor->height; ++i)
        hidden = hidden && (cursor->pixels[i] >> 24) == 0;
    XFree(cursor);
    return hidden;
}

void X11Display::setServerScreenSaver(int seconds)
{
    XSetScreenSaver(display_, seconds, 0, PreferBlanking, AllowExposures);
    XSync(display_, False);
}

bool X11Display::serverScreenSaverOn()
{
    XScreenSaverInfo* info = XScreenSaverAllocInfo();
    bool on = info && XScreenSaverQueryInfo(display_, DefaultRootWindow(display_), info) && info->state == ScreenSaverOn;
    XFree(info);
    return on;
}

void X11Display::suspendServerScreenSaver(bool suspend)
{
    XScreenSaverSuspend(display_, suspend);
    XSync(display_, False);
}

void X11Display::focusFollowsPointer()
{
    XSetInputFocus(display_, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
}

void X11Display::focusNowhere()
{
    XSetInputFocus(display_, None, RevertToNone, CurrentTime);
    XSync(display_, False);
}

void X11Display::focusOn(unsigned long window)
{
    XSetInputFocus(display_, window, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
}

unsigned long X11Display::focus()
{
    Window window = None;
    int revert = 0;
    XGetInputFocus(display_, &window, &revert);
    return window;
}
