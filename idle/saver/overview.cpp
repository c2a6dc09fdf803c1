#include "idle/saver/overview.h"

#include "idle/session/buses.h"

namespace {
const char* const shell = "org.gnome.Shell";
const char* const path = "/org/gnome/Shell";
}

void closeShellOverview()
{
    sd_bus* bus = sessionBus();
    if (!nameOwned(bus, shell))
        return;
    int open = 0;
    sd_bus_message* reply = busProperty(bus, shell, path, shell, "OverviewActive", "b", &open);
    const bool read = reply;
    sd_bus_message_unref(reply);
    if (read && open)
        sd_bus_message_unref(busCall(bus, shell, path, "org.freedesktop.DBus.Properties", "Set", "ssv", shell,
            "OverviewActive", "b", 0));
}
