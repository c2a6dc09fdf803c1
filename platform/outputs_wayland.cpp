// A Wayland session: its driver chosen, windows made full screen on an
// output, the outputs and the pointer as the compositor shows them.
#include "platform/outputs_wayland.h"

#include "platform/pointer_nudge_wayland.h"
#include "platform/power_wayland.h"

#include <SDL.h>
#include <wayland-client.h>
// xdg-output: the outputs' places on the desk, which wl_output leaves out.
#include <xdg-output-unstable-v1-client-protocol.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {
struct Output {
    std::uint32_t name = 0;
    wl_output* output = nullptr;
    zxdg_output_v1* place = nullptr;
    MonitorArea area;
    OutputPower power;
};

struct Session {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    zxdg_output_manager_v1* manager = nullptr;
    PowerManagers powerManagers;
    std::vector<std::unique_ptr<Output>> outputs;
};

Session session;

void onPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y)
{
    static_cast<Output*>(data)->area.x = x;
    static_cast<Output*>(data)->area.y = y;
}

void onSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height)
{
    static_cast<Output*>(data)->area.width = width;
    static_cast<Output*>(data)->area.height = height;
}

void onDone(void*, zxdg_output_v1*) {}
void onText(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener placeListener{onPosition, onSize, onDone, onText, onText};

void onGlobal(void*, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t)
{
    if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto output = std::make_unique<Output>();
        output->name = name;
        output->output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1));
        session.outputs.push_back(std::move(output));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        session.manager = static_cast<zxdg_output_manager_v1*>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, 1));
    } else {
        bindPowerManager(session.powerManagers, registry, name, interface);
    }
}

void onGlobalRemoved(void*, wl_registry*, std::uint32_t name)
{
    for (auto i = session.outputs.begin(); i != session.outputs.end(); ++i)
        if ((*i)->name == name) {
            if ((*i)->place)
                zxdg_output_v1_destroy((*i)->place);
            // Unplugged while its power was asked: the object goes with it.
            releaseOutputPower((*i)->power);
            wl_output_destroy((*i)->output);
            session.outputs.erase(i);
            return;
        }
}

const wl_registry_listener registryListener{onGlobal, onGlobalRemoved};

// A connection of our own: SDL's list of displays is read as outputs come
// but keeps those that went.
bool connected()
{
    if (session.display)
        return true;
    session.display = wl_display_connect(nullptr);
    if (!session.display)
        return false;
    session.registry = wl_display_get_registry(session.display);
    wl_registry_add_listener(session.registry, &registryListener, nullptr);
    return true;
}

// Reads what changed since the last look; the places of new outputs need a
// second round.
void catchUp()
{
    wl_display_roundtrip(session.display);
    bool asked = false;
    for (auto& output : session.outputs)
        if (!output->place && session.manager) {
            output->place = zxdg_output_manager_v1_get_xdg_output(session.manager, output->output);
            zxdg_output_v1_add_listener(output->place, &placeListener, output.get());
            asked = true;
        }
    if (asked)
        wl_display_roundtrip(session.display);
}

int displayHolding(const MonitorArea& area)
{
    // The newest display first: one that went and came back is listed again.
    const SDL_Point centre{area.x + area.width / 2, area.y + area.height / 2};
    for (int i = SDL_GetNumVideoDisplays() - 1; i >= 0; --i) {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) == 0 && SDL_PointInRect(&centre, &bounds))
            return i;
    }
    return 0;
}

bool forXScreen = false;
}

void platformRunForXScreen()
{
    forXScreen = true;
}

void platformPreferSessionVideoDriver()
{
    if (!waylandDisplayNamed()) {
        // SDL tries its Wayland driver where X fails: every other one of
        // SDL's drivers, in SDL's order.
        std::string drivers;
        for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i)
            if (const char* driver = SDL_GetVideoDriver(i); driver && std::strcmp(driver, "wayland") != 0)
                drivers += (drivers.empty() ? "" : ",") + std::string(driver);
        SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
        return;
    }
    if (!platformHostWindowMode() && !forXScreen)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
}

bool platformWindowsFillOutputs()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "wayland") == 0;
}

SDL_Window* platformOpenOutputWindow(const char* title, const MonitorArea& area)
{
    const int display = displayHolding(area);
    // GL from the start: a renderer on a window without it re-creates the
    // window, which then comes back as an ordinary one. Borderless, as a
    // saver's window is: where the compositor wants the client to draw the
    // frame (KWin 6 without its decorations) SDL 2.32 otherwise remakes the
    // window with libdecor while it waits for the first one's configure,
    // and waits for ever.
    return SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED_DISPLAY(display), SDL_WINDOWPOS_UNDEFINED_DISPLAY(display),
        area.width, area.height,
        SDL_WINDOW_SHOWN | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALLOW_HIGHDPI
            | SDL_WINDOW_OPENGL);
}

SDL_Window* platformKeepPointerHidden()
{
    static SDL_Window* lastFocus = nullptr;
    static Uint32 unfocusedSince = 0;
    if (!platformWindowsFillOutputs())
        return nullptr;
    SDL_PumpEvents();
    SDL_Window* focus = SDL_GetMouseFocus();
    // Our windows cover every output, so the pointer is over one of them:
    // while none has been told so, the compositor is asked to look again,
    // once a second.
    const Uint32 now = SDL_GetTicks();
    if (focus || focus != lastFocus)
        unfocusedSince = now;
    else if (now - unfocusedSince >= 1000) {
        platformNudgePointerLookup(SDL_GL_GetCurrentWindow());
        unfocusedSince = now;
    }
    if (focus == lastFocus)
        return nullptr;
    lastFocus = focus;
    // wlroots takes a client's "no pointer" for nothing when its own last
    // word was "none" too, though it drew the desktop's arrow since: the
    // pointer is shown and hidden again, so that the second word counts.
    if (focus) {
        SDL_ShowCursor(SDL_ENABLE);
        SDL_ShowCursor(SDL_DISABLE);
    }
    return focus;
}

std::vector<MonitorArea> platformWaylandOutputs()
{
    std::vector<MonitorArea> monitors;
    if (!connected())
        return monitors;
    catchUp();
    for (const auto& output : session.outputs)
        if (output->area.width > 0 && output->area.height > 0)
            monitors.push_back(output->area);
    return monitors;
}

void platformWaylandPointer(int& x, int& y)
{
    // A client learns where the pointer is only within its own windows; each
    // of ours fills an output, which SDL places where the output stands.
    // Between two of them (one made again) it is where it was last seen.
    static SDL_Point last{0, 0};
    if (SDL_Window* window = SDL_GetMouseFocus()) {
        int windowX = 0;
        int windowY = 0;
        SDL_GetWindowPosition(window, &windowX, &windowY);
        SDL_GetMouseState(&last.x, &last.y);
        last.x += windowX;
        last.y += windowY;
    }
    x = last.x;
    y = last.y;
}

bool platformWaylandOutputsDark()
{
    if (!connected())
        return false;
    catchUp();
    // wlroots lets one client at a time hold an output's power object: ours
    // are let go as soon as they told the mode, so that a program that powers
    // the outputs off (wlopm from an idle daemon) is not refused for them.
    bool asked = false;
    for (auto& output : session.outputs)
        asked = watchOutputPower(session.powerManagers, output->power, output->output) || asked;
    if (asked)
        wl_display_roundtrip(session.display);
    std::vector<const OutputPower*> powers;
    for (const auto& output : session.outputs)
        powers.push_back(&output->power);
    const bool dark = everyOutputOff(powers);
    for (auto& output : session.outputs)
        releaseOutputPower(output->power);
    return dark;
}
