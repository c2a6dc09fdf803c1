// A Wayland compositor offering ext-idle-notify-v1, the standard protocol
// (sway 1.8 and later, Hyprland, river, labwc, niri, COSMIC, KWin): an idle
// notification reports idled after its time without input and resumed on
// the next. The compositor holds the report back while a client holds an
// idle inhibitor.
#include "idle/desk/idle_source.h"
#include "idle/desk/wayland_idle.h"

#include "ext-idle-notify-v1-client-protocol.h"

namespace {
void onIdled(void*, ext_idle_notification_v1* notification)
{
    waylandIdled(reinterpret_cast<wl_proxy*>(notification));
}

void onResumed(void*, ext_idle_notification_v1* notification)
{
    waylandResumed(reinterpret_cast<wl_proxy*>(notification));
}

const ext_idle_notification_v1_listener notificationListener = {onIdled, onResumed};

wl_proxy* watch(wl_proxy* global, wl_seat* seat, std::uint32_t afterMs)
{
    ext_idle_notification_v1* notification
        = ext_idle_notifier_v1_get_idle_notification(reinterpret_cast<ext_idle_notifier_v1*>(global), afterMs, seat);
    ext_idle_notification_v1_add_listener(notification, &notificationListener, nullptr);
    return reinterpret_cast<wl_proxy*>(notification);
}

void drop(wl_proxy* notification)
{
    ext_idle_notification_v1_destroy(reinterpret_cast<ext_idle_notification_v1*>(notification));
}

const WaylandIdleProtocol protocol = {&ext_idle_notifier_v1_interface, watch, drop};

bool open(int afterMs)
{
    return openWaylandIdle(protocol, afterMs);
}
}

const IdleSource extIdleSource = {
    "ext-idle-notify-v1 on Wayland", "the compositor",
    open, waylandDescriptor, waylandFlush, waylandDispatch, waylandWatchLonger, waylandInhibited, waylandWatchFor,
    waylandWatchInput,
};
