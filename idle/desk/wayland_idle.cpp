#include "idle/desk/wayland_idle.h"

#include "idle/desk/idle_source.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <wayland-client.h>

namespace {
wl_display* display = nullptr;
wl_registry* registry = nullptr;
wl_seat* seat = nullptr;
wl_proxy* global = nullptr;
wl_proxy* watcher = nullptr;
// Reports idle again after another idle time; the first stays to report the
// next input, which a lock before the idle time waits for.
wl_proxy* longer = nullptr;
// Reports the next input asked for before an idle report: the protocols
// tell input only after idle, so it is idle after a short stillness.
wl_proxy* inputWatch = nullptr;
constexpr std::uint32_t stillMs = 1000;
// The first has reported idle and will report the next input.
bool watcherIdle = false;
const WaylandIdleProtocol* protocol = nullptr;
int after = 0;

void onGlobal(void*, wl_registry* r, std::uint32_t name, const char* interface, std::uint32_t)
{
    if (!seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        seat = static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
    else if (!global && std::strcmp(interface, protocol->global->name) == 0)
        global = static_cast<wl_proxy*>(wl_registry_bind(r, name, protocol->global, 1));
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t)
{
}

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

bool isSet(const char* value)
{
    return value && *value;
}

// Whether the session names a Wayland display: WAYLAND_SOCKET or
// WAYLAND_DISPLAY set, or the socket the library tries without them there.
// Elsewhere the library is not asked: it would print complaints of its own.
bool displayNamed()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (isSet(std::getenv("WAYLAND_SOCKET")) || (isSet(display) && (display[0] == '/' || isSet(runtime))))
        return true;
    if (isSet(display)) {
        static bool told = false;
        if (!told)
            std::fprintf(stderr, "tapwrite-idle: WAYLAND_DISPLAY names %s, but XDG_RUNTIME_DIR is not set\n", display);
        told = true;
        return false;
    }
    struct stat about {};
    return isSet(runtime) && stat((std::string(runtime) + "/wayland-0").c_str(), &about) == 0;
}

void closeAll()
{
    if (global)
        wl_proxy_destroy(global);
    if (seat)
        wl_seat_destroy(seat);
    if (registry)
        wl_registry_destroy(registry);
    if (display)
        wl_display_disconnect(display);
    global = nullptr;
    seat = nullptr;
    registry = nullptr;
    display = nullptr;
}
}

bool openWaylandIdle(const WaylandIdleProtocol& wanted, int afterMs)
{
    display = displayNamed() ? wl_display_connect(nullptr) : nullptr;
    if (!display)
        return false;
    protocol = &wanted;
    registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    if (wl_display_roundtrip(display) < 0 || !seat || !global) {
        closeAll();
        return false;
    }
    after = afterMs;
    watcher = protocol->watch(global, seat, std::uint32_t(after));
    waylandFlush();
    return true;
}

int waylandDescriptor()
{
    return wl_display_get_fd(display);
}

void waylandFlush()
{
    wl_display_dispatch_pending(display);
    wl_display_flush(display);
}

bool waylandDispatch()
{
    return wl_display_dispatch(display) >= 0;
}

// A new reporting object counts its time from now.
void waylandWatchLonger()
{
    if (longer)
        protocol->drop(longer);
    longer = protocol->watch(global, seat, std::uint32_t(after));
    waylandFlush();
}

// Both objects anew: the first would still report the old time.
void waylandWatchFor(int afterMs)
{
    after = afterMs;
    if (longer)
        protocol->drop(longer);
    longer = nullptr;
    protocol->drop(watcher);
    watcher = protocol->watch(global, seat, std::uint32_t(after));
    watcherIdle = false;
    waylandFlush();
}

void waylandWatchInput()
{
    if (watcherIdle || inputWatch)
        return;
    inputWatch = protocol->watch(global, seat, stillMs);
    waylandFlush();
}

void waylandIdled(wl_proxy* reporter)
{
    if (reporter == inputWatch)
        return;
    if (reporter == watcher)
        watcherIdle = true;
    reportIdle();
}

void waylandResumed(wl_proxy* reporter)
{
    if (reporter == inputWatch) {
        protocol->drop(inputWatch);
        inputWatch = nullptr;
    }
    if (reporter == watcher)
        watcherIdle = false;
    reportActive();
}

bool waylandInhibited()
{
    return false;
}
