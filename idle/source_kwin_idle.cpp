// A Wayland compositor offering org_kde_kwin_idle (wlroots 0.15, KWin): an
// idle timeout object reports idle after its time without input and resumed
// on the next. The compositor holds the report back while a client holds
// an idle inhibitor on a visible surface.
#include "idle/idle_source.h"

#include "idle-client-protocol.h"

#include <cstdint>
#include <cstring>
#include <wayland-client.h>

namespace {
wl_display* display = nullptr;
wl_registry* registry = nullptr;
wl_seat* seat = nullptr;
org_kde_kwin_idle* idleManager = nullptr;
org_kde_kwin_idle_timeout* timeout = nullptr;
int after = 0;

void onIdle(void*, org_kde_kwin_idle_timeout*)
{
    reportIdle();
}

void onResumed(void*, org_kde_kwin_idle_timeout*)
{
    reportActive();
}

const org_kde_kwin_idle_timeout_listener timeoutListener = {onIdle, onResumed};

void onGlobal(void*, wl_registry* r, std::uint32_t name, const char* interface, std::uint32_t)
{
    if (!seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        seat = static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
    else if (!idleManager && std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0)
        idleManager = static_cast<org_kde_kwin_idle*>(wl_registry_bind(r, name, &org_kde_kwin_idle_interface, 1));
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t)
{
}

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

// A new timeout object counts its time from now.
void startTimeout()
{
    if (timeout)
        org_kde_kwin_idle_timeout_release(timeout);
    timeout = org_kde_kwin_idle_get_idle_timeout(idleManager, seat, std::uint32_t(after));
    org_kde_kwin_idle_timeout_add_listener(timeout, &timeoutListener, nullptr);
}

void closeAll()
{
    if (idleManager)
        org_kde_kwin_idle_destroy(idleManager);
    if (seat)
        wl_seat_destroy(seat);
    if (registry)
        wl_registry_destroy(registry);
    wl_display_disconnect(display);
    idleManager = nullptr;
    seat = nullptr;
    registry = nullptr;
    display = nullptr;
}

bool open(int afterMs)
{
    display = wl_display_connect(nullptr);
    if (!display)
        return false;
    registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, nullptr);
    if (wl_display_roundtrip(display) < 0 || !seat || !idleManager) {
        closeAll();
        return false;
    }
    after = afterMs;
    startTimeout();
    wl_display_flush(display);
    return true;
}

int descriptor()
{
    return wl_display_get_fd(display);
}

void flush()
{
    wl_display_dispatch_pending(display);
    wl_display_flush(display);
}

bool dispatch()
{
    return wl_display_dispatch(display) >= 0;
}

void watchLonger()
{
    startTimeout();
    wl_display_flush(display);
}

bool inhibited()
{
    return false;
}
}

const IdleSource kwinIdleSource = {
    "org_kde_kwin_idle on Wayland", "the compositor",
    open, descriptor, flush, dispatch, watchLonger, inhibited,
};
