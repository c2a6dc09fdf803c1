// A Wayland compositor offering org_kde_kwin_idle (wlroots 0.15, KWin): an
// idle timeout object reports idle after its time without input and resumed
// on the next. The compositor holds the report back while a client holds
// an idle inhibitor on a visible surface.
#include "idle/idle_source.h"
#include "idle/wayland_seat.h"

#include "idle-client-protocol.h"

#include <cstdint>

namespace {
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

// A new timeout object counts its time from now.
void watchLonger()
{
    if (timeout)
        org_kde_kwin_idle_timeout_release(timeout);
    timeout = org_kde_kwin_idle_get_idle_timeout(idleManager, waylandSeat(), std::uint32_t(after));
    org_kde_kwin_idle_timeout_add_listener(timeout, &timeoutListener, nullptr);
    waylandFlush();
}

bool open(int afterMs)
{
    idleManager = reinterpret_cast<org_kde_kwin_idle*>(connectSeatWith(&org_kde_kwin_idle_interface));
    if (!idleManager)
        return false;
    after = afterMs;
    watchLonger();
    return true;
}

bool inhibited()
{
    return false;
}
}

const IdleSource kwinIdleSource = {
    "org_kde_kwin_idle on Wayland", "the compositor",
    open, waylandDescriptor, waylandFlush, waylandDispatch, watchLonger, inhibited,
};
