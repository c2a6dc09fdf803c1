#pragma once
// A small Xlib client for end-to-end tests: finds top-level windows by name,
// reads their geometry and a few screen pixels, sends a window manager's close
// request and watches the root window for window creation.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TopLevelWindow {
    unsigned long id = 0;
    std::string name; // _NET_WM_NAME when set, otherwise WM_NAME
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool viewable = false;
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

class X11Display {
public:
    // Connects to $DISPLAY; connected() is false when that fails.
    X11Display();
    ~X11Display();
    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    bool connected() const { return display_ != nullptr; }
    int screenWidth() const;
    int screenHeight() const;

    // Every window in the tree below the root (there is no window manager, so
    // the programs' windows are the root's children), with its name.
    std::vector<TopLevelWindow> windows();
    // Windows whose name is exactly `name`.
    std::vector<TopLevelWindow> windowsNamed(const std::string& name);

    // Sends WM_PROTOCOLS / WM_DELETE_WINDOW to the window, as a window manager
    // does when the user closes it. False when the window does not take part
    // in that protocol.
    bool requestClose(unsigned long window);
    // Closes an output window of a compositor on wlroots' X11 backend, which
    // takes it for that output unplugged.
    void closeOutputWindow(unsigned long window);

    // Gives the keyboard to whatever window is under the pointer (PointerRoot),
    // as the server starts. A program that set the focus to its own window
    // leaves it on None when the window goes, and keys would then be lost.
    void focusFollowsPointer();
    // Takes the keyboard focus from every window: key events go nowhere.
    void focusNowhere();
    // Gives the keyboard to this window, as a click into it would.
    void focusOn(unsigned long window);
    // The focus window: 1 for PointerRoot, 0 for None, else a window id.
    unsigned long focus();

    // From now on, counts windows created or mapped anywhere on the screen.
    void watchWindowCreation();
    // Windows created since watchWindowCreation (reads pending events).
    int windowsCreatedSinceWatch();
    // From now on, also counts the key presses and releases delivered to this
    // window (another client's window: key events may be selected by many
    // clients).
    void watchKeys(unsigned long window);
    int keyPressesSinceWatch();
    int keyReleasesSinceWatch();

    // What a test's window stands for, as a window manager sees it: a plain
    // window (a screen-saver host's, a program's), the desktop drawn by a file
    // manager, or a panel keeping the strip it stands on to itself; or a
    // window that takes input and shows nothing (an InputOnly one).
    enum class Kind { Plain, Desktop, Panel, Unseen };
    // A mapped window of the test's own, filled with one colour; 0 when it
    // could not be made.
    unsigned long createWindow(int x, int y, int width, int height, unsigned long rgb, Kind kind = Kind::Plain);
    void destroyWindow(unsigned long window);
    // The window with that id, if it exists.
    std::optional<TopLevelWindow> windowWithId(unsigned long window);

    // Colours of one screen row segment, read from the root window.
    std::vector<Rgb> readRow(int x, int y, int width);
    // Pixels of a screen rectangle that are not black (read from the root).
    int nonBlackIn(int x, int y, int width, int height);

    // True once a window manager has taken the window in hand (WM_STATE).
    bool managed(unsigned long window);
    // True while a window manager holds the screen (or one that ended is not
    // yet let go by the server).
    bool windowManagerRunning();
    // Pixels of a screen rectangle that have exactly this colour.
    int pixelsOfColour(int x, int y, int width, int height, unsigned long rgb);

    // True when the pointer shows nothing: its image is wholly transparent.
    bool pointerHidden();
    // The server's own screen saver: on after this many idle seconds (0: never).
    void setServerScreenSaver(int seconds);
    bool serverScreenSaverOn();
    // Holds it off (or lets it come again) as a player does, for as long as
    // this connection lasts.
    void suspendServerScreenSaver(bool suspend);

private:
    void collect(unsigned long parent, std::vector<TopLevelWindow>& out);
    void drainEvents();
    std::string nameOf(unsigned long window);
    void sendProtocolMessage(unsigned long window, unsigned long type, unsigned long protocol);

    struct _XDisplay* display_ = nullptr;
    int created_ = 0;
    int keyPresses_ = 0;
    int keyReleases_ = 0;
};
