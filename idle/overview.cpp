#include "idle/overview.h"

#include "idle/buses.h"

namespace {
const char* const shell = "org.gnome.Shell";
const char* const path = "/org/gnome/Shell";
}

void closeShellOverview()
{
    sd_bus* bus = sessionBus();
    if (!nameOwned(bus, shell))
        return;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int open = 0;
    if (sd_bus_get_property_trivial(bus, shell, path, shell, "OverviewActive", &error, 'b', &open) >= 0 && open) {
        sd_bus_error_free(&error);
        sd_bus_set_property(bus, shell, path, shell, "OverviewActive", &error, "b", 0);
    }
    sd_bus_error_free(&error);
}
