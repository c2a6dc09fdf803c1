#include "platform/platform.h"

#include "platform/box_above_x11.h"
#include "platform/box_wayland.h"
#include "platform/outputs_wayland.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string argumentsLine;
std::string testLine;
bool useTestLine = false;
}

void platformStayOffAbsentSessionBus()
{
    // libdbus takes an empty address for none and autolaunches then too.
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address)
        return;
    // The user's bus where libdbus itself looks next: a socket of this user's.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        struct stat bus {};
        if (stat((std::string(runtime) + "/bus").c_str(), &bus) == 0 && S_ISSOCK(bus.st_mode) && bus.st_uid == getuid())
            return;
    }
    // An address of no transport libdbus knows: the connection fails at once,
    // without autolaunching, and SDL goes on without the bus.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
}

void platformLeaveNoDriverCache()
{
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
}

void platformSetArguments(int argc, char** argv)
{
    // Known to ps and killall by the command that started it, not by the
    // saver proper's file beside that command.
    if (argc > 0 && argv[0] && *argv[0]) {
        const char* slash = std::strrchr(argv[0], '/');
        prctl(PR_SET_NAME, slash ? slash + 1 : argv[0]);
    }
    argumentsLine.clear();
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i] ? argv[i] : "";
        if (i == 0) {
            // Windows quotes a program path that holds a blank.
            bool quote = std::strchr(argument, ' ') != nullptr;
            if (quote)
                argumentsLine += '"';
            argumentsLine += argument;
            if (quote)
                argumentsLine += '"';
        } else {
            argumentsLine += ' ';
            argumentsLine += argument;
        }
    }
}

void platformSetCommandLineForTest(const char* commandLine)
{
    useTestLine = commandLine != nullptr;
    testLine = commandLine ? commandLine : "";
}

const char* platformCommandLine()
{
    return useTestLine ? testLine.c_str() : argumentsLine.c_str();
}

WindowHandle platformForegroundWindow()
{
    return 0;
}

bool waylandDisplayNamed()
{
    for (const char* name : {"WAYLAND_DISPLAY", "WAYLAND_SOCKET"})
        if (const char* value = std::getenv(name); value && *value)
            return true;
    return false;
}

namespace {
bool waylandSessionAnswers()
{
    if (!waylandDisplayNamed())
        return false;
    wl_display* display = wl_display_connect(nullptr);
    if (display)
        wl_display_disconnect(display);
    return display != nullptr;
}

bool xDisplayAnswers()
{
    Display* display = XOpenDisplay(nullptr);
    if (display)
        XCloseDisplay(display);
    return display != nullptr;
}
}

void platformInformationBox(const char* text, const char* caption)
{
    // SDL hands a box to zenity first when it has no display of its own yet,
    // and takes zenity's failure to reach any display for a box shown.
    const bool displayAnswers = SDL_WasInit(SDL_INIT_VIDEO) || xDisplayAnswers() || waylandSessionAnswers();
    if (displayAnswers) {
        SDL_Window* parent = waylandBoxParent() ? waylandBoxParent() : x11BoxParent();
        startKeepingBoxAbove(caption);
        const bool shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, parent) == 0;
        const BoxEnd end = stopKeepingBoxAbove();
        // Xlib has said so on standard error; the run ends as it does when
        // the server goes at any other moment.
        if (end == BoxEnd::ServerGone)
            std::exit(1);
        // Ended without an answer (killed): closed all the same.
        if (shown || end == BoxEnd::Closed)
            return;
    }
    // No display to show a box on: the user still gets to read it.
    std::fprintf(stderr, "%s: %s\n", caption, text);
}

bool platformDrainMessages()
{
    return false;
}

void platformAnswerWindowSystem()
{
    // SDL answers the compositor's ping (and an X window manager's) while it
    // reads; the input it reads stays in its queue.
    SDL_PumpEvents();
}
