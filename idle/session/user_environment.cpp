#include "idle/session/user_environment.h"

#include "idle/session/buses.h"

#include <cstdlib>
#include <string_view>

namespace {
const char* const manager = "org.freedesktop.systemd1";
const char* const displays[] = {"WAYLAND_DISPLAY", "DISPLAY"};

bool set(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}
}

void takeDisplayFromUserManager()
{
    sd_bus* bus = sessionBus();
    if (set(displays[0]) || set(displays[1]) || !nameOwned(bus, manager))
        return;
    sd_bus_message* reply = busCall(bus, manager, "/org/freedesktop/systemd1", "org.freedesktop.DBus.Properties", "Get",
        "ss", "org.freedesktop.systemd1.Manager", "Environment");
    if (reply && sd_bus_message_enter_container(reply, 'v', "as") >= 0
        && sd_bus_message_enter_container(reply, 'a', "s") >= 0) {
        const char* assignment = nullptr;
        while (sd_bus_message_read(reply, "s", &assignment) > 0) {
            const std::string_view line = assignment;
            for (const char* name : displays)
                if (line.starts_with(name) && line.size() > std::string_view(name).size() + 1
                    && line[std::string_view(name).size()] == '=')
                    setenv(name, assignment + std::string_view(name).size() + 1, 1);
        }
    }
    sd_bus_message_unref(reply);
}
