#pragma once
// The few operating-system calls the saver needs. Windows gets the real calls;
// POSIX gets stand-ins that behave the way the rest of the program expects.
#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;

// A window handle as a plain 64-bit value (an HWND on Windows).
using WindowHandle = std::int64_t;

// The process command line, program path first (GetCommandLineA).
const char* platformCommandLine();
// The foreground window (GetForegroundWindow); 0 where there is none.
WindowHandle platformForegroundWindow();
// A modal information box with no owner (MessageBoxA, type 0x40). Blocks until
// the user closes it.
void platformInformationBox(const char* text, const char* caption);
// Empties the thread's Windows message queue once, dispatching what it finds.
// Returns true when a quit message was found (the rest stays queued).
bool platformDrainMessages();
// Once per frame of an animation, which reads no input: answers what the
// window system asks of the saver's windows meanwhile (Windows' messages, a
// compositor's ping), so that they are not taken for hung. Key presses,
// pointer movements and a quit message stay queued for the next drain.
void platformAnswerWindowSystem();

// Before the media library starts: where no session message bus is known (no
// DBUS_SESSION_BUS_ADDRESS and no bus socket in XDG_RUNTIME_DIR), SDL would
// have libdbus autolaunch one (dbus-launch, a dbus-daemon left running and
// files under HOME). Then this process alone is told there is none. Nothing
// on Windows.
void platformStayOffAbsentSessionBus();

// Before the media library starts: Mesa's GL drivers (its software renderer
// too, from Mesa 23 on) keep compiled shaders in a cache under HOME. The
// saver leaves no file behind, and its few shaders compile in moments, so
// this process keeps the cache off unless the user has set it. Nothing on
// Windows.
void platformLeaveNoDriverCache();

// POSIX only: builds the command line from argv, the way Windows would show it.
void platformSetArguments(int argc, char** argv);
// Tests: replaces the command line with the given text (nullptr restores argv's).
void platformSetCommandLineForTest(const char* commandLine);

// Draws the run into a screen-saver host's window (an X window id) when that
// window exists; false, with nothing changed, when it does not. Windows hosts
// hand over no window this way, so there it is always false.
bool platformAdoptHostWindow(std::uint32_t id);
// True when the run draws into a host's window: the host ends the run, owns
// the window, and nothing may pop up over it.
bool platformHostWindowMode();
// The host's window as SDL_CreateWindowFrom takes it; nullptr without one.
const void* platformHostWindow();
// After SDL has taken the host's window and made its renderer: from now on SDL
// hears when the host resizes the window (its size-changed window event).
// False, with the X error's own words in reason, when the window cannot be
// drawn into (InputOnly, a depth or visual the renderer cannot use); true
// outside host mode.
bool platformHostWindowDrawable(SDL_Window* window, std::string& reason);
// True when the run must end without finishing what it draws: a termination
// request came, or in host mode the host asked (a quit request waits in SDL's
// queue, left there for the main loop) or its window is gone.
bool platformRunEnding();

// Termination requests (SIGTERM, SIGINT, SIGHUP): caught from the start on.
// While the run watches for them, one is noted for the main loop, as a close
// request is; at any other moment (the start-up's requests, a box, the
// teardown) it ends the program at once with 0, and a box's helper process
// with it. A run ended by one shows no box. Nothing on Windows, whose
// sessions end with a close request.
void platformCatchTerminationRequests();
void platformWatchTermination(bool watched);
bool platformTerminationRequested();

// One monitor's area of the desktop, in the pixels window positions use.
struct MonitorArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
// The monitors showing now, asked of the system itself each time: SDL's own
// list is read once and, under X, misses a monitor switched off or on again.
// The window says which connection to ask.
std::vector<MonitorArea> platformMonitors(SDL_Window* window);
// Windows the saver makes for itself from now on are its own, not a window
// manager's: under X, unmanaged (override-redirect), so that none frames,
// moves or stacks them, or keeps the saver waiting on them. The saver places
// them itself. Nothing on Windows.
void platformOwnNewWindows();
// Keeps the saver's windows above what other programs open while it runs,
// bar a screen locker, which must stay above it; under X the keyboard goes to
// the page, so that the waking key lands nowhere else. On Windows the covers
// stay topmost. Cheap enough for every pass.
void platformKeepAbove(SDL_Window* page, const std::vector<SDL_Window*>& covers);
// At the end of a run, before a box: from now on the boxes the saver shows
// stand above its windows and get the keyboard, under any window manager or
// none, and its windows are no longer kept above. On Windows the covers stop
// being topmost.
void platformLetBoxesAbove(SDL_Window* page, const std::vector<SDL_Window*>& covers);
// As the saver's windows go: the keyboard goes back to the window that had it
// when the saver took it, when that still shows and no other program has
// taken the keyboard since. Nothing on Windows, which activates the window
// below by itself.
void platformGiveFocusBack();
// Where the pointer stands on the desktop, asked of the system now rather than
// of one of our windows, which may have gone with its monitor.
void platformPointerOnDesktop(SDL_Window* window, int& x, int& y);

// The run is XScreenSaver's (its --root switch): meant for an X screen,
// whatever the session. Told once, before the display starts. Nothing on
// Windows.
void platformRunForXScreen();
// Before the video subsystem starts, for a window of the saver's own and not
// a run for an X screen: on a Wayland session (WAYLAND_DISPLAY set) SDL's
// Wayland driver, X11 where that cannot be had. Where no Wayland display is
// named, in any run, never SDL's Wayland driver. SDL_VIDEODRIVER, when set,
// still decides. Nothing on Windows.
void platformPreferSessionVideoDriver();
// True when no window can be put at a place of the desk (Wayland): each is
// made full screen on an output instead. Always false on Windows.
bool platformWindowsFillOutputs();
// A window the compositor shows full screen on the output that holds the
// area's centre, its pixels the output's own; nullptr when it cannot be made.
SDL_Window* platformOpenOutputWindow(const char* title, const MonitorArea& area);
// A Wayland compositor shows its own pointer over a window until the window's
// client has read that the pointer came in and hidden it: reads the events
// (they stay queued) and hides it again in the window it came into, which it
// returns (the compositor may show the change only with the window's next
// picture). While the pointer is in none, asks the compositor to look again.
// nullptr when it did not come into another, and elsewhere.
SDL_Window* platformKeepPointerHidden();

// How often the outputs' power is looked at where nothing tells its change:
// the X server sends no event for it, and a compositor tells ours on a
// connection SDL does not wait on.
inline constexpr int outputPowerCheckMilliseconds = 1000;
// True while every output the saver covers is dark (powered down): under X
// the DPMS extension says standby, suspend or off; on Wayland the compositor
// says off for every output (wlroots' output power management, KWin's DPMS);
// on Windows the console display is off. A server or compositor that does
// not tell, or refuses to: lit. Asks the system, never changes its power.
bool platformOutputsDark(SDL_Window* page);
