#include "idle/session/sleep_watch.h"

#include "idle/decide/companion.h"
#include "idle/desk/idle_source.h"
#include "idle/session/buses.h"
#include "idle/session/owned_signals.h"

namespace {
int onPrepareForSleep(sd_bus_message* message, void*, sd_bus_error*)
{
    int before = 0;
    if (sd_bus_message_read(message, "b", &before) < 0)
        return 0;
    // An idle report from before the sleep is stale either way; the sleep
    // itself is no input, so a lock held until input stays held.
    takeIdleReport();
    hear({before ? Heard::Sleep : Heard::Resume});
    return 0;
}
}

void watchSleep()
{
    if (sd_bus* bus = systemBus())
        matchOwnedSignal(bus, "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
            "PrepareForSleep", onPrepareForSleep);
}
