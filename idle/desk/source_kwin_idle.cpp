// A Wayland compositor offering org_kde_kwin_idle (wlroots 0.15, KWin): an
// idle timeout object reports idle after its time without input and resumed
// on the next. The compositor holds the report back while a client holds
// an idle inhibitor on a visible surface.
#include "idle/desk/idle_source.h"
#include "idle/desk/wayland_idle.h"

#include "idle-client-protocol.h"

namespace {
void onIdle(void*, org_kde_kwin_idle_timeout* timeout)
{
    waylandIdled(reinterpret_cast<wl_proxy*>(timeout));
}

void onResumed(void*, org_kde_kwin_idle_timeout* timeout)
{
    waylandResumed(reinterpret_cast<wl_proxy*>(timeout));
}

const org_kde_kwin_idle_timeout_listener timeoutListener = {onIdle, onResumed};

wl_proxy* watch(wl_proxy* global, wl_seat* seat, std::uint32_t afterMs)
{
    org_kde_kwin_idle_timeout* timeout
        = org_kde_kwin_idle_get_idle_timeout(reinterpret_cast<org_kde_kwin_idle*>(global), seat, afterMs);
    org_kde_kwin_idle_timeout_add_listener(timeout, &timeoutListener, nullptr);
    return reinterpret_cast<wl_proxy*>(timeout);
}

void drop(wl_proxy* timeout)
{
    org_kde_kwin_idle_timeout_release(reinterpret_cast<org_kde_kwin_idle_timeout*>(timeout));
}

const WaylandIdleProtocol protocol = {&org_kde_kwin_idle_interface, watch, drop};

bool open(int afterMs)
{
    return openWaylandIdle(protocol, afterMs);
}
}

const IdleSource kwinIdleSource = {
    "org_kde_kwin_idle on Wayland", "the compositor",
    open, waylandDescriptor, waylandFlush, waylandDispatch, waylandWatchLonger, waylandInhibited, waylandWatchFor,
    waylandWatchInput,
};
