// A Wayland compositor offering ext-idle-notify-v1, the standard protocol
// (sway 1.8 and later, Hyprland, river, labwc, niri, COSMIC, KWin): an idle
// notification reports idled after its time without input and resumed on
// the next. The compositor holds the report back while an idle inhibitor is
// held.
#include "idle/idle_source.h"
#include "idle/wayland_seat.h"

#include "ext-idle-notify-v1-client-protocol.h"

#include <cstdint>

namespace {
ext_idle_notifier_v1* notifier = nullptr;
ext_idle_notification_v1* notification = nullptr;
int after = 0;

void onIdled(void*, ext_idle_notification_v1*)
{
    reportIdle();
}

void onResumed(void*, ext_idle_notification_v1*)
{
    reportActive();
}

const ext_idle_notification_v1_listener notificationListener = {onIdled, onResumed};

// A new notification counts its time from now.
void watchLonger()
{
    if (notification)
        ext_idle_notification_v1_destroy(notification);
    notification = ext_idle_notifier_v1_get_idle_notification(notifier, std::uint32_t(after), waylandSeat());
    ext_idle_notification_v1_add_listener(notification, &notificationListener, nullptr);
    waylandFlush();
}

bool open(int afterMs)
{
    notifier = reinterpret_cast<ext_idle_notifier_v1*>(connectSeatWith(&ext_idle_notifier_v1_interface));
    if (!notifier)
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

const IdleSource extIdleSource = {
    "ext-idle-notify-v1 on Wayland", "the compositor",
    open, waylandDescriptor, waylandFlush, waylandDispatch, watchLonger, inhibited,
};
