#include "idle/sleep_watch.h"

#include "idle/buses.h"
#include "idle/idle_source.h"
#include "idle/saver_process.h"

namespace {
const IdleSource* watched = nullptr;
bool sleeping = false;

int onPrepareForSleep(sd_bus_message* message, void*, sd_bus_error*)
{
    int before = 0;
    if (sd_bus_message_read(message, "b", &before) < 0)
        return 0;
    sleeping = before;
    // An idle report from before the sleep is stale either way.
    reportActive();
    if (sleeping)
        endSaverAndWait();
    else
        watched->watchLonger();
    return 0;
}
}

void watchSleep(const IdleSource& source)
{
    watched = &source;
    if (sd_bus* bus = systemBus())
        sd_bus_match_signal(bus, nullptr, "org.freedesktop.login1", "/org/freedesktop/login1",
            "org.freedesktop.login1.Manager", "PrepareForSleep", onPrepareForSleep, nullptr);
}

bool goingToSleep()
{
    return sleeping;
}
